#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace kalido {

class IMessageBus;

// Tells when a volume arrives or goes: a file system mounted or unmounted anywhere (seen
// through /proc/self/mountinfo), or, where a udev daemon runs, an audio CD put in or taken out
// of a drive (such discs are never mounted).
class TVolumeWatcher : public QObject
{
    Q_OBJECT
public:
    explicit TVolumeWatcher(QObject *parent = nullptr);
    ~TVolumeWatcher() override;

    // The mount points listed in mountinfo text, in its order; malformed lines are skipped.
    static QStringList ParseMountPoints(const QByteArray &mountinfo);

signals:
    // One signal per volume.
    void VolumeArrived();
    void VolumeRemoved();

private:
    void mountsChanged();
    void udevEvent();

    int mountFd_ = -1;
    QSocketNotifier *mountNotifier_ = nullptr;
    QStringList mounts_;
    udev *udev_ = nullptr;
    udev_monitor *monitor_ = nullptr;
    QSocketNotifier *udevNotifier_ = nullptr;
};

// Passes the watcher's news to the bus as "device.arrival" and "device.remove" with a Null
// payload, for as long as the watcher lives. The bus must outlive the watcher.
void ForwardVolumesToBus(TVolumeWatcher &watcher, IMessageBus &bus);

} // namespace kalido
