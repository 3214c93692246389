#include "cmdline/CommandKeys.h"

#include "cmdline/CmdParser.h"
#include "project/PropertyAccess.h"
#include "util/FsName.h"
#include "util/Paths.h"
#include "util/Text.h"
#include "xml/Cp1252.h"

#include <QObject>
#include <QRegularExpression>
#include <QStringConverter>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kalido {

void TPropertyFormat::Add(const QVariant &value, const QString &name, const QString &alias,
                          const QString &description)
{
    Records.push_back({value, name, alias, description});
}

QVariant TPropertyFormat::Convert(const QString &text) const
{
    for (const TPropertyRecord &r : Records)
        if (EqualText(r.Name, text) || EqualText(r.Alias, text))
            return r.Value;
    return text;
}

TCommandKeys::TCommandKeys(QObject *properties) : Properties(properties)
{
    AddKey(QStringLiteral("log"), QStringLiteral("log  &lt;FileName&gt;"),
           QStringLiteral("Don`t show errors. Write them to the log file"));
}

TCommandKeys::~TCommandKeys() = default;

TCommandRecord *TCommandKeys::AddKey(const QString &name, const QString &syntax, const QString &description,
                                     std::unique_ptr<TPropertyFormat> format)
{
    auto record = std::make_unique<TCommandRecord>();
    record->Name = name;
    record->Syntax = syntax;
    record->Description = description;
    record->Format = std::move(format);
    KeyTable.push_back(std::move(record));
    return KeyTable.back().get();
}

TCommandRecord *TCommandKeys::FindKey(const QString &word) const
{
    for (const auto &r : KeyTable)
        if (EqualText(r->Name, word) || EqualText(r->Syntax, word))
            return r.get();
    // The parser hands on a key typed in its short form ("q" of "q &lt;n&gt;") as typed.
    static const CharSet wordDelims(" <");
    for (const auto &r : KeyTable)
        if (!word.isEmpty() && EqualText(ExtractWord(1, r->Syntax, wordDelims), word))
            return r.get();
    return nullptr;
}

void TCommandKeys::RemoveKey(TCommandRecord *record)
{
    for (auto it = KeyTable.begin(); it != KeyTable.end(); ++it) {
        if (it->get() == record) {
            KeyTable.erase(it);
            return;
        }
    }
}

bool TCommandKeys::HasParam(const QString &name1, const QString &name2) const
{
    for (const QString &line : Params) {
        const QString name = line.section(u'=', 0, 0);
        if (name.compare(name1, Qt::CaseInsensitive) == 0 || name.compare(name2, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString TCommandKeys::UsageLine(const QString &syntax) const
{
    const QString exe = ExePath();
    return u' ' + exe.mid(ExtractFolder(exe).size()) + u' ' + syntax;
}

namespace {

void splitLine(const QString &line, QString &name, QString &value)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) {
        name.clear();
        value.clear();
        return;
    }
    name = line.left(eq);
    value = line.mid(eq + 1);
}

} // namespace

bool TCommandKeys::Parse(const QString &commandLine)
{
    static const CharSet wordDelims(" <");
    QStringList words;
    for (const auto &r : KeyTable) {
        words << ExtractWord(1, r->Syntax, wordDelims);
        words << r->Name;
    }
    AddParserKeys(words);

    TCmdParser parser(words, commandLine);
    parser.Parse();

    QString name;
    QString value;
    for (const QString &line : std::as_const(parser.Params)) {
        splitLine(line, name, value);
        if (EqualText(name, QStringLiteral("OptionFile")) && !value.isEmpty()) {
            applyOptionFile(value);
            break;
        }
    }

    Params = parser.Params;
    PositionalCount = parser.PositionalCount;
    const bool result = !Params.isEmpty();
    for (int i = 0; i < Params.size(); ++i) {
        CurrentParam = i;
        splitLine(Params[i], name, value);
        SetKey(name, value);
    }
    Validate();
    return result;
}

void TCommandKeys::applyOptionFile(const QString &fileName)
{
    const QString text = ReadTextFile(fileName, false);
    QString name;
    QString value;
    for (const QString &line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        splitLine(line, name, value);
        SetKey(name, UnescapeValue(value));
    }
}

namespace {

[[noreturn]] void invalidValue(const QString &value, const QString &name)
{
    throw EInvalidCommandKeyValue(QStringLiteral("invalid value \"") + value + QStringLiteral("\" for key ") +
                                  name);
}

bool isFloat(const TPropInfo &prop)
{
    const int id = prop.meta.metaType().id();
    return id == QMetaType::Double || id == QMetaType::Float;
}

// Writes a value as the key's format gave it: text goes through the text forms of the
// property, an ordinal selects an enumeration value, numbers go to floating-point properties.
void storeValue(QObject &obj, const TPropInfo &prop, const QVariant &value)
{
    if (isFloat(prop)) {
        const double d = LenientFloat(value);
        const QVariant v = prop.meta.metaType().id() == QMetaType::Float ? QVariant(float(d)) : QVariant(d);
        if (!prop.writable || !prop.meta.write(&obj, v))
            throw EPropertyError(QStringLiteral("Property ") + QString::fromLatin1(prop.name) +
                                 QStringLiteral(" cannot be written"));
        return;
    }
    const int typeId = value.metaType().id();
    const bool ordinal =
        typeId == QMetaType::Int || typeId == QMetaType::LongLong || typeId == QMetaType::UInt;
    if (prop.kind == TPropKind::Boolean && ordinal && (value.toInt() == 0 || value.toInt() == 1)) {
        SetPropText(obj, prop, value.toInt() ? QStringLiteral("True") : QStringLiteral("False"));
        return;
    }
    if (prop.kind == TPropKind::Enumeration && ordinal) {
        const QMetaEnum e = prop.meta.enumerator();
        const char *key = e.valueToKey(value.toInt());
        if (!key)
            throw EPropertyError(QStringLiteral("Invalid property element: ") + value.toString());
        SetPropText(obj, prop, QString::fromLatin1(key));
        return;
    }
    SetPropText(obj, prop, value.toString());
}

} // namespace

void TCommandKeys::SetKey(const QString &name, const QString &value)
{
    if (name.isEmpty())
        return;
    if (EqualText(name, QStringLiteral("log"))) {
        LogFile = value;
        return;
    }
    if (EqualText(name, QStringLiteral("ll"))) {
        if (EqualText(value, QStringLiteral("i")) || EqualText(value, QStringLiteral("info")))
            InfoLog = true;
        return;
    }
    if (!Properties)
        return;
    if (EqualText(name, QStringLiteral("-nogui"))) {
        SetPropText(*Properties, "NoGUI", QStringLiteral("True"));
        return;
    }
    const TCommandRecord *record = FindKey(name);
    if (!record)
        throw EInvalidCommandKey(QStringLiteral("Invalid command key name ") + name);
    const QString &key = record->Name;
    const QVariant v = record->Format ? record->Format->Convert(value) : QVariant(value);

    try {
        // A Boolean key given without a value is switched on.
        if (value.isEmpty()) {
            try {
                const auto prop = FindPublishedProperty(*Properties->metaObject(), key.toLatin1());
                if (prop && prop->kind == TPropKind::Boolean) {
                    SetPropText(*Properties, *prop, QStringLiteral("True"));
                    return;
                }
            } catch (const Exception &) {
            }
        }

        // A path "A.B.C" names property C of the object held by property B of the object held
        // by property A of the settings object.
        const QStringList path = key.split(u'.');
        QObject *target = Properties;
        for (qsizetype i = 0; target && i + 1 < path.size(); ++i) {
            const auto holder = FindPublishedProperty(*target->metaObject(), path[i].toLatin1());
            target = holder && holder->kind == TPropKind::Object
                         ? holder->meta.read(target).value<QObject *>()
                         : nullptr;
        }
        if (!target)
            throw Exception(QStringLiteral("object for property ") + key + QStringLiteral(" not found"));
        const QString &propName = path.last();
        const auto prop = FindPublishedProperty(*target->metaObject(), propName.toLatin1());
        if (!prop)
            throw Exception(QStringLiteral("Property ") + propName + QStringLiteral(" does not exists"));
        storeValue(*target, *prop, v);
    } catch (const EPropertyError &) {
        invalidValue(value, key);
    }
}

QString UnescapeValue(const QString &text)
{
    if (!text.contains(u'\\'))
        return text;
    QString r = ReplaceAll(text, QStringLiteral("\\\\"), QString(QChar(1)));
    r = ReplaceAll(r, QStringLiteral("\\n"), QStringLiteral("\n"));
    return ReplaceAll(r, QString(QChar(1)), QStringLiteral("\\"));
}

double LenientFloat(const QVariant &value, const QLocale &locale)
{
    const int id = value.metaType().id();
    if (id == QMetaType::Double || id == QMetaType::Float)
        return value.toDouble();
    const QString original = value.toString();
    QString text = original;
    text.remove(u' ');
    if (!locale.groupSeparator().isEmpty())
        text.remove(locale.groupSeparator());
    const QString decimal = locale.decimalPoint();
    QString normal;
    for (QChar c : std::as_const(text))
        normal += (c == u',' || c == u'.') ? decimal : QString(c);
    bool ok = false;
    const double d = locale.toDouble(normal, &ok);
    if (!ok)
        throw Exception(u'\'' + original + QStringLiteral("' is not a valid floating point value"));
    return d;
}

QString ReadTextFile(const QString &fileName, bool allowUtf16)
{
    // Option and list files are small; a larger one is refused rather than read whole.
    constexpr qint64 maxSize = 64 * 1024 * 1024;
    const int fd = FsOpen(fileName, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw Exception(QStringLiteral("Cannot open file \"") + fileName + QStringLiteral("\". ") +
                        QString::fromLocal8Bit(std::strerror(errno)));
    QByteArray bytes;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            throw Exception(QStringLiteral("Cannot read file \"") + fileName + QStringLiteral("\". ") +
                            QString::fromLocal8Bit(std::strerror(err)));
        }
        if (n == 0)
            break;
        if (bytes.size() + n > maxSize) {
            ::close(fd);
            throw Exception(QStringLiteral("Cannot read file \"") + fileName +
                            QStringLiteral("\". The file is too large"));
        }
        bytes.append(buf, n);
    }
    ::close(fd);

    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (allowUtf16 && bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE)(bytes.mid(2));
    if (allowUtf16 && bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE)(bytes.mid(2));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return FromAnsi(bytes);
}

} // namespace kalido
