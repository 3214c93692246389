#include "services/Timers.h"

#include "TestSupport.h"

#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace kalido;

namespace {

// Waits on a running event loop until the condition holds; the limit only guards a hang.
bool waitFor(const std::function<bool()> &condition)
{
    return QTest::qWaitFor(condition, 10000);
}

// Lets the event loop run long enough for any due timer of a few ms to fire.
void settle()
{
    QTest::qWait(60);
}

// A subscriber object: counts its firings and runs an optional action inside its handler.
struct Subscriber
{
    Subscriber() = default;
    Subscriber(QString name, QStringList *log) : name(std::move(name)), log(log) {}

    QString name;
    QStringList *log = nullptr;
    int fired = 0;
    std::function<void(const TTimerItem &)> action;

    void OnTimer(const TTimerItem &sender)
    {
        ++fired;
        if (log)
            log->append(name + u':' + sender.Name());
        if (action)
            action(sender);
    }
    TTimerEvent handler() { return TTimerEvent(this, &Subscriber::OnTimer); }
};

TEST(Timers, SameNameWithoutReplaceKeepsTheFirstTimer)
{
    TTimers timers;
    QStringList log;
    Subscriber first{QStringLiteral("first"), &log}, second{QStringLiteral("second"), &log};
    const int id = timers.SetTimer(5, QStringLiteral("Refresh"), first.handler(), false);
    EXPECT_GT(id, 0);
    EXPECT_EQ(timers.SetTimer(5000, QStringLiteral("REFRESH"), second.handler(), false), id);
    EXPECT_EQ(timers.Count(), 1);
    EXPECT_EQ(timers.FindTimer(id)->Interval(), 5);

    ASSERT_TRUE(waitFor([&] { return first.fired == 1; }));
    settle();
    EXPECT_EQ(log, QStringList{"first:Refresh"});
    EXPECT_EQ(timers.Count(), 0);

    // A new timer of that name gets a new identifier.
    EXPECT_NE(timers.SetTimer(5, QStringLiteral("refresh"), first.handler(), false), id);
}

TEST(Timers, ReArmingFromTheHandler)
{
    // With Replace the timer comes back with its new settings; without, it still goes.
    for (const bool replace : {true, false}) {
        SCOPED_TRACE(replace ? "replace" : "no replace");
        TTimers timers;
        Subscriber s;
        int returned = 0;
        s.action = [&](const TTimerItem &sender) {
            if (s.fired == 1)
                returned = timers.SetTimer(2, sender.Name(), s.handler(), replace);
        };
        const int id = timers.SetTimer(2, QStringLiteral("again"), s.handler(), false);

        ASSERT_TRUE(waitFor([&] { return s.fired >= 1; }));
        EXPECT_EQ(returned, id);
        if (replace) {
            ASSERT_TRUE(waitFor([&] { return s.fired == 2; }));
        } else {
            EXPECT_EQ(timers.FindTimer(returned), nullptr);
        }
        settle();
        EXPECT_EQ(s.fired, replace ? 2 : 1);
        EXPECT_EQ(timers.Count(), 0);
    }
}

TEST(Timers, HandlerKillingItsOwnTimer)
{
    // The handler may still look at its Sender after the kill; nothing is freed twice.
    struct Case
    {
        const char *name;
        std::function<void(TTimers &, const TTimerItem &, Subscriber &)> kill;
    };
    const Case cases[] = {
        {"by id", [](TTimers &t, const TTimerItem &sender, Subscriber &) { t.KillTimer(sender.Id()); }},
        {"by name",
         [](TTimers &t, const TTimerItem &, Subscriber &) { t.KillTimer(QStringLiteral("SELF")); }},
        {"by object", [](TTimers &t, const TTimerItem &, Subscriber &s) { t.KillTimers(&s); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TTimers timers;
        Subscriber s;
        QString seen;
        s.action = [&](const TTimerItem &sender) {
            c.kill(timers, sender, s);
            EXPECT_EQ(timers.Count(), 0);
            EXPECT_FALSE(sender.Enabled());
            seen = sender.Name();
        };
        timers.SetTimer(1, QStringLiteral("self"), s.handler(), false);
        ASSERT_TRUE(waitFor([&] { return s.fired == 1; }));
        settle();
        EXPECT_EQ(s.fired, 1);
        EXPECT_EQ(seen, QStringLiteral("self"));
        EXPECT_EQ(timers.Count(), 0);
    }
}

TEST(Timers, KillTimersRemovesOnlyThatObjectsTimers)
{
    TTimers timers;
    QStringList log;
    Subscriber a{QStringLiteral("a"), &log}, b{QStringLiteral("b"), &log};
    timers.SetTimer(1, QStringLiteral("a1"), a.handler(), false);
    timers.SetTimer(1, QString(), a.handler(), false);
    timers.SetTimer(1, QStringLiteral("b1"), b.handler(), false);
    timers.SetTimer(1, QStringLiteral("a2"), a.handler(), false);

    timers.KillTimers(&a);
    EXPECT_EQ(timers.Count(), 1);
    ASSERT_TRUE(waitFor([&] { return b.fired == 1; }));
    settle();
    EXPECT_EQ(log, QStringList{"b:b1"});
}

TEST(Timers, UnnamedTimersGoOnlyByIdentifier)
{
    TTimers timers;
    Subscriber s;
    const int first = timers.SetTimer(60000, QString(), s.handler(), false);
    const int second = timers.SetTimer(60000, QString(), s.handler(), true);
    EXPECT_NE(first, second);
    EXPECT_EQ(timers.Count(), 2);

    timers.KillTimer(QString());
    timers.KillTimer(second + 100);
    EXPECT_EQ(timers.Count(), 2);
    timers.KillTimer(first);
    EXPECT_EQ(timers.FindTimer(first), nullptr);
    EXPECT_NE(timers.FindTimer(second), nullptr);
}

TEST(Timers, ThrowingHandlerKeepsItsTimerUntilAFiringCompletes)
{
    TTimers timers;
    QStringList errors;
    timers.SetExceptionHandler([&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception &x) {
            errors << QString::fromUtf8(x.what());
        }
    });
    Subscriber s, other;
    s.action = [&](const TTimerItem &) {
        if (s.fired < 3)
            throw std::runtime_error("busy");
    };
    const int id = timers.SetTimer(1, QStringLiteral("retry"), s.handler(), false);
    timers.SetTimer(1, QStringLiteral("other"), other.handler(), false);

    ASSERT_TRUE(waitFor([&] { return s.fired == 3 && other.fired == 1; }));
    settle();
    EXPECT_EQ(errors, (QStringList{"busy", "busy"}));
    EXPECT_EQ(other.fired, 1);
    EXPECT_EQ(timers.FindTimer(id), nullptr);
}

TEST(Timers, DestroyingTheServiceCallsNoHandler)
{
    Subscriber s;
    {
        TTimers timers;
        timers.SetTimer(1, QStringLiteral("a"), s.handler(), false);
        timers.SetTimer(1, QString(), s.handler(), false);
    }
    settle();
    EXPECT_EQ(s.fired, 0);
}

} // namespace
