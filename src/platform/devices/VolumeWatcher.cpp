#include "platform/devices/VolumeWatcher.h"

#include "services/MessageBus.h"
#include "util/FsName.h"

#include <QSocketNotifier>
#include <fcntl.h>
#include <libudev.h>
#include <unistd.h>

namespace kalido {

namespace {

// mountinfo escapes blanks, tabs, newlines and backslashes in paths as \ooo.
QByteArray unescape(const QByteArray &field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
            field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            out += char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray readAllFrom(int fd)
{
    QByteArray all;
    if (lseek(fd, 0, SEEK_SET) != 0)
        return all;
    char buf[16384];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        all.append(buf, n);
    }
    return all;
}

} // namespace

QStringList TVolumeWatcher::ParseMountPoints(const QByteArray &mountinfo)
{
    // "36 35 98:0 /mnt1 /mnt/parent rw,noatime master:1 - ext3 /dev/root rw": the mount point is
    // the fifth field.
    QStringList points;
    for (const QByteArray &line : mountinfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 5 || fields[4].isEmpty())
            continue;
        points << FsDecode(unescape(fields[4]));
    }
    return points;
}

TVolumeWatcher::TVolumeWatcher(QObject *parent) : QObject(parent)
{
    // The kernel flags mountinfo with POLLPRI whenever the mount table changes.
    mountFd_ = open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (mountFd_ >= 0) {
        mounts_ = ParseMountPoints(readAllFrom(mountFd_));
        mountNotifier_ = new QSocketNotifier(mountFd_, QSocketNotifier::Exception, this);
        connect(mountNotifier_, &QSocketNotifier::activated, this, &TVolumeWatcher::mountsChanged);
    }
    if (access("/run/udev/control", F_OK) == 0 && (udev_ = udev_new())) {
        monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
        if (monitor_ && udev_monitor_filter_add_match_subsystem_devtype(monitor_, "block", nullptr) >= 0 &&
            udev_monitor_enable_receiving(monitor_) >= 0) {
            udevNotifier_ = new QSocketNotifier(udev_monitor_get_fd(monitor_), QSocketNotifier::Read, this);
            connect(udevNotifier_, &QSocketNotifier::activated, this, &TVolumeWatcher::udevEvent);
        }
    }
}

TVolumeWatcher::~TVolumeWatcher()
{
    delete mountNotifier_;
    delete udevNotifier_;
    if (mountFd_ >= 0)
        close(mountFd_);
    if (monitor_)
        udev_monitor_unref(monitor_);
    if (udev_)
        udev_unref(udev_);
}

void TVolumeWatcher::mountsChanged()
{
    const QStringList now = ParseMountPoints(readAllFrom(mountFd_));
    // The same path may be mounted more than once; compare as multisets, in order.
    QStringList gone = mounts_;
    QStringList added;
    for (const QString &m : now) {
        if (!gone.removeOne(m))
            added << m;
    }
    mounts_ = now;
    for (qsizetype i = 0; i < added.size(); ++i)
        emit VolumeArrived();
    for (qsizetype i = 0; i < gone.size(); ++i)
        emit VolumeRemoved();
}

void TVolumeWatcher::udevEvent()
{
    udev_device *dev = udev_monitor_receive_device(monitor_);
    if (!dev)
        return;
    const char *action = udev_device_get_action(dev);
    const char *cdrom = udev_device_get_property_value(dev, "ID_CDROM");
    if (action && cdrom && qstrcmp(cdrom, "1") == 0 && qstrcmp(action, "change") == 0) {
        // A disc that is never mounted shows only here: media in, or media gone.
        if (udev_device_get_property_value(dev, "ID_CDROM_MEDIA"))
            emit VolumeArrived();
        else
            emit VolumeRemoved();
    }
    udev_device_unref(dev);
}

void ForwardVolumesToBus(TVolumeWatcher &watcher, IMessageBus &bus)
{
    QObject::connect(&watcher, &TVolumeWatcher::VolumeArrived, &watcher,
                     [&bus] { bus.Send(QStringLiteral("device.arrival"), QVariant::fromValue(nullptr)); });
    QObject::connect(&watcher, &TVolumeWatcher::VolumeRemoved, &watcher,
                     [&bus] { bus.Send(QStringLiteral("device.remove"), QVariant::fromValue(nullptr)); });
}

} // namespace kalido
