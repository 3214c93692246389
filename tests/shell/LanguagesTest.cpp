#include "shell/Languages.h"

#include "TestSupport.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kalido;

namespace {

// Compiles .po entries into <root>/<lang>/LC_MESSAGES/<domain>.mo.
void catalogue(const QString &root, const QString &lang, const QString &domain,
               const QByteArray &entries = {})
{
    const QString dir = root + "/" + lang + "/LC_MESSAGES";
    QDir().mkpath(dir);
    const QString po = dir + "/" + domain + ".po";
    test::writeFile(po, "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n" + entries);
    ASSERT_EQ(test::runShell("msgfmt --check-format -o '" + dir + "/" + domain + ".mo' '" + po + "'"), 0);
}

struct LanguagesFixture : ::testing::Test
{
    QTemporaryDir root;

    void SetUp() override
    {
        SetMessagesPaths({root.path()});
        UseLanguage("en");
    }
    void TearDown() override
    {
        SetMessagesPaths({});
        UseLanguage("en");
    }

    TGTLanguageList list()
    {
        TGTLanguageList l;
        l.Fill(LanguagesEx());
        return l;
    }
};

TEST_F(LanguagesFixture, NoCatalogueOffersEnglishOnly)
{
    const TGTLanguageList l = list();
    EXPECT_EQ(l.Codes(), QStringList({"en"}));
    EXPECT_EQ(l.Names(), QStringList({"English"}));
}

TEST_F(LanguagesFixture, InstalledCataloguesInOrderEnglishOnce)
{
    catalogue(root.path(), "en", "default");
    catalogue(root.path(), "de", "default");
    catalogue(root.path(), "de", "languages",
              "msgid \"German\"\nmsgstr \"Deutsch\"\n\nmsgid \"English\"\nmsgstr \"Englisch\"\n");
    catalogue(root.path(), "fr", "languages");      // no "default" catalogue: not offered
    QDir().mkpath(root.path() + "/it/LC_MESSAGES"); // an empty folder neither
    catalogue(root.path(), "zz", "default");

    EXPECT_EQ(GetListOfLanguages("default"), QStringList({"de", "en", "zz"}));
    TGTLanguageList l = list();
    EXPECT_EQ(l.Codes(), QStringList({"de", "en", "zz"}));
    EXPECT_EQ(l.Names(), QStringList({"German", "English", "<unknown>"}))
        << "no translation: the system's wording";

    UseLanguage("de");
    l = list();
    EXPECT_EQ(l.Names(), QStringList({"Deutsch", "Englisch", "<unknown>"}));
}

TEST_F(LanguagesFixture, LocaleLookup)
{
    const TLanguagesEx &languages = LanguagesEx();
    ASSERT_GT(languages.Count(), 100);
    const std::optional<QLocale> de = languages.LocaleOf("de");
    ASSERT_TRUE(de);
    EXPECT_EQ(de->language(), QLocale::German);
    const std::optional<QLocale> at = languages.LocaleOf("DE_at");
    ASSERT_TRUE(at);
    EXPECT_EQ(at->territory(), QLocale::Austria);
    const std::optional<QLocale> en = languages.LocaleOf("en");
    ASSERT_TRUE(en);
    // The first locale of the language in the system's order.
    for (qsizetype i = 0; i < languages.Count(); ++i) {
        if (languages.Locale(i).language() == QLocale::English) {
            EXPECT_EQ(languages.Locale(i), *en);
            break;
        }
    }
    EXPECT_FALSE(languages.LocaleOf("xx"));
    EXPECT_FALSE(languages.LocaleOf(""));
}

TEST_F(LanguagesFixture, TranslateAndSwitch)
{
    catalogue(root.path(), "de", "default",
              "msgid \"&Next >>\"\nmsgstr \"&Weiter >>\"\n\nmsgid \"Photos\"\nmsgstr \"Fotos\"\n");
    catalogue(root.path(), "fr", "default", "msgid \"&Next >>\"\nmsgstr \"&Suivant >>\"\n");
    UseLanguage("de");
    EXPECT_EQ(GetCurrentLanguage(), "de");
    EXPECT_EQ(Translate("Photos"), "Fotos");
    EXPECT_EQ(Translate("Untranslated"), "Untranslated");
    EXPECT_EQ(Translate(""), "") << "never the catalogue header";

    QWidget window;
    window.setWindowTitle("Photos");
    auto *button = new QPushButton("&Next >>", &window);
    auto *label = new QLabel("Photos", &window);
    auto *action = new QAction("Photos", &window);
    TranslateComponent(&window);
    EXPECT_EQ(window.windowTitle(), "Fotos");
    EXPECT_EQ(button->text(), "&Weiter >>");
    EXPECT_EQ(action->text(), "Fotos");

    label->setText("Set by the program");
    UseLanguage("fr");
    RetranslateComponent(&window);
    EXPECT_EQ(button->text(), "&Suivant >>") << "from the English, not from the German";
    EXPECT_EQ(window.windowTitle(), "Photos");
    EXPECT_EQ(label->text(), "Set by the program");

    UseLanguage("../../etc");
    EXPECT_EQ(GetCurrentLanguage(), "en");
    EXPECT_EQ(Translate("Photos"), "Photos");
}

TEST_F(LanguagesFixture, BrokenCatalogueLeavesTheTextsInEnglish)
{
    const QString dir = root.path() + "/de/LC_MESSAGES";
    QDir().mkpath(dir);
    // The catalogue's magic number, then counts and table offsets far beyond the file's end.
    const QByteArray header("\xde\x12\x04\x95\0\0\0\0\xff\xff\xff\x7f\xf0\xff\xff\x7f\xf0\xff\xff\x7f", 20);
    test::writeFile(dir + "/default.mo", header);
    UseLanguage("de");
    EXPECT_EQ(Translate("Photos"), "Photos");
}

} // namespace
