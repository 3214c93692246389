#include "player/ScreenSaverInhibitor.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace kalido {

namespace {
// A desktop service that does not answer within this time is treated as absent.
constexpr int CallTimeoutMs = 2000;
} // namespace

TScreenSaverInhibitor::TScreenSaverInhibitor(const QString &reason, const QDBusConnection &bus) : bus_(bus)
{
    if (!bus_.isConnected() || !bus_.interface())
        return;
    if (!bus_.interface()->isServiceRegistered(QString::fromLatin1(Service)).value())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(Service), QString::fromLatin1(Path),
                                       QString::fromLatin1(Service), QStringLiteral("Inhibit"));
    QString app = QCoreApplication::applicationName();
    if (app.isEmpty())
        app = QStringLiteral("Kalido");
    call << app << reason;
    const QDBusMessage reply = bus_.call(call, QDBus::Block, CallTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
        cookie_ = reply.arguments().constFirst().toUInt();
        active_ = true;
    }
}

TScreenSaverInhibitor::~TScreenSaverInhibitor()
{
    if (!active_ || !bus_.isConnected())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(Service), QString::fromLatin1(Path),
                                       QString::fromLatin1(Service), QStringLiteral("UnInhibit"));
    call << cookie_;
    bus_.call(call, QDBus::Block, CallTimeoutMs);
}

} // namespace kalido
