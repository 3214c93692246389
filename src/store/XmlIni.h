#pragma once

#include "store/XmlNodeInterfaces.h"
#include "util/Errors.h"

#include <QPoint>
#include <QString>
#include <memory>

namespace kalido {

// Raised inside the store when a value operation finds no writable key. Callers never see it:
// it leaves the store as an EXMLIniFailure like every other inner error.
class IniException : public Exception
{
public:
    using Exception::Exception;
};

// The one failure an IXMLIni operation reports. The message of the error raised inside does
// not travel with it.
class EXMLIniFailure : public Exception
{
public:
    EXMLIniFailure();
    // The status the failure stands for (E_UNEXPECTED).
    static constexpr unsigned Status = 0x8000FFFFu;
};

// A rectangle as the store writes it: "[left,top,right,bottom]". Plain numbers, so that the
// four values stored are the four values read, whatever a caller means by right and bottom.
struct IniRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const IniRect &, const IniRect &) = default;
};

// An ini-like store kept in an XML file. Keys are elements addressed by backslash paths,
// resolved from the document or, with a leading "\", from the current key; values are the
// attributes of the current key. The document lives in memory; only UpdateFile, Flush and
// SetFileName with another name write the file, and they write it atomically.
//
// Every operation is guarded: whatever fails inside reaches the caller as EXMLIniFailure.
// Value operations need a writable key (an open key other than the document itself).
class IXMLIni : public IInterface
{
public:
    // Saves the current file (when there is one), then reads NewName unless it is the same name.
    virtual void SetFileName(const QString &newName) = 0;
    virtual QString GetFileName() = 0;
    virtual bool GetReadOnly() = 0;
    virtual void SetCurrentNode(const std::shared_ptr<IXMLNode> &node) = 0;
    // A wrapper of the open key; none when no key is open.
    virtual std::shared_ptr<IXMLNode> GetCurrentNode() = 0;
    virtual std::shared_ptr<IXMLNode> GetKeyNode() = 0;
    virtual std::shared_ptr<IXMLNode> GetRootNode() = 0;
    // Accepts only the store's own document node (nothing changes); any other node fails, since
    // the store cannot own a node that belongs to another document.
    virtual void SetRootNode(const std::shared_ptr<IXMLNode> &node) = 0;
    // A read-only store never writes its file.
    virtual void SetReadOnly(bool value) = 0;
    virtual TxmlNode *GetCurrentXmlNode() = 0;
    virtual void SetCurrentXmlNode(TxmlNode *node) = 0;
    // Removes every value and sub-key of the current key; its name and text stay.
    virtual void EraseKey() = 0;
    // Destroys the current key; no key is open afterwards.
    virtual void DeleteKey() = 0;
    virtual int ValueCount() = 0;
    // Writes the document atomically, creating missing folders. False when read-only or when
    // anything fails; the file on disk is then exactly what it was before.
    virtual bool UpdateFile() = 0;
    virtual void Flush() = 0;
    virtual bool CheckDocument() = 0;
    virtual void Reserved1() = 0;
    // Reads the file into a scratch document; fails only when it exists and cannot be read.
    virtual void TestFile() = 0;
    // Moves the current key along Path as far as it exists; true when all of it does.
    virtual bool SeekKey(const QString &path) = 0;
    // Opens (or with CanCreate creates) the key at Path. For the last component Index picks the
    // first match after that child position (-1: the first match).
    virtual bool OpenKey(const QString &path, bool canCreate, int index = -1) = 0;
    // Like OpenKey, the last component being the first child that carries every attribute=value
    // line of Attrs. A created key gets the first pair of Attrs as its only value.
    virtual bool OpenKeyByAttributes(const QString &path, const QString &attrs, bool canCreate) = 0;
    // Moves the content of the key at Path1 to a key named like the end of Path2 and leaves an
    // empty key named like Path1 after it; returns (and opens) the empty key.
    virtual std::shared_ptr<IXMLNode> RenewKey(const QString &path1, const QString &path2) = 0;
    virtual void WriteString(const QString &name, const QString &value) = 0;
    virtual QString ReadString(const QString &name, const QString &def = QString()) = 0;
    virtual void WriteInteger(const QString &name, int value) = 0;
    virtual int ReadInteger(const QString &name, int def = 0) = 0;
    virtual void WriteBool(const QString &name, bool value) = 0;
    virtual bool ReadBool(const QString &name, bool def = false) = 0;
    virtual IniRect ReadRect(const QString &name, const IniRect &def = IniRect()) = 0;
    virtual void WriteRect(const QString &name, const IniRect &value) = 0;
    virtual QPoint ReadPoint(const QString &name, const QPoint &def = QPoint()) = 0;
    virtual void WritePoint(const QString &name, const QPoint &value) = 0;
    // Stores the lines of Text as "Item" children of a child called Name of the current key:
    // all of them for MaxCount 0 or less, else at most MaxCount + 1.
    virtual void WriteStrings(const QString &name, const QString &text, int maxCount = 0) = 0;
    // The lines stored by WriteStrings, each followed by CR LF, the whole trimmed.
    virtual QString ReadStrings(const QString &name) = 0;
    // Items is a "," or ";" separated list; the value is stored as the item's text.
    virtual int ReadIndex(const QString &name, const QString &items, int def) = 0;
    virtual void WriteIndex(const QString &name, const QString &items, int index) = 0;
    virtual void Reserved2() = 0;
};

// A store on FileName; the file is read at once (a missing file gives an empty document).
// Throws EXMLIniFailure when the file exists and cannot be read.
std::shared_ptr<IXMLIni> NewXMLIni(const QString &fileName);

} // namespace kalido
