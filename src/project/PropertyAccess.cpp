#include "project/PropertyAccess.h"

#include "util/Text.h"
#include "xml/Cp1252.h"

#include <QMetaEnum>
#include <QMetaType>
#include <QObject>
#include <QVariant>

#include <limits>

namespace kalido {

namespace {

QString latin(QByteArrayView s)
{
    return QString::fromLatin1(s.data(), s.size());
}

TPropKind kindOf(const QMetaProperty &p)
{
    if (p.isFlagType())
        return TPropKind::Set;
    if (p.isEnumType())
        return TPropKind::Enumeration;
    const QMetaType type = p.metaType();
    if (type.flags().testFlag(QMetaType::PointerToQObject))
        return TPropKind::Object;
    switch (type.id()) {
    case QMetaType::Bool:
        return TPropKind::Boolean;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return TPropKind::Integer;
    case QMetaType::QString:
        return TPropKind::String;
    case QMetaType::QByteArray:
        return TPropKind::AnsiString;
    default:
        return TPropKind::Other;
    }
}

// The range an integral property type can hold, clipped to qint64.
void intRange(const QMetaType &type, qint64 &min, qint64 &max)
{
    switch (type.id()) {
    case QMetaType::UInt:
        min = 0, max = std::numeric_limits<uint>::max();
        return;
    case QMetaType::Short:
        min = SHRT_MIN, max = SHRT_MAX;
        return;
    case QMetaType::UShort:
        min = 0, max = USHRT_MAX;
        return;
    case QMetaType::SChar:
        min = SCHAR_MIN, max = SCHAR_MAX;
        return;
    case QMetaType::UChar:
        min = 0, max = UCHAR_MAX;
        return;
    case QMetaType::Long:
    case QMetaType::LongLong:
        min = std::numeric_limits<qint64>::min(), max = std::numeric_limits<qint64>::max();
        return;
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        min = 0, max = std::numeric_limits<qint64>::max();
        return;
    default:
        min = INT_MIN, max = INT_MAX;
        return;
    }
}

TPropInfo infoOf(const QMetaProperty &p)
{
    return TPropInfo{QByteArray(p.name()), kindOf(p), p.isWritable(), p};
}

TPropInfo requireProperty(const QObject &obj, QByteArrayView name)
{
    auto found = FindPublishedProperty(*obj.metaObject(), name);
    if (!found)
        throw EPropertyError(QStringLiteral("Unknown property: ") + latin(name));
    return *found;
}

bool isSingleBit(int v)
{
    return v != 0 && (v & (v - 1)) == 0;
}

} // namespace

QList<TPropInfo> PublishedProperties(const QMetaObject &cls)
{
    QList<TPropInfo> out;
    const int first = QObject::staticMetaObject.propertyCount();
    for (int i = first; i < cls.propertyCount(); ++i)
        out.append(infoOf(cls.property(i)));
    return out;
}

std::optional<TPropInfo> FindPublishedProperty(const QMetaObject &cls, QByteArrayView name)
{
    const int first = QObject::staticMetaObject.propertyCount();
    const int exact = cls.indexOfProperty(name.toByteArray().constData());
    if (exact >= first)
        return infoOf(cls.property(exact));
    const QString wanted = latin(name);
    for (int i = first; i < cls.propertyCount(); ++i) {
        const QMetaProperty p = cls.property(i);
        if (EqualText(QString::fromLatin1(p.name()), wanted))
            return infoOf(p);
    }
    return std::nullopt;
}

bool HasPublishedProperty(const QMetaObject &cls, QByteArrayView name)
{
    return FindPublishedProperty(cls, name).has_value();
}

QString EnumToText(const QMetaEnum &e, int value)
{
    // An out-of-range value (possible only through code) still has a text: its number.
    if (const char *key = e.valueToKey(value))
        return QString::fromLatin1(key);
    return QString::number(value);
}

QString SetToText(const QMetaEnum &e, int value)
{
    QStringList names;
    for (int i = 0; i < e.keyCount(); ++i) {
        const int v = e.value(i);
        if (isSingleBit(v) && (value & v) == v)
            names.append(QString::fromLatin1(e.key(i)));
    }
    return names.join(u',');
}

int TextToEnum(const QMetaEnum &e, const QString &text)
{
    for (int i = 0; i < e.keyCount(); ++i)
        if (EqualText(QString::fromLatin1(e.key(i)), text))
            return e.value(i);
    throw EPropertyError(QStringLiteral("Invalid property element: ") + text);
}

int TextToSet(const QMetaEnum &e, const QString &text)
{
    QString body = text.trimmed();
    if (body.startsWith(u'[') && body.endsWith(u']'))
        body = body.mid(1, body.size() - 2);
    int value = 0;
    if (body.trimmed().isEmpty())
        return value;
    for (const QString &part : body.split(u',')) {
        const QString name = part.trimmed();
        bool found = false;
        for (int i = 0; i < e.keyCount(); ++i)
            if (isSingleBit(e.value(i)) && EqualText(QString::fromLatin1(e.key(i)), name)) {
                value |= e.value(i);
                found = true;
                break;
            }
        if (!found)
            throw EPropertyError(QStringLiteral("Invalid property element: ") + name);
    }
    return value;
}

bool TextToBool(const QString &text)
{
    if (EqualText(text, QStringLiteral("True")))
        return true;
    if (EqualText(text, QStringLiteral("False")))
        return false;
    throw EPropertyError(QStringLiteral("Invalid property element: ") + text);
}

qint64 TextToInt(const QString &text, qint64 min, qint64 max)
{
    // Decimal digits with an optional sign, nothing else: no blanks, no fractions, no hex.
    const auto fail = [&text]() {
        return EPropertyError(QStringLiteral("'") + text + QStringLiteral("' is not a valid integer value"));
    };
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        throw fail();
    // Accumulate as a negative number so that the lowest value fits.
    qint64 acc = 0;
    const qint64 lowest = std::numeric_limits<qint64>::min();
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < u'0' || c > u'9')
            throw fail();
        const int digit = c.unicode() - u'0';
        if (acc < (lowest + digit) / 10)
            throw fail();
        acc = acc * 10 - digit;
    }
    if (!negative) {
        if (acc == lowest)
            throw fail();
        acc = -acc;
    }
    if (acc < min || acc > max)
        throw fail();
    return acc;
}

QString GetPropText(const QObject &obj, QByteArrayView name)
{
    return GetPropText(obj, requireProperty(obj, name));
}

QString GetPropText(const QObject &obj, const TPropInfo &prop)
{
    const QVariant v = prop.meta.read(&obj);
    switch (prop.kind) {
    case TPropKind::Integer:
        if (prop.meta.metaType().id() == QMetaType::ULongLong ||
            prop.meta.metaType().id() == QMetaType::ULong)
            return QString::number(v.toULongLong());
        return QString::number(v.toLongLong());
    case TPropKind::Boolean:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case TPropKind::Enumeration:
        return EnumToText(prop.meta.enumerator(), v.toInt());
    case TPropKind::Set:
        return SetToText(prop.meta.enumerator(), v.toInt());
    case TPropKind::String:
        return v.toString();
    case TPropKind::AnsiString:
        return FromAnsi(v.toByteArray());
    case TPropKind::Object: {
        const QObject *o = v.value<QObject *>();
        return o ? o->objectName() : QString();
    }
    case TPropKind::Other:
        return v.toString();
    }
    return {};
}

void SetPropText(QObject &obj, QByteArrayView name, const QString &text)
{
    SetPropText(obj, requireProperty(obj, name), text);
}

void SetPropText(QObject &obj, const TPropInfo &prop, const QString &text)
{
    const QString name = QString::fromLatin1(prop.name);
    if (!prop.writable)
        throw EPropertyError(QStringLiteral("Property ") + name + QStringLiteral(" is read-only"));
    QVariant value;
    switch (prop.kind) {
    case TPropKind::Integer: {
        qint64 min = 0, max = 0;
        intRange(prop.meta.metaType(), min, max);
        value = QVariant::fromValue(TextToInt(text, min, max));
        break;
    }
    case TPropKind::Boolean:
        value = QVariant(TextToBool(text));
        break;
    case TPropKind::Enumeration:
        value = QVariant(TextToEnum(prop.meta.enumerator(), text));
        break;
    case TPropKind::Set:
        value = QVariant(TextToSet(prop.meta.enumerator(), text));
        break;
    case TPropKind::String:
        value = QVariant(text);
        break;
    case TPropKind::AnsiString:
        value = QVariant(ToAnsi(text));
        break;
    case TPropKind::Object:
    case TPropKind::Other:
        throw EPropertyError(QStringLiteral("Property ") + name + QStringLiteral(" cannot be set from text"));
    }
    // The value is already checked; let Qt only change its representation to the property's type.
    if (prop.kind == TPropKind::Integer || prop.kind == TPropKind::Boolean) {
        if (!value.convert(prop.meta.metaType()))
            throw EPropertyError(QStringLiteral("Property ") + name +
                                 QStringLiteral(" cannot be set from text"));
    }
    if (!prop.meta.write(&obj, value))
        throw EPropertyError(QStringLiteral("Property ") + name + QStringLiteral(" cannot be set from text"));
}

} // namespace kalido
