#include "project/CustomProperties.h"

#include "FakeIni.h"
#include "TestSupport.h"
#include "files/FileList.h"
#include "project/PropertyAccess.h"
#include "util/Paths.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kalido;
using kalido::test::FakeIni;

namespace {

// A converter's settings: a ConvertType to select by suffix, a property whose name is the tail
// of an excluded key, a set and an 8-bit string for their empty stored forms.
class TConvProperties : public TCustomProperties
{
    Q_OBJECT
    Q_PROPERTY(TConvertType ConvertType READ ConvertType WRITE SetConvertTypeValue)
    Q_PROPERTY(int Type READ Type WRITE SetType)
    Q_PROPERTY(TChannels Channels READ Channels WRITE SetChannels)
    Q_PROPERTY(QByteArray Codec READ Codec WRITE SetCodec)

public:
    enum TConvertType { ctBmp, ctToPng, ctToJpg, ctPngToPng, ctGifToGif };
    Q_ENUM(TConvertType)
    enum TChannel { chRed = 1, chGreen = 2, chBlue = 4 };
    Q_DECLARE_FLAGS(TChannels, TChannel)
    Q_FLAG(TChannels)

    TConvertType ConvertType() const { return convertType_; }
    void SetConvertTypeValue(TConvertType v) { convertType_ = v; }
    int Type() const { return type_; }
    void SetType(int v) { type_ = v; }
    TChannels Channels() const { return channels_; }
    void SetChannels(TChannels v) { channels_ = v; }
    QByteArray Codec() const { return codec_; }
    void SetCodec(const QByteArray &v) { codec_ = v; }

private:
    TConvertType convertType_ = ctBmp;
    int type_ = 0;
    TChannels channels_;
    QByteArray codec_;
};

QStringList names(const FakeIni &ini)
{
    QStringList out;
    for (const auto &v : ini.values)
        out.append(v.first);
    return out;
}

class CustomProperties : public ::testing::Test
{
protected:
    void TearDown() override { DoneCustomProperties(); }
};

} // namespace

TEST_F(CustomProperties, NewObjectHoldsDefaultsAndFileCountFollowsFiles)
{
    TCustomProperties p;
    EXPECT_FALSE(p.CommandLine());
    EXPECT_TRUE(p.KeepFolderStructure());
    EXPECT_EQ(p.CheckFileMode(), TCustomProperties::cfmAsk);
    EXPECT_FALSE(p.DeleteOriginals());
    EXPECT_FALSE(p.NoGUI());
    EXPECT_EQ(p.Destination(), QString());
    EXPECT_EQ(p.JournalFileName(), QString());
    EXPECT_EQ(p.TargetExt(), QString());
    EXPECT_TRUE(p.CanStart());

    EXPECT_EQ(GetPropText(p, "FileCount"), QStringLiteral("0"));
    p.Files().Add(QStringLiteral("/a/1.png"));
    p.Files().Add(QStringLiteral("/a/2.png"));
    EXPECT_EQ(GetPropText(p, "FileCount"), QStringLiteral("2"));
    EXPECT_THROW(SetPropText(p, "FileCount", QStringLiteral("5")), EPropertyError);

    EXPECT_TRUE(TCustomProperties::CreateForCommandLine<TConvProperties>()->CommandLine());
}

TEST_F(CustomProperties, PropertiesClassMakesTheRegisteredClass)
{
    try {
        PropertiesClass().Create();
        ADD_FAILURE() << "no error";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), QStringLiteral("PropertiesClass not defined"));
    }
    PropertiesClass() = TPropertiesClass::Of<TConvProperties>();
    const auto plain = PropertiesClass().Create();
    EXPECT_NE(qobject_cast<TConvProperties *>(plain.get()), nullptr);
    EXPECT_FALSE(plain->CommandLine());
    EXPECT_TRUE(PropertiesClass().CreateForCommandLine()->CommandLine());
}

TEST_F(CustomProperties, DestinationRecordsItsFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString out = dir.path() + QStringLiteral("/Out");
    ASSERT_TRUE(QDir().mkpath(out));

    struct Case
    {
        QString destination;
        QString folder;
    };
    const Case cases[] = {
        {out, out + u'/'},
        {out + u'/', out + u'/'},
        {out + QStringLiteral("/a.png"), out + u'/'},
        {QStringLiteral("/no/such/dir/b.png"), QStringLiteral("/no/such/dir/")},
        {QStringLiteral("b.png"), QString()},
        {QStringLiteral("C:b.png"), QStringLiteral("C:")},
    };
    TCustomProperties p;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.destination.toStdString());
        SetLastDestinationFolder(QStringLiteral("/previous/"));
        SetPropText(p, "Destination", c.destination);
        EXPECT_EQ(p.Destination(), c.destination);
        EXPECT_EQ(LastDestinationFolder(), c.folder);
    }
    // One process-wide folder for every object.
    TCustomProperties other;
    other.SetDestination(out);
    EXPECT_EQ(LastDestinationFolder(), out + u'/');
}

TEST_F(CustomProperties, SuggestDestinationPrefersLastFolderThenFilesThenDocuments)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString base = dir.path() + u'/';
    ASSERT_TRUE(QDir().mkpath(base + QStringLiteral("sub")));

    TCustomProperties p;
    p.SetTargetExt(QStringLiteral("png"));
    p.Files().Add(base + QStringLiteral("sub/photo.jpg"));
    p.Files().MakeRelative();
    p.SuggestDestination();
    EXPECT_EQ(p.Destination(), base + QStringLiteral("sub/photo.png"));

    // The folder just suggested is now the last destination folder.
    TCustomProperties q;
    q.Files().Add(QStringLiteral("/x/a.jpg"));
    q.Files().Add(QStringLiteral("/x/b.jpg"));
    q.SuggestDestination();
    EXPECT_EQ(q.Destination(), base + QStringLiteral("sub/"));

    // No last folder, a full path never made relative: its name goes into the default folder.
    SetLastDestinationFolder(QString());
    TCustomProperties r;
    r.Files().Add(QStringLiteral("/nowhere/clip.tiff"));
    r.SuggestDestination();
    EXPECT_EQ(r.Destination(), IncludeSlash(r.GetDefaultFolder()) + QStringLiteral("clip"));
}

TEST_F(CustomProperties, SaveToWritesTheStoredPropertiesInOrder)
{
    FakeIni ini;
    TCustomProperties p;
    p.SaveTo(ini);
    const QList<QPair<QString, QString>> expected = {
        {"KeepFolderStructure", "True"},
        {"CheckFileMode", "cfmAsk"},
        {"DeleteOriginals", "False"},
        {"JournalFileName", ""},
    };
    EXPECT_EQ(ini.values, expected);
}

TEST_F(CustomProperties, SaveToMarksEmptySetsAndEightBitStringsAndExcludesByPlainSubstring)
{
    FakeIni ini;
    TConvProperties p;
    p.SaveTo(ini);
    // "Type" is excluded because "type;" ends the excluded key "converttype;".
    EXPECT_EQ(names(ini), (QStringList{"KeepFolderStructure", "CheckFileMode", "DeleteOriginals",
                                       "JournalFileName", "Channels", "Codec"}));
    EXPECT_EQ(ini.ReadString("Channels", "?"), QStringLiteral("<empty>"));
    EXPECT_EQ(ini.ReadString("Codec", "?"), QStringLiteral("<#0>"));

    p.SetChannels(TConvProperties::TChannels(TConvProperties::chRed) | TConvProperties::chBlue);
    p.SetCodec("h264");
    p.SaveTo(ini);
    EXPECT_EQ(ini.ReadString("Channels", "?"), QStringLiteral("chRed,chBlue"));
    EXPECT_EQ(ini.ReadString("Codec", "?"), QStringLiteral("h264"));

    ini.WriteString("Channels", "<EMPTY>");
    ini.WriteString("Codec", "<#0>");
    p.LoadFrom(ini);
    EXPECT_EQ(p.Channels(), TConvProperties::TChannels());
    EXPECT_EQ(p.Codec(), QByteArray());
}

TEST_F(CustomProperties, LoadFromTakesValuesAndLeavesEmptyOrMissingOnesAlone)
{
    TCustomProperties p;
    p.SetJournalFileName(QStringLiteral("keep.log"));
    FakeIni ini;
    ini.WriteString("KeepFolderStructure", "false");
    ini.WriteString("CheckFileMode", "CFMSKIP");
    ini.WriteString("JournalFileName", "");
    ini.WriteString("FileCount", "5");
    ini.WriteString("Destination", "/never/read");
    p.LoadFrom(ini);
    EXPECT_FALSE(p.KeepFolderStructure());
    EXPECT_EQ(p.CheckFileMode(), TCustomProperties::cfmSkip);
    EXPECT_FALSE(p.DeleteOriginals());
    EXPECT_EQ(p.JournalFileName(), QStringLiteral("keep.log"));
    EXPECT_EQ(p.Destination(), QString());

    FakeIni empty;
    p.LoadFrom(empty);
    EXPECT_EQ(p.CheckFileMode(), TCustomProperties::cfmSkip);
}

TEST_F(CustomProperties, LoadFromStopsAtTheFirstBadValue)
{
    TCustomProperties p;
    FakeIni ini;
    ini.WriteString("KeepFolderStructure", "False");
    ini.WriteString("CheckFileMode", "cfmNever");
    ini.WriteString("DeleteOriginals", "True");
    ini.WriteString("JournalFileName", "j.log");
    try {
        p.LoadFrom(ini);
        ADD_FAILURE() << "no error";
    } catch (const EPropertyError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Invalid property element: cfmNever"));
    }
    EXPECT_FALSE(p.KeepFolderStructure());
    EXPECT_EQ(p.CheckFileMode(), TCustomProperties::cfmAsk);
    EXPECT_FALSE(p.DeleteOriginals());
    EXPECT_EQ(p.JournalFileName(), QString());
}

TEST_F(CustomProperties, SetConvertTypeSelectsByNameSuffix)
{
    TCustomProperties plain;
    for (const char *name : {"png", "", "whatever"})
        EXPECT_NO_THROW(plain.SetConvertType(name)) << name;
    EXPECT_NO_THROW(SetPropText(plain, "ConvertTypeCmd", QStringLiteral("png")));

    struct Case
    {
        const char *name;
        TConvProperties::TConvertType selected;
    };
    const Case cases[] = {
        {"PNG", TConvProperties::ctToPng},    {"png", TConvProperties::ctToPng},
        {"P_N_G", TConvProperties::ctToPng},  {"_jpg", TConvProperties::ctToJpg},
        {"ctBmp", TConvProperties::ctBmp},    {"pngtopng", TConvProperties::ctPngToPng},
        {"gif", TConvProperties::ctGifToGif}, // the suffix also occurs earlier in the name
    };
    TConvProperties p;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        p.SetConvertTypeValue(TConvProperties::ctBmp);
        SetPropText(p, "ConvertTypeCmd", QString::fromLatin1(c.name));
        EXPECT_EQ(p.ConvertType(), c.selected);
    }
    EXPECT_EQ(GetPropText(p, "ConvertTypeCmd"), QString());

    for (const char *bad : {"pn", "", "webp"}) {
        SCOPED_TRACE(bad);
        p.SetConvertTypeValue(TConvProperties::ctToJpg);
        try {
            p.SetConvertType(bad);
            ADD_FAILURE() << "no error";
        } catch (const Exception &e) {
            EXPECT_EQ(e.message(), QStringLiteral("Invalid convert method: ") + QString::fromLatin1(bad));
        }
        EXPECT_EQ(p.ConvertType(), TConvProperties::ctToJpg);
    }
}

#include "CustomPropertiesTest.moc"
