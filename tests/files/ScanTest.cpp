#include "files/FileList.h"
#include "files/FolderListing.h"

#include "TestSupport.h"
#include "util/FsName.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

using namespace kalido;
using kalido::test::readFile;

namespace {

TWideStringHash photoSet()
{
    TWideStringHash set;
    set.AddExtensions(QStringLiteral("jpg;jpeg;tif;tiff"));
    return set;
}

QStringList fullNames(const TFileList &list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out << list.FullName(i);
    return out;
}

// Names of a folder in the order the file system lists them.
QStringList readdirOrder(const QString &folder)
{
    QStringList names;
    DIR *dir = ::opendir(FsEncode(folder).constData());
    if (!dir)
        return names;
    while (const dirent *e = ::readdir(dir))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            names << FsDecode(QByteArray(e->d_name));
    ::closedir(dir);
    return names;
}

class Scan : public ::testing::Test
{
protected:
    QString root() const { return QFileInfo(tmp.path()).canonicalFilePath() + u'/'; }
    // Files and folders are made through FsEncode, as Qt's own file classes would not keep
    // names that are not valid UTF-8.
    QString file(const QString &rel, const QByteArray &bytes = "x")
    {
        const qsizetype slash = rel.lastIndexOf(u'/');
        if (slash > 0)
            dir(rel.left(slash));
        const int fd = FsOpen(root() + rel, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_GE(fd, 0) << rel.toStdString();
        EXPECT_EQ(::write(fd, bytes.constData(), bytes.size()), bytes.size());
        ::close(fd);
        return root() + rel;
    }
    QString dir(const QString &rel)
    {
        QString path = root();
        for (const QString &part : rel.split(u'/')) {
            path += part + u'/';
            ::mkdir(FsEncode(path).constData(), 0755);
        }
        return path;
    }
    void link(const QString &target, const QString &rel)
    {
        ASSERT_EQ(::symlink(FsEncode(target).constData(), FsEncode(root() + rel).constData()), 0);
    }
    TFileList scanned(const QStringList &start, TFileScanOptions options, const TFileScanEvent &onFile = {})
    {
        const TWideStringHash photos = photoSet();
        TFileList list;
        for (const QString &s : start)
            list.Add(s);
        list.Scan(&photos, options, onFile);
        return list;
    }

    // Qt's own removal would skip names that are not valid UTF-8 and folders without permissions.
    void TearDown() override
    {
        kalido::test::runShell("chmod -R u+rwx '" + tmp.path() + "' && rm -rf '" + tmp.path() + "'");
    }

    QTemporaryDir tmp;
};

// root: a.jpg B.JPG c.jpe photo d.tif e.txt sub/{f.jpg deeper/{g.tiff}} sub2/{h.jpeg}
class ScanTree : public Scan
{
protected:
    void SetUp() override
    {
        for (const char *f : {"a.jpg", "B.JPG", "c.jpe", "photo", "d.tif", "e.txt", "sub/f.jpg",
                              "sub/deeper/g.tiff", "sub2/h.jpeg"})
            file(QString::fromUtf8(f));
    }
    // What a scan must give: every folder in its listing order, a subfolder's entries where
    // the subfolder was listed.
    QStringList expected(const QString &folder, bool withFolders, bool recurse) const
    {
        static const QStringList photos = {"a.jpg", "B.JPG", "d.tif", "f.jpg", "g.tiff", "h.jpeg"};
        QStringList out;
        for (const QString &name : readdirOrder(folder)) {
            if (photos.contains(name))
                out << folder + name;
            else if (QFileInfo(folder + name).isDir()) {
                if (withFolders)
                    out << folder + name + u'/';
                if (recurse)
                    out << expected(folder + name + u'/', withFolders, recurse);
            }
        }
        return out;
    }
};

TEST_F(ScanTree, TakesMatchingFilesInListingOrder)
{
    const QString r = root();
    struct Row
    {
        const char *name;
        TFileScanOptions options;
        QStringList expected;
    } rows[] = {
        {"no options", {}, expected(r, false, false)},
        {"recurse", fsoRecurse, expected(r, false, true)},
        {"include folders", fsoIncludeFolders, QStringList{r} + expected(r, true, false)},
        {"recurse with folders", fsoRecurse | fsoIncludeFolders, QStringList{r} + expected(r, true, true)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fullNames(scanned({r}, row.options)), row.expected);
    }
    EXPECT_EQ(expected(r, false, true).size(), 6);
}

TEST_F(ScanTree, KeepsFileEntriesAndOnlyAppends)
{
    const QString r = root();
    const QStringList found = expected(r, false, false);
    const TFileList list = scanned({"/keep/1.jpg", r, "/keep/2.txt"}, {});
    EXPECT_EQ(fullNames(list), QStringList({"/keep/1.jpg", "/keep/2.txt"}) + found);
}

TEST_F(ScanTree, WithoutAnExtensionSetNoFileIsTaken)
{
    TFileList list;
    list.Add(root());
    list.Scan(nullptr, fsoRecurse | fsoIncludeFolders);
    EXPECT_EQ(fullNames(list),
              QStringList{root()} + expected(root(), true, true).filter(QRegularExpression("/$")));
}

TEST_F(ScanTree, CallbackSeesFullPathsAndCanSkip)
{
    QStringList seen;
    const TFileList list =
        scanned({root()}, fsoRecurse, [&](TFileList &, const QString &path, bool &accept, bool &) {
            seen << path;
            accept = !path.endsWith(u"/sub/") && !path.endsWith(u"/a.jpg");
        });
    QStringList all = expected(root(), true, true);
    all.prepend(root());
    QStringList offered = all;
    offered.removeIf([](const QString &p) { return p.contains(u"/sub/") && !p.endsWith(u"/sub/"); });
    EXPECT_EQ(seen, offered) << "a refused folder is not descended into";

    QStringList kept = offered.filter(QRegularExpression("[^/]$"));
    kept.removeAll(root() + "a.jpg");
    EXPECT_EQ(fullNames(list), kept);
}

TEST_F(Scan, AbortStopsEverythingAtOnce)
{
    const QString one = dir("one"), two = dir("two");
    file("one/a1.jpg");
    file("two/b1.jpg");
    QStringList seen;
    const TFileList list =
        scanned({one, two}, fsoRecurse, [&](TFileList &, const QString &path, bool &, bool &abort) {
            seen << path;
            abort = path.endsWith(u"a1.jpg");
        });
    EXPECT_EQ(seen, QStringList({one, one + "a1.jpg"}))
        << "no call after the abort, not even for the next folder";
    EXPECT_EQ(fullNames(list), QStringList({one, two})) << "the aborting entry is not taken; folders stay";
}

TEST_F(Scan, FirstOnly)
{
    const QString one = dir("one"), two = dir("two");
    for (const char *f : {"one/a.jpg", "one/b.jpg", "one/c.txt", "two/s1/x.jpg", "two/s1/y.jpg",
                          "two/s2/z.jpg", "two/s2/w.jpg"})
        file(QString::fromUtf8(f));
    const QString firstOfOne = one + readdirOrder(one).filter(QRegularExpression("jpg$")).first();

    // The scan of a folder ends at its first file.
    EXPECT_EQ(fullNames(scanned({one}, fsoFirstOnly)), QStringList{firstOfOne});
    // The pass over the starting entries ends at the first file entry.
    EXPECT_EQ(fullNames(scanned({one, "/k.jpg", two}, fsoFirstOnly)), QStringList({"/k.jpg", firstOfOne}));
    EXPECT_EQ(fullNames(scanned({"/k.jpg", one}, fsoFirstOnly)), QStringList{"/k.jpg"});
    // Folders that are descended into do not end their parent's scan; each ends at its own first file.
    const QStringList found = fullNames(scanned({two}, fsoFirstOnly | fsoRecurse));
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found.filter(u"/s1/").size(), 1);
    EXPECT_EQ(found.filter(u"/s2/").size(), 1);
}

TEST_F(Scan, EmptyEntryEndsNormallyAndAddsNothing)
{
    file("p/a.jpg");
    for (TFileScanOptions options : {TFileScanOptions{}, TFileScanOptions{fsoRecurse | fsoFirstOnly}})
        EXPECT_EQ(fullNames(scanned({""}, options)), QStringList{""});
    EXPECT_EQ(fullNames(scanned({"", root() + "p/"}, {})), QStringList({"", root() + "p/a.jpg"}));
}

TEST_F(Scan, FoundPathsFollowARelativeList)
{
    file("pics/p.jpg");
    file("view/v.jpg");
    link(QStringLiteral("../pics"), QStringLiteral("view/out"));
    const TWideStringHash photos = photoSet();

    TFileList list;
    list.Add(root() + "view/");
    list.MakeRelative();
    ASSERT_EQ(list.BasePath(), root() + "view/");
    list.Scan(&photos, {});
    EXPECT_EQ(list.BasePath(), root() + "view/");
    EXPECT_EQ(list.Strings(0), QStringLiteral("v.jpg"));
    EXPECT_EQ(list.Count(), 1);

    // A link out of the shared folder turns the list back to full paths.
    list.Add(QString());
    list.Scan(&photos, fsoRecurse);
    EXPECT_EQ(list.BasePath(), QString());
    QStringList found = fullNames(list);
    found.sort();
    EXPECT_EQ(found, QStringList({root() + "pics/p.jpg", root() + "view/v.jpg", root() + "view/v.jpg"}));
}

TEST_F(Scan, LinksLeadToWhatTheyPointAt)
{
    const QByteArray photo = "photo bytes";
    file("pics/p.jpg", photo);
    file("albums/summer/s.jpg");
    file("show/one.jpg");
    link(QStringLiteral("../pics/p.jpg"), QStringLiteral("show/fav.jpg"));
    link(QStringLiteral("../pics/p.jpg"), QStringLiteral("show/fav.txt"));
    link(QStringLiteral("../pics/p.jpg"), QStringLiteral("show/alias"));
    link(QStringLiteral("../albums/summer"), QStringLiteral("show/Album1"));
    link(root() + "albums/summer", QStringLiteral("show/Album2"));
    link(QStringLiteral("nowhere.jpg"), QStringLiteral("show/dangling.jpg"));

    QStringList found = fullNames(scanned({root() + "show/"}, fsoRecurse));
    found.sort();
    EXPECT_EQ(found,
              QStringList({root() + "albums/summer/s.jpg", root() + "show/fav.jpg", root() + "show/one.jpg"}))
        << "a linked folder is read once, under its own path; a linked photo under the link's name";
    EXPECT_EQ(readFile(root() + "show/fav.jpg"), photo);
}

// Lowers this thread's effective capabilities so that root meets file permissions like any
// user; restored when it goes.
class WithoutPermissionOverride
{
public:
    WithoutPermissionOverride()
    {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        ok_ = ::syscall(SYS_capget, &header_, saved_) == 0;
        if (!ok_)
            return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        ok_ = ::syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~WithoutPermissionOverride()
    {
        if (ok_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    bool ok() const { return ok_; }

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool ok_ = false;
};

TEST_F(Scan, HostileTreesEndWithEveryFileOnce)
{
    QStringList photos;
    for (const char *f :
         {"real/r1.jpg", "real/r2.JPG", "real/nested/n1.jpg", "a/a.jpg", "b/b.jpg", "open/o.jpg"})
        photos << file(QString::fromUtf8(f));
    file("real/nested/n2.txt");
    link(QStringLiteral("self"), QStringLiteral("self"));
    link(QStringLiteral("../b"), QStringLiteral("a/tob"));
    link(QStringLiteral("../a"), QStringLiteral("b/toa"));
    link(QStringLiteral("../.."), QStringLiteral("real/nested/up"));
    link(root(), QStringLiteral("real/root"));
    for (int i = 1; i < 40; ++i)
        link(QStringLiteral("l%1").arg(i + 1), QStringLiteral("l%1").arg(i));
    link(QStringLiteral("real"), QStringLiteral("l40"));
    link(QStringLiteral("missing.jpg"), QStringLiteral("dangling.jpg"));
    link(QStringLiteral("missing/"), QStringLiteral("danglingdir"));
    QString deep = QStringLiteral("deep");
    for (int i = 1; i < 64; ++i)
        deep += QStringLiteral("/d");
    photos << file(deep + "/bottom.jpg");
    file("locked/hidden.jpg");
    ASSERT_EQ(::chmod(FsEncode(root() + "locked").constData(), 0), 0);
    ASSERT_EQ(::mkfifo(FsEncode(root() + "fifo.jpg").constData(), 0644), 0);
    link(QStringLiteral("fifo.jpg"), QStringLiteral("fifolink.jpg"));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray sockPath = FsEncode(root() + "sock.jpg");
    ASSERT_LT(size_t(sockPath.size()), sizeof(addr.sun_path));
    std::memcpy(addr.sun_path, sockPath.constData(), sockPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)), 0);

    WithoutPermissionOverride asUser;
    ASSERT_TRUE(asUser.ok()) << "cannot lower capabilities, so the unreadable folder would be read";
    photos.sort();
    // Few descriptors to spare: the 64-deep folders must not need one each.
    const int openNow = int(QDir(QStringLiteral("/proc/self/fd")).count());
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(openNow + 8);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    // A FIFO given as a folder entry is not opened either.
    for (TFileScanOptions options :
         {TFileScanOptions{fsoRecurse}, TFileScanOptions{fsoRecurse | fsoIncludeFolders}}) {
        QStringList found =
            fullNames(scanned({root() + "fifo.jpg/", root()}, options)).filter(QRegularExpression("[^/]$"));
        found.sort();
        EXPECT_EQ(found, photos);
    }
    ::setrlimit(RLIMIT_NOFILE, &saved);
    ::close(sock);
    ::chmod(FsEncode(root() + "locked").constData(), 0700);
}

TEST_F(Scan, NamesThatAreNotUtf8AreFoundAndOpen)
{
    const QString folder = FsDecode("caf\xe9");
    const QString inner = FsDecode("\xff\xfe.jpg");
    const QString outer = FsDecode("r\xe9sum\xe9.JPG");
    file(folder + u'/' + inner, "inner");
    file(outer, "outer");
    file(FsDecode("x.jp\xe9"));

    QStringList found = fullNames(scanned({root()}, fsoRecurse));
    found.sort();
    QStringList wanted{root() + folder + u'/' + inner, root() + outer};
    wanted.sort();
    ASSERT_EQ(found, wanted);
    for (const QString &path : found) {
        const int fd = FsOpen(path, O_RDONLY);
        ASSERT_GE(fd, 0);
        char buf[8] = {};
        const ssize_t n = ::read(fd, buf, sizeof buf);
        EXPECT_EQ(QByteArray(buf, n > 0 ? n : 0), path.contains(folder) ? "inner" : "outer");
        ::close(fd);
    }
}

// Puts a lister in place for one test.
struct ListerGuard
{
    explicit ListerGuard(VirtualFolderLister lister) { SetVirtualFolderLister(std::move(lister)); }
    ~ListerGuard() { SetVirtualFolderLister({}); }
};

TEST_F(Scan, VirtualFoldersListWhatTheListerSays)
{
    file("disk/track.mp3");
    file("disk/cover.jpg");
    QStringList asked;
    ListerGuard guard([&](const QString &folder) -> std::optional<QStringList> {
        asked << folder;
        if (folder == u"/dev/fakecd/")
            return QStringList{"Track01.cda", "Track02.cda", "notes.txt", "", "../x.cda"};
        return std::nullopt;
    });
    TWideStringHash music;
    music.AddExtensions(QStringLiteral("wma;mp3;ogg;cda"));
    TFileList list;
    list.Add(QStringLiteral("/dev/fakecd/"));
    list.Add(root() + "disk/");
    list.Add(QStringLiteral("/dev/fakecd/"));
    list.Scan(&music, fsoRecurse);
    EXPECT_EQ(fullNames(list),
              QStringList({"/dev/fakecd/Track01.cda", "/dev/fakecd/Track02.cda", root() + "disk/track.mp3"}));
    EXPECT_EQ(asked, QStringList({"/dev/fakecd/", root() + "disk/", "/dev/fakecd/"}));
}

} // namespace
