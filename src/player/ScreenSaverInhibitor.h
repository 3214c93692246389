#pragma once

#include <QDBusConnection>
#include <QString>

namespace kalido {

// Keeps the screen saver and display sleep away while it lives, through the desktop's
// org.freedesktop.ScreenSaver service on the session bus. Where no such service runs (no
// session bus, a bare X server, CI) it does nothing and says nothing.
class TScreenSaverInhibitor
{
public:
    explicit TScreenSaverInhibitor(const QString &reason,
                                   const QDBusConnection &bus = QDBusConnection::sessionBus());
    ~TScreenSaverInhibitor();
    TScreenSaverInhibitor(const TScreenSaverInhibitor &) = delete;
    TScreenSaverInhibitor &operator=(const TScreenSaverInhibitor &) = delete;

    bool Active() const { return active_; }

    static constexpr const char *Service = "org.freedesktop.ScreenSaver";
    static constexpr const char *Path = "/org/freedesktop/ScreenSaver";

private:
    QDBusConnection bus_;
    uint cookie_ = 0;
    bool active_ = false;
};

} // namespace kalido
