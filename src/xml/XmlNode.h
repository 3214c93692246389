#pragma once

#include "util/Errors.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QIODevice;

namespace kalido {

// A list position outside the valid range (a caller error).
class EListError : public Exception
{
public:
    using Exception::Exception;
};

// Opening, reading, creating or writing a file failed; the message names the file and the reason.
class EFileStreamError : public Exception
{
public:
    using Exception::Exception;
};

struct TAttrRec
{
    QByteArray Name;
    QString Value;
};

// The attributes of one element, in document order. Despite the name a plain array searched
// linearly: elements carry few attributes. Names match without regard to case; duplicates are
// allowed (the parser keeps repeated attributes), lookups find the first.
class TStrAttrHash
{
public:
    int Count() const { return count_; }
    int Capacity() const { return static_cast<int>(items_.size()); }
    const TAttrRec &Item(int index) const;
    TAttrRec &Item(int index);
    // First position whose name matches, -1 when none.
    int IndexOf(QByteArrayView name) const;
    QString Value(QByteArrayView name) const;
    // Replaces the value of the first match, or appends.
    void SetValue(const QByteArray &name, const QString &value);
    // Appends without looking for a duplicate.
    void Add(const QByteArray &name, const QString &value);
    void Assign(const TStrAttrHash &source);
    // Drops the entries; the capacity stays.
    void Clear();

private:
    friend class TxmlParser;
    void grow();

    std::vector<TAttrRec> items_;
    int count_ = 0;
};

// One XML element or comment. A document is a node without parent whose children are the
// file's top-level nodes; the parser names it "Root" and the writer never writes it itself.
// A node owns its children and its attribute table; Parent() is a back pointer only.
// Text and attribute values are decoded (entities resolved, blanks trimmed) once, on first read.
class TxmlNode
{
public:
    TxmlNode() = default;
    explicit TxmlNode(const QByteArray &name) : Name(name) {}
    ~TxmlNode();
    TxmlNode(const TxmlNode &) = delete;
    TxmlNode &operator=(const TxmlNode &) = delete;

    bool Decoded = false;
    QByteArray Text; // raw until Decoded; the body of a comment
    QByteArray Name; // empty for comments
    bool IsComment = false;

    TxmlNode *Parent() const { return parent_; }
    // The attribute table; null until the first SetAttribute (or one handed over by the parser).
    TStrAttrHash *Attributes() const { return table(); }
    void SetAttributes(std::unique_ptr<TStrAttrHash> table);

    int ChildCount() const { return static_cast<int>(children_.size()); }
    // Null when Index is ChildCount or more; a negative index throws EListError.
    TxmlNode *Child(int index) const;
    // Position of a child, -1 when it is not one.
    int IndexOfChild(const TxmlNode *child) const;

    // An empty name returns the node itself.
    TxmlNode *FindChild(QByteArrayView name) const;
    // Searches from position Index+1 (Index -1 from the start); on a match Index is set to its position.
    TxmlNode *FindNextChild(QByteArrayView name, int &index) const;
    bool NameIs(QByteArrayView name) const;

    TxmlNode *AddChild();
    TxmlNode *AddNamedChild(const QByteArray &name);
    // Index 0 to ChildCount; anything else throws EListError.
    TxmlNode *InsertChild(int index);
    // Takes ownership of a node without parent and appends it.
    TxmlNode *AppendChild(std::unique_ptr<TxmlNode> child);

    // Walks the non-empty components of a backslash path, creating missing children; null when the
    // path has no components.
    TxmlNode *ForcePath(QByteArrayView path);
    // Names from the outermost ancestor down to this node, joined by "\".
    QByteArray Path() const;

    QByteArray GetText();
    // Stores S as is; never encodes or decodes.
    void SetText(const QByteArray &s) { Text = s; }

    QString Attribute(QByteArrayView name);
    // Stores the value as is; never triggers decoding.
    void SetAttribute(const QByteArray &name, const QString &value);
    // Decimal, or hexadecimal after "$" or "0x"; 0 for anything else or a value outside 32 bits.
    int AttributeAsInteger(QByteArrayView name);
    // Dates are "mmddyy", times "hh:nn:ss", both "mmddyy hh:nn:ss". A value whose date is
    // ZeroDate() is stored as a time alone; one at midnight as a date alone.
    QDateTime AttributeAsDateTime(QByteArrayView name);
    void SetAttributeAsDateTime(const QByteArray &name, const QDateTime &value);
    static QDate ZeroDate() { return QDate(1899, 12, 30); }
    // Items are names separated by "," or ";" whose positions are the bit numbers; the value is
    // written like "[Photo,Music]".
    quint64 AttributeAsSet(QByteArrayView name, const QString &items, quint64 defaultValue);
    void SetAttributeAsSet(const QByteArray &name, const QString &items, quint64 value);
    int AttributeAsIndex(QByteArrayView name, const QString &items, int defaultValue);
    void SetAttributeAsIndex(const QByteArray &name, const QString &items, int index);
    // All attributes as name="value" pairs separated by one space, values entity-encoded.
    QString AttributesText();

    // Destroys all children; attributes and text stay.
    void Clear();
    void DeleteChild(int index);
    void DeleteChildByName(QByteArrayView name);
    // Destroys Child if it is a child of this node.
    void RemoveChild(TxmlNode *child);
    // Removes the node from its parent and destroys it. A node without parent must be destroyed
    // by its owner instead (this then does nothing).
    void Delete();
    // Moves the node under NewParent (appended last). With null the node is detached and the
    // returned pointer owns it; otherwise the result is null. A node without parent is owned by
    // someone else: give it a parent with AppendChild. Moving a node below itself throws EListError.
    std::unique_ptr<TxmlNode> SetParent(TxmlNode *newParent);
    // Removes the node from its parent and hands it to the caller.
    std::unique_ptr<TxmlNode> Detach();

    // First child named Name (any child when Name is empty) whose attribute AttrName equals Value;
    // names and values compare with ASCII case folded, values without "&" accelerator markers.
    TxmlNode *FindChildByAttribute(QByteArrayView name, QByteArrayView attrName, const QString &value);
    // Lines are "attribute=value"; every line must hold. An empty Name matches only unnamed children.
    TxmlNode *FindChildByAttributes(QByteArrayView name, const QStringList &lines);
    // Like FindChildByAttribute on the children, then below each child in turn; never the node itself.
    TxmlNode *FindDescendantByAttribute(QByteArrayView name, QByteArrayView attrName, const QString &value);

    TxmlNode *FindSameChild(TxmlNode *node, QByteArrayView keyAttr);
    // Source's children that have a same child here are merged into it; the others move here.
    void MergeFrom(TxmlNode *source, QByteArrayView keyAttr);
    void MergeFile(const QString &fileName, QByteArrayView keyAttr);
    void CopyByName(TxmlNode *source, bool includeSource);

    // Replaces the children by the file's top-level nodes; nothing when the file does not exist.
    void LoadFromFile(const QString &fileName);
    // Write the children as a document; Encoding only goes into the declaration.
    void SaveToStream(QIODevice &stream, const QByteArray &encoding = {});
    void SaveToFile(const QString &fileName, const QByteArray &encoding = {});

    // Decodes text and attribute values now unless already done.
    void Decode();

private:
    friend class TxmlParser;

    TStrAttrHash *table() const
    {
        if (!rawAttributes_.isNull())
            buildTable();
        return attributes_.get();
    }
    void buildTable() const;

    TxmlNode *parent_ = nullptr;
    std::vector<std::unique_ptr<TxmlNode>> children_;
    mutable std::unique_ptr<TStrAttrHash> attributes_;
    // A parsed tag's attributes stay in the source bytes (shared, not copied) until the table is
    // first needed: most of a large document's values are never looked at.
    mutable QByteArray rawAttributes_;
    mutable qsizetype rawBegin_ = 0;
    mutable qsizetype rawEnd_ = 0;
};

// A new document node named "Root" holding the file's top-level nodes; empty when the file does
// not exist. Open and read failures throw EFileStreamError.
std::unique_ptr<TxmlNode> LoadXmlFile(const QString &fileName);
// Parses the rest of the stream from its current position.
std::unique_ptr<TxmlNode> LoadXmlStream(QIODevice &stream);
std::unique_ptr<TxmlNode> LoadXmlBytes(QByteArrayView bytes);

// Resolves &amp; &lt; &gt; &quot; &nbsp; and character references up to 255 in 8-bit text.
QByteArray DecodeEntities(QByteArrayView s);
// The same rules over UTF-16, where references of 256 and above resolve too.
QString DecodeEntities(QStringView s);
// Escapes " & < >; a character with code 0 ends the input.
QString EncodeEntities(QStringView s);
// Removes accelerator markers: each "&" is dropped and the character after it kept ("&&" gives "&").
QString StripAmpersands(QStringView s);

// Names compare like this everywhere (element and attribute names, end tags): letter case ignored.
bool NamesMatch(QByteArrayView a, QByteArrayView b);

} // namespace kalido
