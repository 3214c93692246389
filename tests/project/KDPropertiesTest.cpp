#include "project/KDProperties.h"

#include "FakeIni.h"
#include "TestSupport.h"
#include "files/FileList.h"
#include "files/StringHash.h"
#include "project/CommonFolders.h"
#include "project/PropertyAccess.h"
#include "shell/ProjectData.h"
#include "store/ProjectList.h"
#include "store/XmlIni.h"
#include "util/FsName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kalido;
using kalido::test::FakeIni;
using kalido::test::writeFile;

namespace {

// Sets an environment variable for one test and puts the old value back.
class EnvScope
{
public:
    EnvScope(const char *name, const QByteArray &value) : name_(name), had_(qEnvironmentVariableIsSet(name))
    {
        old_ = qgetenv(name);
        qputenv(name, value);
    }
    ~EnvScope()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char *name_;
    bool had_;
    QByteArray old_;
};

void makeLink(const QString &target, const QString &link)
{
    QDir().mkpath(QFileInfo(link).path());
    ASSERT_EQ(::symlink(FsEncode(target).constData(), FsEncode(link).constData()), 0) << link.toStdString();
}

QString canonical(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

QStringList entries(const TFileList &list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out.append(list.Strings(i));
    return out;
}

QSet<QString> fullNames(const TFileList &list)
{
    QSet<QString> out;
    for (int i = 0; i < list.Count(); ++i)
        out.insert(list.FullName(i));
    return out;
}

bool exists(const QString &path)
{
    struct stat st
    {
    };
    return ::stat(FsEncode(path).constData(), &st) == 0;
}

class KDProperties : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        root = canonical(tmp.path()) + u'/';
    }
    void TearDown() override { DoneCustomProperties(); }

    QString file(const QString &rel)
    {
        writeFile(root + rel, "x");
        return root + rel;
    }

    QTemporaryDir tmp;
    QString root;
    TKDProperties props;
};

} // namespace

TEST_F(KDProperties, NewObjectHoldsDefaultsFromTheUserFolders)
{
    EnvScope home("HOME", FsEncode(root + QStringLiteral("ann")));

    TKDProperties p;
    EXPECT_EQ(p.PhotoSource(), GetCommonFolder(2));
    EXPECT_EQ(p.MusicSource(), GetCommonFolder(4));
    EXPECT_EQ(p.PhotoSource(), root + QStringLiteral("ann/Pictures"));
    EXPECT_EQ(p.MusicSource(), root + QStringLiteral("ann/Music"));
    EXPECT_TRUE(p.PhotoSubFolders());
    EXPECT_FALSE(p.MusicSubFolders());
    EXPECT_EQ(p.MusicSourceMode(), TKDProperties::msmFolder);
    EXPECT_EQ(p.Timeout(), 3);
    EXPECT_EQ(p.PhotoFiles().Count(), 0);
    EXPECT_EQ(p.MusicFiles().Count(), 0);
    EXPECT_TRUE(p.CanStart());

    // Unknown numbers still give a folder.
    EXPECT_EQ(GetCommonFolder(99), root + QStringLiteral("ann"));

    RegisterKDProperties();
    EXPECT_NE(qobject_cast<TKDProperties *>(PropertiesClass().Create().get()), nullptr);
}

TEST_F(KDProperties, ExtensionSetsAreMadeOnFirstUse)
{
    TWideStringHash &photos = props.PhotoExtensions();
    EXPECT_EQ(&photos, &props.PhotoExtensions());
    EXPECT_EQ(photos.Count(), 4);
    for (const char *ext : {".jpg", ".JPEG", ".tif", ".tiff"})
        EXPECT_TRUE(photos.Contains(QString::fromLatin1(ext))) << ext;
    EXPECT_FALSE(photos.Contains(u".png"));

    EXPECT_EQ(props.MusicExtensions().Count(), 4);
    for (const char *ext : {".wma", ".MP3", ".ogg", ".cda"})
        EXPECT_TRUE(props.MusicExtensions().Contains(QString::fromLatin1(ext))) << ext;
    EXPECT_FALSE(props.MusicExtensions().Contains(u"mp3"));
}

TEST_F(KDProperties, SaveToWritesElevenValuesAndLoadFromSkipsProjectCount)
{
    FakeIni ini;
    props.SetPhotoSource(QStringLiteral("/p"));
    props.SetMusicSource(QStringLiteral("/m"));
    props.SaveTo(ini);
    const QList<QPair<QString, QString>> expected = {
        {"KeepFolderStructure", "True"},
        {"CheckFileMode", "cfmAsk"},
        {"DeleteOriginals", "False"},
        {"JournalFileName", ""},
        {"ProjectCount", "0"},
        {"PhotoSource", "/p"},
        {"PhotoSubFolders", "True"},
        {"MusicSource", "/m"},
        {"MusicSubFolders", "False"},
        {"MusicSourceMode", "msmFolder"},
        {"Timeout", "3"},
    };
    EXPECT_EQ(ini.values, expected);

    FakeIni project;
    project.WriteString("ProjectCount", "7");
    project.WriteString("PhotoSource", "/photos");
    project.WriteString("MusicSourceMode", "MSMWMP");
    project.WriteString("Timeout", "10");
    project.WriteString("MusicSubFolders", "TRUE");
    TKDProperties loaded;
    loaded.LoadFrom(project);
    EXPECT_EQ(loaded.ProjectCount(), 0);
    EXPECT_EQ(loaded.PhotoSource(), QStringLiteral("/photos"));
    EXPECT_EQ(loaded.MusicSourceMode(), TKDProperties::msmWMP);
    EXPECT_EQ(loaded.Timeout(), 10);
    EXPECT_TRUE(loaded.MusicSubFolders());

    FakeIni bad;
    bad.WriteString("Timeout", "3.7");
    EXPECT_THROW(loaded.LoadFrom(bad), EPropertyError);
    EXPECT_EQ(loaded.Timeout(), 10);
}

TEST_F(KDProperties, DroppedFilesOfOneFolderShareItAsBasePath)
{
    const QString pics = root + QStringLiteral("Pics/");
    props.AddDroppedItems(props.PhotoFiles(), props.PhotoExtensions(), {},
                          {file("Pics/a.jpg"), file("Pics/b.TIF"), file("Pics/c.png")});
    EXPECT_EQ(props.PhotoFiles().BasePath(), pics);
    EXPECT_EQ(entries(props.PhotoFiles()), (QStringList{"a.jpg", "b.TIF"}));
}

TEST_F(KDProperties, DroppedItemsThatAreNoWantedFilesArePassedOver)
{
    const QString fifo = root + QStringLiteral("pipe.jpg");
    ASSERT_EQ(::mkfifo(FsEncode(fifo).constData(), 0600), 0);
    makeLink(root + QStringLiteral("gone.jpg"), root + QStringLiteral("dangling.jpg"));
    const QString odd = root + FsDecode("caf\xe9.jpg"); // not valid UTF-8
    const int fd = FsOpen(odd, O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);

    props.AddDroppedItems(props.PhotoFiles(), props.PhotoExtensions(), {},
                          {QString(), root + QStringLiteral("missing.jpg"), fifo,
                           root + QStringLiteral("dangling.jpg"), file("notes.txt"), file("photo"), odd});
    ASSERT_EQ(props.PhotoFiles().Count(), 1);
    EXPECT_EQ(props.PhotoFiles().FullName(0), odd);
    EXPECT_TRUE(exists(props.PhotoFiles().FullName(0)));
    ::unlink(FsEncode(odd).constData()); // QTemporaryDir cannot remove it
}

TEST_F(KDProperties, FolderWithALinkBackToItselfIsScannedOnce)
{
    file("Album/x.jpg");
    file("Album/sub/y.jpeg");
    file("Album/sub/deeper/z.tiff");
    file("Album/sub/skip.mp3");
    makeLink(root + QStringLiteral("Album"), root + QStringLiteral("Album/sub/back"));

    QStringList scanned;
    props.AddDroppedItems(props.PhotoFiles(), props.PhotoExtensions(),
                          [&scanned](const QString &folder, bool &) { scanned.append(folder); },
                          {root + QStringLiteral("Album")});
    EXPECT_EQ(scanned.size(), 3) << scanned.join(u' ').toStdString();
    EXPECT_EQ(QSet<QString>(scanned.begin(), scanned.end()).size(), 3);
    EXPECT_EQ(props.PhotoFiles().BasePath(), root + QStringLiteral("Album/"));
    EXPECT_EQ(fullNames(props.PhotoFiles()), (QSet<QString>{root + "Album/x.jpg", root + "Album/sub/y.jpeg",
                                                            root + "Album/sub/deeper/z.tiff"}));
}

TEST_F(KDProperties, AbortStopsTheRestOfThatFolderOnly)
{
    file("A/a.jpg");
    file("A/skip/b.jpg");
    props.AddDroppedItems(
        props.PhotoFiles(), props.PhotoExtensions(),
        [](const QString &folder, bool &abort) { abort = folder.endsWith(QStringLiteral("/skip/")); },
        {root + QStringLiteral("A")});
    EXPECT_EQ(fullNames(props.PhotoFiles()), (QSet<QString>{root + "A/a.jpg"}));
}

TEST_F(KDProperties, SameFolderTwiceInOneDropAddsItsFilesOnce)
{
    file("Trip/one.jpg");
    file("Trip/two.jpg");
    makeLink(root + QStringLiteral("Trip"), root + QStringLiteral("TripLink"));
    props.AddDroppedItems(props.PhotoFiles(), props.PhotoExtensions(), {},
                          {root + QStringLiteral("TripLink"), root + QStringLiteral("Trip/")});
    EXPECT_EQ(props.PhotoFiles().Count(), 2);
    EXPECT_EQ(fullNames(props.PhotoFiles()), (QSet<QString>{root + "Trip/one.jpg", root + "Trip/two.jpg"}));
}

TEST_F(KDProperties, LinksAreTakenByTheirTargets)
{
    const QString photo = file("Real/photo.jpg");
    file("Real/song.mp3");
    makeLink(photo, root + QStringLiteral("Desk/photo link"));
    makeLink(root + QStringLiteral("Real/song.mp3"), root + QStringLiteral("Desk/song.lnk"));
    makeLink(root + QStringLiteral("Real/song.mp3"), root + QStringLiteral("Drop/inside.jpg"));
    makeLink(root + QStringLiteral("nowhere"), root + QStringLiteral("Drop/dangling"));

    props.AddDroppedItems(props.PhotoFiles(), props.PhotoExtensions(), {},
                          {root + QStringLiteral("Desk/photo link")});
    ASSERT_EQ(props.PhotoFiles().Count(), 1);
    EXPECT_EQ(props.PhotoFiles().FullName(0), photo);

    // Inside a dropped folder a link counts by its target's name, and a link to music is music.
    props.AddDroppedItems(props.MusicFiles(), props.MusicExtensions(), {},
                          {root + QStringLiteral("Desk"), root + QStringLiteral("Drop")});
    ASSERT_EQ(props.MusicFiles().Count(), 2);
    EXPECT_EQ(props.MusicFiles().FullName(0), root + QStringLiteral("Real/song.mp3"));
    EXPECT_EQ(props.MusicFiles().FullName(1), root + QStringLiteral("Real/song.mp3"));
}

TEST_F(KDProperties, SecondDropKeepsEveryEntryReadable)
{
    props.AddDroppedItems(props.PhotoFiles(), props.PhotoExtensions(), {},
                          {file("2008/summer/a.jpg"), file("2008/summer/b.jpg")});
    ASSERT_EQ(props.PhotoFiles().BasePath(), root + QStringLiteral("2008/summer/"));

    file("2009/c.jpg");
    file("2009/d.tif");
    props.AddDroppedItems(props.PhotoFiles(), props.PhotoExtensions(), {}, {root + QStringLiteral("2009")});
    EXPECT_EQ(props.PhotoFiles().Count(), 4);
    EXPECT_EQ(props.PhotoFiles().BasePath(), root);
    EXPECT_EQ(fullNames(props.PhotoFiles()),
              (QSet<QString>{root + "2008/summer/a.jpg", root + "2008/summer/b.jpg", root + "2009/c.jpg",
                             root + "2009/d.tif"}));
    EXPECT_EQ(entries(props.PhotoFiles()).mid(0, 2), (QStringList{"2008/summer/a.jpg", "2008/summer/b.jpg"}));

    // A drop that adds nothing leaves the list as it was.
    props.AddDroppedItems(props.PhotoFiles(), props.PhotoExtensions(), {}, {file("notes.txt")});
    EXPECT_EQ(props.PhotoFiles().Count(), 4);
    EXPECT_EQ(props.PhotoFiles().BasePath(), root);
    for (int i = 0; i < props.PhotoFiles().Count(); ++i)
        EXPECT_TRUE(exists(props.PhotoFiles().FullName(i))) << props.PhotoFiles().FullName(i).toStdString();
}

TEST_F(KDProperties, ProjectCountReadsTheStoreOnceUntilReloaded)
{
    const QString desktop = root + QStringLiteral("desktop.xml");
    writeFile(desktop, "<?xml version=\"1.0\"?>\r\n<projects>\r\n  <project path=\"/a.kdp\"/>\r\n"
                       "  <other/>\r\n</projects>\r\n<window left=\"1\"/>\r\n");
    const std::shared_ptr<IXMLIni> ini = NewXMLIni(desktop);
    ASSERT_TRUE(ini->OpenKey(QStringLiteral("window"), false));

    int asked = 0;
    props.SetStoreProvider([&]() {
        ++asked;
        return ini;
    });
    EXPECT_EQ(GetPropText(props, "ProjectCount"), QStringLiteral("2")); // every child counts
    // The store's open key is left where its user put it.
    EXPECT_EQ(ini->ReadString(QStringLiteral("left")), QStringLiteral("1"));

    ASSERT_TRUE(RememberProject(*ini, QStringLiteral("/b.kdp")));
    EXPECT_EQ(props.ProjectCount(), 2);
    EXPECT_EQ(asked, 1);
    props.ReloadProjectCount();
    EXPECT_EQ(props.ProjectCount(), 3);
    EXPECT_EQ(asked, 2);

    // No list, no store: no projects.
    const std::shared_ptr<IXMLIni> empty = NewXMLIni(root + QStringLiteral("none.xml"));
    props.SetStoreProvider([&] { return empty; });
    props.ReloadProjectCount();
    EXPECT_EQ(props.ProjectCount(), 0);
    props.SetStoreProvider({});
    props.ReloadProjectCount();
    EXPECT_EQ(props.ProjectCount(), 0);
}

TEST_F(KDProperties, ProjectCountComesFromTheEnvironmentByDefault)
{
    EXPECT_EQ(props.ProjectCount(), 0); // no environment object
    writeFile(root + QStringLiteral("user/desktop.xml"),
              "<?xml version=\"1.0\"?>\r\n<projects>\r\n  <project path=\"/a.kdp\"/>\r\n</projects>\r\n");
    TProjectDataSources sources;
    sources.definitionFile = root + QStringLiteral("none.xml");
    sources.resourceFolder = root;
    sources.userDir = root + QStringLiteral("user/");
    TProjectData env(sources);
    props.ReloadProjectCount();
    EXPECT_EQ(props.ProjectCount(), 1);
}

TEST_F(KDProperties, LongChainOfLinkedFoldersIsScannedOnASmallStack)
{
    // Every folder holds a link to the next one, so the paths stay short however long the chain
    // grows. The drop runs on a thread with a small stack: a scan that recursed per folder
    // would overflow it. Kept in memory where possible, as thousands of folders are slow on disk.
    QTemporaryDir shm(QStringLiteral("/dev/shm/kalido-XXXXXX"));
    const QString base = shm.isValid() ? canonical(shm.path()) + u'/' : root;
    const int n = 3000;
    for (int i = 0; i < n; ++i) {
        const QString dir = base + QStringLiteral("c/%1").arg(i);
        ASSERT_TRUE(QDir().mkpath(dir));
        if (i + 1 < n)
            makeLink(base + QStringLiteral("c/%1").arg(i + 1), dir + QStringLiteral("/next"));
    }
    const QString last = base + QStringLiteral("c/%1/end.jpg").arg(n - 1);
    writeFile(last, "x");

    std::unique_ptr<QThread> worker(QThread::create([&] {
        props.AddDroppedItems(props.PhotoFiles(), props.PhotoExtensions(), {},
                              {base + QStringLiteral("c/0")});
    }));
    worker->setStackSize(256 * 1024);
    worker->start();
    ASSERT_TRUE(worker->wait());
    ASSERT_EQ(props.PhotoFiles().Count(), 1);
    EXPECT_EQ(props.PhotoFiles().FullName(0), last);
}
