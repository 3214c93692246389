#pragma once

#include "platform/audio/AudioPlayer.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace kalido::cd {

// A disc source is a CD drive's device path ("/dev/sr0") or a BIN/CUE disc image (the ".cue"
// file); every function below takes either. A cue sheet that is not well formed is no disc. A disc source
// followed by "/" is the folder that holds the disc's audio tracks, named Track01.cda, Track02.cda… after the
// disc's own track numbers.

struct CdDrive
{
    QString device;      // "/dev/sr0"
    QString displayName; // "Audio CD (sr0)"
};

// The CD drives of this machine, sorted by device path.
QList<CdDrive> ListDrives();
// The name the desktop would show for a drive: "Audio CD (sr0)" with an audio disc in it,
// "CD Drive (sr0)" otherwise.
QString DriveDisplayName(const QString &device);

// True when the path (with or without a trailing "/") names a CD drive or a disc image.
bool IsDiscSource(const QString &path);
// The audio tracks' file names of the disc, in disc order; empty when there is no readable disc.
QStringList ListTracks(const QString &source);
// Splits "<source>/TrackNN.cda" (any letter case) into the source and the track number.
bool SplitTrackPath(const QString &path, QString &source, int &track);

// Reads one audio track with error correction: whole sectors of PCM, in the byte order of a
// CD image (little-endian samples).
class CdTrackReader : public audio::PcmSource
{
public:
    ~CdTrackReader() override;
    // nullptr when the disc or the track cannot be opened, or the track holds no audio.
    static std::unique_ptr<CdTrackReader> Open(const QString &source, int track);
    static std::unique_ptr<CdTrackReader> Open(const QString &trackPath);

    qint64 read(char *data, qint64 maxBytes) override;
    // Length of the track in bytes.
    qint64 size() const;

private:
    struct Impl;
    explicit CdTrackReader(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace kalido::cd
