#pragma once

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QObject;

namespace kalido {

// ---- The translation engine -------------------------------------------------------------------
// Gettext catalogues <folder>/<lang>/LC_MESSAGES/<domain>.mo for the domains "default" (the
// program's texts) and "languages" (the names of the languages), read through Boost.Locale.
// Texts are written in English in the program; a text without translation stays as it is.

inline constexpr const char *DefaultDomain = "default";
inline constexpr const char *LanguagesDomain = "languages";

// Folders searched for catalogues, in order. By default: "locale" beside the executable and one
// and two levels above it (the build tree), then "../share/kalido/locale".
QStringList MessagesPaths();
// Replaces the folders (tests, packaging), an empty list restoring the default ones; the
// language in use is loaded again from them.
void SetMessagesPaths(const QStringList &paths);

// Codes of the languages whose catalogue for Domain is installed: the sub-folders holding
// LC_MESSAGES/<domain>.mo, sorted by name within each folder, the first folder first.
QStringList GetListOfLanguages(const QString &domain);

// Later translations use this language ("de", "pt_BR"; "en" means the texts as written).
void UseLanguage(const QString &code);
// The code of the language in use; at start, the one the environment asks for when a catalogue
// is installed for it (LANGUAGE, LC_ALL, LC_MESSAGES, LANG), otherwise "en".
QString GetCurrentLanguage();

// Text in the current language, or Text itself when the domain has no translation.
QString Translate(const QString &text);
QString DTranslate(const QString &domain, const QString &text);

// Replaces the texts of Root and every object below it (window titles, captions, labels, hints,
// actions, menus) by their translations. The English text of each is kept with the object, so
// translating again after UseLanguage starts from the English, not from the last translation. A
// text changed by the program since the last translation is taken as its new English text.
void TranslateComponent(QObject *root);
inline void RetranslateComponent(QObject *root)
{
    TranslateComponent(root);
}
// Leaves one property of one object untranslated (a caption that comes from data).
void TranslateIgnore(QObject *object, const char *property);

// ---- Language lists ---------------------------------------------------------------------------

// The system's locales with a lookup from ISO 639 codes ("de") and 639_3166 codes ("de_AT") to
// the first locale of that language, or of that language and country, in the system's order.
class TLanguagesEx
{
public:
    TLanguagesEx();

    qsizetype Count() const { return locales_.size(); }
    const QLocale &Locale(qsizetype i) const { return locales_[i]; }
    // The system's (English) name of the locale's language.
    QString Name(qsizetype i) const;

    // The locale for a code, compared without regard to case; none when the code is unknown.
    std::optional<QLocale> LocaleOf(const QString &code) const;

private:
    QList<QLocale> locales_;
    QList<std::pair<QString, qsizetype>> lookup_; // sorted by lower-case code
};

// The languages offered to the user: the installed catalogues of the domain "default", named in
// the current language, and English always.
class TGTLanguageList
{
public:
    TGTLanguageList() = default;
    // Fills the list from the installed catalogues (see GetListOfLanguages).
    void Fill(const TLanguagesEx &languages);

    qsizetype Count() const { return names_.size(); }
    const QString &Name(qsizetype i) const { return names_[i]; }
    const QString &Code(qsizetype i) const { return codes_[i]; }
    const QStringList &Names() const { return names_; }
    const QStringList &Codes() const { return codes_; }

private:
    QStringList names_;
    QStringList codes_;
};

// Process-wide instances: created at start-up (or on first use) and freed at shutdown.
void CreateLanguagesEx();
TLanguagesEx &LanguagesEx();
// Filled on first use and never refreshed during the run.
TGTLanguageList &LanguageList();
void FreeLanguages();

} // namespace kalido
