#pragma once

#include "services/Method.h"

#include <QObject>
#include <QString>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

namespace kalido {

// One timer of the service, as its handler sees it.
class TTimerItem
{
public:
    // Unique within the service and never reused; always positive.
    int Id() const { return id_; }
    const QString &Name() const { return name_; }
    int Interval() const { return interval_; }
    bool Enabled() const { return qtTimerId_ != 0; }

private:
    friend class TTimers;

    int id_ = 0;
    QString name_;
    int interval_ = 0;
    TMethod<void(const TTimerItem &sender)> onTimer_;
    int qtTimerId_ = 0;
    // Set while the handler runs; the timer is removed when the handler returns unless
    // something cleared this (a re-arm with Replace, or the timer's own removal).
    bool removeAfterFiring_ = false;
    // Handlers of this timer running now (more than one only through a nested event loop).
    int firing_ = 0;
    // Removed while its handler ran: out of the service, freed when the handler returns.
    bool retired_ = false;
};

// A timer handler, bound to its subscriber object; Sender is the timer that fired.
using TTimerEvent = TMethod<void(const TTimerItem &sender)>;

// Named one-shot timers counted on the main thread's event loop. Names compare without regard
// to letter case; an empty name makes an unnamed timer.
class ITimers
{
public:
    // Creates a timer that calls Handler once after Interval ms and returns its identifier. A
    // timer of that name already present is returned as it is, or, with Replace, re-armed with
    // the new interval and handler (a handler re-arming its own timer keeps it alive).
    virtual int SetTimer(int interval, const QString &name, const TTimerEvent &handler, bool replace) = 0;
    virtual void KillTimer(int id) = 0;
    virtual void KillTimer(const QString &name) = 0;
    // Removes every timer whose handler is bound to Subscriber.
    virtual void KillTimers(const void *subscriber) = 0;

protected:
    ~ITimers() = default;
};

// The timer service over Qt's timers. A handler that throws keeps its timer, which fires again
// after its interval; the exception goes to the exception handler when one is set, else it is
// thrown on from the timer event to the application's error handling.
class TTimers final : public QObject, public ITimers
{
    Q_OBJECT

public:
    explicit TTimers(QObject *parent = nullptr);
    ~TTimers() override;

    int SetTimer(int interval, const QString &name, const TTimerEvent &handler, bool replace) override;
    void KillTimer(int id) override;
    void KillTimer(const QString &name) override;
    void KillTimers(const void *subscriber) override;

    // Inspection: the timer with that identifier or name, nullptr when there is none.
    const TTimerItem *FindTimer(int id) const;
    const TTimerItem *FindTimer(const QString &name) const;
    int Count() const { return int(items_.size()); }

    using TExceptionHandler = std::function<void(std::exception_ptr)>;
    void SetExceptionHandler(TExceptionHandler handler) { onException_ = std::move(handler); }

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    TTimerItem *byId(int id) const;
    TTimerItem *byName(const QString &name) const;
    void start(TTimerItem &item);
    void stop(TTimerItem &item);
    void remove(TTimerItem &item);
    void forget(TTimerItem &item);
    void fire(TTimerItem &item);

    std::vector<std::unique_ptr<TTimerItem>> items_; // in creation order
    std::vector<std::unique_ptr<TTimerItem>> retired_;
    TExceptionHandler onException_;
    int nextId_ = 1;
};

} // namespace kalido
