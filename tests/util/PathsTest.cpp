#include "util/FsName.h"
#include "util/Paths.h"

#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace kalido;

TEST(Paths, IncludeAndExcludeSlash)
{
    struct Case
    {
        const char *path, *included, *excluded;
    } cases[] = {
        {"C", "C:\\", "C"},
        {"a/b", "a/b/", "a/b"},
        {"", "", ""},
        {"C:\\", "C:\\", "C:\\"},
        {"\\", "\\", "\\"},
        {"/", "/", "/"},
        {"\\\\", "\\\\", "\\"},
        {"//", "//", "/"},
        {"C:\\a\\", "C:\\a\\", "C:\\a"},
        {"C:\\a", "C:\\a\\", "C:\\a"},
        {"/home/a/", "/home/a/", "/home/a"},
        {"photos", "photos/", "photos"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(IncludeSlash(c.path), QString(c.included)) << c.path;
        EXPECT_EQ(ExcludeSlash(c.path), QString(c.excluded)) << c.path;
    }
}

TEST(Paths, ExpandRelative)
{
    struct Case
    {
        const char *path, *result;
    } cases[] = {
        {"C:\\a\\b\\..", "C:\\a"},
        {"C:\\a\\b\\..\\c\\", "C:\\a\\c\\"},
        {"C:", "C:\\"},
        {"/home/a/../b", "/home/b"},
        {"/home/a/b/../../c/", "/home/c/"},
        {"/home/a/..", "/home"},
        {"../x", "x"},
        {"  /a/./b  ", "/a/./b"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ExpandRelative(c.path), QString(c.result)) << c.path;
}

TEST(Paths, ExtensionsAndFolders)
{
    struct Case
    {
        const char *name, *ext;
    } exts[] = {
        {"C:\\x.y\\Photo.JPG", "jpg"}, {"C:\\x.y\\Photo", ""},    {"/x.y/Photo", ""},
        {"/p/Photo.TiFF", "tiff"},     {"archive.tar.GZ", "gz"},  {"C:name.txt", "txt"},
        {"noext", ""},                 {"/p/.hidden", "hidden"},  {"/p/a.Ä", "Ä"},
    };
    for (const auto &c : exts)
        EXPECT_EQ(ExtLower(QString::fromUtf8(c.name)), QString::fromUtf8(c.ext)) << c.name;

    EXPECT_EQ(ForceExt("show", ".kdp"), "show.kdp");
    EXPECT_EQ(ForceExt("show", "kdp"), "show.kdp");
    EXPECT_EQ(ForceExt("notes.txt", ".kdp"), "notes.txt");
    EXPECT_EQ(ForceExt("/a.b/show", "kdp"), "/a.b/show.kdp");

    EXPECT_EQ(ExtractFolder("/a/b/c.jpg"), "/a/b/");
    EXPECT_EQ(ExtractFolder("C:\\a\\c.jpg"), "C:\\a\\");
    EXPECT_EQ(ExtractFolder("c.jpg"), "");
}

TEST(Paths, ProgramAndKnownFolders)
{
    EXPECT_TRUE(ExeDir().endsWith(u'/'));
    EXPECT_TRUE(QDir(ExeDir()).exists());
    EXPECT_TRUE(TempDir().endsWith(u'/'));

    QString pictures;
    EXPECT_TRUE(GetSpecialFolder(CSIDL_MYPICTURES, pictures));
    EXPECT_FALSE(pictures.isEmpty());
    EXPECT_FALSE(pictures.endsWith(u'/'));
    QString unknown = "stale";
    EXPECT_FALSE(GetSpecialFolder(9999, unknown));
    EXPECT_TRUE(unknown.isEmpty());
    EXPECT_FALSE(AppDataDir().isEmpty());
}

TEST(Paths, ResolveShortcutFollowsLinksToTheCanonicalTarget)
{
    QTemporaryDir tmp;
    const QString root = QDir(tmp.path()).canonicalPath();
    test::writeFile(root + "/photos/a.jpg", "x");
    ASSERT_EQ(::symlink("photos/a.jpg", QFile::encodeName(root + "/one").constData()), 0);
    ASSERT_EQ(::symlink("one", QFile::encodeName(root + "/two").constData()), 0);
    ASSERT_EQ(::symlink("missing", QFile::encodeName(root + "/dangling").constData()), 0);
    ASSERT_EQ(::symlink("photos", QFile::encodeName(root + "/folder").constData()), 0);

    EXPECT_EQ(ResolveShortcut(root + "/two"), root + "/photos/a.jpg");
    EXPECT_EQ(ResolveShortcut(root + "/folder"), root + "/photos");
    EXPECT_EQ(ResolveShortcut(root + "/dangling"), "");
    EXPECT_EQ(ResolveShortcut(root + "/photos/a.jpg"), ""); // not a link
    EXPECT_EQ(ResolveShortcut(root + "/nothing"), "");
    EXPECT_EQ(ResolveShortcut(""), "");
}

TEST(Paths, IsReadOnlyFolderProbesAndCleansUp)
{
    QTemporaryDir tmp;
    EXPECT_FALSE(IsReadOnlyFolder(tmp.path()));
    EXPECT_TRUE(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_TRUE(IsReadOnlyFolder(tmp.path() + "/missing"));

    const QString mountPoint = tmp.path() + "/ro";
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    if (geteuid() != 0) {
        // Without root, permissions alone make the folder unwritable.
        ASSERT_TRUE(QFile::setPermissions(mountPoint, QFile::ReadOwner | QFile::ExeOwner));
        EXPECT_TRUE(IsReadOnlyFolder(mountPoint));
        return;
    }
    // Root writes through permissions, so a read-only mount stands in for an unwritable folder.
    if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", MS_RDONLY, "size=64k") != 0)
        GTEST_SKIP() << "mounting a read-only tmpfs is not permitted here";
    EXPECT_TRUE(IsReadOnlyFolder(mountPoint));
    EXPECT_TRUE(QDir(mountPoint).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    ::umount(QFile::encodeName(mountPoint).constData());
}
