#include "cmdline/ConverterCommandKeys.h"

#include "TestProperties.h"
#include "TestSupport.h"
#include "cmdline/CmdParser.h"
#include "files/FileList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

using namespace kalido;
using kalido::test::TTestProperties;

namespace {

class Keys : public TConverterCommandKeys
{
public:
    explicit Keys(TCustomProperties *props, QString filter = {})
        : TConverterCommandKeys(props), filter_(std::move(filter))
    {
        AddKey(QStringLiteral("OptionFile"), QStringLiteral("OptionFile"), QString());
        AddKey(QStringLiteral("Destination"), QStringLiteral("Destination"), QString());
    }
    QString FilterExtensions() const override { return filter_; }

private:
    QString filter_;
};

// A folder tree in a temporary folder that is also the current folder while the test runs.
class Converter : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(tmp_.path()));
        root_ = QDir::currentPath() + u'/';
        for (const char *f : {"photo.jpg", "in/a.jpg", "in/sub/b.JPG", "in/c.png", "one/only.jpg", "b.jpg"})
            test::writeFile(root_ + QString::fromLatin1(f), "x");
        QDir(root_).mkpath(QStringLiteral("out"));
        QDir(root_).mkpath(QStringLiteral("empty"));
    }
    void TearDown() override { QDir::setCurrent(saved_); }

    // Full names of the files found, in list order.
    static QStringList fullNames(const TFileList &files)
    {
        QStringList r;
        for (int i = 0; i < files.Count(); ++i)
            r << files.FullName(i);
        return r;
    }

    QTemporaryDir tmp_;
    QString saved_;
    QString root_;
};

TEST_F(Converter, SourceAndDestinationFromPositionals)
{
    TTestProperties props;
    Keys keys(&props);
    keys.Parse(QStringLiteral("prog photo.jpg out.png"));
    EXPECT_EQ(fullNames(props.Files()), QStringList{"photo.jpg"});
    EXPECT_EQ(props.Destination(), root_ + QStringLiteral("out.png"));
    EXPECT_EQ(props.ConvertType, TTestProperties::ctPng);
    EXPECT_FALSE(props.NoGUI());
    EXPECT_FALSE(props.DeleteOriginals());

    TTestProperties switches;
    Keys sw(&switches);
    sw.Parse(QStringLiteral("prog photo.jpg out.png -nogui -do -KeepFolderStructure false"));
    EXPECT_TRUE(switches.NoGUI());
    EXPECT_TRUE(switches.DeleteOriginals());
    EXPECT_FALSE(switches.KeepFolderStructure());

    TTestProperties single;
    Keys one(&single);
    one.Parse(QStringLiteral("prog b.jpg"));
    EXPECT_EQ(single.Files().Count(), 1);
    EXPECT_TRUE(single.Destination().isEmpty());

    // A bare destination name goes beside the first source; a folder receives the file's name.
    TTestProperties beside;
    Keys k2(&beside);
    // Paths that hold a hyphen (the temporary folder) are quoted.
    k2.Parse(QStringLiteral("prog \"%1in/a.jpg\" out.jpg").arg(root_));
    EXPECT_EQ(beside.Destination(), root_ + QStringLiteral("in/out.jpg"));
    EXPECT_EQ(beside.ConvertType, TTestProperties::ctJpg);

    TTestProperties folder;
    Keys k3(&folder);
    k3.Parse(QStringLiteral("prog photo.jpg out/../out"));
    EXPECT_EQ(folder.Destination(), root_ + QStringLiteral("out/photo.jpg"));
}

TEST_F(Converter, MasksAndFoldersExpandIntoFiles)
{
    struct Row
    {
        QString cmdLine;
        QString filter;
        std::set<QString> files; // relative to the root
        QString destination;
    } rows[] = {
        {"prog in/*.JPG out/ -r", {}, {"in/a.jpg", "in/sub/b.JPG"}, "out/"},
        {"prog in/*.jpg out/", {}, {"in/a.jpg"}, "out/a.jpg"},
        {"prog one/*.jpg out -r", {}, {"one/only.jpg"}, "out/only.jpg"},
        // A destination without folder goes beside the first source.
        {"prog in out", {}, {"in/a.jpg", "in/c.png"}, "in/out"},
        {"prog in out -r", {}, {"in/a.jpg", "in/c.png", "in/sub/b.JPG"}, "in/out"},
        {"prog in/ out", "png;gif", {"in/c.png"}, "out/c.png"},
        {"prog \"in/a.jpg; in/*.png\" out", {}, {"in/a.jpg", "in/c.png"}, "in/out"},
        {"prog in/A.JPG out", {}, {"in/a.jpg"}, "out/a.jpg"},
        {"prog photo.jpg out.png -r b.jpg", {}, {"photo.jpg", "b.jpg"}, "out.png"},
    };
    for (const Row &r : rows) {
        TTestProperties props;
        Keys keys(&props, r.filter);
        try {
            keys.Parse(r.cmdLine);
        } catch (const Exception &e) {
            EXPECT_TRUE(r.files.empty()) << r.cmdLine.toStdString() << ": " << e.what();
            continue;
        }
        std::set<QString> found;
        for (const QString &f : fullNames(props.Files()))
            found.insert(QDir(root_).relativeFilePath(QDir(root_).absoluteFilePath(f)));
        EXPECT_EQ(found, r.files) << r.cmdLine.toStdString();
        EXPECT_EQ(props.Destination(), root_ + r.destination) << r.cmdLine.toStdString();
    }
}

TEST_F(Converter, FailuresNameTheItem)
{
    struct Row
    {
        QString cmdLine;
        QString filter;
        QString message;
    } rows[] = {
        {"prog in/*.gif out", {}, "No files found in the folder\rin/*.gif\rmatching mask\r*.gif"},
        {"prog empty out", {}, "No files found in the folder\rempty"},
        {"prog in out", "tif", "No files found in the folder\rin"},
        {"prog nothing.jpg out", {}, "No files found matching mask\rnothing.jpg"},
        {"prog photo.jpg out.png -r missing.jpg", {}, "Unknown param \"missing.jpg\""},
        {"prog photo.jpg out.bmp", {}, "Invalid convert method: bmp"},
        {"prog photo.jpg out.png -wizard x", {}, "Invalid command key name wizard"},
    };
    for (const Row &r : rows) {
        TTestProperties props;
        Keys keys(&props, r.filter);
        QString message;
        try {
            keys.Parse(r.cmdLine);
        } catch (const Exception &e) {
            message = e.message();
        }
        EXPECT_EQ(message, r.message) << r.cmdLine.toStdString();
    }
    TTestProperties props;
    Keys keys(&props);
    EXPECT_THROW(keys.Parse(QStringLiteral("prog in/*.gif out")), EFileNotFound);
    EXPECT_THROW(keys.Parse(QStringLiteral("prog photo.jpg out.png -r missing.jpg")), EInvalidParam);
}

TEST_F(Converter, ListFileUrlsOptionFileAndNoDestination)
{
    // UTF-16 list file with a byte-order mark; its lines are taken as they are.
    const QString list = root_ + QStringLiteral("files.txt");
    QByteArray bytes("\xFF\xFE");
    const QString lines = QStringLiteral("/data/a.jpg\r\n/data/sub/b.jpg\r\n");
    bytes.append(reinterpret_cast<const char *>(lines.utf16()), lines.size() * 2);
    test::writeFile(list, bytes);
    TTestProperties props;
    Keys keys(&props);
    keys.Parse(QStringLiteral("prog -list files.txt out"));
    EXPECT_EQ(props.Files().BasePath(), QStringLiteral("/data/"));
    EXPECT_EQ(fullNames(props.Files()), (QStringList{"/data/a.jpg", "/data/sub/b.jpg"}));
    EXPECT_EQ(props.Destination(), root_ + QStringLiteral("out"));
    EXPECT_THROW(keys.Parse(QStringLiteral("prog -list nofile.txt")), Exception);

    TTestProperties web;
    Keys k2(&web);
    k2.Parse(QStringLiteral("prog https://example.org/a*.jpg out"));
    EXPECT_EQ(fullNames(web.Files()), QStringList{"https://example.org/a*.jpg"});

    test::writeFile(root_ + QStringLiteral("opts.txt"), "Destination=/elsewhere/x.png\n");
    TTestProperties odd;
    Keys k3(&odd);
    try {
        k3.Parse(QStringLiteral("prog photo.jpg out.png -OptionFile opts.txt"));
        ADD_FAILURE() << "no exception";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Odd destination out.png"));
    }

    TTestProperties sourcesOnly;
    Keys k4(&sourcesOnly);
    k4.NoDestination = true;
    k4.Parse(QStringLiteral("prog photo.jpg in/*.png"));
    EXPECT_EQ(fullNames(sourcesOnly.Files()), (QStringList{"photo.jpg", "in/c.png"}));
    EXPECT_TRUE(sourcesOnly.Destination().isEmpty());
    EXPECT_EQ(sourcesOnly.ConvertType, TTestProperties::ctNone);
}

TEST_F(Converter, LinkLoopsAreScannedOnce)
{
    ASSERT_TRUE(QFile::link(root_ + QStringLiteral("in"), root_ + QStringLiteral("in/sub/back")));
    ASSERT_TRUE(QFile::link(root_ + QStringLiteral("gone"), root_ + QStringLiteral("in/dangling.jpg")));
    TTestProperties props;
    Keys keys(&props);
    keys.Parse(QStringLiteral("prog in/*.jpg out -r"));
    QStringList names = fullNames(props.Files());
    names.sort();
    EXPECT_EQ(names, (QStringList{"in/a.jpg", "in/sub/b.JPG"}));
}

} // namespace
