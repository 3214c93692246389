#include "platform/audio/AudioPlayer.h"

#include "util/FsName.h"

#include <QThreadPool>
#include <condition_variable>
#include <deque>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>
#include <mutex>
#include <tuple>
#include <unistd.h>

namespace kalido::audio {

namespace {

constexpr int kPlayFlagAudio = 0x02;
constexpr int kPlayFlagSoftVolume = 0x10;
constexpr guint64 kPcmBytesPerSecond = 44100 * 4;
constexpr gsize kPcmChunk = 2352 * 8; // eight CD sectors, about 107 ms

// The source a ".cda" track plays from, fed to appsrc on its streaming thread.
struct PcmFeed
{
    std::unique_ptr<PcmSource> source;
    guint64 bytes = 0;
};

void feedNeedData(GstAppSrc *src, guint, gpointer user)
{
    auto *feed = static_cast<PcmFeed *>(user);
    GstBuffer *buffer = gst_buffer_new_allocate(nullptr, kPcmChunk, nullptr);
    GstMapInfo map;
    gst_buffer_map(buffer, &map, GST_MAP_WRITE);
    const qint64 n = feed->source->read(reinterpret_cast<char *>(map.data), kPcmChunk);
    gst_buffer_unmap(buffer, &map);
    if (n <= 0) {
        gst_buffer_unref(buffer);
        if (n == 0)
            gst_app_src_end_of_stream(src);
        else
            GST_ELEMENT_ERROR(src, RESOURCE, READ, ("Cannot read the audio track"), (nullptr));
        return;
    }
    const gsize size = gsize(n) & ~gsize(3); // whole frames only
    gst_buffer_set_size(buffer, size);
    GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(feed->bytes, GST_SECOND, kPcmBytesPerSecond);
    GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(size, GST_SECOND, kPcmBytesPerSecond);
    feed->bytes += size;
    gst_app_src_push_buffer(src, buffer);
}

void deleteFeed(gpointer user)
{
    delete static_cast<PcmFeed *>(user);
}

QByteArray fileUri(const QString &path)
{
    const QByteArray bytes = FsEncode(path);
    if (bytes.isEmpty() || access(bytes.constData(), R_OK) != 0)
        return {};
    gchar *uri = gst_filename_to_uri(bytes.constData(), nullptr);
    QByteArray result(uri ? uri : "");
    g_free(uri);
    return result;
}

// True when the file decodes to audio; bounded by the discoverer's own timeout.
bool fileIsPlayable(const QByteArray &uri)
{
    GError *error = nullptr;
    GstDiscoverer *discoverer = gst_discoverer_new(5 * GST_SECOND, &error);
    if (!discoverer) {
        g_clear_error(&error);
        return false;
    }
    GstDiscovererInfo *info = gst_discoverer_discover_uri(discoverer, uri.constData(), &error);
    bool good = false;
    if (info) {
        if (gst_discoverer_info_get_result(info) == GST_DISCOVERER_OK) {
            GList *streams = gst_discoverer_info_get_audio_streams(info);
            good = streams != nullptr;
            gst_discoverer_stream_info_list_free(streams);
        }
        g_object_unref(info);
    }
    g_clear_error(&error);
    g_object_unref(discoverer);
    return good;
}

} // namespace

void InitAudio()
{
    static std::once_flag once;
    std::call_once(once, [] { gst_init_check(nullptr, nullptr, nullptr); });
}

// State the streaming threads and background checks share with the player.
struct AudioPlayer::Shared
{
    enum class Next { None, Checking, Good, Bad };

    std::mutex mutex;
    std::condition_variable checked;
    std::atomic<quint64> generation{1};
    std::atomic<quint64> lastId{0};
    AudioFollower follower;
    AudioPlayer *owner = nullptr;
    std::weak_ptr<Shared> self;
    bool gapless = true;
    // The PCM that the next appsrc created by playbin plays.
    std::unique_ptr<PcmSource> pcmForSource;
    // Gapless candidate.
    quint64 nextId = 0;
    int nextTag = -1;
    Next nextState = Next::None;
    QByteArray nextUri;
    std::unique_ptr<PcmSource> nextPcm;
    // Candidates handed to playbin whose first data has not reached the output yet (stream id,
    // tag). Short tracks are read through at once, so several can wait in line.
    std::deque<std::pair<quint64, int>> handedOff;

    // Starts the background check of the track that follows the one tagged tag. Mutex held.
    void checkFollowerLocked(const std::shared_ptr<Shared> &self, int tag);
};

void AudioPlayer::Shared::checkFollowerLocked(const std::shared_ptr<Shared> &self, int tag)
{
    nextId = 0;
    nextState = Next::None;
    nextUri.clear();
    nextPcm.reset();
    if (!gapless || !follower)
        return;
    std::optional<AudioTrack> track = follower(tag);
    if (!track)
        return;
    const quint64 id = ++lastId;
    nextId = id;
    nextState = Next::Checking;
    nextTag = track->tag;
    // The check runs off the GUI thread: a discoverer may take a while on a bad file.
    QThreadPool::globalInstance()->start([shared = self, id, track = std::move(*track)] {
        std::unique_ptr<PcmSource> pcm;
        QByteArray uri;
        bool good = false;
        if (track.pcm) {
            pcm = track.pcm();
            good = pcm != nullptr;
        } else {
            uri = fileUri(track.file);
            good = !uri.isEmpty() && fileIsPlayable(uri);
        }
        std::lock_guard lock(shared->mutex);
        if (shared->nextId != id)
            return;
        shared->nextState = good ? Next::Good : Next::Bad;
        shared->nextUri = uri;
        shared->nextPcm = std::move(pcm);
        shared->checked.notify_all();
    });
}

// GStreamer's callbacks, friends of the player so they can reach its shared state.
struct AudioBridge
{
    using Shared = AudioPlayer::Shared;
    static GstBusSyncReply busSync(GstBus *, GstMessage *message, gpointer user);
    static void aboutToFinish(GstElement *playbin, gpointer user);
    static void sourceSetup(GstElement *, GstElement *source, gpointer user);
};

GstBusSyncReply AudioBridge::busSync(GstBus *, GstMessage *message, gpointer user)
{
    auto *shared = static_cast<Shared *>(user);
    const int type = GST_MESSAGE_TYPE(message);
    bool fromPipeline = false;
    int newState = 0;
    switch (type) {
    case GST_MESSAGE_EOS:
    case GST_MESSAGE_ERROR:
    case GST_MESSAGE_STREAM_START:
        break;
    case GST_MESSAGE_STATE_CHANGED: {
        GstState state;
        gst_message_parse_state_changed(message, nullptr, &state, nullptr);
        fromPipeline = GST_IS_PIPELINE(GST_MESSAGE_SRC(message));
        if (!fromPipeline || state != GST_STATE_PLAYING) {
            gst_message_unref(message);
            return GST_BUS_DROP;
        }
        newState = state;
        break;
    }
    default:
        gst_message_unref(message);
        return GST_BUS_DROP;
    }
    const quint64 generation = shared->generation.load();
    AudioPlayer *owner = shared->owner;
    QMetaObject::invokeMethod(
        owner,
        [owner, generation, type, fromPipeline, newState] {
            owner->handleMessage(generation, type, fromPipeline, newState);
        },
        Qt::QueuedConnection);
    gst_message_unref(message);
    return GST_BUS_DROP;
}

void AudioBridge::aboutToFinish(GstElement *playbin, gpointer user)
{
    auto *shared = static_cast<Shared *>(user);
    std::unique_lock lock(shared->mutex);
    // Short local files are read to their end long before they finish playing, so the check
    // of the candidate may still be running. The output keeps playing what it holds meanwhile.
    shared->checked.wait_for(lock, std::chrono::seconds(6),
                             [shared] { return shared->nextState != Shared::Next::Checking; });
    if (!shared->gapless || shared->nextState != Shared::Next::Good)
        return;
    if (shared->nextPcm) {
        shared->pcmForSource = std::move(shared->nextPcm);
        g_object_set(playbin, "uri", "appsrc://", nullptr);
    } else {
        // The file was good when checked; if it has gone since, the track ends normally.
        gchar *name = g_filename_from_uri(shared->nextUri.constData(), nullptr, nullptr);
        const bool there = name && access(name, R_OK) == 0;
        g_free(name);
        if (!there)
            return;
        g_object_set(playbin, "uri", shared->nextUri.constData(), nullptr);
    }
    shared->handedOff.emplace_back(shared->nextId, shared->nextTag);
    // Its own follower is checked now: a short track may run out before the GUI thread hears
    // that it started.
    shared->checkFollowerLocked(shared->self.lock(), shared->nextTag);
}

void AudioBridge::sourceSetup(GstElement *, GstElement *source, gpointer user)
{
    if (!GST_IS_APP_SRC(source))
        return;
    auto *shared = static_cast<Shared *>(user);
    auto *feed = new PcmFeed;
    {
        std::lock_guard lock(shared->mutex);
        feed->source = std::move(shared->pcmForSource);
    }
    GstAppSrc *appsrc = GST_APP_SRC(source);
    GstCaps *caps = gst_caps_from_string("audio/x-raw,format=S16LE,rate=44100,channels=2,layout=interleaved");
    gst_app_src_set_caps(appsrc, caps);
    gst_caps_unref(caps);
    g_object_set(appsrc, "format", GST_FORMAT_TIME, "stream-type", GST_APP_STREAM_TYPE_STREAM, nullptr);
    if (!feed->source) {
        delete feed;
        GST_ELEMENT_ERROR(appsrc, RESOURCE, NOT_FOUND, ("No audio track to play"), (nullptr));
        return;
    }
    GstAppSrcCallbacks callbacks{};
    callbacks.need_data = feedNeedData;
    gst_app_src_set_callbacks(appsrc, &callbacks, feed, deleteFeed);
}

AudioPlayer::AudioPlayer(QObject *parent) : AudioPlayer(Options{}, parent) {}

AudioPlayer::AudioPlayer(const Options &options, QObject *parent)
    : QObject(parent), options_(options), shared_(std::make_shared<Shared>())
{
    InitAudio();
    shared_->owner = this;
    shared_->self = shared_;
    shared_->gapless = options.gapless;
    watchdog_.setSingleShot(true);
    connect(&watchdog_, &QTimer::timeout, this, &AudioPlayer::onWatchdog);

    playbin_ = gst_element_factory_make("playbin", nullptr);
    if (!playbin_)
        return; // no GStreamer plugins: every track fails, silently
    gst_object_ref_sink(playbin_);
    g_object_set(playbin_, "flags", kPlayFlagAudio | kPlayFlagSoftVolume, nullptr);
    GError *error = nullptr;
    sink_ = gst_parse_bin_from_description(options.sink.constData(), TRUE, &error);
    g_clear_error(&error);
    if (sink_) {
        GstElement *inner = nullptr;
        // A single element is easier to measure than the bin around it.
        if (GST_IS_BIN(sink_) && GST_BIN_NUMCHILDREN(GST_BIN(sink_)) == 1)
            inner = GST_ELEMENT(GST_BIN_CHILDREN(GST_BIN(sink_))->data);
        g_object_set(playbin_, "audio-sink", sink_, nullptr);
        if (inner)
            sink_ = inner;
    }
    GstBus *bus = gst_element_get_bus(playbin_);
    gst_bus_set_sync_handler(bus, AudioBridge::busSync, shared_.get(), nullptr);
    gst_object_unref(bus);
    g_signal_connect(playbin_, "about-to-finish", G_CALLBACK(AudioBridge::aboutToFinish), shared_.get());
    g_signal_connect(playbin_, "source-setup", G_CALLBACK(AudioBridge::sourceSetup), shared_.get());
}

AudioPlayer::~AudioPlayer()
{
    stop();
    if (!playbin_)
        return;
    GstBus *bus = gst_element_get_bus(playbin_);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    g_signal_handlers_disconnect_by_data(playbin_, shared_.get());
    gst_object_unref(playbin_);
}

quint64 AudioPlayer::play(const AudioTrack &track)
{
    stop();
    const quint64 id = ++shared_->lastId;
    current_ = id;
    if (!playbin_) {
        failLater(id);
        return id;
    }
    QByteArray uri;
    if (track.pcm) {
        std::unique_ptr<PcmSource> source = track.pcm();
        if (source) {
            std::lock_guard lock(shared_->mutex);
            shared_->pcmForSource = std::move(source);
            uri = "appsrc://";
        }
    } else {
        uri = fileUri(track.file);
    }
    if (uri.isEmpty()) {
        failLater(id);
        return id;
    }
    {
        std::lock_guard lock(shared_->mutex);
        shared_->checkFollowerLocked(shared_, track.tag);
    }
    g_object_set(playbin_, "uri", uri.constData(), nullptr);
    if (gst_element_set_state(playbin_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        stop();
        current_ = id;
        failLater(id);
        return id;
    }
    watchdog_.start(options_.watchdogMs);
    return id;
}

void AudioPlayer::setFollower(AudioFollower follower)
{
    std::lock_guard lock(shared_->mutex);
    shared_->follower = std::move(follower);
}

void AudioPlayer::clearNext()
{
    std::lock_guard lock(shared_->mutex);
    shared_->nextId = 0;
    shared_->nextState = Shared::Next::None;
    shared_->nextUri.clear();
    shared_->nextPcm.reset();
    shared_->checked.notify_all();
}

void AudioPlayer::stop()
{
    watchdog_.stop();
    clearNext(); // also releases a streaming thread waiting for the candidate's check
    if (playbin_)
        gst_element_set_state(playbin_, GST_STATE_NULL);
    ++shared_->generation;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->handedOff.clear();
        shared_->pcmForSource.reset();
    }
    current_ = 0;
    playing_ = false;
    streamStarts_ = 0;
}

void AudioPlayer::failLater(quint64 stream)
{
    QTimer::singleShot(0, this, [this, stream] {
        if (current_ == stream && !playing_) {
            current_ = 0;
            emit failed(stream);
        }
    });
}

void AudioPlayer::onWatchdog()
{
    if (playing_ || current_ == 0)
        return;
    const quint64 stream = current_;
    stop();
    emit failed(stream);
}

void AudioPlayer::handleMessage(quint64 generation, int type, bool fromPipeline, int newState)
{
    if (generation != shared_->generation.load() || current_ == 0)
        return;
    const quint64 stream = current_;
    switch (type) {
    case GST_MESSAGE_STATE_CHANGED:
        if (fromPipeline && newState == GST_STATE_PLAYING && !playing_) {
            playing_ = true;
            watchdog_.stop();
            emit started(stream);
        }
        break;
    case GST_MESSAGE_STREAM_START:
        if (++streamStarts_ > 1) {
            quint64 next = 0;
            int tag = -1;
            {
                std::lock_guard lock(shared_->mutex);
                if (!shared_->handedOff.empty()) {
                    std::tie(next, tag) = shared_->handedOff.front();
                    shared_->handedOff.pop_front();
                }
            }
            if (next) {
                current_ = next;
                emit advanced(next, tag);
            }
        }
        break;
    case GST_MESSAGE_EOS:
    case GST_MESSAGE_ERROR: {
        // A track that played and then broke has ended as far as the listener is concerned;
        // one that never played could not be played. Either way the pipeline is released.
        const bool wasPlaying = playing_;
        stop();
        if (wasPlaying)
            emit ended(stream);
        else
            emit failed(stream);
        break;
    }
    default:
        break;
    }
}

} // namespace kalido::audio
