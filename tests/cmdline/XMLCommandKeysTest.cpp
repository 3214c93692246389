#include "cmdline/XMLCommandKeys.h"

#include "TestProperties.h"
#include "TestSupport.h"
#include "cmdline/CmdParser.h"
#include "files/FileList.h"
#include "shell/ProjectData.h"
#include "xml/XmlNode.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kalido;
using kalido::test::TTestProperties;

namespace {

const char *const definition = R"(<?xml version="1.0"?>
<wizard caption="x"/>
<cmd>
  <!-- the job's keys -->
  <key options="ignore" name="-kfs"/>
  <key property="Quality" name="q &lt;quality&gt;" desc="Quality &quot;0-100&quot; &amp; more">
    <comment value="First line\nsecond line"/>
  </key>
  <key property="Format" name="f &lt;format&gt;" desc="Format">
    <subkey name="(b)mp" value="fmtBmp" desc="Bitmap &lt;bmp&gt;"/>
    <subkey name="(j)peg" value="fmtJpeg"/>
    <subkey name="(g)if" value="fmtGif"/>
  </key>
  <key property="Note" name="note" desc="Free text"/>
  <key options="IGNORE" name="nosuchkey"/>
</cmd>
<converters>
  <convert value="png" name="PNG">
    <convert value="jpg" name="JPEG"/>
    <convert value="" name="nothing">
      <convert value="jpeg" name="JPEG again"/>
    </convert>
  </convert>
</converters>
<filter><item ext="jpg"/><item ext="png"/></filter>
)";

class XmlKeys : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PropertiesClass() = TPropertiesClass::Of<TTestProperties>();
        doc_ = LoadXmlBytes(definition);
    }
    void TearDown() override
    {
        PropertiesClass() = TPropertiesClass();
        SetCommandKeysErrorHandler({});
    }

    std::unique_ptr<TXMLCommandKeys> build()
    {
        return std::make_unique<TXMLCommandKeys>(doc_->FindChild("cmd"), doc_->FindChild("converters"),
                                                 doc_->FindChild("filter"));
    }
    static TTestProperties &props(TXMLCommandKeys &keys)
    {
        return *static_cast<TTestProperties *>(keys.CustomProperties());
    }

    std::unique_ptr<TxmlNode> doc_;
};

TEST_F(XmlKeys, TableFollowsTheDefinition)
{
    auto keys = build();
    QStringList names;
    for (const auto &r : keys->KeyTable)
        names << r->Name;
    EXPECT_EQ(names, (QStringList{"log", "List", "-r", "DeleteOriginals", "ConvertTypeCmd", "Quality",
                                  "Format", "Note"}));
    EXPECT_TRUE(props(*keys).CommandLine());
    EXPECT_FALSE(keys->NoDestination);

    const TCommandRecord *quality = keys->FindKey(QStringLiteral("Quality"));
    ASSERT_TRUE(quality);
    EXPECT_EQ(quality->Syntax, QStringLiteral("q <quality>"));
    EXPECT_EQ(quality->Description, QStringLiteral("Quality &quot;0-100&quot; &amp; more"));
    EXPECT_EQ(quality->Comment, QStringLiteral("First line<br>second line"));
    EXPECT_FALSE(quality->Format);

    // Nested converters add their values; an empty value adds nothing but its children still count.
    const TCommandRecord *convert = keys->FindKey(QStringLiteral("c"));
    ASSERT_TRUE(convert && convert->Format);
    QStringList values;
    for (const TPropertyRecord &r : convert->Format->Records)
        values << r.Value.toString() + u'/' + r.Description;
    EXPECT_EQ(values,
              (QStringList{"png/convert to PNG", "jpg/convert to JPEG", "jpeg/convert to JPEG again"}));

    // Subkeys of an enumeration hold ordinals; a value naming no element is dropped.
    const TCommandRecord *format = keys->FindKey(QStringLiteral("Format"));
    ASSERT_TRUE(format && format->Format);
    ASSERT_EQ(format->Format->Records.size(), 2u);
    EXPECT_EQ(format->Format->Records[0].Name, QStringLiteral("b"));
    EXPECT_EQ(format->Format->Records[0].Alias, QStringLiteral("bmp"));
    EXPECT_EQ(format->Format->Records[0].Value, QVariant(3));
    EXPECT_EQ(format->Format->Records[0].Description, QStringLiteral("Bitmap &lt;bmp&gt;"));

    EXPECT_EQ(keys->FilterExtensions(), QStringLiteral("jpg;png"));
    EXPECT_EQ(keys->FilterMask(), QStringLiteral("*.jpg;*.png"));
}

TEST_F(XmlKeys, KeysFromTheDefinitionSetTheSettings)
{
    struct Row
    {
        const char16_t *cmdLine;
        TTestProperties::TFormat format;
    } rows[] = {
        {u"prog -f b", TTestProperties::fmtBmp},          {u"prog -f BMP", TTestProperties::fmtBmp},
        {u"prog -f j", TTestProperties::fmtJpeg},         {u"prog -f jpeg", TTestProperties::fmtJpeg},
        {u"prog -Format jpeg", TTestProperties::fmtJpeg},
    };
    for (const Row &r : rows) {
        auto keys = build();
        keys->Parse(QString::fromUtf16(r.cmdLine));
        EXPECT_EQ(props(*keys).Format, r.format) << QString::fromUtf16(r.cmdLine).toStdString();
    }

    auto keys = build();
    keys->Parse(QStringLiteral("prog -q 80 -note hello"));
    EXPECT_EQ(props(*keys).Quality, 80);
    EXPECT_EQ(props(*keys).Note, QStringLiteral("hello"));

    auto bad = build();
    EXPECT_THROW(bad->Parse(QStringLiteral("prog -f gif")), EInvalidCommandKeyValue);
    auto ignored = build();
    EXPECT_THROW(ignored->Parse(QStringLiteral("prog -kfs")), EInvalidParam);
    EXPECT_THROW(ignored->Parse(QStringLiteral("prog -KeepFolderStructure false")), EInvalidParam);

    // A given convert type wins over the destination's extension.
    QTemporaryDir dir;
    test::writeFile(dir.filePath("a.jpg"), "x");
    auto typed = build();
    typed->Parse(QStringLiteral("prog \"") + dir.filePath("a.jpg") + QStringLiteral("\" out.jpeg -c png"));
    EXPECT_TRUE(typed->ConvertTypeGiven);
    EXPECT_EQ(props(*typed).ConvertType, TTestProperties::ctPng);
}

TEST_F(XmlKeys, FilterAndNoDestinationShapeTheJob)
{
    QTemporaryDir dir;
    for (const char *f : {"in/a.jpg", "in/b.png", "in/c.txt"})
        test::writeFile(dir.filePath(QString::fromLatin1(f)), "x");
    auto keys = build();
    keys->Parse(QStringLiteral("prog \"%1\" \"%2\"").arg(dir.filePath("in"), dir.filePath("out.png")));
    QStringList names;
    for (int i = 0; i < props(*keys).Files().Count(); ++i)
        names << props(*keys).Files().Strings(i);
    names.sort();
    EXPECT_EQ(names, (QStringList{"a.jpg", "b.png"}));

    auto doc = LoadXmlBytes(R"(<cmd options="No_Destination"/>)");
    TXMLCommandKeys sourcesOnly(doc->FindChild("cmd"), nullptr, nullptr);
    EXPECT_TRUE(sourcesOnly.NoDestination);
    EXPECT_FALSE(sourcesOnly.FindKey(QStringLiteral("ConvertTypeCmd")));
    sourcesOnly.Parse(
        QStringLiteral("prog \"%1\" \"%2\"").arg(dir.filePath("in/a.jpg"), dir.filePath("in/b.png")));
    EXPECT_EQ(sourcesOnly.CustomProperties()->Files().Count(), 2);
    EXPECT_TRUE(sourcesOnly.CustomProperties()->Destination().isEmpty());
}

TEST_F(XmlKeys, EnvironmentBuildsAndFreesTheTable)
{
    QTemporaryDir dir;
    TProjectDataSources sources;
    sources.definitionFile = dir.filePath("XML/Conv.xml");
    sources.resourceFolder = dir.filePath("noresources/");
    sources.userDir = dir.filePath("config/");
    test::writeFile(sources.definitionFile, definition);

    QStringList errors;
    SetCommandKeysErrorHandler([&](const QString &m) { errors << m; });
    {
        TProjectData data(sources);
        CreateCommandKeys(data);
        ASSERT_TRUE(CommandKeys());
        TXMLCommandKeys *first = CommandKeys();
        CreateCommandKeys(data);
        EXPECT_EQ(CommandKeys(), first);
    }
    EXPECT_FALSE(CommandKeys());

    // No settings class: the failure is reported and no table exists.
    PropertiesClass() = TPropertiesClass();
    {
        TProjectData data(sources);
        CreateCommandKeys(data);
        EXPECT_FALSE(CommandKeys());
    }
    EXPECT_EQ(errors, QStringList{"PropertiesClass not defined"});

    // Without a "cmd" element nothing is built and nothing is reported.
    PropertiesClass() = TPropertiesClass::Of<TTestProperties>();
    test::writeFile(sources.definitionFile, "<wizard/>");
    TProjectData data(sources);
    CreateCommandKeys(data);
    EXPECT_FALSE(CommandKeys());
    EXPECT_EQ(errors.size(), 1);
    FreeCommandKeys();
}

} // namespace
