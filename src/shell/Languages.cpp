#include "shell/Languages.h"

#include "util/FsName.h"
#include "util/Paths.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QWidget>
#include <algorithm>
#include <boost/locale.hpp>
#include <dirent.h>
#include <locale>

namespace kalido {

namespace {

struct Engine
{
    QStringList paths;
    bool pathsSet = false;
    QString language;
    bool languageSet = false;
    std::locale locale;
    bool localeReady = false;
    bool hasMessages = false;
};

Engine &engine()
{
    static Engine e;
    return e;
}

QStringList defaultPaths()
{
    const QString exe = ExeDir();
    return {QDir::cleanPath(exe + QStringLiteral("locale")),
            QDir::cleanPath(exe + QStringLiteral("../locale")),
            QDir::cleanPath(exe + QStringLiteral("../../locale")),
            QDir::cleanPath(exe + QStringLiteral("../share/kalido/locale"))};
}

// A language code as found in folder names and the environment: letters, digits, "_", "-", "@".
bool plausibleCode(const QString &code)
{
    if (code.isEmpty() || code.size() > 32)
        return false;
    return std::all_of(code.begin(), code.end(), [](QChar c) {
        return (c.unicode() < 128 && c.isLetterOrNumber()) || c == u'_' || c == u'-' || c == u'@';
    });
}

void loadLocale()
{
    Engine &e = engine();
    e.localeReady = true;
    e.hasMessages = false;
    e.locale = std::locale::classic();
    const QString code = GetCurrentLanguage();
    if (code == QLatin1String("en") || !plausibleCode(code))
        return;
    // Boost.Locale wants "<lang>[_<country>].UTF-8[@modifier]"; a bare code throws on look-up.
    QString name = code;
    QString modifier;
    if (const qsizetype at = name.indexOf(u'@'); at >= 0) {
        modifier = name.mid(at);
        name.truncate(at);
    }
    name.replace(u'-', u'_');
    try {
        boost::locale::generator gen;
        for (const QString &path : MessagesPaths())
            gen.add_messages_path(FsEncode(path).toStdString());
        gen.add_messages_domain(DefaultDomain);
        gen.add_messages_domain(LanguagesDomain);
        e.locale = gen((name + QStringLiteral(".UTF-8") + modifier).toStdString());
        e.hasMessages = std::has_facet<boost::locale::message_format<char>>(e.locale);
    } catch (const std::exception &) {
        // A catalogue Boost.Locale cannot read leaves the texts in English.
        e.locale = std::locale::classic();
        e.hasMessages = false;
    }
}

QStringList languagesIn(const QString &folder, const QString &domain)
{
    QStringList found;
    const QByteArray path = FsEncode(folder);
    DIR *dir = opendir(path.constData());
    if (!dir)
        return found;
    while (dirent *entry = readdir(dir)) {
        const QString name = FsDecode(QByteArray(entry->d_name));
        if (name.startsWith(u'.') || !plausibleCode(name))
            continue;
        const QString mo =
            folder + u'/' + name + QStringLiteral("/LC_MESSAGES/") + domain + QStringLiteral(".mo");
        if (QFileInfo(mo).isFile())
            found.append(name);
    }
    closedir(dir);
    found.sort();
    return found;
}

QString environmentLanguage()
{
    for (const char *var : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        QString value = qEnvironmentVariable(var);
        if (value.isEmpty())
            continue;
        value = value.section(u':', 0, 0); // LANGUAGE may list several
        if (const qsizetype dot = value.indexOf(u'.'); dot >= 0) {
            const qsizetype at = value.indexOf(u'@', dot);
            value = value.left(dot) + (at >= 0 ? value.mid(at) : QString());
        }
        return value;
    }
    return {};
}

QString initialLanguage()
{
    const QString wanted = environmentLanguage();
    if (wanted.isEmpty() || wanted == QLatin1String("C") || wanted == QLatin1String("POSIX"))
        return QStringLiteral("en");
    const QStringList installed = GetListOfLanguages(QLatin1String(DefaultDomain));
    if (installed.contains(wanted))
        return wanted;
    const QString language = wanted.section(u'_', 0, 0).section(u'@', 0, 0);
    if (installed.contains(language))
        return language;
    return QStringLiteral("en");
}

// ---- component translation ----

const char *const englishPrefix = "_kalido_en_";
const char *const translatedPrefix = "_kalido_tr_";
const char *const ignoreProperty = "_kalido_notranslate";

void translateProperty(QObject *object, const char *property)
{
    const QStringList ignored = object->property(ignoreProperty).toStringList();
    if (ignored.contains(QLatin1String(property)))
        return;
    const QByteArray englishKey = QByteArray(englishPrefix) + property;
    const QByteArray translatedKey = QByteArray(translatedPrefix) + property;
    const QString current = object->property(property).toString();
    const QVariant stored = object->property(englishKey.constData());
    QString english;
    if (stored.isValid() && object->property(translatedKey.constData()).toString() == current)
        english = stored.toString();
    else
        english = current; // never translated, or the program set a new text since
    if (english.isEmpty() && !stored.isValid())
        return;
    const QString translated = Translate(english);
    object->setProperty(englishKey.constData(), english);
    object->setProperty(translatedKey.constData(), translated);
    if (translated != current)
        object->setProperty(property, translated);
}

void translateObject(QObject *object)
{
    if (object->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(object);
        if (widget->isWindow())
            translateProperty(object, "windowTitle");
        translateProperty(object, "toolTip");
        translateProperty(object, "statusTip");
        translateProperty(object, "whatsThis");
        if (qobject_cast<QAbstractButton *>(object) || qobject_cast<QLabel *>(object))
            translateProperty(object, "text");
        else if (qobject_cast<QGroupBox *>(object) || qobject_cast<QMenu *>(object))
            translateProperty(object, "title");
        else if (qobject_cast<QLineEdit *>(object))
            translateProperty(object, "placeholderText");
    } else if (qobject_cast<QAction *>(object)) {
        translateProperty(object, "text");
    }
}

} // namespace

QStringList MessagesPaths()
{
    Engine &e = engine();
    return e.pathsSet ? e.paths : defaultPaths();
}

void SetMessagesPaths(const QStringList &paths)
{
    Engine &e = engine();
    e.paths = paths;
    e.pathsSet = !paths.isEmpty();
    e.localeReady = false;
}

QStringList GetListOfLanguages(const QString &domain)
{
    QStringList codes;
    for (const QString &path : MessagesPaths()) {
        for (const QString &code : languagesIn(path, domain)) {
            if (!codes.contains(code))
                codes.append(code);
        }
    }
    return codes;
}

void UseLanguage(const QString &code)
{
    Engine &e = engine();
    e.language = plausibleCode(code) ? code : QStringLiteral("en");
    e.languageSet = true;
    e.localeReady = false;
}

QString GetCurrentLanguage()
{
    Engine &e = engine();
    if (!e.languageSet) {
        e.language = initialLanguage();
        e.languageSet = true;
    }
    return e.language;
}

QString Translate(const QString &text)
{
    return DTranslate(QLatin1String(DefaultDomain), text);
}

QString DTranslate(const QString &domain, const QString &text)
{
    // An empty message id would return the catalogue's header.
    if (text.isEmpty())
        return text;
    Engine &e = engine();
    if (!e.localeReady)
        loadLocale();
    if (!e.hasMessages)
        return text;
    try {
        const std::string id = text.toStdString();
        const std::string result = boost::locale::translate(id).str(e.locale, domain.toStdString());
        return QString::fromStdString(result);
    } catch (const std::exception &) {
        return text;
    }
}

void TranslateComponent(QObject *root)
{
    if (!root)
        return;
    translateObject(root);
    for (QObject *child : root->findChildren<QObject *>())
        translateObject(child);
}

void TranslateIgnore(QObject *object, const char *property)
{
    QStringList ignored = object->property(ignoreProperty).toStringList();
    if (!ignored.contains(QLatin1String(property))) {
        ignored.append(QLatin1String(property));
        object->setProperty(ignoreProperty, ignored);
    }
}

// ---- TLanguagesEx ----

TLanguagesEx::TLanguagesEx()
{
    locales_ = QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    locales_.removeIf([](const QLocale &l) { return l.language() == QLocale::C; });
    // Codes are inserted into a list sorted without regard to case; a code already present
    // keeps its first locale.
    auto add = [this](const QString &code, qsizetype index) {
        if (code.isEmpty())
            return;
        const QString key = code.toLower();
        auto it = std::lower_bound(lookup_.begin(), lookup_.end(), key,
                                   [](const auto &entry, const QString &k) { return entry.first < k; });
        if (it != lookup_.end() && it->first == key)
            return;
        lookup_.insert(it, {key, index});
    };
    for (qsizetype i = 0; i < locales_.size(); ++i) {
        const QLocale &l = locales_[i];
        const QString language = QLocale::languageToCode(l.language());
        add(language, i);
        const QString territory = QLocale::territoryToCode(l.territory());
        if (!territory.isEmpty())
            add(language + u'_' + territory, i);
    }
}

QString TLanguagesEx::Name(qsizetype i) const
{
    return QLocale::languageToString(locales_[i].language());
}

std::optional<QLocale> TLanguagesEx::LocaleOf(const QString &code) const
{
    const QString key = code.toLower();
    auto it = std::lower_bound(lookup_.begin(), lookup_.end(), key,
                               [](const auto &entry, const QString &k) { return entry.first < k; });
    if (it == lookup_.end() || it->first != key)
        return std::nullopt;
    return locales_[it->second];
}

// ---- TGTLanguageList ----

namespace {

QString languageName(const TLanguagesEx &languages, const QString &code)
{
    const std::optional<QLocale> locale = languages.LocaleOf(code);
    const QString name = locale ? QLocale::languageToString(locale->language()) : QStringLiteral("<unknown>");
    return DTranslate(QLatin1String(LanguagesDomain), name);
}

} // namespace

void TGTLanguageList::Fill(const TLanguagesEx &languages)
{
    names_.clear();
    codes_.clear();
    bool english = false;
    for (const QString &code : GetListOfLanguages(QLatin1String(DefaultDomain))) {
        names_.append(languageName(languages, code));
        codes_.append(code);
        if (code == QLatin1String("en"))
            english = true;
    }
    if (!english) {
        names_.append(languageName(languages, QStringLiteral("en")));
        codes_.append(QStringLiteral("en"));
    }
}

namespace {
std::unique_ptr<TLanguagesEx> languagesEx;
std::unique_ptr<TGTLanguageList> languageList;
} // namespace

void CreateLanguagesEx()
{
    if (!languagesEx)
        languagesEx = std::make_unique<TLanguagesEx>();
}

TLanguagesEx &LanguagesEx()
{
    CreateLanguagesEx();
    return *languagesEx;
}

TGTLanguageList &LanguageList()
{
    if (!languageList) {
        languageList = std::make_unique<TGTLanguageList>();
        languageList->Fill(LanguagesEx());
    }
    return *languageList;
}

void FreeLanguages()
{
    languageList.reset();
    languagesEx.reset();
}

} // namespace kalido
