#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;

namespace kalido::audio {

// Raw CD-quality audio: 16-bit little-endian samples, 44.1 kHz, two interleaved channels.
class PcmSource
{
public:
    virtual ~PcmSource() = default;
    // Fills up to maxBytes; the number of bytes read, 0 at the end, -1 on a read error.
    // Called on a streaming thread, never on two threads at once.
    virtual qint64 read(char *data, qint64 maxBytes) = 0;
};

// Opens a fresh PCM source for one playing of a track; nullptr when it cannot be opened.
using PcmSourceFactory = std::function<std::unique_ptr<PcmSource>()>;

// One track: a file decoded by GStreamer, or raw PCM when pcm is set. The tag is the caller's
// own (a list index, say) and comes back with advanced().
struct AudioTrack
{
    QString file;
    PcmSourceFactory pcm;
    int tag = -1;

    static AudioTrack fromFile(const QString &path, int tag = -1) { return {path, {}, tag}; }
    static AudioTrack fromPcm(PcmSourceFactory factory, int tag = -1)
    {
        return {{}, std::move(factory), tag};
    }
};

// Names the track to follow the one with the given tag, or none. Called on the GUI thread and
// on GStreamer's streaming threads, so it must only read data that stays unchanged.
using AudioFollower = std::function<std::optional<AudioTrack>(int tag)>;

// Makes GStreamer ready; safe to call any number of times.
void InitAudio();

// Plays tracks one at a time through one playbin. Every track it is asked to play gets a
// stream id; the outcome arrives later, always on the owner's thread and never from inside
// play(): started() once the track plays, failed() when it cannot be played (including a
// start that neither plays nor fails within the watchdog time), ended() when it has played
// out. With a follower set, the track that follows each started track is checked in the
// background; when it is good and the current track runs out, it follows without a gap and
// advanced() reports its stream id and tag. Otherwise the current track simply ends.
class AudioPlayer : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        // gst-launch description of the output; a fake sink in benchmarks.
        QByteArray sink = "autoaudiosink";
        int watchdogMs = 4000;
        bool gapless = true;
    };

    explicit AudioPlayer(QObject *parent = nullptr);
    explicit AudioPlayer(const Options &options, QObject *parent = nullptr);
    ~AudioPlayer() override;

    // Stops whatever plays and starts the track; returns its stream id (never 0).
    quint64 play(const AudioTrack &track);
    void setFollower(AudioFollower follower);
    // Stops playing; no signal follows for the stopped stream.
    void stop();

    // Stream id of the track playing or starting now; 0 when none.
    quint64 current() const { return current_; }
    bool isPlaying() const { return playing_; }
    // The output element, for measurements.
    GstElement *sink() const { return sink_; }

signals:
    void started(quint64 stream);
    void failed(quint64 stream);
    void ended(quint64 stream);
    void advanced(quint64 stream, int tag);

private:
    friend struct AudioBridge;
    struct Shared;

    void handleMessage(quint64 generation, int type, bool fromPipeline, int newState);
    void clearNext();
    void failLater(quint64 stream);
    void onWatchdog();

    Options options_;
    GstElement *playbin_ = nullptr;
    GstElement *sink_ = nullptr;
    std::shared_ptr<Shared> shared_;
    QTimer watchdog_;
    quint64 current_ = 0;
    bool playing_ = false;
    int streamStarts_ = 0;
};

} // namespace kalido::audio
