#include "player/ScreenSaverInhibitor.h"

#include "TestSupport.h"

#include <QDBusConnection>
#include <QMutex>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

using kalido::TScreenSaverInhibitor;

namespace {

// Stands in for the desktop's screen saver service. Lives on its own thread, so the blocking
// calls of the inhibitor on the main thread get their answers.
class FakeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public slots:
    uint Inhibit(const QString &app, const QString &reason)
    {
        QMutexLocker lock(&mutex);
        calls << QStringLiteral("Inhibit %1 %2").arg(app, reason);
        return 42;
    }
    void UnInhibit(uint cookie)
    {
        QMutexLocker lock(&mutex);
        calls << QStringLiteral("UnInhibit %1").arg(cookie);
    }

public:
    QStringList log()
    {
        QMutexLocker lock(&mutex);
        return calls;
    }

private:
    QMutex mutex;
    QStringList calls;
};

// A private bus daemon for the length of one test.
class PrivateBus
{
public:
    PrivateBus()
    {
        daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                     QStringLiteral("--print-address=1")});
        if (daemon.waitForStarted(5000) && daemon.waitForReadyRead(5000))
            address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        daemon.kill();
        daemon.waitForFinished(5000);
    }
    QProcess daemon;
    QString address;
};

} // namespace

TEST(ScreenSaverInhibitor, InhibitsWhileAliveAndReleasesAfter)
{
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    PrivateBus bus;
    ASSERT_FALSE(bus.address.isEmpty());
    QDBusConnection service = QDBusConnection::connectToBus(bus.address, QStringLiteral("saver-service"));
    QDBusConnection client = QDBusConnection::connectToBus(bus.address, QStringLiteral("saver-client"));
    ASSERT_TRUE(service.isConnected() && client.isConnected());

    {
        // Nobody owns the name yet: nothing happens and nothing fails.
        TScreenSaverInhibitor absent(QStringLiteral("Slideshow"), client);
        EXPECT_FALSE(absent.Active());
    }

    QThread thread;
    auto *saverObject = new FakeScreenSaver;
    FakeScreenSaver &saver = *saverObject;
    saver.moveToThread(&thread);
    thread.start();
    auto stop = qScopeGuard([&] {
        service.unregisterObject(QString::fromLatin1(TScreenSaverInhibitor::Path));
        QMetaObject::invokeMethod(
            saverObject, [saverObject] { delete saverObject; }, Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
        QDBusConnection::disconnectFromBus(QStringLiteral("saver-service"));
        QDBusConnection::disconnectFromBus(QStringLiteral("saver-client"));
    });
    ASSERT_TRUE(service.registerObject(QString::fromLatin1(TScreenSaverInhibitor::Path), &saver,
                                       QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service.registerService(QString::fromLatin1(TScreenSaverInhibitor::Service)));
    {
        TScreenSaverInhibitor inhibitor(QStringLiteral("Slideshow"), client);
        EXPECT_TRUE(inhibitor.Active());
        ASSERT_EQ(saver.log().size(), 1);
        EXPECT_TRUE(saver.log().constFirst().startsWith(QLatin1String("Inhibit ")));
        EXPECT_TRUE(saver.log().constFirst().endsWith(QLatin1String(" Slideshow")));
    }
    EXPECT_EQ(saver.log().value(1), QStringLiteral("UnInhibit 42"));
}

TEST(ScreenSaverInhibitor, NoBusIsSilent)
{
    QDBusConnection none =
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("no-bus"));
    TScreenSaverInhibitor inhibitor(QStringLiteral("Slideshow"), none);
    EXPECT_FALSE(inhibitor.Active());
    QDBusConnection::disconnectFromBus(QStringLiteral("no-bus"));
}

#include "ScreenSaverInhibitorTest.moc"
