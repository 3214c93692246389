#pragma once

#include "util/Errors.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

class QObject;

namespace kalido {

// A key name that no key of the table has.
class EInvalidCommandKey : public Exception
{
public:
    using Exception::Exception;
};

// A value that the key's property does not take.
class EInvalidCommandKeyValue : public Exception
{
public:
    using Exception::Exception;
};

// One accepted value of a key.
struct TPropertyRecord
{
    QVariant Value;
    QString Name;
    QString Alias;
    QString Description;
};

// The accepted values of a key: typed forms mapped to the values stored. It rejects nothing: a
// text that names no value is passed on as it is.
class TPropertyFormat
{
public:
    virtual ~TPropertyFormat() = default;

    virtual void Add(const QVariant &value, const QString &name, const QString &alias,
                     const QString &description);
    // The value of the first record whose Name or Alias equals Text (ASCII letters folded), else
    // Text itself.
    virtual QVariant Convert(const QString &text) const;

    std::vector<TPropertyRecord> Records;
};

// One key: the property it sets (or a path of object properties joined by "."), its help syntax
// (HTML-escaped; its first word is a second command-line form of the key), its help texts and
// its accepted values (none: free text).
struct TCommandRecord
{
    QString Name;
    QString Syntax;
    QString Description;
    std::unique_ptr<TPropertyFormat> Format;
    // Longer help with "<br>" line breaks.
    QString Comment;
};

// The keys a product accepts on its command line and in an option file, applied to the
// published properties of a settings object, which the table does not own.
class TCommandKeys
{
public:
    explicit TCommandKeys(QObject *properties);
    virtual ~TCommandKeys();
    TCommandKeys(const TCommandKeys &) = delete;
    TCommandKeys &operator=(const TCommandKeys &) = delete;

    // Applies one key. Throws EInvalidCommandKey for a name no key has, EInvalidCommandKeyValue
    // for a value the property rejects, and Exception when the property or its object is missing.
    virtual void SetKey(const QString &name, const QString &value);
    // Called once after all parameters are applied.
    virtual void Validate() {}
    // " <program file name> <Syntax>".
    virtual QString UsageLine(const QString &syntax) const;
    // Lets a derived table add key words for the parser.
    virtual void AddParserKeys(QStringList &keyWords) { Q_UNUSED(keyWords); }
    // Parses the command line, applies the option file named by an "OptionFile" parameter and
    // then the parameters in command-line order, and validates. True when the command line held
    // at least one parameter. Errors pass to the caller; what was applied before stays applied.
    virtual bool Parse(const QString &commandLine);
    virtual void Clear() { Params.clear(); }

    // Appends a key; the table owns Format from then on.
    TCommandRecord *AddKey(const QString &name, const QString &syntax, const QString &description,
                           std::unique_ptr<TPropertyFormat> format = {});
    // The first key whose Name or whole Syntax equals Word (ASCII letters folded), else the first
    // whose Syntax begins with Word as its first word; null for none.
    TCommandRecord *FindKey(const QString &word) const;
    void RemoveKey(TCommandRecord *record);
    // Whether Params holds a line named Name1 or Name2, letter case aside.
    bool HasParam(const QString &name1, const QString &name2) const;

    QObject *Properties = nullptr;
    std::vector<std::unique_ptr<TCommandRecord>> KeyTable;
    QStringList Params;
    QString LogFile;
    bool InfoLog = false;
    int PositionalCount = -1;
    QString UsageSyntax = QStringLiteral(" &lt;source&gt; &lt;destination&gt; &lt;options&gt;");
    int CurrentParam = -1;

protected:
    // Reads the option file and applies its lines "name=value".
    void applyOptionFile(const QString &fileName);
};

// "\n" becomes a line feed and "\\" one backslash; a text without backslash is unchanged.
QString UnescapeValue(const QString &text);

// A number from text written with any of "," and "." as decimal separator and blanks or the
// locale's thousands separator between digits. Throws Exception on text that is no number.
double LenientFloat(const QVariant &value, const QLocale &locale = QLocale());

// A whole text file: UTF-8 after a UTF-8 byte-order mark, UTF-16 after a UTF-16 one (when
// AllowUtf16), otherwise UTF-8 when the bytes are valid UTF-8 and Windows-1252 when not.
// Throws Exception naming the file when it cannot be read.
QString ReadTextFile(const QString &fileName, bool allowUtf16);

} // namespace kalido
