#include "player/MusicPlayer.h"

#include "../platform/audio/AudioMedia.h"
#include "files/FileList.h"
#include "files/FolderListing.h"
#include "files/StringHash.h"
#include "platform/cd/CdFolder.h"

#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace kalido;

namespace {

audio::AudioPlayer::Options fakeOutput(bool gapless = true)
{
    audio::AudioPlayer::Options o;
    o.sink = "fakesink sync=true";
    o.watchdogMs = 15000; // a loaded test machine can take seconds to start a good file
    o.gapless = gapless;
    return o;
}

TFileList listOf(const QStringList &paths)
{
    TFileList list;
    for (const QString &p : paths)
        list.Add(p);
    return list;
}

// The entries that start playing, until `wanted` have started or the show falls silent.
QList<int> played(TMusicPlayer &music, int wanted, int timeoutMs = 30000)
{
    QList<int> order;
    bool silent = false;
    QObject guard;
    QObject::connect(&music, &TMusicPlayer::TrackStarted, &guard, [&](int i) { order << i; });
    QObject::connect(&music, &TMusicPlayer::Silent, &guard, [&] { silent = true; });
    QDeadlineTimer deadline(timeoutMs);
    while (order.size() < wanted && !silent && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return order;
}

} // namespace

class MusicPlayerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { media = new test::AudioMedia; }
    static void TearDownTestSuite() { delete media; }
    static test::AudioMedia *media;
};
test::AudioMedia *MusicPlayerTest::media = nullptr;

TEST_F(MusicPlayerTest, TracksLoopInListOrder)
{
    // With and without the gapless hand-over; the second row also mixes the three formats.
    const QStringList two{media->tone("one.ogg", 1), media->tone("two.mp3", 1, 550)};
    const QStringList three{media->tone("m.mp3", 0.7), media->tone("o.ogg", 0.7, 500),
                            media->tone("w.wma", 0.7, 600)};
    struct Row
    {
        QStringList tracks;
        bool gapless;
        QList<int> expected;
    };
    const Row rows[] = {
        {two, true, {0, 1, 0, 1, 0}}, {two, false, {0, 1, 0, 1, 0}}, {three, true, {0, 1, 2, 0}}};
    for (const Row &r : rows) {
        TMusicPlayer music(fakeOutput(r.gapless));
        TFileList list = listOf(r.tracks);
        music.Start(list);
        EXPECT_EQ(played(music, int(r.expected.size())), r.expected) << "gapless " << r.gapless;
        EXPECT_TRUE(music.MusicStarted());
    }
}

TEST_F(MusicPlayerTest, UnplayableEntriesAreSkipped)
{
    const QString doomed = media->tone("doomed.mp3", 0.5);
    TFileList list = listOf({media->empty("zero.mp3"), media->tone("good1.ogg", 1), media->text("text.mp3"),
                             doomed, media->path("folder/"), media->tone("good2.mp3", 1, 700)});
    for (bool gapless : {true, false}) {
        QFile::copy(media->path("good1.ogg"), doomed); // back for the second round
        TMusicPlayer music(fakeOutput(gapless));
        music.Start(list);
        // The file is deleted while the first good track plays, before its turn.
        EXPECT_EQ(played(music, 1), QList<int>{1});
        QFile::remove(doomed);
        EXPECT_EQ(played(music, 3), QList<int>({5, 1, 5})) << "gapless " << gapless;
    }
}

TEST_F(MusicPlayerTest, BadLastEntryDoesNotSilenceTheGoodOnes)
{
    TFileList list = listOf({media->tone("only.ogg", 0.7), media->text("bad.mp3")});
    TMusicPlayer music(fakeOutput(false));
    music.Start(list);
    EXPECT_EQ(played(music, 3), QList<int>({0, 0, 0}));
}

TEST_F(MusicPlayerTest, NothingPlayableMeansSilenceAndNoRetries)
{
    TFileList list = listOf({media->empty("z.mp3"), media->text("t.ogg"), media->path("missing.wma")});
    TMusicPlayer music(fakeOutput());
    QSignalSpy failed(&music.Audio(), &audio::AudioPlayer::failed);
    QSignalSpy silent(&music, &TMusicPlayer::Silent);
    music.Start(list);
    ASSERT_TRUE(silent.wait(15000));
    EXPECT_EQ(failed.size(), 3);
    EXPECT_FALSE(failed.wait(1500)); // nothing is tried again
    EXPECT_FALSE(music.MusicStarted());
    EXPECT_EQ(music.Stream(), 0u);

    // An empty list: no attempt at all.
    TMusicPlayer quiet(fakeOutput());
    QSignalSpy quietFailed(&quiet.Audio(), &audio::AudioPlayer::failed);
    TFileList empty;
    quiet.Start(empty);
    EXPECT_FALSE(quietFailed.wait(500));
    EXPECT_EQ(quiet.Stream(), 0u);
}

TEST_F(MusicPlayerTest, ClosingTheWindowStopsTheMusic)
{
    TFileList list = listOf({media->tone("c1.ogg", 1), media->tone("c2.ogg", 1)});
    for (int window = 0; window < 2; ++window) { // a second window in the same run plays as well
        TMusicPlayer music(fakeOutput());
        music.Start(list);
        ASSERT_EQ(played(music, 1), QList<int>{0});
        music.WindowClosed(false);
        EXPECT_FALSE(music.Audio().isPlaying());
        EXPECT_TRUE(played(music, 1, 2500).isEmpty());
    }
}

TEST_F(MusicPlayerTest, DiscTracksPlayThroughTheCdStream)
{
    // Three tracks of one second of PCM each, in a BIN/CUE image, found by a scan.
    QByteArray bin;
    QByteArray cue = "FILE \"disc.bin\" BINARY\n";
    for (int t = 0; t < 3; ++t) {
        cue += QStringLiteral("TRACK %1 AUDIO\nINDEX 01 00:%2:00\n")
                   .arg(t + 1, 2, 10, QChar('0'))
                   .arg(t, 2, 10, QChar('0'))
                   .toLatin1();
        bin += QByteArray(75 * 2352, char(t * 16));
    }
    test::writeFile(media->path("cd/disc.bin"), bin);
    test::writeFile(media->path("cd/disc.cue"), cue);
    cd::InstallCdFolderLister();
    TWideStringHash extensions;
    extensions.AddExtensions(QStringLiteral("wma;mp3;ogg;cda"));
    TFileList list;
    list.Add(media->path("cd/disc.cue/"));
    list.Scan(&extensions);
    SetVirtualFolderLister({});
    ASSERT_EQ(list.Count(), 3);
    EXPECT_TRUE(list.FullName(2).endsWith("disc.cue/Track03.cda"));

    for (bool gapless : {true, false}) {
        TMusicPlayer music(fakeOutput(gapless));
        music.Start(list);
        EXPECT_EQ(played(music, 4), QList<int>({0, 1, 2, 0})) << "gapless " << gapless;
    }
}
