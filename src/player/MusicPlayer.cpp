#include "player/MusicPlayer.h"

#include "files/FileList.h"
#include "platform/cd/CdAudio.h"
#include "platform/cd/CdFolder.h"
#include "util/Paths.h"

namespace kalido {

namespace {

audio::AudioTrack trackFor(const QString &path, int index)
{
    if (ExtLower(path) == u"cda")
        return audio::AudioTrack::fromPcm([path] { return cd::CdTrackReader::Open(path); }, index);
    return audio::AudioTrack::fromFile(path, index);
}

} // namespace

TMusicPlayer::TMusicPlayer(const audio::AudioPlayer::Options &options, QObject *parent)
    : QObject(parent), audio_(options)
{
    connect(&audio_, &audio::AudioPlayer::started, this, &TMusicPlayer::onStarted);
    connect(&audio_, &audio::AudioPlayer::failed, this, &TMusicPlayer::onFailed);
    connect(&audio_, &audio::AudioPlayer::ended, this, &TMusicPlayer::TrackEndSync);
    connect(&audio_, &audio::AudioPlayer::advanced, this, &TMusicPlayer::onAdvanced);
}

TMusicPlayer::~TMusicPlayer()
{
    audio_.stop();
}

void TMusicPlayer::Install()
{
    cd::InstallCdFolderLister();
    TPreviewForm::SetMusicFactory([](TPreviewForm &) { return std::make_unique<TMusicPlayer>(); });
}

void TMusicPlayer::Start(TFileList &tracks)
{
    // The list stays unchanged while the window is open; a copy of its full names can be read
    // from the audio library's threads without a lock.
    names_.clear();
    for (int i = 0; i < tracks.Count(); ++i)
        names_ << tracks.FullName(i);
    const QStringList names = names_;
    audio_.setFollower([names](int index) -> std::optional<audio::AudioTrack> {
        if (names.isEmpty() || index < 0)
            return std::nullopt;
        const int next = (index + 1) % int(names.size());
        return trackFor(names[next], next);
    });
    trackIndex_ = 0;
    PlayNextTrack();
}

void TMusicPlayer::WindowClosed(bool)
{
    // Whether the wizard comes back or the program ends, the music has no place to play on.
    audio_.stop();
    audio_.setFollower({});
    stream_ = 0;
    opening_ = -1;
    triesLeft_ = 0;
}

audio::AudioTrack TMusicPlayer::trackAt(int index) const
{
    return trackFor(names_[index], index);
}

void TMusicPlayer::PlayNextTrack()
{
    if (names_.isEmpty())
        return;
    // Every entry gets one try per walk. Once music has played, the walk carries on from the
    // first entry after the last, so a bad entry at the end of the list does not silence the
    // good ones before it.
    triesLeft_ = int(names_.size());
    tryNext();
}

void TMusicPlayer::tryNext()
{
    const int count = int(names_.size());
    while (triesLeft_ > 0) {
        if (trackIndex_ > count - 1) {
            if (!musicStarted_)
                break;
            trackIndex_ = 0;
        }
        --triesLeft_;
        opening_ = trackIndex_;
        stream_ = audio_.play(trackAt(trackIndex_));
        return; // started() or failed() continues
    }
    opening_ = -1;
    stream_ = 0;
    ++trackIndex_;
    if (trackIndex_ > count - 1 && musicStarted_)
        trackIndex_ = 0;
    emit Silent();
}

void TMusicPlayer::onStarted(quint64 stream)
{
    if (stream != stream_ || opening_ < 0)
        return;
    const int index = opening_;
    opening_ = -1;
    nowPlaying(index);
}

void TMusicPlayer::onFailed(quint64 stream)
{
    if (stream != stream_ || opening_ < 0)
        return;
    stream_ = 0;
    trackIndex_ = opening_ + 1;
    opening_ = -1;
    tryNext();
}

void TMusicPlayer::onAdvanced(quint64 stream, int index)
{
    if (index < 0 || index >= names_.size())
        return;
    stream_ = stream;
    nowPlaying(index);
}

void TMusicPlayer::nowPlaying(int index)
{
    musicStarted_ = true;
    trackIndex_ = index + 1;
    if (trackIndex_ > int(names_.size()) - 1)
        trackIndex_ = 0;
    emit TrackStarted(index);
}

void TMusicPlayer::TrackEndSync(quint64 stream)
{
    if (stream != stream_)
        return;
    PlayNextTrack();
}

} // namespace kalido
