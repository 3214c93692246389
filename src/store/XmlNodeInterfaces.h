#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <memory>

namespace kalido {

class TxmlNode;
class IAttributeList;

// Common base of the counted interfaces, so that one reference can be asked for another
// interface (std::dynamic_pointer_cast) the way the settings code expects.
class IInterface
{
public:
    virtual ~IInterface() = default;
};

// One XML node seen through a counted reference. Wrappers never own their node: the node
// belongs to its document, and a wrapper that outlives the node must not be used. Every
// operation that returns a node hands out a new wrapper (or none), so two references to the
// same node are different objects; compare the nodes behind them (NodeOf) instead.
// Strings are UTF-16; names and text go through the document's 8-bit code page.
class IXMLNode : public IInterface
{
public:
    virtual QString Path() = 0;
    // Index must be below ChildCount.
    virtual std::shared_ptr<IXMLNode> Child(int index) = 0;
    // Path must have at least one component.
    virtual std::shared_ptr<IXMLNode> ForcePath(const QString &path) = 0;
    virtual QString GetName() = 0;
    virtual void SetName(const QString &name) = 0;
    virtual QString Attribute(const QString &name) = 0;
    virtual void SetAttribute(const QString &name, const QString &value) = 0;
    // True for "1" and "true" in any letter case; anything else, absent included, is false.
    virtual bool AttributeAsBoolean(const QString &name) = 0;
    virtual void SetAttributeAsBoolean(const QString &name, bool value) = 0;
    virtual int AttributeAsInteger(const QString &name) = 0;
    virtual void SetAttributeAsInteger(const QString &name, int value) = 0;
    virtual QString GetText() = 0;
    virtual void SetText(const QString &text) = 0;
    // The same list object for the life of this wrapper.
    virtual std::shared_ptr<IAttributeList> GetAttributes() = 0;
    virtual std::shared_ptr<IXMLNode> GetParent() = 0;
    // NewParent must be given.
    virtual void SetParent(const std::shared_ptr<IXMLNode> &newParent) = 0;
    virtual QDateTime AttributeAsDateTime(const QString &name) = 0;
    virtual void SetAttributeAsDateTime(const QString &name, const QDateTime &value) = 0;
    virtual int ChildCount() = 0;
    virtual void Clear() = 0;
    virtual std::shared_ptr<IXMLNode> InsertChild(int index) = 0;
    virtual void DeleteChild(int index) = 0;
    virtual void DeleteChildByName(const QString &name) = 0;
    // Destroys the node: this reference and every other wrapper of it are dead afterwards.
    virtual void Delete() = 0;
    // Swaps the places of this node and Other, which must be a sibling.
    virtual void Exchange(const std::shared_ptr<IXMLNode> &other) = 0;
    virtual std::shared_ptr<IXMLNode> FindChild(const QString &name) = 0;
    // Index is in/out: the search starts after it (-1 from the start) and lands on the match.
    virtual std::shared_ptr<IXMLNode> FindNextChild(const QString &name, int &index) = 0;
    // The child found by FindChildByAttribute, or a new child called Name; the attribute is
    // not set on a new child.
    virtual std::shared_ptr<IXMLNode> FindOrAddChild(const QString &name, const QString &attrName,
                                                     const QString &value) = 0;
    virtual std::shared_ptr<IXMLNode> FindChildByAttribute(const QString &name, const QString &attrName,
                                                           const QString &value) = 0;
    virtual std::shared_ptr<IXMLNode> FindDescendantByAttribute(const QString &name, const QString &attrName,
                                                                const QString &value) = 0;
    // Kept free in the table; always throws "not implemented".
    virtual void Reserved() = 0;
    virtual std::uint64_t AttributeAsSet(const QString &name, const QString &items, std::uint64_t def) = 0;
    virtual void SetAttributeAsSet(const QString &name, const QString &items, std::uint64_t value) = 0;
    virtual int AttributeAsIndex(const QString &name, const QString &items, int def) = 0;
    virtual void SetAttributeAsIndex(const QString &name, const QString &items, int index) = 0;
    virtual std::shared_ptr<IXMLNode> AddChild() = 0;
    virtual std::shared_ptr<IXMLNode> AddNamedChild(const QString &name) = 0;
    virtual void CopyByName(const std::shared_ptr<IXMLNode> &source, bool includeSource) = 0;
    virtual void MergeFile(const QString &fileName, const QString &keyAttr) = 0;
    virtual void SaveToFile(const QString &fileName) = 0;
    virtual void LoadFromFile(const QString &fileName) = 0;
    virtual bool NameIs(const QString &name) = 0;
};

// The attributes of one node, in document order.
class IAttributeList : public IInterface
{
public:
    // Kept free in the table; always throws "Not implemented".
    virtual void Reserved() = 0;
    virtual QString AttributesText() = 0;
    virtual QString Value(const QString &name) = 0;
    virtual void SetValue(const QString &name, const QString &value) = 0;
    // name=value of the attribute at Index, the value as stored (not decoded).
    virtual QString NameValue(int index) = 0;
    virtual QString NameAt(int index) = 0;
    virtual int Count() = 0;
};

// Reaches the node behind a wrapper.
class IXmlNodeAccess : public IInterface
{
public:
    virtual TxmlNode *GetXmlNode() = 0;
    // Source is any reference whose object also implements IXmlNodeAccess; from then on this
    // wrapper presents Source's node.
    virtual void SetXmlNode(const std::shared_ptr<IInterface> &source) = 0;
};

// A new wrapper of Node; none for a null node.
std::shared_ptr<IXMLNode> WrapNode(TxmlNode *node);

// The node behind a reference: null for none or for an object without IXmlNodeAccess.
TxmlNode *NodeOf(const std::shared_ptr<IInterface> &ref);

} // namespace kalido
