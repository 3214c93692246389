// Sending one topic with a string payload to ten handlers, against a Qt signal with a QString
// argument connected directly to ten slots.
#include "services/MessageBus.h"

#include <QObject>
#include <benchmark/benchmark.h>

#include <array>

using namespace kalido;

namespace {

struct Handler
{
    qsizetype seen = 0;
    // Reads the string in place, as the slot below does.
    void OnMessage(IMessageBus &, const QString &, const QVariant &data)
    {
        if (data.typeId() == QMetaType::QString)
            seen += static_cast<const QString *>(data.constData())->size();
    }
};

} // namespace

class Emitter : public QObject
{
    Q_OBJECT
signals:
    void message(const QString &text);
};

class Receiver : public QObject
{
    Q_OBJECT
public:
    qsizetype seen = 0;
public slots:
    void onMessage(const QString &text) { seen += text.size(); }
};

static void BM_Send_Kalido(benchmark::State &state)
{
    TMessageBus bus;
    std::array<Handler, 10> handlers;
    for (Handler &h : handlers)
        bus.Subscribe(QStringLiteral("device.arrival"), TMessageEvent(&h, &Handler::OnMessage));
    const QString topic = QStringLiteral("device.arrival");
    const QVariant payload(QStringLiteral("/media/cdrom"));
    for (auto _ : state)
        bus.Send(topic, payload);
    benchmark::DoNotOptimize(handlers[9].seen);
}

static void BM_Send_QtSignal(benchmark::State &state)
{
    Emitter emitter;
    std::array<Receiver, 10> receivers;
    for (Receiver &r : receivers)
        QObject::connect(&emitter, &Emitter::message, &r, &Receiver::onMessage, Qt::DirectConnection);
    const QString payload = QStringLiteral("/media/cdrom");
    for (auto _ : state)
        emit emitter.message(payload);
    benchmark::DoNotOptimize(receivers[9].seen);
}

BENCHMARK(BM_Send_Kalido)->Name("BM_Send/Kalido");
BENCHMARK(BM_Send_QtSignal)->Name("BM_Send/QtSignal");

BENCHMARK_MAIN();

#include "SendBench.moc"
