#include "services/Timers.h"

#include "util/Errors.h"

#include <QTimerEvent>
#include <algorithm>

namespace kalido {

TTimers::TTimers(QObject *parent) : QObject(parent) {}

// QObject kills the remaining Qt timers; no handler is called.
TTimers::~TTimers() = default;

TTimerItem *TTimers::byId(int id) const
{
    for (const auto &item : items_)
        if (item->id_ == id)
            return item.get();
    return nullptr;
}

TTimerItem *TTimers::byName(const QString &name) const
{
    if (name.isEmpty())
        return nullptr;
    for (const auto &item : items_)
        if (item->name_.compare(name, Qt::CaseInsensitive) == 0)
            return item.get();
    return nullptr;
}

const TTimerItem *TTimers::FindTimer(int id) const
{
    return byId(id);
}

const TTimerItem *TTimers::FindTimer(const QString &name) const
{
    return byName(name);
}

void TTimers::start(TTimerItem &item)
{
    item.qtTimerId_ = startTimer(item.interval_);
    if (item.qtTimerId_ == 0)
        throw Exception(QStringLiteral("Not enough timers available"));
}

void TTimers::stop(TTimerItem &item)
{
    if (item.qtTimerId_ != 0) {
        killTimer(item.qtTimerId_);
        item.qtTimerId_ = 0;
    }
}

int TTimers::SetTimer(int interval, const QString &name, const TTimerEvent &handler, bool replace)
{
    TTimerItem *item = byName(name);
    if (item && !replace)
        return item->id_;
    if (item) {
        // Re-armed from inside its own handler, the timer outlives that handler.
        item->removeAfterFiring_ = false;
        stop(*item);
    } else {
        auto created = std::make_unique<TTimerItem>();
        created->id_ = nextId_++;
        created->name_ = name;
        item = created.get();
        items_.push_back(std::move(created));
    }
    item->interval_ = std::max(interval, 0);
    item->onTimer_ = handler;
    try {
        start(*item);
    } catch (...) {
        // A timer that cannot run would never fire nor go away.
        remove(*item);
        throw;
    }
    return item->id_;
}

void TTimers::remove(TTimerItem &item)
{
    stop(item);
    item.removeAfterFiring_ = false;
    const auto it =
        std::find_if(items_.begin(), items_.end(), [&](const auto &p) { return p.get() == &item; });
    if (it == items_.end())
        return;
    std::unique_ptr<TTimerItem> owned = std::move(*it);
    items_.erase(it);
    if (owned->firing_ > 0) {
        // Its handler is still running and holds it as Sender.
        owned->retired_ = true;
        retired_.push_back(std::move(owned));
    }
}

void TTimers::forget(TTimerItem &item)
{
    std::erase_if(retired_, [&](const auto &p) { return p.get() == &item; });
}

void TTimers::KillTimer(int id)
{
    if (TTimerItem *item = byId(id))
        remove(*item);
}

void TTimers::KillTimer(const QString &name)
{
    if (TTimerItem *item = byName(name))
        remove(*item);
}

void TTimers::KillTimers(const void *subscriber)
{
    for (auto i = qsizetype(items_.size()) - 1; i >= 0; --i) {
        if (i >= qsizetype(items_.size()))
            continue;
        TTimerItem &item = *items_[std::size_t(i)];
        if (item.onTimer_ && item.onTimer_.Object() == subscriber)
            remove(item);
    }
}

void TTimers::timerEvent(QTimerEvent *event)
{
    const auto it = std::find_if(items_.begin(), items_.end(),
                                 [&](const auto &p) { return p->qtTimerId_ == event->timerId(); });
    if (it == items_.end()) {
        QObject::timerEvent(event);
        return;
    }
    fire(**it);
}

void TTimers::fire(TTimerItem &item)
{
    item.removeAfterFiring_ = true;
    ++item.firing_;
    std::exception_ptr failure;
    try {
        // A copy: the handler may re-arm its timer with another handler.
        const TTimerEvent handler = item.onTimer_;
        handler(item);
    } catch (...) {
        failure = std::current_exception();
        // A firing that failed did not complete: the timer stays and fires again.
        item.removeAfterFiring_ = false;
    }
    --item.firing_;
    if (item.retired_) {
        if (item.firing_ == 0)
            forget(item);
    } else if (item.removeAfterFiring_) {
        remove(item);
    }
    if (failure) {
        if (onException_)
            onException_(failure);
        else
            std::rethrow_exception(failure);
    }
}

} // namespace kalido
