#pragma once

#include "player/PhotoView.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QTimer;

namespace kalido {

class TKDProperties;
class TFileList;
class TPreviewForm;
class TScreenSaverInhibitor;

// The music half of the player. TPreviewForm makes one per window in FormCreate through the
// installed factory and drives it only through these calls; everything about tracks, streams,
// the track index and the end-of-track chaining lives behind it.
class TPreviewMusic
{
public:
    virtual ~TPreviewMusic() = default;

    // Run calls this once, after the first photo is on screen and before the window shows:
    // start walking the list from its first entry (TrackIndex 0, then PlayNextTrack). The list
    // is the settings object's MusicFiles and stays unchanged while the window is open; it may
    // be empty (a silent show).
    virtual void Start(TFileList &tracks) = 0;

    // The window closed (end of the photos, Escape, or a show that never opened). The form calls
    // it with shown = false when no photo was put on screen: the wizard comes back, so the music
    // must stop. With shown = true the program is about to end; stopping is allowed but not needed.
    virtual void WindowClosed(bool shown) = 0;
};

// Makes the music object of a new player window. The form owns the result; nullptr means a
// silent player.
using TPreviewMusicFactory = std::function<std::unique_ptr<TPreviewMusic>(TPreviewForm &form)>;

// The full-screen slideshow player: a borderless window covering the primary screen that shows
// the photos of the settings object one after another, each entering with a random transition.
class TPreviewForm : public QDialog
{
    Q_OBJECT

public:
    // view: the picture surface; nullptr builds the real one (libvips loading, QPainter
    // transitions). Tests pass a fake.
    explicit TPreviewForm(std::unique_ptr<TPhotoView> view = nullptr, QWidget *parent = nullptr);
    ~TPreviewForm() override;

    // Installs the factory every later TPreviewForm uses for its music (process-wide).
    static void SetMusicFactory(TPreviewMusicFactory factory);

    // Fills empty lists from the source folders, shows the first photo, starts the music,
    // covers the primary screen and runs modally. Returns when the window closes, or at once
    // when no photo can be shown.
    void Run(TKDProperties *settings);

    // True once a photo has been put on screen.
    bool Shown() const { return shown_; }

    TPhotoView *View() const { return view_; }
    TPreviewMusic *Music() const { return music_.get(); }
    QTimer *ImageTimer() const { return tmrImage_; }
    QTimer *CursorTimer() const { return tmrCursor_; }
    QAction *CloseAction() const { return miClose_; }
    QMenu *PopupMenu() const { return popup_; }

    // Effect numbers come from this function; tests replace it to make the order predictable.
    void SetEffectChooser(std::function<int()> chooser) { chooseEffect_ = std::move(chooser); }

    // The photo display time used for Timeout seconds: at least one second, so that zero or a
    // negative value neither flashes through the show nor stops it.
    static int DisplayTimeMs(int timeout);

    void ShowNextPhoto();
    void tmrImageTimer();
    void tmrCursorTimer();
    void ViewMouseMove();
    void miViewCloseClick();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormCreate();
    void PhotoLoaded(int candidate);
    // Ends the show: hides the window when it is up, or tells Run not to open it.
    void CloseWindow();
    void FinishShow();

    TKDProperties *properties_ = nullptr;
    TPhotoView *view_ = nullptr;
    std::unique_ptr<TPreviewMusic> music_;
    std::unique_ptr<TScreenSaverInhibitor> inhibitor_;
    QTimer *tmrImage_ = nullptr;
    QTimer *tmrCursor_ = nullptr;
    QAction *miClose_ = nullptr;
    QAction *miViewClose_ = nullptr;
    QMenu *popup_ = nullptr;
    std::function<int()> chooseEffect_;

    bool shown_ = false;
    int photoIndex_ = 0;
    // List indices of the entries handed to the view for the pending load.
    QList<int> candidates_;
    bool loading_ = false;
    bool closing_ = false;
    bool running_ = false;
};

} // namespace kalido
