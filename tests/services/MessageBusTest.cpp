#include "services/MessageBus.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace kalido;

namespace {

// A subscriber object whose handlers record every call in a shared log as "<name>:<topic>".
struct Recorder
{
    Recorder(QString name, QStringList *log) : name(std::move(name)), log(log) {}

    QString name;
    QStringList *log;
    QVariant last;
    std::function<void(const QString &topic)> onCall;

    void OnMessage(IMessageBus &, const QString &topic, const QVariant &data)
    {
        log->append(name + u':' + topic);
        last = data;
        if (onCall)
            onCall(topic);
    }
    void OnOther(IMessageBus &, const QString &topic, const QVariant &)
    {
        log->append(name + QStringLiteral("/other:") + topic);
    }
    TMessageEvent handler() { return TMessageEvent(this, &Recorder::OnMessage); }
    TMessageEvent other() { return TMessageEvent(this, &Recorder::OnOther); }
};

struct Client : IMessageBusClient
{
    QStringList *log = nullptr;
    QVariant last;
    std::function<void()> onNotify;

    void Notify(const QString &topic, const QVariant &data) override
    {
        if (log)
            log->append(QStringLiteral("client:") + topic);
        last = data;
        if (onNotify)
            onNotify();
    }
};

TEST(MessageBus, EachSendFormDeliversItsPayload)
{
    TMessageBus bus;
    QStringList log;
    Recorder r{QStringLiteral("r"), &log};
    bus.Subscribe(QStringLiteral("t"), r.handler());

    bus.Send(QStringLiteral("t"));
    EXPECT_TRUE(r.last.isValid());
    EXPECT_TRUE(r.last.isNull());
    EXPECT_EQ(r.last.typeId(), QMetaType::Nullptr);

    bus.Send(u"t"); // the wide-string form carries nothing at all
    EXPECT_FALSE(r.last.isValid());

    bus.Send(QStringLiteral("t"), QVariantList{QStringLiteral("first"), 2, 3.5});
    ASSERT_EQ(r.last.typeId(), QMetaType::QVariantList);
    const QVariantList list = r.last.toList();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0], QVariant(QStringLiteral("first")));
    EXPECT_EQ(list[2], QVariant(3.5));

    // A handler gets the variant exactly as sent, its type included.
    bus.Send(QStringLiteral("t"), QVariant::fromValue<qint64>(7));
    EXPECT_EQ(r.last.typeId(), QMetaType::LongLong);

    auto client = std::make_shared<Client>();
    bus.Subscribe({u"t"}, client);
    bus.Send(QStringLiteral("t"), QVariant(QStringLiteral("text")));
    EXPECT_EQ(client->last.typeId(), QMetaType::QString);
    EXPECT_EQ(client->last.toString(), QStringLiteral("text"));
    EXPECT_EQ(r.last.toString(), QStringLiteral("text"));
    EXPECT_EQ(log.size(), 5);
}

TEST(MessageBus, DeliversInSubscriptionOrderAndNestedSendsRunToCompletion)
{
    TMessageBus bus;
    QStringList log;
    Recorder a{QStringLiteral("a"), &log}, b{QStringLiteral("b"), &log}, c{QStringLiteral("c"), &log};
    bus.Subscribe({QStringLiteral("outer"), QStringLiteral("inner")}, a.handler());
    bus.Subscribe(QStringLiteral("outer"), b.handler());
    bus.Subscribe(QStringLiteral("inner"), c.handler());
    b.onCall = [&](const QString &topic) {
        if (topic == u"outer")
            bus.Send(QStringLiteral("inner"));
    };

    bus.Send(QStringLiteral("outer"));
    EXPECT_EQ(log, (QStringList{"a:outer", "b:outer", "a:inner", "c:inner"}));

    // Subscribing twice makes two calls.
    log.clear();
    bus.Subscribe(QStringLiteral("inner"), c.handler());
    bus.Send(QStringLiteral("inner"));
    EXPECT_EQ(log, (QStringList{"a:inner", "c:inner", "c:inner"}));
}

TEST(MessageBus, SubscriptionAddedDuringDeliveryWaitsForTheNextSend)
{
    TMessageBus bus;
    QStringList log;
    Recorder a{QStringLiteral("a"), &log}, late{QStringLiteral("late"), &log};
    bool added = false;
    a.onCall = [&](const QString &) {
        if (!added) {
            added = true;
            bus.Subscribe(QStringLiteral("t"), late.handler());
        }
    };
    bus.Subscribe(QStringLiteral("t"), a.handler());

    bus.Send(QStringLiteral("t"));
    EXPECT_EQ(log, QStringList{"a:t"});
    bus.Send(QStringLiteral("t"));
    bus.Send(QStringLiteral("t"));
    EXPECT_EQ(log, (QStringList{"a:t", "a:t", "late:t", "a:t", "late:t"}));
}

TEST(MessageBus, RemovalDuringDeliveryIsSafeAndSkipsTheRemoved)
{
    TMessageBus bus;
    QStringList log;
    Recorder a{QStringLiteral("a"), &log};
    auto b = std::make_unique<Recorder>(QStringLiteral("b"), &log);
    auto c = std::make_unique<Recorder>(QStringLiteral("c"), &log);
    bus.Subscribe(QStringLiteral("t"), a.handler());
    bus.Subscribe(QStringLiteral("t"), b->handler());
    bus.Subscribe(QStringLiteral("t"), c->handler());
    // The first subscriber empties the topic and destroys the others, as a page closing in
    // response to a message would.
    a.onCall = [&](const QString &) {
        bus.UnsubscribeAll(&a);
        bus.UnsubscribeAll(b.get());
        bus.UnsubscribeAll(c.get());
        b.reset();
        c.reset();
    };

    bus.Send(QStringLiteral("t"));
    EXPECT_EQ(log, QStringList{"a:t"});
    EXPECT_FALSE(bus.HasTopic(QStringLiteral("t")));
    bus.Send(QStringLiteral("t"));
    EXPECT_EQ(log, QStringList{"a:t"});
}

TEST(MessageBus, OneRemovalTakesOnlyTheFirstMatchingSubscription)
{
    struct Case
    {
        const char *name;
        std::function<void(TMessageBus &, Recorder &)> remove;
    };
    const Case cases[] = {
        {"Unsubscribe(topic, object)",
         [](TMessageBus &bus, Recorder &r) { bus.Unsubscribe(QStringLiteral("t"), &r); }},
        {"Unsubscribe(topics, object)",
         [](TMessageBus &bus, Recorder &r) { bus.Unsubscribe(QStringList{QStringLiteral("t")}, &r); }},
        {"UnsubscribeAll(object)", [](TMessageBus &bus, Recorder &r) { bus.UnsubscribeAll(&r); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TMessageBus bus;
        QStringList log;
        Recorder r{QStringLiteral("r"), &log}, other{QStringLiteral("x"), &log};
        bus.Subscribe(QStringLiteral("t"), r.handler());
        bus.Subscribe(QStringLiteral("t"), other.handler());
        bus.Subscribe(QStringLiteral("t"), r.other());

        c.remove(bus, r);
        bus.Send(QStringLiteral("t"));
        EXPECT_EQ(log, (QStringList{"x:t", "r/other:t"}));

        c.remove(bus, r);
        log.clear();
        bus.Send(QStringLiteral("t"));
        EXPECT_EQ(log, QStringList{"x:t"});
    }
}

TEST(MessageBus, UnsubscribeAllByHandlerMatchesCodeAndObject)
{
    TMessageBus bus;
    QStringList log;
    Recorder r{QStringLiteral("r"), &log}, s{QStringLiteral("s"), &log};
    for (const char *topic : {"a", "b"}) {
        bus.Subscribe(QString::fromLatin1(topic), r.handler());
        bus.Subscribe(QString::fromLatin1(topic), r.other());
        bus.Subscribe(QString::fromLatin1(topic), s.handler());
        bus.Subscribe(QString::fromLatin1(topic), r.handler());
    }
    EXPECT_TRUE(r.handler() == r.handler());
    EXPECT_FALSE(r.handler() == r.other());
    EXPECT_FALSE(r.handler() == s.handler());

    bus.UnsubscribeAll(r.handler());
    bus.Send(QStringLiteral("a"));
    bus.Send(QStringLiteral("b"));
    EXPECT_EQ(log, (QStringList{"r/other:a", "s:a", "r:a", "r/other:b", "s:b", "r:b"}));
}

TEST(MessageBus, TopicsAreExactAndLiveWhileSubscribed)
{
    TMessageBus bus;
    QStringList log;
    Recorder lower{QStringLiteral("lower"), &log}, upper{QStringLiteral("upper"), &log};
    bus.Subscribe(QStringLiteral("device.arrival"), lower.handler());
    bus.Subscribe(QStringLiteral("Device.Arrival"), upper.handler());

    bus.Send(QStringLiteral("device.arrival"));
    bus.Send(QStringLiteral("DEVICE.ARRIVAL"));
    EXPECT_EQ(log, QStringList{"lower:device.arrival"});

    bus.Unsubscribe(QStringLiteral("device.arrival"), &lower);
    EXPECT_FALSE(bus.HasTopic(QStringLiteral("device.arrival")));
    EXPECT_TRUE(bus.HasTopic(QStringLiteral("Device.Arrival")));
    // Removing what is not there changes nothing.
    bus.Unsubscribe(QStringLiteral("device.arrival"), &lower);
    bus.UnsubscribeAll(&log);
    EXPECT_EQ(bus.SubscriptionCount(QStringLiteral("Device.Arrival")), 1);

    // Subscribing again creates the topic anew, and sends reach the new subscription.
    Recorder again{QStringLiteral("again"), &log};
    bus.Subscribe(QStringLiteral("device.arrival"), again.handler());
    EXPECT_EQ(bus.SubscriptionCount(QStringLiteral("device.arrival")), 1);
    bus.Send(QStringLiteral("device.arrival"));
    EXPECT_EQ(log, (QStringList{"lower:device.arrival", "again:device.arrival"}));
}

TEST(MessageBus, SubscriberExceptionEndsDeliveryAndReachesSender)
{
    TMessageBus bus;
    QStringList log;
    Recorder a{QStringLiteral("a"), &log}, b{QStringLiteral("b"), &log}, c{QStringLiteral("c"), &log};
    bus.Subscribe(QStringLiteral("t"), a.handler());
    bus.Subscribe(QStringLiteral("t"), b.handler());
    bus.Subscribe(QStringLiteral("t"), c.handler());
    b.onCall = [](const QString &) { throw std::runtime_error("refused"); };

    EXPECT_THROW(bus.Send(QStringLiteral("t"), QVariant(1)), std::runtime_error);
    EXPECT_EQ(log, (QStringList{"a:t", "b:t"}));
    EXPECT_EQ(bus.SubscriptionCount(QStringLiteral("t")), 3);

    // A removal made before the throw still holds, and the next delivery runs normally.
    b.onCall = [&](const QString &) {
        bus.Unsubscribe(QStringLiteral("t"), &c);
        throw std::runtime_error("again");
    };
    log.clear();
    EXPECT_THROW(bus.Send(QStringLiteral("t")), std::runtime_error);
    b.onCall = nullptr;
    bus.Send(QStringLiteral("t"));
    EXPECT_EQ(log, (QStringList{"a:t", "b:t", "a:t", "b:t"}));
}

TEST(MessageBus, ClientsAreHeldUntilUnsubscribedOrTheBusGoes)
{
    QStringList log;
    auto client = std::make_shared<Client>();
    client->log = &log;
    {
        TMessageBus bus;
        bus.Subscribe({u"x", u"y", u"x"}, client);
        EXPECT_EQ(client.use_count(), 4);
        bus.Unsubscribe({u"x"}, client);
        EXPECT_EQ(client.use_count(), 3);
        bus.UnsubscribeAll(client);
        EXPECT_EQ(client.use_count(), 1);
        EXPECT_FALSE(bus.HasTopic(QStringLiteral("y")));

        // A client that unsubscribes inside Notify and drops the last outside reference lives
        // until its call returns.
        auto self = std::make_shared<Client>();
        std::weak_ptr<Client> watch = self;
        bus.Subscribe({u"z"}, self);
        self->onNotify = [&bus, raw = self.get(), watch] {
            bus.UnsubscribeAll(watch.lock());
            raw->log = nullptr;
        };
        self.reset();
        bus.Send(QStringLiteral("z"));
        EXPECT_TRUE(watch.expired());

        bus.Subscribe({u"x"}, client);
    }
    EXPECT_EQ(client.use_count(), 1);
    EXPECT_TRUE(log.isEmpty());
}

TEST(DataList, DisposesRecordsThroughOneHookThenFreesThem)
{
    struct Rec
    {
        int value;
        QString *text;
    };
    QStringList disposed;
    {
        TDataList<Rec> list;
        EXPECT_EQ(list.Add()->value, 0);
        list.Item(0)->value = 1;
        list.Add()->value = 2;
        list.Add()->value = 3;
        list.ClearDataRef = [&](Rec *r) { disposed << QStringLiteral("ref%1").arg(r->value); };
        list.Delete(1);
        list.OnClearData = [&](TDataList<Rec> &l, Rec *r) {
            disposed << QStringLiteral("event%1/%2").arg(r->value).arg(l.Count());
        };
        list.Add()->value = 4;
        EXPECT_EQ(list.Item(2)->value, 4);
        EXPECT_THROW(list.Item(3), Exception);
        EXPECT_THROW(list.Delete(-1), Exception);
    }
    // The list is emptied before its records are disposed, first to last.
    EXPECT_EQ(disposed, (QStringList{"ref2", "event1/0", "event3/0", "event4/0"}));
}

} // namespace
