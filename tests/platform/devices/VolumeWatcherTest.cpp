#include "platform/devices/VolumeWatcher.h"

#include "TestSupport.h"
#include "services/MessageBus.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kalido;

namespace {

struct Recorder
{
    QStringList topics;
    bool allNull = true;

    void Got(IMessageBus &, const QString &topic, const QVariant &data)
    {
        topics << topic;
        allNull = allNull && data.isNull() && data.metaType() == QMetaType::fromType<std::nullptr_t>();
    }
};

void waitFor(const std::function<bool()> &done, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

} // namespace

TEST(VolumeWatcher, MountPointsFromMountinfo)
{
    const QByteArray text = "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
                            "\n"
                            "garbage\n"
                            "30 22 8:1 / /media/My\\040Disk\\134x rw - vfat /dev/sdb1 rw\n"
                            "31 22 8:2 / /mnt/\\303\\251t\\351 rw - ext4 /dev/sdb2 rw\n"
                            "32 22 8:3 / /mnt/cut\\04 rw\n"
                            "1 2 3 4";
    const QStringList expected{"/proc", "/media/My Disk\\x",
                               QString::fromUtf8("/mnt/\xc3\xa9t") + QChar(0xDCE9), "/mnt/cut\\04"};
    EXPECT_EQ(TVolumeWatcher::ParseMountPoints(text), expected);
    EXPECT_TRUE(TVolumeWatcher::ParseMountPoints({}).isEmpty());
}

TEST(VolumeWatcher, MountAndUnmountReachTheBus)
{
    if (!test::canMount())
        GTEST_SKIP() << "mounting needs root";
    QTemporaryDir dir;
    const QString point = dir.filePath("vol");
    QDir().mkpath(point);

    TMessageBus bus;
    Recorder recorder;
    bus.Subscribe(QStringList{"device.arrival", "device.remove"}, TMessageEvent(&recorder, &Recorder::Got));
    TVolumeWatcher watcher;
    ForwardVolumesToBus(watcher, bus);

    if (test::runShell("mount -t tmpfs -o size=1m kalido-test '" + point + "' 2>/dev/null") != 0)
        GTEST_SKIP() << "mount is not permitted here (no CAP_SYS_ADMIN)";
    waitFor([&] { return !recorder.topics.isEmpty(); });
    EXPECT_EQ(test::runShell("umount '" + point + "'"), 0);
    waitFor([&] { return recorder.topics.size() >= 2; });

    EXPECT_EQ(recorder.topics, QStringList({"device.arrival", "device.remove"}));
    EXPECT_TRUE(recorder.allNull);
    bus.UnsubscribeAll(&recorder);
}
