#include "xml/XmlNode.h"
#include "xml/Cp1252.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kalido;

namespace {

std::unique_ptr<TxmlNode> parse(QByteArrayView xml)
{
    return LoadXmlBytes(xml);
}

} // namespace

TEST(XmlNode, FindChildMatchesNamesWithoutCaseAndNeverComments)
{
    auto doc = parse("<!--note--><Item name=\"a\"/><\xc9t\xc9/>");
    EXPECT_EQ(doc->FindChild(""), doc.get());
    ASSERT_NE(doc->FindChild("item"), nullptr);
    EXPECT_EQ(doc->FindChild("item")->Attribute("NAME"), u"a");
    EXPECT_EQ(doc->FindChild("\xe9t\xe9"), doc->Child(2)); // letters of the code page fold too
    EXPECT_EQ(doc->FindChild("note"), nullptr);
    EXPECT_TRUE(doc->Child(0)->IsComment);

    int index = -1;
    EXPECT_EQ(doc->FindNextChild("ITEM", index), doc->Child(1));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(doc->FindNextChild("ITEM", index), nullptr);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(doc->Child(3), nullptr);
    EXPECT_THROW(doc->Child(-1), EListError);
    EXPECT_THROW(doc->InsertChild(4), EListError);
    EXPECT_THROW(doc->DeleteChild(3), EListError);
}

TEST(XmlNode, TextAndValuesAreDecodedAndTrimmedInThatOrder)
{
    auto doc = parse("<a v=\"&#32;x\" w=\"  a &amp; b  \">&#32;x</a><b>  a &amp; b  </b>");
    TxmlNode *a = doc->FindChild("a");
    EXPECT_EQ(a->Attribute("v"), u" x"); // trimmed before decoding: the blank survives
    EXPECT_EQ(a->Attribute("w"), u"a & b");
    EXPECT_EQ(a->GetText(), "x"); // decoded before trimming: the blank goes
    EXPECT_EQ(doc->FindChild("b")->GetText(), "a & b");
}

TEST(XmlNode, DecodingHappensOnceAtTheFirstRead)
{
    TxmlNode node("n");
    node.SetAttribute("a", "a &amp; b");
    node.SetText("x &lt; y");
    EXPECT_FALSE(node.Decoded);
    EXPECT_EQ(node.Attribute("missing"), u""); // any read decodes the whole node
    EXPECT_TRUE(node.Decoded);
    EXPECT_EQ(node.Attribute("a"), u"a & b");
    EXPECT_EQ(node.Text, "x < y");

    node.SetAttribute("a", "a &amp; b");
    node.SetText("x &lt; y");
    EXPECT_EQ(node.Attribute("a"), u"a &amp; b");
    EXPECT_EQ(node.GetText(), "x &lt; y");

    TxmlNode bare;
    EXPECT_EQ(bare.Attribute("a"), u"");
    EXPECT_FALSE(bare.Decoded); // no table, nothing to decode yet
}

TEST(XmlNode, DecodeEntities)
{
    const struct
    {
        QByteArray in;
        QByteArray out;
    } cases[] = {
        {"a&amp;b&lt;c&gt;d&quot;e", "a&b<c>d\"e"},
        {"x&nbsp;y", "x y"},
        {"&#x41;&#$42;&#67;", "ABC"},
        {"&#233;", "\xe9"},
        {"&#300;z", "&#300;z"}, // no single byte: left as is
        {"&copy;", "copy;"},    // an unknown "&" is dropped
        {"a&#65b", "aA"},       // without ";" the reference runs to the end
        {"&#65 x;y", "Ay"},     // the number stops at the blank, the reference at ";"
        {"&#;x", "&#;x"},       // no number
        {"&#0;x", "&#0;x"},     // no NUL in decoded text
        {"tail&", "tail"},
        {"&amp;amp;", "&amp;"}, // one pass only
    };
    for (const auto &c : cases)
        EXPECT_EQ(DecodeEntities(QByteArrayView(c.in)), c.out) << c.in.constData();

    // Values are decoded over UTF-16: references beyond the code page resolve too.
    EXPECT_EQ(DecodeEntities(u"&#300;&#x3A9;&#128512;"), QString::fromUtf16(u"\u012C\u03A9\U0001F600"));
    EXPECT_EQ(DecodeEntities(u"&#128;"), u"\u20AC"); // below 256: the code page's character
    EXPECT_EQ(DecodeEntities(u"&#9999999999;"), u"&#9999999999;");
}

TEST(XmlNode, EncodeAndStripAmpersands)
{
    EXPECT_EQ(EncodeEntities(u"a\"b<c>&d'\u00e9"), u"a&quot;b&lt;c&gt;&amp;d'\u00e9");
    EXPECT_EQ(EncodeEntities(QStringView(u"ab\0cd", 5)), u"ab");
    const struct
    {
        const char16_t *in;
        const char16_t *out;
    } strip[] = {{u"&Next", u"Next"}, {u"a&&b", u"a&b"}, {u"&&&x", u"&x"}, {u"end&", u"end"}, {u"", u""}};
    for (const auto &c : strip)
        EXPECT_EQ(StripAmpersands(c.in), QString::fromUtf16(c.out));
}

TEST(XmlNode, IntegerAttribute)
{
    const struct
    {
        const char *value;
        int result;
    } cases[] = {{"42", 42},
                 {"  -7", -7},
                 {"+3", 3},
                 {"$1F", 31},
                 {"0x10", 16},
                 {"-$10", -16},
                 {"$FFFFFFFF", -1},
                 {"2147483647", 2147483647},
                 {"-2147483648", INT_MIN},
                 {"2147483648", 0},
                 {"12a", 0},
                 {"abc", 0},
                 {"", 0},
                 {"4 ", 0},
                 {"0x", 0}};
    TxmlNode node;
    for (const auto &c : cases) {
        node.SetAttribute("n", QString::fromLatin1(c.value));
        EXPECT_EQ(node.AttributeAsInteger("n"), c.result) << c.value;
    }
    EXPECT_EQ(node.AttributeAsInteger("missing"), 0);
}

TEST(XmlNode, SetAttribute)
{
    const QString items = "Photo,Music;Cd";
    TxmlNode node;
    node.SetAttributeAsSet("s", items, 0b101);
    EXPECT_EQ(node.Attribute("s"), u"[Photo,Cd]");
    node.SetAttributeAsSet("e", items, 0);
    EXPECT_EQ(node.Attribute("e"), u"[]");

    const struct
    {
        const char *value;
        quint64 set;
    } reads[] = {
        {"[Photo,Cd]", 0b101},
        {"{Cd, Photo}", 0b101},
        {"(music)", 0b010},
        {"Photo;;Other Cd", 0b101},
        {"[]", 0},
        {"[Photo", 0b001},
    };
    for (const auto &r : reads) {
        node.SetAttribute("s", QString::fromLatin1(r.value));
        EXPECT_EQ(node.AttributeAsSet("s", items, 0xFF), r.set) << r.value;
    }
    EXPECT_EQ(node.AttributeAsSet("absent", items, 0xFF), 0xFFu);
    node.SetAttribute("s", "");
    EXPECT_EQ(node.AttributeAsSet("s", items, 0xFF), 0xFFu);

    // Item 63 is the last one a set can hold.
    QStringList many;
    for (int i = 0; i < 70; ++i)
        many << QStringLiteral("i%1").arg(i);
    node.SetAttributeAsSet("big", many.join(u','), ~quint64(0));
    EXPECT_TRUE(node.Attribute("big").endsWith(u"i63]"));
    EXPECT_EQ(node.AttributeAsSet("big", many.join(u','), 0), ~quint64(0));
}

TEST(XmlNode, IndexAttributeReaderCountsEmptyItemsWriterSkipsThem)
{
    TxmlNode node;
    node.SetAttributeAsIndex("i", "a,,b;c", 1);
    EXPECT_EQ(node.Attribute("i"), u"b");
    EXPECT_EQ(node.AttributeAsIndex("i", "a,,b;c", -1), 2);
    node.SetAttributeAsIndex("i", "a,b", 5);
    EXPECT_EQ(node.Attribute("i"), u"");
    node.SetAttributeAsIndex("i", "a,b", -1);
    EXPECT_EQ(node.Attribute("i"), u"");
    node.SetAttribute("i", "B");
    EXPECT_EQ(node.AttributeAsIndex("i", "a,b", -1), 1);
    node.SetAttribute("i", "z");
    EXPECT_EQ(node.AttributeAsIndex("i", "a,b", -1), -1);
}

TEST(XmlNode, DateTimeAttribute)
{
    TxmlNode node;
    node.SetAttributeAsDateTime("d", QDateTime(QDate(2024, 3, 7), QTime(0, 0)));
    EXPECT_EQ(node.Attribute("d"), u"030724");
    node.SetAttributeAsDateTime("t", QDateTime(TxmlNode::ZeroDate(), QTime(9, 5, 3)));
    EXPECT_EQ(node.Attribute("t"), u"09:05:03");
    node.SetAttributeAsDateTime("dt", QDateTime(QDate(2019, 12, 31), QTime(23, 59, 58)));
    EXPECT_EQ(node.Attribute("dt"), u"123119 23:59:58");

    EXPECT_EQ(node.AttributeAsDateTime("d"), QDateTime(QDate(2024, 3, 7), QTime(0, 0)));
    EXPECT_EQ(node.AttributeAsDateTime("t"), QDateTime(TxmlNode::ZeroDate(), QTime(9, 5, 3)));
    EXPECT_EQ(node.AttributeAsDateTime("dt"), QDateTime(QDate(2019, 12, 31), QTime(23, 59, 58)));

    // Nonsense falls back without failing: a time to midnight, a date to today.
    node.SetAttribute("bad", "25:61:00");
    EXPECT_EQ(node.AttributeAsDateTime("bad"), QDateTime(TxmlNode::ZeroDate(), QTime(0, 0)));
    node.SetAttribute("bad", "133224");
    const QDate before = QDate::currentDate();
    const QDate read = node.AttributeAsDateTime("bad").date();
    EXPECT_TRUE(read == before || read == QDate::currentDate());
    node.SetAttribute("short", "7");
    EXPECT_EQ(node.AttributeAsDateTime("short").time(), QTime(0, 0));
}

TEST(XmlNode, ForcePathAndPath)
{
    auto doc = parse("<settings><window/></settings>");
    EXPECT_EQ(doc->FindChild("settings")->FindChild("window")->Path(), "Root\\settings\\window");

    TxmlNode *b = doc->ForcePath("\\a\\\\b\\");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Name, "b");
    EXPECT_EQ(b->Parent()->Name, "a");
    EXPECT_EQ(b->Parent()->Parent(), doc.get());
    EXPECT_EQ(doc->ForcePath("A\\B"), b); // found again, not created
    EXPECT_EQ(doc->ChildCount(), 2);
    EXPECT_EQ(doc->ForcePath(""), nullptr);
    EXPECT_EQ(doc->ForcePath("\\\\"), nullptr);
    EXPECT_EQ(doc->ForcePath("settings\\window"), doc->FindChild("settings")->Child(0));
}

TEST(XmlNode, AttributeSearchesIgnoreAcceleratorsAndAsciiCase)
{
    auto doc =
        parse("<m><item caption=\"&amp;Open\"/><item/><Item caption=\"Save &amp;As\">"
              "<sub caption=\"deep\"/></Item><other caption=\"x\"><item caption=\"deep\"/></other></m>");
    TxmlNode *m = doc->FindChild("m");
    EXPECT_EQ(m->FindChildByAttribute("item", "caption", "open"), m->Child(0));
    EXPECT_EQ(m->FindChildByAttribute("ITEM", "Caption", "save as"), m->Child(2));
    EXPECT_EQ(m->FindChildByAttribute("item", "caption", ""), m->Child(1)); // the one without it
    EXPECT_EQ(m->FindChildByAttribute("", "caption", "x"), m->Child(3));
    EXPECT_EQ(m->FindChildByAttribute("item", "caption", "deep"), nullptr);

    EXPECT_EQ(m->FindChildByAttributes("item", {"caption=&Save As"}), m->Child(2));
    EXPECT_EQ(m->FindChildByAttributes("item", {}), m->Child(0));
    EXPECT_EQ(m->FindChildByAttributes("item", {"caption=x"}), nullptr);
    EXPECT_EQ(m->FindChildByAttributes("", {}), nullptr); // empty name: unnamed children only

    // Below the first child before the second: the hit under Item wins over the one under other.
    TxmlNode *hit = m->FindDescendantByAttribute("", "caption", "deep");
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->Name, "sub");
    EXPECT_EQ(m->FindDescendantByAttribute("item", "caption", "deep"), m->Child(3)->Child(0));
    EXPECT_EQ(m->FindDescendantByAttribute("m", "caption", ""), nullptr); // never the node itself
}

TEST(XmlNode, MergeFromWithKeyAttribute)
{
    auto target = parse("<list><item Name=\"a\" v=\"1\"><x/></item><item Name=\"b\"/></list>");
    auto source = parse("<list><item name=\"A\" v=\"2\"><x/><y/></item><item Name=\"c\"/></list><new/>");
    target->MergeFrom(source.get(), "Name");

    TxmlNode *list = target->FindChild("list");
    ASSERT_EQ(list->ChildCount(), 3);
    TxmlNode *a = list->Child(0);
    EXPECT_EQ(a->Attribute("v"), u"1"); // matched nodes keep their own values
    ASSERT_EQ(a->ChildCount(), 2);
    EXPECT_EQ(a->Child(1)->Name, "y");
    EXPECT_EQ(list->Child(2)->Attribute("Name"), u"c");
    EXPECT_EQ(list->Child(2)->Parent(), list);
    EXPECT_NE(target->FindChild("new"), nullptr);

    // The source keeps only what had a match.
    TxmlNode *left = source->FindChild("list");
    ASSERT_EQ(source->ChildCount(), 1);
    ASSERT_EQ(left->ChildCount(), 1);
    EXPECT_EQ(left->Child(0)->ChildCount(), 1);
    EXPECT_EQ(left->Child(0)->Child(0)->Name, "x");

    // Without a key every attribute must agree.
    auto t2 = parse("<p a=\"1\" b=\"2\"/>");
    auto s2 = parse("<p B=\"2\" a=\"1\"><c/></p><p a=\"1\"/>");
    t2->MergeFrom(s2.get(), "");
    EXPECT_EQ(t2->ChildCount(), 2);
    EXPECT_EQ(t2->Child(0)->ChildCount(), 1);
}

TEST(XmlNode, MergeFileAndLoadFromFile)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath("more.xml");
    test::writeFile(path, "<cfg><opt id=\"1\"/></cfg>");
    auto doc = parse("<cfg><opt id=\"0\"/></cfg>");
    doc->MergeFile(path, "id");
    EXPECT_EQ(doc->FindChild("cfg")->ChildCount(), 2);
    doc->MergeFile(tmp.filePath("missing.xml"), "id");
    EXPECT_EQ(doc->ChildCount(), 1);

    TxmlNode target("keep");
    target.SetText("own");
    target.SetAttribute("x", "1");
    target.AddNamedChild("old");
    target.LoadFromFile(tmp.filePath("missing.xml"));
    EXPECT_EQ(target.ChildCount(), 1);
    target.LoadFromFile(path);
    EXPECT_EQ(target.Name, "keep");
    EXPECT_EQ(target.GetText(), "own");
    EXPECT_EQ(target.Attribute("x"), u"1");
    ASSERT_EQ(target.ChildCount(), 1);
    EXPECT_EQ(target.Child(0)->Name, "cfg");

    EXPECT_EQ(LoadXmlFile(tmp.filePath("missing.xml"))->ChildCount(), 0);
    EXPECT_THROW(LoadXmlFile(tmp.path()), EFileStreamError); // a folder cannot be read
}

TEST(XmlNode, CopyByNameMatchesOnTheNameAttribute)
{
    auto target = parse("<page Name=\"p1\" a=\"old\">old text<note raw=\"&amp;\"/></page>");
    auto source = parse("<page Name=\"P1\" a=\"new &amp; shiny\">new<note>n</note><field Name=\"g\"/></page>"
                        "<page Name=\"p2\"/>");
    target->CopyByName(source.get(), false);
    ASSERT_EQ(target->ChildCount(), 2);
    TxmlNode *p1 = target->Child(0);
    EXPECT_EQ(p1->Attribute("a"), u"new & shiny");
    EXPECT_EQ(p1->Attribute("Name"), u"P1");
    EXPECT_EQ(p1->GetText(), "new");
    ASSERT_EQ(p1->ChildCount(), 2);
    EXPECT_EQ(p1->Child(0)->GetText(), "n");
    EXPECT_EQ(p1->Child(0)->Attribute("raw"), u"&"); // its own values still read decoded
    EXPECT_EQ(p1->Child(1)->Attribute("Name"), u"g");
    EXPECT_EQ(source->Child(0)->ChildCount(), 2); // the source is left as it was

    TxmlNode root;
    root.CopyByName(source->Child(1), true);
    EXPECT_EQ(root.ChildCount(), 1);
    EXPECT_EQ(root.Child(0)->Name, "page");
}

TEST(XmlNode, OwnershipAcrossSetParentAndDeletion)
{
    auto doc = parse("<a><b><c/></b></a><d/>");
    TxmlNode *a = doc->FindChild("a");
    TxmlNode *b = a->FindChild("b");
    TxmlNode *d = doc->FindChild("d");

    EXPECT_EQ(b->SetParent(a), nullptr); // already there: nothing
    EXPECT_EQ(a->ChildCount(), 1);
    b->SetParent(d);
    EXPECT_EQ(a->ChildCount(), 0);
    EXPECT_EQ(d->Child(0), b);
    EXPECT_EQ(b->Parent(), d);
    EXPECT_THROW(d->SetParent(b->FindChild("c")), EListError); // never below itself

    std::unique_ptr<TxmlNode> kept = b->SetParent(nullptr);
    ASSERT_EQ(kept.get(), b);
    EXPECT_EQ(b->Parent(), nullptr);
    EXPECT_EQ(d->ChildCount(), 0);
    doc.reset();
    EXPECT_EQ(kept->FindChild("c")->Name, "c"); // survives its former document

    TxmlNode root;
    root.AppendChild(std::move(kept));
    root.AddNamedChild("x");
    root.InsertChild(0)->Name = "first";
    EXPECT_EQ(root.Child(0)->Name, "first");
    root.DeleteChildByName("B");
    EXPECT_EQ(root.ChildCount(), 2);
    root.RemoveChild(root.Child(1));
    root.RemoveChild(&root); // not a child: nothing
    EXPECT_EQ(root.ChildCount(), 1);
    root.Child(0)->Delete();
    EXPECT_EQ(root.ChildCount(), 0);
}

TEST(XmlNode, AttributeTableGrowthAndDuplicates)
{
    TStrAttrHash table;
    const int capacities[] = {4, 4, 4, 4, 8, 8, 8, 8, 12, 12, 12, 12, 28, 28, 28, 28, 28};
    for (int i = 0; i < int(std::size(capacities)); ++i) {
        table.Add(QByteArray("n") + QByteArray::number(i), QString::number(i));
        EXPECT_EQ(table.Capacity(), capacities[i]) << i;
    }
    table.Add("N1", "dup");
    EXPECT_EQ(table.IndexOf("n1"), 1);
    EXPECT_EQ(table.Value("N1"), u"1");
    table.SetValue("n1", "one");
    EXPECT_EQ(table.Item(1).Value, u"one");
    EXPECT_EQ(table.Item(table.Count() - 1).Value, u"dup");

    TStrAttrHash copy;
    copy.Assign(table);
    EXPECT_EQ(copy.Count(), table.Count());
    table.Clear();
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.Capacity(), 28);
    EXPECT_EQ(table.IndexOf("n1"), -1);

    for (int i = 0; i < 95; ++i)
        table.Add("x", "");
    EXPECT_EQ(table.Capacity(), 95); // 28 + 16 + 16 + 16, then a quarter above 64
    table.Add("y", "");
    EXPECT_EQ(table.Capacity(), 118);
}

TEST(XmlNode, AttributesText)
{
    auto doc = parse("<a x=\"1 &amp; 2\" y='q'/>");
    EXPECT_EQ(doc->Child(0)->AttributesText(), u"x=\"1 &amp; 2\" y=\"'q'\"");
    TxmlNode bare;
    EXPECT_EQ(bare.AttributesText(), u"");
}
