#include "store/XmlNodeInterfaces.h"
#include "xml/XmlNode.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kalido;

namespace {

std::unique_ptr<TxmlNode> parse(const char *xml)
{
    return LoadXmlBytes(QByteArrayView(xml));
}

QString messageOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const Exception &e) {
        return e.message();
    }
    return {};
}

QString childNames(IXMLNode &node)
{
    QStringList names;
    for (int i = 0; i < node.ChildCount(); ++i)
        names << node.Child(i)->GetName();
    return names.join(u',');
}

} // namespace

TEST(XmlNodeWrap, WrappersAreNewButShareTheNode)
{
    auto doc = parse("<a><b/><c/></a>");
    auto a = WrapNode(doc.get())->FindChild("A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->FindChild("missing"), nullptr);
    EXPECT_EQ(a->Child(2), nullptr);
    auto first = a->Child(0), again = a->Child(0);
    EXPECT_NE(first, again);
    EXPECT_EQ(NodeOf(first), NodeOf(again));
    EXPECT_EQ(NodeOf(first), doc->Child(0)->Child(0));
    EXPECT_EQ(WrapNode(nullptr), nullptr);
    EXPECT_EQ(NodeOf(nullptr), nullptr);
    EXPECT_EQ(WrapNode(doc.get())->GetParent(), nullptr);
    EXPECT_EQ(first->GetParent()->Path(), "Root\\a");

    // Dropping every wrapper leaves the document whole.
    first.reset();
    again.reset();
    a.reset();
    EXPECT_EQ(doc->Child(0)->ChildCount(), 2);
}

TEST(XmlNodeWrap, AttributesAndTypedValues)
{
    auto doc = parse("<a t1=\"TRUE\" t2=\"1\" t3=\"yes\" n=\"0x1F\" e=\"x &amp; y\"/>");
    auto a = WrapNode(doc.get())->FindChild("a");
    EXPECT_TRUE(a->AttributeAsBoolean("t1"));
    EXPECT_TRUE(a->AttributeAsBoolean("T2"));
    EXPECT_FALSE(a->AttributeAsBoolean("t3"));
    EXPECT_FALSE(a->AttributeAsBoolean("absent"));
    EXPECT_EQ(a->AttributeAsInteger("n"), 31);
    auto list = a->GetAttributes();
    EXPECT_EQ(list, a->GetAttributes());
    EXPECT_EQ(list->Count(), 5);
    EXPECT_EQ(list->Value("e"), "x & y");
    EXPECT_EQ(list->NameAt(4), "e");
    a->SetAttributeAsBoolean("t3", true);
    a->SetAttributeAsInteger("n", -5);
    EXPECT_EQ(list->NameValue(2), "t3=True");
    EXPECT_EQ(list->AttributesText(), "t1=\"TRUE\" t2=\"1\" t3=\"True\" n=\"-5\" e=\"x &amp; y\"");

    auto bare = a->AddNamedChild("bare");
    EXPECT_EQ(bare->GetAttributes()->Count(), 0);
    bare->GetAttributes()->SetValue("k", "v");
    EXPECT_EQ(bare->GetAttributes()->Count(), 1);
    EXPECT_EQ(bare->GetAttributes()->NameValue(0), "k=v");
    EXPECT_EQ(bare->Attribute("K"), "v");
    EXPECT_THROW(bare->GetAttributes()->NameValue(1), EListError);
    EXPECT_THROW(bare->GetAttributes()->NameAt(-1), EListError);

    EXPECT_EQ(messageOf([&] { a->Reserved(); }), "not implemented");
    EXPECT_EQ(messageOf([&] { list->Reserved(); }), "Not implemented");

    const quint64 photoAndCd = 0b101;
    a->SetAttributeAsSet("set", "Photo,Music;Cd", photoAndCd);
    EXPECT_EQ(a->Attribute("set"), "[Photo,Cd]");
    EXPECT_EQ(a->AttributeAsSet("set", "Photo,Music;Cd", 0), photoAndCd);
    a->SetAttributeAsIndex("ix", "Photo,Music;Cd", 1);
    EXPECT_EQ(a->AttributeAsIndex("ix", "Photo,Music;Cd", -1), 1);
}

TEST(XmlNodeWrap, ChildrenAndMoves)
{
    auto doc = parse("<a><project path=\"&amp;x\"/><b/><c/><d/></a>");
    auto a = WrapNode(doc.get())->FindChild("a");
    auto added = a->FindOrAddChild("project", "path", "y");
    EXPECT_EQ(added->GetName(), "project");
    EXPECT_EQ(added->GetAttributes()->Count(), 0);
    EXPECT_EQ(NodeOf(a->FindOrAddChild("project", "path", "&x")), doc->Child(0)->Child(0));
    EXPECT_EQ(NodeOf(a->FindChildByAttribute("PROJECT", "path", "x")), doc->Child(0)->Child(0));
    int index = -1;
    EXPECT_EQ(a->FindNextChild("project", index)->Attribute("path"), "&x");
    EXPECT_EQ(index, 0);
    EXPECT_NE(a->FindNextChild("project", index), nullptr);
    EXPECT_EQ(index, 4);

    a->Child(1)->Exchange(a->Child(3));
    EXPECT_EQ(childNames(*a), "project,d,c,b,project");
    a->Child(3)->Exchange(a->Child(3));
    EXPECT_EQ(childNames(*a), "project,d,c,b,project");
    auto inner = a->Child(1)->AddNamedChild("inner");
    EXPECT_THROW(a->Child(0)->Exchange(inner), EListError);

    inner->SetParent(a->Child(2));
    EXPECT_EQ(inner->Path(), "Root\\a\\c\\inner");
    EXPECT_THROW(inner->SetParent(nullptr), Exception);
    EXPECT_THROW(WrapNode(doc.get())->SetParent(a), Exception);

    a->Child(2)->SetName("cc");
    a->InsertChild(0)->SetName("first");
    a->DeleteChildByName("b");
    a->Child(1)->Delete();
    EXPECT_EQ(childNames(*a), "first,d,cc,project");
    EXPECT_EQ(a->ForcePath("x\\y")->Path(), "Root\\a\\x\\y");
    EXPECT_EQ(a->ForcePath("\\"), nullptr);
    a->Clear();
    EXPECT_EQ(a->ChildCount(), 0);
}

TEST(XmlNodeWrap, AccessRepointsTheWrapper)
{
    auto doc = parse("<a k=\"1\"/><b k=\"2\"/>");
    auto root = WrapNode(doc.get());
    auto w = root->FindChild("a");
    EXPECT_EQ(w->Attribute("k"), "1");
    auto access = std::dynamic_pointer_cast<IXmlNodeAccess>(std::shared_ptr<IInterface>(w));
    ASSERT_NE(access, nullptr);
    access->SetXmlNode(root->FindChild("b"));
    EXPECT_EQ(w->GetName(), "b");
    EXPECT_EQ(w->Attribute("k"), "2");
    EXPECT_EQ(w->GetAttributes()->Value("k"), "2");
    EXPECT_THROW(access->SetXmlNode(std::shared_ptr<IInterface>(w->GetAttributes())), Exception);
}

TEST(XmlNodeWrap, FilesAndCopies)
{
    QTemporaryDir dir;
    auto doc = parse("<a><b Name=\"x\" v=\"1\"/></a>");
    auto a = WrapNode(doc.get())->FindChild("a");
    a->SetText("ignored");
    const QString file = dir.path() + "/sub/node.xml";
    WrapNode(doc.get())->SaveToFile(file);
    EXPECT_EQ(test::readFile(file),
              QByteArray("<?xml version=\"1.0\"?>\r\n<!-- created by Tessel XML package -->\r\n"
                         "  <a>ignored\r\n    <b Name=\"x\" v=\"1\" />\r\n  </a>\r\n"));
    EXPECT_THROW(WrapNode(doc.get())->SaveToFile(dir.path()), Exception);

    auto holder = parse("");
    auto target = WrapNode(holder.get());
    target->LoadFromFile(file);
    EXPECT_EQ(target->FindChild("a")->FindChild("b")->Attribute("v"), "1");

    auto copy = parse("<a><b Name=\"x\" v=\"2\"/><b Name=\"y\"/></a>");
    target->FindChild("a")->CopyByName(WrapNode(copy.get())->FindChild("a"), false);
    EXPECT_EQ(childNames(*target->FindChild("a")), "b,b");
    EXPECT_EQ(target->FindChild("a")->Child(0)->Attribute("v"), "2");
    EXPECT_THROW(target->CopyByName(nullptr, false), Exception);
}
