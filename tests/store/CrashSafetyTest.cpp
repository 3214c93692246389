#include "SaveLoopContent.h"
#include "store/AtomicSave.h"
#include "store/XmlIni.h"

#include "TestSupport.h"

#include <QDir>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace kalido;
using kalido::test::readFile;

namespace {

// The exact bytes of version K, as a fresh store writes them.
QByteArray versionBytes(const QString &scratchFolder, int k)
{
    const QString file = scratchFolder + QStringLiteral("/v%1.xml").arg(k);
    auto ini = NewXMLIni(file);
    test::FillVersion(*ini, k);
    EXPECT_TRUE(ini->UpdateFile());
    return readFile(file);
}

int leftoverCount(const QString &folder, const QString &baseName)
{
    int n = 0;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        n += IsAtomicTempName(name, baseName) ? 1 : 0;
    return n;
}

} // namespace

// A saving process killed at any moment leaves the previous or the next complete version.
TEST(CrashSafety, KilledSavesLeaveACompleteVersion)
{
    QTemporaryDir tmp, scratch;
    const QString file = tmp.path() + "/desktop.xml";
    {
        auto ini = NewXMLIni(file);
        test::FillVersion(*ini, 0);
        ASSERT_TRUE(ini->UpdateFile());
    }
    const QRegularExpression versionPattern(QStringLiteral("<settings version=\"(\\d+)\""));
    QMap<int, QByteArray> expected;
    int interrupted = 0;
    for (int round = 0; round < 200; ++round) {
        QProcess child;
        child.start(QStringLiteral(STORE_SAVE_CHILD),
                    {QStringLiteral("loop"), file, QString::number(round * 100000 + 1)});
        ASSERT_TRUE(child.waitForReadyRead(10000)) << "round " << round;
        QThread::usleep(QRandomGenerator::global()->bounded(20000));
        child.kill();
        ASSERT_TRUE(child.waitForFinished(10000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << "the child stopped saving on its own";

        const QByteArray bytes = readFile(file);
        const auto match = versionPattern.match(QString::fromLatin1(bytes));
        ASSERT_TRUE(match.hasMatch())
            << "round " << round << ": no complete version, " << bytes.size() << " bytes";
        const int k = match.captured(1).toInt();
        if (!expected.contains(k))
            expected.insert(k, versionBytes(scratch.path(), k));
        ASSERT_EQ(bytes, expected.value(k)) << "round " << round << ", version " << k;
        interrupted += leftoverCount(tmp.path(), "desktop.xml") > 0 ? 1 : 0;
    }
    RecordProperty("rounds_with_leftovers", interrupted);

    // The next save sweeps away whatever the killed saves left.
    auto ini = NewXMLIni(file);
    test::FillVersion(*ini, 7);
    ASSERT_TRUE(ini->UpdateFile());
    EXPECT_EQ(leftoverCount(tmp.path(), "desktop.xml"), 0);
    EXPECT_EQ(readFile(file), versionBytes(scratch.path(), 7));
}

// A write that fails midway (here: the file-size limit) reports failure and keeps the old file.
TEST(CrashSafety, FailedWriteKeepsTheOldFile)
{
    QTemporaryDir tmp;
    const QString file = tmp.path() + "/desktop.xml";
    {
        auto ini = NewXMLIni(file);
        ini->OpenKey("projects", true);
        ini->WriteString("note", "old");
        ASSERT_TRUE(ini->UpdateFile());
    }
    const QByteArray before = readFile(file);
    ASSERT_LT(before.size(), 4096);

    QProcess child;
    child.start(QStringLiteral(STORE_SAVE_CHILD), {QStringLiteral("fsize"), file, QStringLiteral("4096")});
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << "UpdateFile reported success beyond the file-size limit";
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"desktop.xml"});
}
