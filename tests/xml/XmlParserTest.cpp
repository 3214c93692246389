#include "xml/XmlNode.h"

#include "TestSupport.h"
#include "XmlTestUtil.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kalido;

TEST(XmlParser, ForgivingReadings)
{
    const struct
    {
        const char *xml;
        const char *tree;
    } cases[] = {
        {"<?xml version=\"1.0\"?><a/>", "a"},
        {"<a>1 > 2</a>", "a'2'"}, // ">" splits the text, the last run wins
        {"<a>t1<b/>t2</a>", "a't2'{b}"},
        {"<a><![CDATA[x]]>rest</a>", "a'rest'"}, // skipped up to its first ">"
        {"<a><![CDATA[1>2]]></a>", "a'>'"},      // "2]]", then ">" as text
        {"<!DOCTYPE x [<!ENTITY y \"z\">]><a/>", "a"},
        {"<a></b><c/></a>", "a,c"},                   // unbalanced end tag: back to the top
        {"<a><b><c></b><d/></a><e/>", "a{b{c},d},e"}, // closes what was opened inside
        {"<A><b></a><c/>", "A{b},c"},
        {"<a><b>", "a{b}"},           // unclosed elements stay
        {"<a/><!----><b/>", "a,!--"}, // an empty comment ends the parse
        {"<a/></><b/>", "a"},         // so does an end tag without a name
        {"<!-- a -- b --><a/>", "!--a -- b,a"},
        {"<!-- x ---><a/>--><b/>", "!--x ---><a/>,b"}, // "--" not followed by ">" goes on
        {"<a v=\"x\r\ny\"/>", "a[v=x  y]"},            // one space per CR and per LF
        {"<a v='x'/>", "a[v='x']"},                    // single quotes are not quotes
        {"<a v=\"1\" V=\"2\"/>", "a[v=1 V=2]"},        // repeats are kept
        {"<a v=1 w = \"2\" x y=3/>", "a[v=1 w=2 y=3]"},
        {"<a v=1>t</a>", "a[v=1]'t'"},
        {"<a b=c/d e=\"f\"/>", "a[b=c/d e=f]"},
        {"<a v=\"&amp;&#9731;\"/>", "a[v=&\xe2\x98\x83]"},
        {"<a>&lt;b&gt;</a>", "a'<b>'"},
        {"text<a/>more", "a"}, // text at the top level is dropped
        {"<a x=\"1\"><?pi y=\"2\"?><b/></a>", "a[x=1]{b}"},
        {"", ""},
        {"<", ""},
        {"<a", "a"},
        {"<a v=\"unclosed", "a[v=unclosed]"},
        {"<!--never closed", "!--never closed"},
    };
    for (const auto &c : cases) {
        auto doc = LoadXmlBytes(c.xml);
        EXPECT_EQ(test::dumpTree(*doc), QByteArray(c.tree)) << c.xml;
        EXPECT_EQ(doc->Name, "Root");
    }
}

TEST(XmlParser, WhitespaceRunsReplaceTheTextOfElementsWithChildren)
{
    auto doc = LoadXmlBytes("<a>x<b/>\r\n</a><c>  </c><d>\t</d>");
    TxmlNode *a = doc->Child(0);
    EXPECT_FALSE(a->Decoded);   // the parser never decodes
    EXPECT_EQ(a->Text, "\r\n"); // line breaks are not blank to the scanner
    EXPECT_EQ(a->GetText(), "");
    EXPECT_EQ(doc->Child(1)->Text, ""); // spaces only: ignored
    EXPECT_EQ(doc->Child(2)->Text, "\t");
}

TEST(XmlParser, BytesAreReadAsTheCodePage)
{
    // A UTF-8 file reads byte for byte; values are converted through Windows-1252.
    auto doc = LoadXmlBytes("<\xe9l v=\"\x80\xe9\" w=\"\xc3\xa9\">\xe9</\xc9L><x/>");
    TxmlNode *e = doc->Child(0);
    EXPECT_EQ(e->Name, "\xe9l");
    EXPECT_EQ(e->Attribute("v"), u"\u20ac\u00e9");
    EXPECT_EQ(e->Attribute("w"), u"\u00c3\u00a9");
    EXPECT_EQ(e->GetText(), "\xe9");
    EXPECT_EQ(doc->ChildCount(), 2); // the end tag matched without regard to case
}

TEST(XmlParser, ReadsStreamsFromTheirPositionAndFiles)
{
    QByteArray bytes = "junk<a/>";
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    buffer.seek(4);
    EXPECT_EQ(test::dumpTree(*LoadXmlStream(buffer)), "a");

    QTemporaryDir tmp;
    const QString path = tmp.filePath("\xe6\x97\xa5.xml");
    test::writeFile(path, "<cfg x=\"1\"/>");
    EXPECT_EQ(test::dumpTree(*LoadXmlFile(path)), "cfg[x=1]");
}

TEST(XmlParser, AnyBytesGiveATree)
{
    // Every prefix of a tricky document, and a few hostile shapes: no crash, no hang.
    const QByteArray doc = "<?xml a=\"1\"?><!DOCTYPE d><r a=b c=\"d\" e = 'f'/><!-- c -- d --->"
                           "<x>1 > 2<![CDATA[<y>]]></x></z><p/ q><//>";
    for (qsizetype n = 0; n <= doc.size(); ++n)
        LoadXmlBytes(doc.first(n));
    const QByteArray hostile[] = {QByteArray(1000, '<'),         QByteArray(1000, '/'),
                                  QByteArray(1000, '>'),         QByteArray(1000, '"'),
                                  QByteArray(1000, '\0'),        QByteArray(1000, '-'),
                                  "<a " + QByteArray(1000, '='), "<!" + QByteArray(1000, '-')};
    for (const QByteArray &h : hostile)
        LoadXmlBytes(h);
}
