#include "cmdline/CommandKeys.h"

#include "TestProperties.h"
#include "TestSupport.h"
#include "cmdline/CmdParser.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kalido;
using kalido::test::TTestProperties;

namespace {

template <class E> QString messageOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const E &e) {
        return e.message();
    }
    return QStringLiteral("<no exception>");
}

struct Table : TCommandKeys
{
    explicit Table(QObject *props) : TCommandKeys(props)
    {
        AddKey(QStringLiteral("DeleteOriginals"), QStringLiteral("-do"), QStringLiteral("Delete originals"));
        AddKey(QStringLiteral("OptionFile"), QStringLiteral("OptionFile &lt;file&gt;"),
               QStringLiteral("Options"));
        AddKey(QStringLiteral("Note"), QStringLiteral("note"), QStringLiteral("Note"));
        AddKey(QStringLiteral("Quality"), QStringLiteral("q &lt;n&gt;"), QStringLiteral("Quality"));
        AddKey(QStringLiteral("Scale"), QStringLiteral("scale"), QStringLiteral("Scale"));
        AddKey(QStringLiteral("Sub.Label"), QStringLiteral("label"), QStringLiteral("Label"));
        AddKey(QStringLiteral("Sub.Inner.Label"), QStringLiteral("inner"), QStringLiteral("Inner label"));
        AddKey(QStringLiteral("Missing"), QStringLiteral("missing"), QStringLiteral("No such property"));
        AddKey(QStringLiteral("FileCount"), QStringLiteral("count"), QStringLiteral("Read-only"));
    }
};

TEST(CommandKeys, NewTableHoldsTheLogKey)
{
    TCommandKeys keys(nullptr);
    ASSERT_EQ(keys.KeyTable.size(), 1u);
    EXPECT_EQ(keys.KeyTable[0]->Syntax, QStringLiteral("log  &lt;FileName&gt;"));
    EXPECT_EQ(keys.KeyTable[0]->Description, QStringLiteral("Don`t show errors. Write them to the log file"));
    EXPECT_EQ(keys.FindKey(QStringLiteral("LOG")), keys.KeyTable[0].get());
    EXPECT_TRUE(keys.Parse(QStringLiteral("prog -log out.txt")));
    EXPECT_EQ(keys.LogFile, QStringLiteral("out.txt"));
    EXPECT_FALSE(keys.Parse(QStringLiteral("prog")));
    EXPECT_TRUE(keys.UsageLine(QStringLiteral("x")).endsWith(QStringLiteral(" x")));
    EXPECT_FALSE(keys.UsageLine(QStringLiteral("x")).contains(u'/'));
    keys.RemoveKey(keys.FindKey(QStringLiteral("log")));
    keys.RemoveKey(nullptr);
    EXPECT_TRUE(keys.KeyTable.empty());
}

TEST(CommandKeys, KeysSetPropertiesOrFailWithTheirMessages)
{
    struct Row
    {
        const char16_t *cmdLine;
        const char16_t *error; // empty: no error
    } rows[] = {
        {u"prog -do", u""},
        {u"prog -DO", u""},
        {u"prog -DeleteOriginals yes", u"invalid value \"yes\" for key DeleteOriginals"},
        {u"prog -q 80", u""},
        {u"prog -q 8x", u"invalid value \"8x\" for key Quality"},
        {u"prog -label hello", u""},
        {u"prog -inner x", u"object for property Sub.Inner.Label not found"},
        {u"prog -missing x", u"Property Missing does not exists"},
        {u"prog -count 3", u"invalid value \"3\" for key FileCount"},
        {u"prog a.jpg", u"Invalid command key name %1"},
    };
    for (const Row &r : rows) {
        TTestProperties props;
        Table keys(&props);
        QString error;
        try {
            keys.Parse(QString::fromUtf16(r.cmdLine));
        } catch (const Exception &e) {
            error = e.message();
        }
        EXPECT_EQ(error, QString::fromUtf16(r.error)) << QString::fromUtf16(r.cmdLine).toStdString();
    }

    TTestProperties props;
    Table keys(&props);
    keys.Parse(QStringLiteral("prog -do -q 80 -label hello"));
    EXPECT_TRUE(props.DeleteOriginals());
    EXPECT_EQ(props.Quality, 80);
    EXPECT_EQ(props.sub.Label, QStringLiteral("hello"));
    keys.Parse(QStringLiteral("prog -DeleteOriginals false"));
    EXPECT_FALSE(props.DeleteOriginals());

    EXPECT_THROW(keys.Parse(QStringLiteral("prog -DeleteOriginals yes")), EInvalidCommandKeyValue);
    EXPECT_THROW(keys.Parse(QStringLiteral("prog -q x")), EInvalidCommandKeyValue);
    EXPECT_EQ(messageOf<EInvalidCommandKey>([&] { keys.SetKey(QStringLiteral("%1"), QStringLiteral("x")); }),
              QStringLiteral("Invalid command key name %1"));
    EXPECT_EQ(messageOf<EInvalidParam>([&] { keys.Parse(QStringLiteral("prog -ll i")); }),
              QStringLiteral("Unknown param ll"));
}

TEST(CommandKeys, FloatKeysTakeEitherSeparator)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    struct Row
    {
        const QLocale &locale;
        const char16_t *text;
        double expected;
    } rows[] = {
        {english, u"1 234,5", 12345}, {english, u"1.5", 1.5}, {english, u"-2", -2},
        {german, u"1.234,5", 1234.5}, {german, u"1,5", 1.5},  {german, u"3", 3},
    };
    for (const Row &r : rows)
        EXPECT_DOUBLE_EQ(LenientFloat(QString::fromUtf16(r.text), r.locale), r.expected)
            << QString::fromUtf16(r.text).toStdString();
    EXPECT_DOUBLE_EQ(LenientFloat(QVariant(2.25), german), 2.25);
    EXPECT_THROW(LenientFloat(QStringLiteral("abc"), english), Exception);

    const QLocale saved;
    QLocale::setDefault(english);
    TTestProperties props;
    Table keys(&props);
    keys.Parse(QStringLiteral("prog -scale 0.75"));
    EXPECT_DOUBLE_EQ(props.Scale, 0.75);
    keys.Parse(QStringLiteral("prog -scale 1,000"));
    EXPECT_DOUBLE_EQ(props.Scale, 1000);
    QLocale::setDefault(saved);
}

TEST(CommandKeys, OptionFileAppliesFirstAndUnescapes)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("opts.txt"));
    test::writeFile(file,
                    "\xEF\xBB\xBFnote=a\\nb\r\nlabel=caf\xC3\xA9\r\nq=5\r\nll=info\r\nno equals sign\r\n");

    TTestProperties props;
    Table keys(&props);
    keys.Parse(QStringLiteral("prog -OptionFile \"") + file + QStringLiteral("\" -q 90"));
    EXPECT_EQ(props.Note, QStringLiteral("a\nb"));
    EXPECT_EQ(props.sub.Label, QStringLiteral("café"));
    EXPECT_EQ(props.Quality, 90); // the command line wins
    EXPECT_TRUE(keys.InfoLog);
    EXPECT_EQ(props.OptionFile, file);

    // Without a byte-order mark: UTF-8 when it is valid, else the 8-bit code page.
    test::writeFile(file, "note=a\\\\nb\nlabel=caf\xE9");
    keys.Parse(QStringLiteral("prog -OptionFile \"%1\"").arg(file));
    EXPECT_EQ(props.Note, QStringLiteral("a\\nb"));
    EXPECT_EQ(props.sub.Label, QStringLiteral("café"));

    // A missing file and a folder fail with the file's name.
    const QString missing = messageOf<Exception>(
        [&] { keys.Parse(QStringLiteral("prog -OptionFile \"%1\"").arg(dir.filePath("none"))); });
    EXPECT_TRUE(missing.startsWith(QStringLiteral("Cannot open file \"") + dir.filePath("none")))
        << missing.toStdString();
    const QString folder =
        messageOf<Exception>([&] { keys.Parse(QStringLiteral("prog -OptionFile \"%1\"").arg(dir.path())); });
    EXPECT_TRUE(folder.startsWith(QStringLiteral("Cannot read file"))) << folder.toStdString();
}

TEST(CommandKeys, UnescapeAndFormats)
{
    EXPECT_EQ(UnescapeValue(QStringLiteral("a\\nb")), QStringLiteral("a\nb"));
    EXPECT_EQ(UnescapeValue(QStringLiteral("a\\\\nb")), QStringLiteral("a\\nb"));
    EXPECT_EQ(UnescapeValue(QStringLiteral("c:\\x")), QStringLiteral("c:\\x"));
    EXPECT_EQ(UnescapeValue(QStringLiteral("\\\\\\n")), QStringLiteral("\\\n"));

    TPropertyFormat format;
    format.Add(QVariant(1), QStringLiteral("j"), QStringLiteral("jpeg"), QString());
    format.Add(QVariant(2), QStringLiteral("p"), QStringLiteral("png"), QString());
    EXPECT_EQ(format.Convert(QStringLiteral("JPEG")), QVariant(1));
    EXPECT_EQ(format.Convert(QStringLiteral("p")), QVariant(2));
    EXPECT_EQ(format.Convert(QStringLiteral("gif")), QVariant(QStringLiteral("gif")));
}

} // namespace
