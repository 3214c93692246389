#include "store/AtomicSave.h"
#include "util/FsName.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kalido;
using kalido::test::readFile;
using kalido::test::writeFile;

namespace {

mode_t modeOf(const QString &path)
{
    struct stat st;
    return ::stat(FsEncode(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(AtomicSave, CreatesFoldersAndKeepsModeAndLinks)
{
    QTemporaryDir tmp;
    const QString file = tmp.path() + "/a/b/c/settings.xml";
    ASSERT_TRUE(SaveFileAtomically(file, "one\r\n"));
    EXPECT_EQ(readFile(file), QByteArray("one\r\n"));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(modeOf(file), 0666 & ~mask);

    ::chmod(FsEncode(file).constData(), 0640);
    ASSERT_TRUE(SaveFileAtomically(file, "two"));
    EXPECT_EQ(readFile(file), QByteArray("two"));
    EXPECT_EQ(modeOf(file), mode_t(0640));

    // A link stays a link; its target gets the bytes.
    const QString link = tmp.path() + "/link.xml";
    ASSERT_TRUE(QFile::link(file, link));
    ASSERT_TRUE(SaveFileAtomically(link, "three"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(file), QByteArray("three"));
    EXPECT_EQ(entries(tmp.path() + "/a/b/c"), QStringList{"settings.xml"});
}

TEST(AtomicSave, NamesThatAreNotUtf8)
{
    QTemporaryDir tmp;
    const QByteArray folder = QFile::encodeName(tmp.path()) + "/caf\xe9";
    const QByteArray file = folder + "/s\xff.xml";
    ASSERT_TRUE(SaveFileAtomically(FsDecode(file), "x"));
    struct stat st;
    EXPECT_EQ(::stat(file.constData(), &st), 0);
    EXPECT_EQ(st.st_size, 1);
    ::unlink(file.constData());
    ::rmdir(folder.constData());
}

TEST(AtomicSave, FailureLeavesTargetAndNoTemporaryFile)
{
    QTemporaryDir tmp;
    // A folder where the file should be: the rename fails after the bytes were written.
    writeFile(tmp.path() + "/target.xml/keep", "k");
    EXPECT_FALSE(SaveFileAtomically(tmp.path() + "/target.xml", "new"));
    EXPECT_EQ(entries(tmp.path()), QStringList{"target.xml"});
    EXPECT_EQ(readFile(tmp.path() + "/target.xml/keep"), QByteArray("k"));

    // A file where a folder should be.
    writeFile(tmp.path() + "/plain", "p");
    EXPECT_FALSE(SaveFileAtomically(tmp.path() + "/plain/sub/x.xml", "new"));
    EXPECT_EQ(readFile(tmp.path() + "/plain"), QByteArray("p"));

    EXPECT_FALSE(SaveFileAtomically(QString(), "x"));
    EXPECT_FALSE(SaveFileAtomically(tmp.path() + "/", "x"));
}

TEST(AtomicSave, RemovesOnlyItsOwnLeftovers)
{
    QTemporaryDir tmp;
    const QStringList leftovers = {".desktop.xml.Ab3dE9.tmp", ".desktop.xml.zzzzzz.tmp"};
    const QStringList others = {".desktop.xml.Ab3dE.tmp", ".desktop.xml.Ab3d-9.tmp", "desktop.xml.Ab3dE9",
                                ".other.xml.Ab3dE9.tmp", ".desktop.xml.Ab3dE9.tmp.bak"};
    for (const QString &n : leftovers + others)
        writeFile(tmp.path() + u'/' + n, "partial");
    ASSERT_TRUE(SaveFileAtomically(tmp.path() + "/desktop.xml", "full"));
    QStringList expected = others;
    expected << "desktop.xml";
    expected.sort();
    EXPECT_EQ(entries(tmp.path()), expected);
}
