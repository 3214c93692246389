#include "platform/cd/CdAudio.h"

#include "files/FileList.h"
#include "files/FolderListing.h"
#include "files/StringHash.h"
#include "platform/cd/CdFolder.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kalido;

namespace {

constexpr int kSector = 2352;

// Three tracks of different lengths and content, written as one BIN with its CUE sheet.
struct CdImage
{
    QTemporaryDir dir;
    QList<QByteArray> tracks;
    QString cue;

    CdImage()
    {
        const int sectors[] = {75, 113, 40};
        QByteArray bin;
        QByteArray sheet = "FILE \"disc.bin\" BINARY\r\n";
        for (int t = 0; t < 3; ++t) {
            QByteArray pcm(sectors[t] * kSector, Qt::Uninitialized);
            quint32 x = 0x9E3779B9u * (t + 1);
            for (char &c : pcm) {
                x = x * 1664525u + 1013904223u;
                c = char(x >> 24);
            }
            const int frame = int(bin.size() / kSector);
            sheet += QString::asprintf("  TRACK %02d AUDIO\r\n    INDEX 01 %02d:%02d:%02d\r\n", t + 1,
                                       frame / 75 / 60, frame / 75 % 60, frame % 75)
                         .toLatin1();
            bin += pcm;
            tracks << pcm;
        }
        test::writeFile(dir.filePath("disc.bin"), bin);
        cue = dir.filePath("disc.cue");
        test::writeFile(cue, sheet);
    }
};

QByteArray readAll(audio::PcmSource &source, int chunk)
{
    QByteArray all;
    QByteArray buf(chunk, 0);
    for (;;) {
        const qint64 n = source.read(buf.data(), chunk);
        if (n <= 0) {
            EXPECT_EQ(n, 0);
            return all;
        }
        all.append(buf.constData(), n);
    }
}

} // namespace

TEST(CdAudio, ImageListsItsAudioTracks)
{
    CdImage image;
    const QStringList expected{"Track01.cda", "Track02.cda", "Track03.cda"};
    EXPECT_EQ(cd::ListTracks(image.cue), expected);
    EXPECT_EQ(cd::ListTracks(image.cue + "/"), expected);
    EXPECT_TRUE(cd::IsDiscSource(image.cue + "/"));
    EXPECT_FALSE(cd::IsDiscSource(image.dir.filePath("disc.bin")));
}

TEST(CdAudio, ScanOfTheDiscFolderFindsTheTracks)
{
    CdImage image;
    test::writeFile(image.dir.filePath("music/song.mp3"), "x");
    cd::InstallCdFolderLister();
    TWideStringHash music;
    music.AddExtensions(QStringLiteral("wma;mp3;ogg;cda"));
    TFileList list;
    list.Add(image.cue + "/");
    list.Add(image.dir.filePath("music/"));
    list.Scan(&music, fsoRecurse);
    QStringList names;
    for (int i = 0; i < list.Count(); ++i)
        names << list.FullName(i);
    EXPECT_EQ(names, QStringList({image.cue + "/Track01.cda", image.cue + "/Track02.cda",
                                  image.cue + "/Track03.cda", image.dir.filePath("music/song.mp3")}));
    SetVirtualFolderLister({});
}

TEST(CdAudio, TracksReadByteIdentical)
{
    CdImage image;
    for (int t = 0; t < 3; ++t) {
        // An odd chunk size makes reads straddle sector boundaries.
        auto reader =
            cd::CdTrackReader::Open(image.cue + QStringLiteral("/TRACK%1.CDA").arg(t + 1, 2, 10, QChar('0')));
        ASSERT_TRUE(reader) << t;
        EXPECT_EQ(reader->size(), image.tracks[t].size());
        const QByteArray got = readAll(*reader, 1000 + 7 * t);
        EXPECT_TRUE(got == image.tracks[t]) << "track " << t + 1 << ": " << got.size() << " bytes";
    }
}

TEST(CdAudio, BadSourcesAndTrackPaths)
{
    CdImage image;
    test::writeFile(image.dir.filePath("junk.cue"), "TRACK banana\n\x01\x02 INDEX 99:99:99\n");
    test::writeFile(image.dir.filePath("empty.cue"), "");
    test::writeFile(image.dir.filePath("nobin.cue"),
                    "FILE \"gone.bin\" BINARY\n TRACK 01 AUDIO\n INDEX 01 00:00:00\n");
    // Sheets that crash or confuse a trusting parser: an INDEX before any TRACK, a quote glued
    // to the next word, tracks numbered downwards, a track without INDEX 01, a time out of range.
    test::writeFile(image.dir.filePath("index-first.cue"),
                    "FILE \"disc.bin\"\xe0\xb0 INDEX 01 00:00:00\n TRACK 99 AUDIO\n INDEX 01 98:59:74\n");
    test::writeFile(image.dir.filePath("glued.cue"),
                    "FILE \"disc.bin\"BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
    test::writeFile(
        image.dir.filePath("down.cue"),
        "FILE disc.bin BINARY\nTRACK 02 AUDIO\nINDEX 01 00:00:00\nTRACK 01 AUDIO\nINDEX 01 00:01:00\n");
    test::writeFile(image.dir.filePath("gap.cue"),
                    "FILE \"disc.bin\" BINARY\nTRACK 91 AUDIO\nINDEX 01 00:00:00\n");
    test::writeFile(image.dir.filePath("wave.cue"),
                    "FILE \"disc.bin\" BIRY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
    test::writeFile(image.dir.filePath("noindex.cue"),
                    "FILE disc.bin BINARY\nTRACK 01 AUDIO\nINDEX 00 00:00:00\n");
    test::writeFile(image.dir.filePath("badtime.cue"),
                    "FILE disc.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:60:00\n");
    for (const char *name : {"junk.cue", "empty.cue", "nobin.cue", "missing.cue", "disc.bin",
                             "index-first.cue", "glued.cue", "down.cue", "noindex.cue", "badtime.cue"}) {
        const QString path = image.dir.filePath(name);
        EXPECT_TRUE(cd::ListTracks(path).isEmpty()) << name;
        EXPECT_FALSE(cd::CdTrackReader::Open(path + "/Track01.cda")) << name;
    }
    EXPECT_FALSE(cd::CdTrackReader::Open(image.cue, 4));
    EXPECT_FALSE(cd::CdTrackReader::Open(image.cue, 0));

    struct Row
    {
        const char *path;
        bool ok;
        const char *source;
        int track;
    };
    const Row rows[] = {
        {"/dev/sr0/Track01.cda", true, "/dev/sr0", 1},
        {"/x/disc.cue/track12.CDA", true, "/x/disc.cue", 12},
        {"/dev/sr0/Track00.cda", false, "", 0},
        {"/dev/sr0/Track1.mp3", false, "", 0},
        {"Track01.cda", false, "", 0},
    };
    for (const Row &r : rows) {
        QString source;
        int track = 0;
        EXPECT_EQ(cd::SplitTrackPath(r.path, source, track), r.ok) << r.path;
        if (r.ok) {
            EXPECT_EQ(source, QString(r.source));
            EXPECT_EQ(track, r.track);
        }
    }
}

TEST(CdAudio, DrivesHaveDisplayNames)
{
    // Machines in CI have no drive; whatever is found must carry the desktop's wording.
    for (const cd::CdDrive &d : cd::ListDrives()) {
        EXPECT_TRUE(d.device.startsWith("/dev/")) << d.device.toStdString();
        EXPECT_TRUE(d.displayName.endsWith("(" + d.device.mid(5) + ")")) << d.displayName.toStdString();
    }
}
