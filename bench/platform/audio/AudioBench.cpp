// The pause between two tracks, with the gapless hand-over and with the plain chaining on end
// of track (the anchor), and the time from asking for a track to its first buffer at the
// output. Times come from the output's buffers: each buffer is handed over when the clock says
// it plays, so a gap is the time between the end of the last buffer of one track and the
// first buffer of the next.

#include "platform/audio/AudioPlayer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <gst/gst.h>
#include <mutex>
#include <optional>

using namespace kalido::audio;

namespace {

QTemporaryDir *media = nullptr;

QString tone(const QString &name, int hz, double seconds)
{
    const QString path = media->filePath(name);
    QProcess::execute("ffmpeg", {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                 QStringLiteral("sine=frequency=%1:duration=%2").arg(hz).arg(seconds), "-ac",
                                 "2", "-c:a", "libvorbis", path});
    return path;
}

struct Buffer
{
    qint64 at;       // ns, steady clock, when the output took it
    qint64 duration; // ns
    qint64 running;  // ns, the pipeline's running time of the buffer; -1 when unknown
    QByteArray stream;
};

struct Recorder
{
    std::mutex mutex;
    std::vector<Buffer> buffers;

    static void handoff(GstElement *, GstBuffer *buffer, GstPad *pad, gpointer user)
    {
        auto *self = static_cast<Recorder *>(user);
        const qint64 now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::steady_clock::now().time_since_epoch())
                               .count();
        gchar *id = gst_pad_get_stream_id(pad);
        qint64 running = -1;
        if (GstEvent *event = gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0)) {
            const GstSegment *segment;
            gst_event_parse_segment(event, &segment);
            running = qint64(gst_segment_to_running_time(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer)));
            gst_event_unref(event);
        }
        std::lock_guard lock(self->mutex);
        self->buffers.push_back(
            {now, qint64(GST_BUFFER_DURATION(buffer)), running, QByteArray(id ? id : "")});
        g_free(id);
    }

    // The gap at the first change of stream, in seconds (a hair below zero is clock jitter);
    // none while the second track has not begun.
    std::optional<double> gap(bool byRunningTime = false)
    {
        std::lock_guard lock(mutex);
        for (size_t i = 1; i < buffers.size(); ++i) {
            const Buffer &last = buffers[i - 1], &first = buffers[i];
            if (first.stream == last.stream)
                continue;
            if (byRunningTime)
                return double(first.running - last.running - last.duration) / 1e9;
            return double(first.at - last.at - last.duration) / 1e9;
        }
        return std::nullopt;
    }
};

std::unique_ptr<AudioPlayer> makePlayer(bool gapless, Recorder &recorder)
{
    AudioPlayer::Options options;
    options.sink = "fakesink sync=true signal-handoffs=true";
    options.gapless = gapless;
    auto player = std::make_unique<AudioPlayer>(options);
    g_signal_connect(player->sink(), "handoff", G_CALLBACK(Recorder::handoff), &recorder);
    return player;
}

void waitUntil(const std::function<bool()> &done)
{
    QDeadlineTimer deadline(20000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
}

void trackGap(benchmark::State &state, bool gapless)
{
    // A first track long enough for the check of the second to finish on a busy machine.
    const QString a = tone("a.ogg", 440, 3), b = tone("b.ogg", 660, 0.6);
    double runningGaps = 0;
    for (auto _ : state) {
        Recorder recorder;
        auto player = makePlayer(gapless, recorder);
        player->setFollower([b](int tag) -> std::optional<AudioTrack> {
            if (tag == 0)
                return AudioTrack::fromFile(b, 1);
            return std::nullopt;
        });
        bool done = false;
        QObject::connect(player.get(), &AudioPlayer::ended, [&](quint64) {
            if (recorder.gap()) // the second track has played out
                done = true;
            else
                player->play(AudioTrack::fromFile(b, 1)); // the chaining the anchor does
        });
        player->play(AudioTrack::fromFile(a, 0));
        waitUntil([&] { return done; });
        const std::optional<double> gap = recorder.gap();
        if (!gap) {
            state.SkipWithError("no track change seen");
            break;
        }
        if (getenv("KALIDO_BENCH_VERBOSE"))
            fprintf(stderr, "gap %.3f ms, by running time %.3f ms\n", *gap * 1000,
                    *recorder.gap(true) * 1000);
        state.SetIterationTime(std::max(*gap, 0.0));
        if (gapless) // one pipeline: its running time shows the gap without the scheduler's jitter
            runningGaps += *recorder.gap(true);
    }
    if (gapless)
        state.counters["running_time_gap_ms"] = runningGaps * 1000 / double(state.iterations());
}

void BM_TrackGap_EndOfTrackChaining(benchmark::State &state)
{
    trackGap(state, false);
}
void BM_TrackGap_Gapless(benchmark::State &state)
{
    trackGap(state, true);
}

void BM_PlayToFirstBuffer(benchmark::State &state)
{
    const QString a = tone("first.ogg", 440, 1);
    Recorder recorder;
    auto player = makePlayer(false, recorder);
    for (auto _ : state) {
        {
            std::lock_guard lock(recorder.mutex);
            recorder.buffers.clear();
        }
        const auto start = std::chrono::steady_clock::now();
        player->play(AudioTrack::fromFile(a));
        waitUntil([&] {
            std::lock_guard lock(recorder.mutex);
            return !recorder.buffers.empty();
        });
        qint64 first;
        {
            std::lock_guard lock(recorder.mutex);
            first = recorder.buffers.empty() ? 0 : recorder.buffers.front().at;
        }
        player->stop();
        const qint64 begin =
            std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
        state.SetIterationTime(double(first - begin) / 1e9);
    }
}

} // namespace

BENCHMARK(BM_TrackGap_EndOfTrackChaining)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrackGap_Gapless)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayToFirstBuffer)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    media = &dir;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
