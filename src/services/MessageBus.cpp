#include "services/MessageBus.h"

#include "files/StringHash.h"

#include <QScopeGuard>
#include <QVarLengthArray>

namespace kalido {

// The subscriptions of one topic. Disposing a record releases its client reference.
class TMessageBus::TopicList final : public StoredObject, public TDataList<TSubscriber>
{
public:
    TopicList()
    {
        OnClearData = [](TDataList<TSubscriber> &, TSubscriber *item) { item->Client.reset(); };
    }
};

// What a removal looks for: a client, an exact handler, or any handler of an object.
struct TMessageBus::Criterion
{
    const IMessageBusClient *client = nullptr;
    const TMessageEvent *handler = nullptr;
    const void *object = nullptr;
    bool byObject = false;

    bool matches(const TSubscriber &s) const
    {
        if (s.Kind == TSubscriberKind::Removed)
            return false;
        if (client && s.Client.get() == client)
            return true;
        if (handler && s.Handler && s.Handler == *handler)
            return true;
        return byObject && s.Handler && s.Handler.Object() == object;
    }
};

namespace {

QString fromOle(OleString text)
{
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

} // namespace

TMessageBus::TMessageBus() : topics_(std::make_unique<TWideStringObjectHash>(true, true)) {}

TMessageBus::~TMessageBus() = default;

TMessageBus::TopicList *TMessageBus::find(QStringView topic) const
{
    return static_cast<TopicList *>(topics_->Find(topic));
}

bool TMessageBus::HasTopic(const QString &topic) const
{
    return topics_->Contains(topic);
}

int TMessageBus::SubscriptionCount(const QString &topic) const
{
    const TopicList *list = find(topic);
    return list ? int(list->Count()) : 0;
}

void TMessageBus::Send(const QString &topic, const QVariant &data)
{
    TopicList *list = lastList_;
    if (!list || topic != lastTopic_) {
        list = find(topic);
        if (!list)
            return;
        lastTopic_ = QString(topic.constData(), topic.size());
        lastList_ = list;
    }

    // The recipients are fixed now: a subscription added during the delivery waits for the next
    // Send, and one removed meanwhile is marked and skipped (its record lives on in removed_
    // until the outermost delivery ends, so these pointers stay valid).
    QVarLengthArray<TSubscriber *, 16> recipients;
    recipients.reserve(list->Count());
    for (const auto &s : *list)
        recipients.append(s.get());

    ++delivering_;
    const auto done = qScopeGuard([this] {
        if (--delivering_ == 0)
            removed_.clear();
    });
    for (TSubscriber *s : recipients) {
        switch (s->Kind) {
        case TSubscriberKind::Client: {
            // Our own reference keeps the client alive even if it unsubscribes inside Notify.
            const std::shared_ptr<IMessageBusClient> client = s->Client;
            client->Notify(topic, data);
            break;
        }
        case TSubscriberKind::Handler:
            s->Handler(*this, topic, data);
            break;
        default:
            break;
        }
    }
}

void TMessageBus::Send(OleString topic)
{
    Send(fromOle(topic), QVariant());
}

void TMessageBus::Send(const QString &topic)
{
    Send(topic, QVariant::fromValue(nullptr));
}

void TMessageBus::Send(const QString &topic, const QVariantList &values)
{
    Send(topic, QVariant(values));
}

void TMessageBus::addSubscription(const QString &topic, const std::shared_ptr<IMessageBusClient> &client,
                                  const TMessageEvent &handler)
{
    // A subscription that would call nobody is not recorded.
    if (!client && !handler)
        return;
    TopicList *list = find(topic);
    if (!list) {
        auto created = std::make_unique<TopicList>();
        list = created.get();
        topics_->Add(topic, std::move(created));
    }
    TSubscriber *s = list->Add();
    s->Kind = client ? TSubscriberKind::Client : TSubscriberKind::Handler;
    s->Client = client;
    if (!client)
        s->Handler = handler;
}

void TMessageBus::removeSubscription(const QString &topic, const Criterion &criterion)
{
    TopicList *list = find(topic);
    if (!list)
        return;
    for (qsizetype i = 0; i < list->Count(); ++i) {
        if (!criterion.matches(*list->Item(i)))
            continue;
        std::unique_ptr<TSubscriber> taken = list->Take(i);
        const bool keepRecord = delivering_ > 0;
        if (keepRecord)
            taken->Kind = TSubscriberKind::Removed;
        // Releasing a client may run its destructor, which may use the bus again: the record
        // is already out of the list, and the list is looked up afresh below.
        list->ClearData(taken.get());
        if (keepRecord)
            removed_.push_back(std::move(taken));
        break;
    }
    list = find(topic);
    if (list && list->Count() == 0) {
        if (list == lastList_)
            lastList_ = nullptr;
        topics_->Remove(topic);
    }
}

void TMessageBus::removeEverywhere(const Criterion &criterion)
{
    for (int slot = topics_->SlotCount() - 1; slot >= 0; --slot) {
        if (slot >= topics_->SlotCount() || topics_->IsDeleted(slot))
            continue;
        removeSubscription(topics_->KeyAt(slot), criterion);
    }
}

void TMessageBus::Subscribe(const OleStringArray &topics, const std::shared_ptr<IMessageBusClient> &client)
{
    for (const std::u16string &topic : topics)
        addSubscription(fromOle(topic), client, TMessageEvent());
}

void TMessageBus::Unsubscribe(const OleStringArray &topics, const std::shared_ptr<IMessageBusClient> &client)
{
    if (!client)
        return;
    const Criterion criterion{.client = client.get()};
    for (const std::u16string &topic : topics)
        removeSubscription(fromOle(topic), criterion);
}

void TMessageBus::UnsubscribeAll(const std::shared_ptr<IMessageBusClient> &client)
{
    if (!client)
        return;
    removeEverywhere(Criterion{.client = client.get()});
}

void TMessageBus::Subscribe(const QStringList &topics, const TMessageEvent &handler)
{
    for (const QString &topic : topics)
        addSubscription(topic, nullptr, handler);
}

void TMessageBus::Subscribe(const QString &topic, const TMessageEvent &handler)
{
    addSubscription(topic, nullptr, handler);
}

void TMessageBus::Unsubscribe(const QStringList &topics, const void *subscriber)
{
    const Criterion criterion{.object = subscriber, .byObject = true};
    for (const QString &topic : topics)
        removeSubscription(topic, criterion);
}

void TMessageBus::Unsubscribe(const QString &topic, const void *subscriber)
{
    removeSubscription(topic, Criterion{.object = subscriber, .byObject = true});
}

void TMessageBus::UnsubscribeAll(const void *subscriber)
{
    removeEverywhere(Criterion{.object = subscriber, .byObject = true});
}

void TMessageBus::UnsubscribeAll(const TMessageEvent &handler)
{
    if (!handler)
        return;
    removeEverywhere(Criterion{.handler = &handler});
}

} // namespace kalido
