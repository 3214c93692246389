#include "util/Text.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace kalido;

namespace {

const CharSet kCondition("<=>");
const CharSet kComma(",");

struct WordCase
{
    const char *text;
    const CharSet *delims;
    int count;
    int n;
    const char *word;
};

} // namespace

TEST(Text, WordsSplitAtDelimiterRuns)
{
    const WordCase cases[] = {
        {"Source<>CD", &kCondition, 2, 2, "CD"},
        {"Source<>CD", &kCondition, 2, 1, "Source"},
        {"=a==b=", &kCondition, 2, 1, "a"},
        {"=a==b=", &kCondition, 2, 2, "b"},
        {"a=", &kCondition, 1, 1, "a"},
        {"Prop=", &kCondition, 1, 2, ""},
        {"Prop<>Value", &kCondition, 2, 2, "Value"},
        {"a,b,", &kComma, 2, 3, ""},
        {"a,b,", &kComma, 2, 2, "b"},
        {"", &kComma, 0, 1, ""},
        {",,,", &kComma, 0, 1, ""},
        {" x , y ", &kComma, 2, 2, " y "}, // spaces are part of words
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(WordCount(QString::fromUtf8(c.text), *c.delims), c.count);
        EXPECT_EQ(ExtractWord(c.n, QString::fromUtf8(c.text), *c.delims), QString::fromUtf8(c.word));
    }
    EXPECT_EQ(WordPosition(2, QStringLiteral("=a==b="), kCondition), 5);
    EXPECT_EQ(WordPosition(3, QStringLiteral("=a==b="), kCondition), 0);
    EXPECT_EQ(WordPosition(0, QStringLiteral(",a"), kComma), 2); // N below 1 means the first word
    // Characters above 255 are never delimiters, even when their low byte is.
    EXPECT_EQ(WordCount(QString(QChar(0x013D)) + u'=', kCondition), 1);
}

TEST(Text, ReplaceAll)
{
    struct Case
    {
        const char *s, *oldText, *newText, *result;
    } cases[] = {
        {"a b  c", " ", "", "abc"},
        {"abc", "", "x", "abc"},
        {"aaaa", "aa", "b", "bb"},    // adjacent matches, no overlap
        {"aaa", "a", "aa", "aaaaaa"}, // inserted text is not searched again
        {"AbA", "a", "x", "AbA"},     // letter case matters
        {"", "a", "b", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReplaceAll(c.s, c.oldText, c.newText), QString(c.result)) << c.s;
}

TEST(Text, EqualTextFoldsOnlyAsciiLetters)
{
    EXPECT_TRUE(EqualText("NoGUI", "nogui"));
    EXPECT_FALSE(EqualText(QStringLiteral("Ä"), QStringLiteral("ä")));
    EXPECT_FALSE(EqualText("ab", "abc"));
    EXPECT_TRUE(EqualTextAny("LIST", {"log", "list"}));
    EXPECT_FALSE(EqualTextAny("x", {}));
}
