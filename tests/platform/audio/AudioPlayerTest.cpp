#include "platform/audio/AudioPlayer.h"

#include "AudioMedia.h"

#include <QSignalSpy>
#include <cstring>
#include <gtest/gtest.h>

using namespace kalido;
using audio::AudioPlayer;
using audio::AudioTrack;

namespace {

AudioPlayer::Options fakeOutput()
{
    AudioPlayer::Options o;
    o.sink = "fakesink sync=true";
    o.watchdogMs = 15000; // a loaded test machine can take seconds to start a good file
    return o;
}

// Waits for the end of the given stream: how it failed or ended, or that the next one took over.
QString outcome(AudioPlayer &player, quint64 stream, int timeoutMs = 15000)
{
    QString result;
    auto watch = [&](auto signal, const char *name) {
        return QObject::connect(&player, signal, [&, name](quint64 s) {
            if ((s == stream || !std::strcmp(name, "advanced")) && result.isEmpty())
                result = name;
        });
    };
    const QMetaObject::Connection c[] = {watch(&AudioPlayer::failed, "failed"),
                                         watch(&AudioPlayer::ended, "ended"),
                                         watch(&AudioPlayer::advanced, "advanced")};
    QDeadlineTimer deadline(timeoutMs);
    while (result.isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    for (const auto &x : c)
        QObject::disconnect(x);
    return result.isEmpty() ? QStringLiteral("timeout") : result;
}

// Half a second of silence as raw PCM.
class SilenceSource : public audio::PcmSource
{
public:
    qint64 read(char *data, qint64 maxBytes) override
    {
        const qint64 n = std::min(maxBytes, left_);
        std::memset(data, 0, size_t(n));
        left_ -= n;
        return n;
    }

private:
    qint64 left_ = 44100 * 4 / 2;
};

} // namespace

class AudioPlayerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { media = new test::AudioMedia; }
    static void TearDownTestSuite() { delete media; }
    static test::AudioMedia *media;
};
test::AudioMedia *AudioPlayerTest::media = nullptr;

TEST_F(AudioPlayerTest, EachFormatPlaysToTheEnd)
{
    AudioPlayer player(fakeOutput());
    QSignalSpy started(&player, &AudioPlayer::started);
    for (const char *name : {"a.mp3", "b.ogg", "c.wma"}) {
        const quint64 id = player.play(AudioTrack::fromFile(media->tone(name, 0.5)));
        EXPECT_EQ(outcome(player, id), "ended") << name;
        ASSERT_FALSE(started.isEmpty()) << name;
        EXPECT_EQ(started.takeLast().at(0).toULongLong(), id) << name;
    }
}

TEST_F(AudioPlayerTest, UnplayableFilesFailWithoutStarting)
{
    AudioPlayer player(fakeOutput());
    QSignalSpy started(&player, &AudioPlayer::started);
    for (const QString &file : {media->empty("zero.mp3"), media->text("text.mp3"), media->path("missing.ogg"),
                                media->path("") /* a folder */, QString()}) {
        const quint64 id = player.play(AudioTrack::fromFile(file));
        EXPECT_EQ(outcome(player, id), "failed") << file.toStdString();
    }
    EXPECT_TRUE(started.isEmpty());
    // A truncated file may play its first part; either way it finishes.
    const quint64 id = player.play(AudioTrack::fromFile(media->truncatedOgg("cut.ogg")));
    EXPECT_NE(outcome(player, id), "timeout");
}

TEST_F(AudioPlayerTest, GoodNextTrackFollowsWithoutEnding)
{
    AudioPlayer player(fakeOutput());
    QSignalSpy ended(&player, &AudioPlayer::ended);
    const QString second = media->tone("g2.mp3", 0.5, 660);
    player.setFollower([second](int tag) -> std::optional<AudioTrack> {
        if (tag == 1)
            return AudioTrack::fromFile(second, 2);
        return std::nullopt;
    });
    QSignalSpy advanced(&player, &AudioPlayer::advanced);
    const quint64 first = player.play(AudioTrack::fromFile(media->tone("g1.ogg", 1), 1));
    EXPECT_EQ(outcome(player, first), "advanced");
    const quint64 next = player.current();
    EXPECT_NE(next, first);
    ASSERT_EQ(advanced.size(), 1);
    EXPECT_EQ(advanced.at(0).at(1).toInt(), 2);
    EXPECT_EQ(outcome(player, next), "ended");
    ASSERT_EQ(ended.size(), 1);
    EXPECT_EQ(ended.at(0).at(0).toULongLong(), next);
}

TEST_F(AudioPlayerTest, BrokenNextTrackLetsTheCurrentOneEnd)
{
    AudioPlayer player(fakeOutput());
    for (const QString &next : {media->text("next.mp3"), media->path("gone.mp3")}) {
        player.setFollower([next](int) { return AudioTrack::fromFile(next); });
        const quint64 id = player.play(AudioTrack::fromFile(media->tone("cur.ogg", 1)));
        EXPECT_EQ(outcome(player, id), "ended") << next.toStdString();
    }
}

TEST_F(AudioPlayerTest, PcmTracks)
{
    AudioPlayer player(fakeOutput());
    // Three hand-overs in a row, each PCM source opened afresh: tags 0, 1, 2, 3.
    const auto silence = [](int tag) {
        return AudioTrack::fromPcm([] { return std::make_unique<SilenceSource>(); }, tag);
    };
    player.setFollower([silence](int tag) -> std::optional<AudioTrack> {
        if (tag < 3)
            return silence(tag + 1);
        return std::nullopt;
    });
    QSignalSpy advanced(&player, &AudioPlayer::advanced);
    quint64 id = player.play(silence(0));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(outcome(player, id), "advanced");
        id = player.current();
    }
    EXPECT_EQ(outcome(player, id), "ended");
    ASSERT_EQ(advanced.size(), 3);
    EXPECT_EQ(advanced.at(2).at(1).toInt(), 3);
    player.setFollower({});

    id = player.play(AudioTrack::fromPcm([] { return std::unique_ptr<audio::PcmSource>(); }));
    EXPECT_EQ(outcome(player, id), "failed");
}

TEST_F(AudioPlayerTest, StoppedStreamReportsNothing)
{
    AudioPlayer player(fakeOutput());
    QSignalSpy any(&player, &AudioPlayer::ended);
    QSignalSpy failed(&player, &AudioPlayer::failed);
    player.play(AudioTrack::fromFile(media->tone("s.ogg", 0.3)));
    player.play(AudioTrack::fromFile(media->path("missing.mp3")));
    player.stop();
    EXPECT_FALSE(any.wait(1500));
    EXPECT_TRUE(failed.isEmpty());
    EXPECT_EQ(player.current(), 0u);
}
