#include "store/AtomicSave.h"
#include "store/XmlNodeInterfaces.h"
#include "util/Text.h"
#include "xml/Cp1252.h"
#include "xml/XmlNode.h"
#include "xml/XmlWriter.h"

#include <vector>

namespace kalido {

namespace {

QByteArray ansi(const QString &s)
{
    return ToAnsi(s);
}

class TAttributeList final : public IAttributeList
{
public:
    explicit TAttributeList(TxmlNode *node) : node_(node) {}

    void Reserved() override { throw Exception(QStringLiteral("Not implemented")); }
    QString AttributesText() override { return node_->AttributesText(); }
    QString Value(const QString &name) override { return node_->Attribute(ansi(name)); }
    void SetValue(const QString &name, const QString &value) override
    {
        node_->SetAttribute(ansi(name), value);
    }
    QString NameValue(int index) override
    {
        const TAttrRec &rec = item(index);
        return FromAnsi(rec.Name) + u'=' + rec.Value;
    }
    QString NameAt(int index) override { return FromAnsi(item(index).Name); }
    int Count() override { return node_->Attributes() ? node_->Attributes()->Count() : 0; }

private:
    const TAttrRec &item(int index)
    {
        if (index < 0 || index >= Count())
            throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
        return node_->Attributes()->Item(index);
    }

    TxmlNode *node_;
};

class TXMLNodeWrap final : public IXMLNode, public IXmlNodeAccess
{
public:
    explicit TXMLNodeWrap(TxmlNode *node) : node_(node) {}

    // IXmlNodeAccess
    TxmlNode *GetXmlNode() override { return node_; }
    void SetXmlNode(const std::shared_ptr<IInterface> &source) override
    {
        TxmlNode *node = NodeOf(source);
        if (!node)
            throw Exception(QStringLiteral("Interface not supported"));
        node_ = node;
        // The cached list presents the old node's attributes; the next GetAttributes makes a new one.
        attributeList_.reset();
    }

    // IXMLNode
    QString Path() override { return FromAnsi(node_->Path()); }
    std::shared_ptr<IXMLNode> Child(int index) override { return WrapNode(node_->Child(index)); }
    std::shared_ptr<IXMLNode> ForcePath(const QString &path) override
    {
        return WrapNode(node_->ForcePath(ansi(path)));
    }
    QString GetName() override { return FromAnsi(node_->Name); }
    void SetName(const QString &name) override { node_->Name = ansi(name); }
    QString Attribute(const QString &name) override { return GetAttributes()->Value(name); }
    void SetAttribute(const QString &name, const QString &value) override
    {
        GetAttributes()->SetValue(name, value);
    }
    bool AttributeAsBoolean(const QString &name) override
    {
        const QString v = Attribute(name);
        return v == u"1" || EqualText(v, QStringLiteral("true"));
    }
    void SetAttributeAsBoolean(const QString &name, bool value) override
    {
        SetAttribute(name, value ? QStringLiteral("True") : QStringLiteral("False"));
    }
    int AttributeAsInteger(const QString &name) override { return node_->AttributeAsInteger(ansi(name)); }
    void SetAttributeAsInteger(const QString &name, int value) override
    {
        SetAttribute(name, QString::number(value));
    }
    QString GetText() override { return FromAnsi(node_->GetText()); }
    void SetText(const QString &text) override { node_->SetText(ansi(text)); }
    std::shared_ptr<IAttributeList> GetAttributes() override
    {
        if (!attributeList_)
            attributeList_ = std::make_shared<TAttributeList>(node_);
        return attributeList_;
    }
    std::shared_ptr<IXMLNode> GetParent() override { return WrapNode(node_->Parent()); }
    void SetParent(const std::shared_ptr<IXMLNode> &newParent) override
    {
        TxmlNode *parent = NodeOf(newParent);
        if (!parent)
            throw Exception(QStringLiteral("No parent given"));
        // A node without parent belongs to whoever created it (a document); a wrapper cannot
        // hand that ownership to another node.
        if (!node_->Parent())
            throw Exception(QStringLiteral("Cannot move a node that has no parent"));
        node_->SetParent(parent);
    }
    QDateTime AttributeAsDateTime(const QString &name) override
    {
        return node_->AttributeAsDateTime(ansi(name));
    }
    void SetAttributeAsDateTime(const QString &name, const QDateTime &value) override
    {
        node_->SetAttributeAsDateTime(ansi(name), value);
    }
    int ChildCount() override { return node_->ChildCount(); }
    void Clear() override { node_->Clear(); }
    std::shared_ptr<IXMLNode> InsertChild(int index) override { return WrapNode(node_->InsertChild(index)); }
    void DeleteChild(int index) override { node_->DeleteChild(index); }
    void DeleteChildByName(const QString &name) override { node_->DeleteChildByName(ansi(name)); }
    void Delete() override { node_->Delete(); }
    void Exchange(const std::shared_ptr<IXMLNode> &other) override
    {
        TxmlNode *that = NodeOf(other);
        TxmlNode *parent = node_->Parent();
        if (!that || !parent || that->Parent() != parent)
            throw EListError(QStringLiteral("Exchange needs two nodes of the same parent"));
        if (that == node_)
            return;
        int a = parent->IndexOfChild(node_);
        int b = parent->IndexOfChild(that);
        if (a > b)
            std::swap(a, b);
        // Take the tail from the first of the two onwards, swap the two, put the tail back.
        std::vector<std::unique_ptr<TxmlNode>> tail;
        while (parent->ChildCount() > a)
            tail.push_back(parent->Child(a)->Detach());
        std::swap(tail[0], tail[size_t(b - a)]);
        for (auto &n : tail)
            parent->AppendChild(std::move(n));
    }
    std::shared_ptr<IXMLNode> FindChild(const QString &name) override
    {
        return WrapNode(node_->FindChild(ansi(name)));
    }
    std::shared_ptr<IXMLNode> FindNextChild(const QString &name, int &index) override
    {
        return WrapNode(node_->FindNextChild(ansi(name), index));
    }
    std::shared_ptr<IXMLNode> FindOrAddChild(const QString &name, const QString &attrName,
                                             const QString &value) override
    {
        TxmlNode *found = node_->FindChildByAttribute(ansi(name), ansi(attrName), value);
        return WrapNode(found ? found : node_->AddNamedChild(ansi(name)));
    }
    std::shared_ptr<IXMLNode> FindChildByAttribute(const QString &name, const QString &attrName,
                                                   const QString &value) override
    {
        return WrapNode(node_->FindChildByAttribute(ansi(name), ansi(attrName), value));
    }
    std::shared_ptr<IXMLNode> FindDescendantByAttribute(const QString &name, const QString &attrName,
                                                        const QString &value) override
    {
        return WrapNode(node_->FindDescendantByAttribute(ansi(name), ansi(attrName), value));
    }
    void Reserved() override { throw Exception(QStringLiteral("not implemented")); }
    std::uint64_t AttributeAsSet(const QString &name, const QString &items, std::uint64_t def) override
    {
        return node_->AttributeAsSet(ansi(name), items, def);
    }
    void SetAttributeAsSet(const QString &name, const QString &items, std::uint64_t value) override
    {
        node_->SetAttributeAsSet(ansi(name), items, value);
    }
    int AttributeAsIndex(const QString &name, const QString &items, int def) override
    {
        return node_->AttributeAsIndex(ansi(name), items, def);
    }
    void SetAttributeAsIndex(const QString &name, const QString &items, int index) override
    {
        node_->SetAttributeAsIndex(ansi(name), items, index);
    }
    std::shared_ptr<IXMLNode> AddChild() override { return WrapNode(node_->AddChild()); }
    std::shared_ptr<IXMLNode> AddNamedChild(const QString &name) override
    {
        return WrapNode(node_->AddNamedChild(ansi(name)));
    }
    void CopyByName(const std::shared_ptr<IXMLNode> &source, bool includeSource) override
    {
        TxmlNode *from = NodeOf(source);
        if (!from)
            throw Exception(QStringLiteral("No source node given"));
        node_->CopyByName(from, includeSource);
    }
    void MergeFile(const QString &fileName, const QString &keyAttr) override
    {
        node_->MergeFile(fileName, ansi(keyAttr));
    }
    // Saved like the settings file: the old file stays whole if writing fails.
    void SaveToFile(const QString &fileName) override
    {
        if (!SaveFileAtomically(fileName, WriteXml(*node_)))
            throw EFileStreamError(QStringLiteral("Cannot write file ") + fileName);
    }
    void LoadFromFile(const QString &fileName) override { node_->LoadFromFile(fileName); }
    bool NameIs(const QString &name) override { return node_->NameIs(ansi(name)); }

private:
    TxmlNode *node_;
    std::shared_ptr<IAttributeList> attributeList_;
};

} // namespace

std::shared_ptr<IXMLNode> WrapNode(TxmlNode *node)
{
    if (!node)
        return nullptr;
    return std::make_shared<TXMLNodeWrap>(node);
}

TxmlNode *NodeOf(const std::shared_ptr<IInterface> &ref)
{
    auto *access = dynamic_cast<IXmlNodeAccess *>(ref.get());
    return access ? access->GetXmlNode() : nullptr;
}

} // namespace kalido
