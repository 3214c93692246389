#include "cmdline/CmdParser.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace kalido;

namespace {

struct Parsed
{
    QStringList params;
    int positional;
};

Parsed parse(const QString &cmdLine, const QStringList &keys = {"log", "list", "-r"})
{
    TCmdParser parser(keys, cmdLine);
    parser.Parse();
    return {parser.Params, parser.PositionalCount};
}

TEST(CmdParser, CommandLinesGiveParamsAndPositionalCount)
{
    struct Row
    {
        const char16_t *cmdLine;
        const char16_t *params; // lines joined by ","
        int positional;
    } rows[] = {
        {u"prog a.jpg b.jpg out", u"%1=a.jpg,%2=b.jpg,%3=out", 3},
        {u"prog \"my photo.jpg\" out -r", u"%1=my photo.jpg,%2=out,-r=", 2},
        {u"prog -list files.txt out", u"list=files.txt,%2=out", 2},
        {u"prog -list \"files.txt\" out", u"list=files.txt,%2=out", 2},
        {u"prog -list x.txt y.txt -r z", u"list=x.txt,%2=y.txt,-r=,%3=z", 2},
        {u"prog in.jpg -logC:\\x.txt", u"%1=in.jpg,log=C:\\x.txt", 1},
        {u"prog in.jpg -log my-file.txt", u"%1=in.jpg,log=my-file.txt", 1},
        {u"prog -log -5", u"log=-5", 0},
        {u"prog -LOG x -R", u"LOG=x,-R=", 0},
        {u"prog log x r", u"log=x,-r=", 0},
        {u"prog a -r b", u"%1=a,-r=,%2=b", 1},
        {u"prog a\tb", u"%1=a\tb", 1},
        // An empty quoted text uses up its slot without a line.
        {u"prog \"\" out", u"%2=out", 2},
        // A quoted text may begin with a hyphen or follow a switch and keeps its quoting.
        {u"prog \"-dash.jpg\" out", u"%1=-dash.jpg,%2=out", 2},
        {u"prog -r \"a b.jpg\"", u"-r=,%1=a b.jpg", 0},
        {u"prog -log \"c:\\my logs\\x.txt\"", u"log=c:\\my logs\\x.txt", 0},
        // An unclosed quote takes the rest of the line.
        {u"prog \"a b -r", u"%1=a b -r", 1},
        {u"prog", u"", 0},
        {u"", u"", -1},
        {u"   ", u"", -1},
    };
    for (const Row &r : rows) {
        const QString cmdLine = QString::fromUtf16(r.cmdLine);
        const Parsed p = parse(cmdLine);
        const QString expected = QString::fromUtf16(r.params);
        EXPECT_EQ(p.params, expected.isEmpty() ? QStringList() : expected.split(u','))
            << cmdLine.toStdString();
        EXPECT_EQ(p.positional, r.positional) << cmdLine.toStdString();
    }
}

TEST(CmdParser, UnknownDashedWordBeforeAnyParamFails)
{
    TCmdParser parser(QStringList{"log", "list", "-r"}, QStringLiteral("prog -foo"));
    try {
        parser.Parse();
        FAIL() << "no exception";
    } catch (const EInvalidParam &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Unknown param foo"));
    }
    // After a stored parameter the same word is glued to it instead.
    EXPECT_EQ(parse(QStringLiteral("prog a.jpg -foo")).params, QStringList{"%1=a.jpg-foo"});
}

TEST(CmdParser, SplitsAtTheLongestKeyWordFirstInListOnTies)
{
    const QStringList keys{"l", "log", "lo", "Lx"};
    EXPECT_EQ(parse(QStringLiteral("p -logfile"), keys).params, QStringList{"log=file"});
    EXPECT_EQ(parse(QStringLiteral("p -lxa"), keys).params, QStringList{"lx=a"});
    EXPECT_EQ(parse(QStringLiteral("p -lqq"), keys).params, QStringList{"l=qq"});
}

TEST(CmdParser, KeyTextIsOneWordPerLine)
{
    TCmdParser parser(QStringLiteral("log\r\n-r\nlist\n"), QStringLiteral("p -r -log x"));
    parser.Parse();
    EXPECT_EQ(parser.Params, (QStringList{"-r=", "log=x"}));
}

TEST(Token, ReadsRunsAndUntil)
{
    TToken t(QStringLiteral("ab, cd;;ef"), CharSet(", ;"));
    EXPECT_EQ(t.ReadWord(), QStringLiteral("ab"));
    EXPECT_EQ(t.ReadDelimiters(), QStringLiteral(", "));
    EXPECT_EQ(t.Mark, 3);
    bool found = false;
    EXPECT_EQ(t.ReadUntil(QStringLiteral(";;"), false, &found), QStringLiteral("cd"));
    EXPECT_TRUE(found);
    EXPECT_EQ(t.Pos, 7);
    EXPECT_EQ(t.ReadUntil(QStringLiteral(";;"), true), QStringLiteral(";;"));
    EXPECT_EQ(t.ReadChars(5), QStringLiteral("ef"));
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(t.ReadChars(1), QString());
    t.SetText(QStringLiteral("xyz"));
    EXPECT_EQ(t.ReadUntil(QStringLiteral("q"), false, &found), QStringLiteral("xyz"));
    EXPECT_FALSE(found);
    EXPECT_EQ(t.Pos, 4);
}

} // namespace
