#pragma once

#include "services/DataList.h"
#include "services/Method.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kalido {

class IMessageBus;
class TWideStringObjectHash;

// A subscriber that the bus holds through a counted reference. QString is already the wide
// string form a client expects, so it receives the payload exactly as it was sent.
class IMessageBusClient
{
public:
    virtual ~IMessageBusClient() = default;
    virtual void Notify(const QString &topic, const QVariant &data) = 0;
};

// A handler subscription: a method bound to its subscriber object. The bus keeps no reference
// on the object, so the object must unsubscribe before it goes.
using TMessageEvent = TMethod<void(IMessageBus &sender, const QString &topic, const QVariant &data)>;

// Topic text in its OLE wide-string form, for the operations that take it.
using OleString = std::u16string_view;
using OleStringArray = std::vector<std::u16string>;

// A synchronous publish/subscribe service. Topics compare exactly (letter case counts). Every
// subscriber of a topic is called at once, on the sender's thread, in subscription order.
// Payloads: Unassigned = QVariant(), Null = QVariant::fromValue(nullptr), arrays = QVariantList.
class IMessageBus
{
public:
    // Delivers Topic with an unassigned payload.
    virtual void Send(OleString topic) = 0;
    // One client subscription per topic, in array order.
    virtual void Subscribe(const OleStringArray &topics,
                           const std::shared_ptr<IMessageBusClient> &client) = 0;
    // Per topic, removes the first subscription of that client.
    virtual void Unsubscribe(const OleStringArray &topics,
                             const std::shared_ptr<IMessageBusClient> &client) = 0;
    // In every topic, removes the first subscription of that client.
    virtual void UnsubscribeAll(const std::shared_ptr<IMessageBusClient> &client) = 0;
    virtual void Send(const QString &topic, const QVariant &data) = 0;
    // Delivers Topic with a Null payload.
    virtual void Send(const QString &topic) = 0;
    // Delivers Topic with one payload: the values as a list, index 0 first.
    virtual void Send(const QString &topic, const QVariantList &values) = 0;
    // One handler subscription per topic, in list order.
    virtual void Subscribe(const QStringList &topics, const TMessageEvent &handler) = 0;
    virtual void Subscribe(const QString &topic, const TMessageEvent &handler) = 0;
    // Per topic, removes the first handler subscription bound to Subscriber.
    virtual void Unsubscribe(const QStringList &topics, const void *subscriber) = 0;
    virtual void Unsubscribe(const QString &topic, const void *subscriber) = 0;
    // In every topic, removes the first handler subscription bound to Subscriber.
    virtual void UnsubscribeAll(const void *subscriber) = 0;
    // In every topic, removes the first subscription with exactly this handler (code and object).
    virtual void UnsubscribeAll(const TMessageEvent &handler) = 0;

protected:
    ~IMessageBus() = default;
};

enum class TSubscriberKind : std::uint8_t {
    Client = 0,
    Handler = 1,
    // Taken out of its topic while a delivery was running; skipped by that delivery.
    Removed = 2,
};

// One subscription.
struct TSubscriber
{
    TSubscriberKind Kind = TSubscriberKind::Client;
    std::shared_ptr<IMessageBusClient> Client;
    TMessageEvent Handler;
};

// The bus. Removing a subscription during a delivery is safe: a delivery calls the
// subscriptions present when it began that are still subscribed when their turn comes, and
// subscriptions added meanwhile wait for the next Send. An exception from a subscriber ends the
// delivery and passes to the sender.
class TMessageBus final : public IMessageBus
{
public:
    TMessageBus();
    ~TMessageBus();
    TMessageBus(const TMessageBus &) = delete;
    TMessageBus &operator=(const TMessageBus &) = delete;

    void Send(OleString topic) override;
    void Subscribe(const OleStringArray &topics, const std::shared_ptr<IMessageBusClient> &client) override;
    void Unsubscribe(const OleStringArray &topics, const std::shared_ptr<IMessageBusClient> &client) override;
    void UnsubscribeAll(const std::shared_ptr<IMessageBusClient> &client) override;
    void Send(const QString &topic, const QVariant &data) override;
    void Send(const QString &topic) override;
    void Send(const QString &topic, const QVariantList &values) override;
    void Subscribe(const QStringList &topics, const TMessageEvent &handler) override;
    void Subscribe(const QString &topic, const TMessageEvent &handler) override;
    void Unsubscribe(const QStringList &topics, const void *subscriber) override;
    void Unsubscribe(const QString &topic, const void *subscriber) override;
    void UnsubscribeAll(const void *subscriber) override;
    void UnsubscribeAll(const TMessageEvent &handler) override;

    // Inspection: whether Topic has subscriptions, and how many.
    bool HasTopic(const QString &topic) const;
    int SubscriptionCount(const QString &topic) const;

private:
    struct Criterion;
    class TopicList;

    TopicList *find(QStringView topic) const;
    void addSubscription(const QString &topic, const std::shared_ptr<IMessageBusClient> &client,
                         const TMessageEvent &handler);
    void removeSubscription(const QString &topic, const Criterion &criterion);
    void removeEverywhere(const Criterion &criterion);

    std::unique_ptr<TWideStringObjectHash> topics_;
    // The topic sent last and its list, so that repeated sends skip the hashing. Cleared
    // whenever a topic leaves the table. The key is a deep copy: its text cannot change.
    QString lastTopic_;
    TopicList *lastList_ = nullptr;
    // Records taken out while a delivery runs; freed when the outermost delivery ends.
    std::vector<std::unique_ptr<TSubscriber>> removed_;
    int delivering_ = 0;
};

} // namespace kalido
