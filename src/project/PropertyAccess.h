#pragma once

#include "util/Errors.h"

#include <QByteArray>
#include <QList>
#include <QMetaProperty>
#include <QString>

#include <optional>

class QObject;
struct QMetaObject;

namespace kalido {

// Reading and writing the published properties (Q_PROPERTY) of an object by name, in fixed text
// forms. Settings objects, page conditions and bindings, project files and command keys all go
// through here, so the conversions are our own and strict: Qt's variant conversions would take
// "no" for true, round 3.7 and let unknown enumeration values through.

// A text that does not convert, an unknown property name, or a write to a read-only property.
class EPropertyError : public Exception
{
public:
    using Exception::Exception;
};

enum class TPropKind {
    Integer,     // int, uint, qint64 and the other integral types
    Boolean,     // bool: "False" / "True"
    Enumeration, // a Q_ENUM type: the value's name
    String,      // QString, as it is
    AnsiString,  // QByteArray, 8-bit text (Windows-1252)
    Set,         // a Q_FLAG type: element names separated by commas
    Object,      // a QObject pointer; has no text form
    Other,       // anything else; read through QVariant, never written
};

struct TPropInfo
{
    QByteArray name;
    TPropKind kind = TPropKind::Other;
    bool writable = false;
    QMetaProperty meta;
};

// The published properties of a class: those declared in QObject's descendants, ancestors
// first, each class's in declaration order. QObject's own "objectName" is not one of them.
QList<TPropInfo> PublishedProperties(const QMetaObject &cls);

// Looks a published property up by name; names match without regard to ASCII letter case.
std::optional<TPropInfo> FindPublishedProperty(const QMetaObject &cls, QByteArrayView name);
bool HasPublishedProperty(const QMetaObject &cls, QByteArrayView name);

// The value of a published property in its text form. Throws EPropertyError for an unknown name.
QString GetPropText(const QObject &obj, QByteArrayView name);
QString GetPropText(const QObject &obj, const TPropInfo &prop);

// Assigns a text to a published property. Throws EPropertyError when the name is unknown, the
// property is read-only or an object, or the text does not convert; the property is then unchanged.
void SetPropText(QObject &obj, QByteArrayView name, const QString &text);
void SetPropText(QObject &obj, const TPropInfo &prop, const QString &text);

// The text conversions on their own, for callers that hold a value rather than an object.
QString EnumToText(const QMetaEnum &e, int value);
QString SetToText(const QMetaEnum &e, int value);
// Throws EPropertyError "Invalid property element: <text>" when no value has that name.
int TextToEnum(const QMetaEnum &e, const QString &text);
int TextToSet(const QMetaEnum &e, const QString &text);
bool TextToBool(const QString &text);
qint64 TextToInt(const QString &text, qint64 min, qint64 max);

} // namespace kalido
