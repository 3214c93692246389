#include "xml/XmlWriter.h"
#include "util/FsName.h"
#include "xml/Cp1252.h"
#include "xml/XmlNode.h"

#include "TestSupport.h"
#include "XmlTestUtil.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kalido;

namespace {

const QByteArray kHead = "<?xml version=\"1.0\"?>\r\n<!-- created by Tessel XML package -->\r\n";

} // namespace

TEST(XmlWriter, EveryNodeShape)
{
    TxmlNode doc("Root");
    doc.AddNamedChild("projects");
    TxmlNode *window = doc.AddNamedChild("window");
    window->SetAttribute("left", "10");
    TxmlNode *project = window->AddNamedChild("project");
    project->Decode(); // from here on values are stored verbatim
    project->SetAttribute("path", "a\"b<c>&d");
    project->SetAttribute("x", "it's");
    window->AddNamedChild("Item")->SetText("first line");
    TxmlNode *comment = window->AddChild();
    comment->IsComment = true;
    comment->SetText("text");
    window->AddChild()->IsComment = true; // an empty comment writes nothing
    window->AddChild();                   // nor does a node without anything
    TxmlNode *list = doc.AddNamedChild("list");
    list->SetText("lost &amp; found"); // raw: decoded when written
    list->AddNamedChild("x");
    TxmlNode *emptyTable = doc.AddNamedChild("t");
    emptyTable->SetAttributes(std::make_unique<TStrAttrHash>());
    emptyTable->AddNamedChild("y");
    doc.AddNamedChild("multi")->SetText("one\r\ntwo");

    const QByteArray expected = kHead + "  <projects />\r\n"
                                        "  <window left=\"10\" >\r\n"
                                        "    <project path=\"a&quot;b&lt;c&gt;&amp;d\" x=\"it's\" />\r\n"
                                        "    <Item>first line</Item>\r\n"
                                        "    <!--text-->\r\n"
                                        "  </window>\r\n"
                                        "  <list>lost &amp; found\r\n"
                                        "    <x />\r\n"
                                        "  </list>\r\n"
                                        "  <t >\r\n"
                                        "    <y />\r\n"
                                        "  </t>\r\n"
                                        "  <multi>one\r\ntwo</multi>\r\n";
    EXPECT_EQ(WriteXml(doc), expected);

    TxmlNode empty;
    EXPECT_EQ(WriteXml(empty), kHead);
    EXPECT_EQ(WriteXml(empty, "UTF-8"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- created by Tessel XML package -->\r\n");
}

TEST(XmlWriter, WhatIsWrittenReadsBackAndWritesIdentically)
{
    const QByteArray file = kHead +
                            "  <settings version=\"2\" >\r\n"
                            "    <window left=\"10\" top=\"-4\" caption=\"a&quot;b&lt;c&gt;&amp;d\" />\r\n"
                            "    <projects>\r\n"
                            "      <Item>/home/u/one.kdp</Item>\r\n"
                            "      <Item>multi\r\nline</Item>\r\n"
                            "      <!--note-->\r\n"
                            "    </projects>\r\n"
                            "    <dup v=\"1\" v=\"2\" />\r\n"
                            "  </settings>\r\n";
    auto doc = LoadXmlBytes(file);
    EXPECT_EQ(doc->Child(0)->IsComment, true); // the marker comes back as a comment node...
    EXPECT_EQ(WriteXml(*doc), file);           // ...and is not written twice
    EXPECT_EQ(doc->FindChild("settings")->FindChild("window")->Attribute("caption"), u"a\"b<c>&d");
    EXPECT_EQ(doc->FindChild("settings")->FindChild("projects")->Child(1)->GetText(), "multi\r\nline");
}

TEST(XmlWriter, ValuesOutsideTheCodePageSurvive)
{
    const QString values[] = {
        QString::fromUtf16(u"C:\\\u65e5\u672c\\\u03a9.jpg"),
        QString::fromUtf16(u"\u20ac \u00e9 \u0160 \U0001F600"),
        FsDecode("/photos/bad\xff\xfe name.jpg"), // lone surrogates standing for undecodable bytes
        QStringLiteral("&#300; stays literal"),
    };
    // Decoding a new node's values must not pass them through 8 bits.
    TxmlNode fresh;
    fresh.SetAttribute("v", values[0]);
    EXPECT_EQ(fresh.Attribute("v"), values[0]);

    TxmlNode doc("Root");
    TxmlNode *e = doc.AddNamedChild("e");
    e->Decode();
    for (int i = 0; i < int(std::size(values)); ++i)
        e->SetAttribute("v" + QByteArray::number(i), values[i]);

    const QByteArray bytes = WriteXml(doc);
    EXPECT_TRUE(bytes.contains("v0=\"C:\\&#26085;&#26412;\\&#937;.jpg\"")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("\x80 \xe9 \x8a &#128512;"));
    EXPECT_TRUE(bytes.contains("&amp;#300;"));
    auto back = LoadXmlBytes(bytes);
    for (int i = 0; i < int(std::size(values)); ++i)
        EXPECT_EQ(back->FindChild("e")->Attribute("v" + QByteArray::number(i)), values[i]) << i;
    EXPECT_EQ(FsEncode(back->FindChild("e")->Attribute("v2")), "/photos/bad\xff\xfe name.jpg");
    EXPECT_EQ(WriteXml(*back), bytes);
}

TEST(XmlWriter, FilesAndStreams)
{
    QTemporaryDir tmp;
    TxmlNode doc("Root");
    doc.AddNamedChild("a")->SetAttribute("k", "v");
    const QString path = tmp.filePath("out.xml");
    test::writeFile(path, QByteArray(5000, 'x'));
    doc.SaveToFile(path);
    EXPECT_EQ(test::readFile(path), kHead + "  <a k=\"v\" />\r\n");
    EXPECT_THROW(doc.SaveToFile(tmp.filePath("no/such/folder/out.xml")), EFileStreamError);

    QByteArray bytes = "pre";
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly | QIODevice::Append));
    doc.SaveToStream(buffer, "windows-1252");
    EXPECT_TRUE(bytes.startsWith("pre<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n"));
}

TEST(XmlWriter, MillionLevelsOfNesting)
{
    // Parser, searches, Path, writer, merging and destruction all walk without recursion.
    const int depth = 1000000;
    QByteArray xml;
    xml.reserve(depth * 7 + 32);
    for (int i = 0; i < depth; ++i)
        xml += "<n>";
    xml += "<leaf k=\"v\"/>";
    auto doc = LoadXmlBytes(xml);

    TxmlNode *deepest = doc->FindDescendantByAttribute("leaf", "k", "v");
    ASSERT_NE(deepest, nullptr);
    const QByteArray path = deepest->Path();
    EXPECT_EQ(path.size(), 4 + 2 * depth + 5);
    EXPECT_TRUE(path.endsWith("n\\n\\leaf"));

    const QByteArray out = WriteXml(*doc);
    EXPECT_TRUE(out.endsWith("    </n>\r\n  </n>\r\n"));
    EXPECT_FALSE(out.contains(QByteArray(65, ' '))); // indentation stops growing at 32 levels
    EXPECT_TRUE(out.contains(QByteArray(64, ' ') + "<leaf k=\"v\" />\r\n"));

    auto other = LoadXmlBytes(xml.first(depth * 3) + "<extra/>");
    doc->MergeFrom(other.get(), "");
    EXPECT_EQ(deepest->Parent()->ChildCount(), 2);
    doc.reset();
    other.reset();
}

TEST(XmlWriter, ValueEncodingAtEveryPosition)
{
    // Each special character, a code-page character and one outside it at every position of a
    // longer value: the bulk path for plain runs must hand over to the careful one exactly.
    const QString specials[] = {
        "\"", "&", "<", ">", QString(QChar(0xE9)), QString(QChar(0x20AC)), QString(QChar(0x65E5))};
    const QString plain = QStringLiteral("abcdefghijklmnopqrstu");
    for (const QString &special : specials) {
        for (qsizetype at = 0; at <= plain.size(); ++at) {
            QString value = plain;
            value.insert(at, special);
            TxmlNode doc;
            TxmlNode *e = doc.AddNamedChild("e");
            e->Decode();
            e->SetAttribute("v", value);
            const QByteArray bytes = WriteXml(doc);
            QByteArray expected = ToAnsi(EncodeEntities(value));
            if (special[0].unicode() == 0x65E5)
                expected.replace('?', "&#26085;");
            EXPECT_TRUE(bytes.contains("<e v=\"" + expected + "\" />")) << at;
            EXPECT_EQ(LoadXmlBytes(bytes)->FindChild("e")->Attribute("v"), value) << at;
        }
    }
}
