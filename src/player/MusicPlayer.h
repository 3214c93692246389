#pragma once

#include "platform/audio/AudioPlayer.h"
#include "player/PreviewForm.h"

#include <QObject>
#include <QStringList>

namespace kalido {

// The music of one player window: the tracks of the music list one after another, from the
// first again after the last, through the audio library. A track that cannot be played is
// skipped without a word; when no entry can be played the show goes on in silence.
class TMusicPlayer : public QObject, public TPreviewMusic
{
    Q_OBJECT
public:
    explicit TMusicPlayer(const audio::AudioPlayer::Options &options = {}, QObject *parent = nullptr);
    ~TMusicPlayer() override;

    // Makes every later player window play its music through a TMusicPlayer and lets a CD
    // drive's (or disc image's) folder be scanned for its tracks. Called once at start-up.
    static void Install();

    void Start(TFileList &tracks) override;
    void WindowClosed(bool shown) override;

    // Starts the next entry that can be played, from TrackIndex on. Opening takes a moment, so
    // the walk goes on as each entry is found playable or not.
    void PlayNextTrack();
    // The end of the stream playing now.
    void TrackEndSync(quint64 stream);

    // The entry to try next.
    int TrackIndex() const { return trackIndex_; }
    // The stream playing or opening now; 0 when the last attempt failed or nothing plays.
    quint64 Stream() const { return stream_; }
    // True once any track has played.
    bool MusicStarted() const { return musicStarted_; }
    audio::AudioPlayer &Audio() { return audio_; }

signals:
    // The entry at index has begun to play.
    void TrackStarted(int index);
    // A walk found nothing to play: silence until the list is walked again.
    void Silent();

private:
    audio::AudioTrack trackAt(int index) const;
    void tryNext();
    void onStarted(quint64 stream);
    void onFailed(quint64 stream);
    void onAdvanced(quint64 stream, int index);
    void nowPlaying(int index);

    audio::AudioPlayer audio_;
    QStringList names_;
    int trackIndex_ = 0;
    quint64 stream_ = 0;
    bool musicStarted_ = false;
    // The entry being opened, and how many entries this walk may still try.
    int opening_ = -1;
    int triesLeft_ = 0;
};

} // namespace kalido
