#include "cmdline/AutoMatcher.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fnmatch.h>
#include <functional>
#include <random>

using namespace kalido;

namespace {

// A plain backtracking reading of one mask over an already lower-cased text.
bool refMatch(QStringView mask, QStringView text)
{
    if (mask.isEmpty())
        return text.isEmpty();
    const QChar m = mask.front();
    if (m == u'*')
        return refMatch(mask.mid(1), text) || (!text.isEmpty() && refMatch(mask, text.mid(1)));
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    const bool one = m == u'?' || (m == u'#' ? c >= u'0' && c <= u'9' : m == c);
    return one && refMatch(mask.mid(1), text.mid(1));
}

TEST(Matcher, MasksAgainstNames)
{
    struct Row
    {
        const char16_t *masks;
        const char16_t *name;
        bool matches;
    } rows[] = {
        {u"*.jpg", u"PHOTO.JPG", true},
        {u"*.jpg", u"photo.jpg", true},
        {u"*.jpg", u"photo.jpeg", false},
        {u"*.JPG", u"x.jpg", true},
        {u"*.*", u"readme", true},
        {u"*", u"anything.at.all", true},
        {u"*.", u"readme", true},
        {u"*.", u"readme.txt", false},
        {u"img###.png", u"img001.png", true},
        {u"img###.png", u"img01.png", false},
        {u"img###.png", u"imgabc.png", false},
        {u"#", u"#", false},
        {u"#.", u"7", true},
        {u"?.txt", u"a.txt", true},
        {u"?.txt", u"ab.txt", false},
        {u"*.jpg;*.png", u"x.png", true},
        {u"*.jpg,*.png", u"x.gif", false},
        {u"ä*.jpg", u"ÄRGER.JPG", true},
        {u"*.jpg", u"", false},
        {u"", u"x.jpg", false},
        // A star-only mask listed before another keeps matching whatever follows.
        {u"*;*.jpg", u"a.txt", true},
        {u"x*;*", u"y.txt", true},
    };
    for (const Row &r : rows) {
        const auto m = BuildMatcher(QString::fromUtf16(r.masks));
        EXPECT_EQ(m->Matches(QString::fromUtf16(r.name)), r.matches)
            << QString::fromUtf16(r.masks).toStdString() << " / " << QString::fromUtf16(r.name).toStdString();
    }
}

TEST(Matcher, MasksAreNumberedFromOneAndTheFirstMatchReports)
{
    auto m = BuildMatcher(QStringLiteral("*.jpg;;*.png"));
    EXPECT_EQ(m->Match(u"a.jpg"), 1);
    EXPECT_EQ(m->Match(u"a.png"), 2);
    EXPECT_EQ(m->Match(u"a.gif"), 0);

    m = BuildMatcher(QStringLiteral("*.jpg;photo.*"));
    EXPECT_EQ(m->Match(u"photo.jpg"), 1);
    EXPECT_EQ(m->Match(u"photo.png"), 2);
    EXPECT_TRUE(m->Matches(u"PHOTO.JPG"));

    auto single = std::make_unique<TAuto>();
    single->AddPattern(u"*.jpg", 1);
    single->AddPattern(u"photo.*", 2);
    ASSERT_TRUE(single->Compile());
    const auto [set, value] = single->Run(u"photo.jpg");
    EXPECT_TRUE(set.test(1) && set.test(2));
    EXPECT_EQ(value, 1);
}

TEST(Matcher, ManyMasksSpreadOverAutomataKeepTheirNumbers)
{
    QStringList masks;
    for (int i = 1; i <= 300; ++i)
        masks << QStringLiteral("f%1.x*").arg(i);
    const auto m = BuildMatcher(masks.join(u';'));
    EXPECT_GT(m->Autos.size(), 1u);
    for (const auto &a : m->Autos)
        EXPECT_LT(a->StateCount(), 120);
    EXPECT_EQ(m->Match(u"f1.x"), 1);
    EXPECT_EQ(m->Match(u"f77.xyz"), 77);
    EXPECT_EQ(m->Match(u"f255.x"), 255);
    // Numbers past one byte still report a match.
    EXPECT_EQ(m->Match(u"f300.x"), 255);
    EXPECT_EQ(m->Match(u"f301.x"), 0);
}

// Agrees with fnmatch(3) (FNM_CASEFOLD) on the shared language: "*", "?" and literal characters.
TEST(Matcher, AgreesWithFnmatch)
{
    std::mt19937 rng(20261211);
    const QString maskChars = QStringLiteral("abAB.x*?**");
    const QString nameChars = QStringLiteral("abAB.xab");
    auto pick = [&](const QString &from, int maxLen) {
        QString s;
        const int len = int(rng() % unsigned(maxLen + 1));
        for (int i = 0; i < len; ++i)
            s += from[int(rng() % unsigned(from.size()))];
        return s;
    };
    int disagreements = 0;
    for (int i = 0; i < 100000; ++i) {
        const QString mask = pick(maskChars, 8);
        QString name = pick(nameChars, 10);
        if (name.isEmpty())
            name = QStringLiteral("a");
        const auto m = BuildMatcher(mask);
        const QString tested = name.contains(u'.') ? name : name + u'.';
        const bool expected =
            fnmatch(mask.toLatin1().constData(), tested.toLatin1().constData(), FNM_CASEFOLD) == 0;
        if (m->Matches(name) != expected && ++disagreements <= 5)
            ADD_FAILURE() << mask.toStdString() << " / " << name.toStdString() << " fnmatch " << expected;
    }
    EXPECT_EQ(disagreements, 0);
}

// Mask lists, digits included, against a plain reading: the number is that of the first mask
// that matches, whichever automaton holds it.
TEST(Matcher, MaskListsReportTheFirstMatchingMask)
{
    std::mt19937 rng(7);
    const QString maskChars = QStringLiteral("ab1.*?#");
    const QString nameChars = QStringLiteral("ab12.");
    auto pick = [&](const QString &from, int minLen, int maxLen) {
        QString s;
        const int len = minLen + int(rng() % unsigned(maxLen - minLen + 1));
        for (int i = 0; i < len; ++i)
            s += from[int(rng() % unsigned(from.size()))];
        return s;
    };
    for (int i = 0; i < 2000; ++i) {
        QStringList masks;
        const int count = 1 + int(rng() % 25);
        for (int k = 0; k < count; ++k)
            masks << pick(maskChars, 1, 7);
        const auto m = BuildMatcher(masks.join(u';'));
        for (int n = 0; n < 10; ++n) {
            const QString text = pick(nameChars, 1, 9);
            int expected = 0;
            for (int k = 0; k < count && !expected; ++k)
                if (refMatch(masks[k], text))
                    expected = k + 1;
            ASSERT_EQ(m->Match(text), expected)
                << masks.join(u';').toStdString() << " / " << text.toStdString();
        }
    }
}

TEST(Matcher, HostileMasksStayBounded)
{
    const QString longName = QString(4096, u'a') + QStringLiteral(".b");
    const auto stars = BuildMatcher(QString(32, u'*'));
    EXPECT_TRUE(stars->Matches(longName));

    QString alternating;
    for (int i = 0; i < 32; ++i)
        alternating += QStringLiteral("*a");
    const auto alt = BuildMatcher(alternating + QStringLiteral("*.b"));
    EXPECT_TRUE(alt->Matches(longName));
    EXPECT_FALSE(alt->Matches(QString(4096, u'b')));

    // "*a" followed by n "?" needs 2^(n+1) states as one automaton; it is run unbuilt instead,
    // and the masks after it keep their numbers.
    const QString blowup = QStringLiteral("*a") + QString(24, u'?');
    const auto m = BuildMatcher(QStringLiteral("*.jpg;") + blowup + QStringLiteral(";*.png"));
    size_t states = 0;
    for (const auto &a : m->Autos)
        states += size_t(a->StateCount());
    EXPECT_LT(states, size_t(3 * TAuto::StateLimit));
    const QString hit = QStringLiteral("xxa") + QString(24, u'z');
    EXPECT_EQ(m->Match(hit), 2);
    EXPECT_EQ(m->Match(hit + u'z'), 0);
    EXPECT_EQ(m->Match(u"q.png"), 3);
    EXPECT_EQ(m->Match(u"q.jpg"), 1);
}

} // namespace
