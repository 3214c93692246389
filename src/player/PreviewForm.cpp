#include "player/PreviewForm.h"

#include "files/FileList.h"
#include "player/ImageView.h"
#include "player/ScreenSaverInhibitor.h"
#include "player/Transitions.h"
#include "project/KDProperties.h"
#include "shell/Languages.h"
#include "util/Paths.h"

#include <QAction>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QRandomGenerator>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace kalido {

namespace {

TPreviewMusicFactory &musicFactory()
{
    static TPreviewMusicFactory factory;
    return factory;
}

constexpr int TransitionMs = 500;
constexpr int CursorHideMs = 3000;

} // namespace

TPreviewForm::TPreviewForm(std::unique_ptr<TPhotoView> view, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
{
    if (view)
        view_ = view.release();
    FormCreate();
}

TPreviewForm::~TPreviewForm()
{
    // The music goes before the view and the timers it may still be talking to.
    music_.reset();
}

void TPreviewForm::SetMusicFactory(TPreviewMusicFactory factory)
{
    musicFactory() = std::move(factory);
}

void TPreviewForm::FormCreate()
{
    setWindowTitle(QStringLiteral("PreviewForm"));
    setObjectName(QStringLiteral("PreviewForm"));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    if (!view_)
        view_ = new TImageView;
    view_->setParent(this);
    view_->setGeometry(rect());
    view_->SetCursor(0);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &TPhotoView::MouseMoved, this, &TPreviewForm::ViewMouseMove);
    connect(view_, &TPhotoView::LoadFinished, this, &TPreviewForm::PhotoLoaded);

    // The window's own "Close" carries the Escape shortcut; the right-click menu shows the same
    // command. Only one action per window may own a shortcut, or Qt treats it as ambiguous.
    miClose_ = new QAction(Translate(QStringLiteral("Close")), this);
    miClose_->setShortcut(QKeySequence(Qt::Key_Escape));
    miClose_->setShortcutContext(Qt::WindowShortcut);
    connect(miClose_, &QAction::triggered, this, &TPreviewForm::miViewCloseClick);
    addAction(miClose_);

    popup_ = new QMenu(this);
    miViewClose_ = popup_->addAction(Translate(QStringLiteral("Close")));
    miViewClose_->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(miViewClose_, &QAction::triggered, this, &TPreviewForm::miViewCloseClick);
    connect(view_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { popup_->popup(view_->mapToGlobal(pos)); });

    tmrImage_ = new QTimer(this);
    connect(tmrImage_, &QTimer::timeout, this, &TPreviewForm::tmrImageTimer);
    tmrCursor_ = new QTimer(this);
    tmrCursor_->setInterval(CursorHideMs);
    connect(tmrCursor_, &QTimer::timeout, this, &TPreviewForm::tmrCursorTimer);
    tmrCursor_->start();

    chooseEffect_ = [] { return int(QRandomGenerator::global()->bounded(1, TransitionCount + 1)); };

    if (musicFactory())
        music_ = musicFactory()(*this);

    shown_ = false;
}

int TPreviewForm::DisplayTimeMs(int timeout)
{
    return int(std::clamp<qint64>(qint64(timeout) * 1000, 1000, INT_MAX));
}

void TPreviewForm::Run(TKDProperties *settings)
{
    properties_ = settings;
    closing_ = false;
    running_ = true;

    TFileList &photos = settings->PhotoFiles();
    if (photos.Count() == 0) {
        // An empty folder name would scan the working folder; treat it as a folder without photos.
        if (!settings->PhotoSource().trimmed().isEmpty()) {
            photos.Add(IncludeSlash(settings->PhotoSource()));
            photos.Scan(&settings->PhotoExtensions(),
                        settings->PhotoSubFolders() ? fsoRecurse : TFileScanOptions());
        }
        if (photos.Count() == 0) {
            running_ = false;
            return;
        }
    }
    TFileList &tracks = settings->MusicFiles();
    if (tracks.Count() == 0 && !settings->MusicSource().isEmpty()) {
        tracks.Add(IncludeSlash(settings->MusicSource()));
        tracks.Scan(&settings->MusicExtensions(),
                    settings->MusicSubFolders() ? fsoRecurse : TFileScanOptions());
    }

    photoIndex_ = 0;
    tmrImage_->setInterval(DisplayTimeMs(settings->Timeout()));

    if (QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
    view_->setGeometry(rect());

    // The first picture is read before the window opens, so that a list without a single
    // readable picture opens no window at all.
    ShowNextPhoto();
    if (loading_) {
        QEventLoop wait;
        connect(view_, &TPhotoView::LoadFinished, &wait, &QEventLoop::quit);
        wait.exec();
    }
    if (closing_ || !shown_) {
        FinishShow();
        return;
    }

    if (music_)
        music_->Start(tracks);
    inhibitor_ = std::make_unique<TScreenSaverInhibitor>(QStringLiteral("Slideshow"));
    setWindowState(windowState() | Qt::WindowFullScreen);
    view_->setFocus();
    exec();
    FinishShow();
}

void TPreviewForm::ShowNextPhoto()
{
    tmrImage_->stop();
    if (closing_)
        return;
    view_->CaptureStartFrame();

    TFileList &photos = properties_->PhotoFiles();
    QStringList paths;
    candidates_.clear();
    for (int i = photoIndex_; i < photos.Count(); ++i) {
        const QString path = photos.FullName(i);
        if (path.isEmpty() || IsPathDelim(path.back()))
            continue; // a folder entry
        paths << path;
        candidates_ << i;
    }
    if (paths.isEmpty()) {
        photoIndex_ = photos.Count();
        CloseWindow();
        return;
    }
    loading_ = true;
    view_->LoadFirstPicture(paths);
}

void TPreviewForm::PhotoLoaded(int candidate)
{
    if (!loading_)
        return;
    loading_ = false;
    if (closing_)
        return;
    if (candidate < 0 || candidate >= candidates_.size()) {
        photoIndex_ = properties_->PhotoFiles().Count();
        CloseWindow();
        return;
    }
    photoIndex_ = candidates_[candidate] + 1;
    shown_ = true;
    view_->RunTransition(chooseEffect_(), TransitionMs);
    tmrImage_->start();
}

void TPreviewForm::tmrImageTimer()
{
    ShowNextPhoto();
}

void TPreviewForm::tmrCursorTimer()
{
    view_->SetCursor(-1);
    tmrCursor_->stop();
}

void TPreviewForm::ViewMouseMove()
{
    if (view_->Cursor() != 0)
        view_->SetCursor(0);
    tmrCursor_->stop();
    tmrCursor_->start();
}

void TPreviewForm::miViewCloseClick()
{
    CloseWindow();
}

void TPreviewForm::CloseWindow()
{
    closing_ = true;
    tmrImage_->stop();
    if (isVisible())
        reject();
}

void TPreviewForm::FinishShow()
{
    running_ = false;
    loading_ = false;
    tmrImage_->stop();
    if (music_)
        music_->WindowClosed(shown_);
    inhibitor_.reset();
}

void TPreviewForm::closeEvent(QCloseEvent *event)
{
    closing_ = true;
    tmrImage_->stop();
    QDialog::closeEvent(event);
}

void TPreviewForm::keyPressEvent(QKeyEvent *event)
{
    // Escape normally reaches miClose's shortcut; should the dialog see it anyway, it closes
    // the show the same way instead of QDialog's plain reject.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        miViewCloseClick();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TPreviewForm::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (view_)
        view_->setGeometry(rect());
}

} // namespace kalido
