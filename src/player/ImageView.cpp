#include "player/ImageView.h"

#include "platform/image/ImageReader.h"
#include "player/Transitions.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QThreadPool>

#include <cmath>

namespace kalido {

TImageView::TImageView(QWidget *parent) : TPhotoView(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    animation_.setTimerType(Qt::PreciseTimer);
    connect(&animation_, &QTimer::timeout, this, &TImageView::step);
}

TImageView::~TImageView()
{
    if (cancel_)
        *cancel_ = true;
}

QSize TImageView::frameSize() const
{
    const QSize logical = size().expandedTo(QSize(1, 1));
    return (QSizeF(logical) * devicePixelRatioF()).toSize().expandedTo(QSize(1, 1));
}

QImage TImageView::compose(const QImage &picture) const
{
    QImage frame(frameSize(), QImage::Format_RGB32);
    frame.fill(Qt::black);
    if (!picture.isNull()) {
        QPainter p(&frame);
        p.drawImage((frame.width() - picture.width()) / 2, (frame.height() - picture.height()) / 2, picture);
    }
    return frame;
}

QImage TImageView::CurrentFrame() const
{
    if (transition_) {
        transition_->Render(frame_, start_, current_, double(clock_.elapsed()) / duration_);
        return frame_;
    }
    return current_.isNull() ? compose(QImage()) : current_;
}

void TImageView::CaptureStartFrame()
{
    start_ = CurrentFrame();
    if (start_.size() != frameSize())
        start_ = compose(QImage());
    if (start_.constBits() == frame_.constBits())
        start_ = start_.copy(); // frame_ is drawn into again during the next transition
}

void TImageView::LoadFirstPicture(const QStringList &paths)
{
    if (cancel_)
        *cancel_ = true;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    cancel_ = cancel;
    const quint64 generation = ++generation_;
    const QSize box = frameSize();
    QPointer<TImageView> self(this);
    QThreadPool::globalInstance()->start([paths, box, cancel, generation, self] {
        Outcome outcome;
        for (int i = 0; i < paths.size() && !*cancel; ++i) {
            TPictureLoad load = TImageReader::LoadFitted(paths[i], box);
            if (load.Detected()) {
                outcome.index = i;
                outcome.picture = std::move(load.image);
                break;
            }
        }
        // Back on the GUI thread; the view may be gone by then.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation, outcome] {
                if (self)
                    self->loadDone(generation, outcome);
            },
            Qt::QueuedConnection);
    });
}

void TImageView::loadDone(quint64 generation, const Outcome &outcome)
{
    if (generation != generation_)
        return;
    cancel_.reset();
    if (outcome.index >= 0) {
        picture_ = outcome.picture;
        current_ = compose(picture_);
    }
    emit LoadFinished(outcome.index);
}

void TImageView::RunTransition(int effect, int durationMs)
{
    if (current_.isNull())
        current_ = compose(picture_);
    transition_ = CreateTransition(effect);
    if (!transition_ || durationMs <= 0) {
        transition_.reset();
        update();
        return;
    }
    duration_ = durationMs;
    clock_.start();
    const qreal hz = screen() ? screen()->refreshRate() : 60.0;
    animation_.start(std::max(1, int(std::lround(1000.0 / (hz > 1 ? hz : 60.0)))));
    update();
}

void TImageView::step()
{
    // The clock, not the painting, ends a transition: a hidden or covered view finishes too.
    if (transition_ && (clock_.elapsed() >= duration_ || start_.size() != current_.size()))
        transition_.reset();
    if (!transition_)
        animation_.stop();
    update();
}

void TImageView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (transition_) {
        const double t = std::min(1.0, double(clock_.elapsed()) / duration_);
        transition_->Render(frame_, start_, current_, t);
        p.drawImage(rect(), frame_);
    } else if (current_.isNull()) {
        p.fillRect(rect(), Qt::black);
    } else {
        p.drawImage(rect(), current_);
    }
}

void TImageView::resizeEvent(QResizeEvent *event)
{
    TPhotoView::resizeEvent(event);
    if (!current_.isNull() && current_.size() != frameSize())
        current_ = compose(picture_);
}

} // namespace kalido
