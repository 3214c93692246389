#pragma once

#include "player/PhotoView.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>

#include <atomic>
#include <memory>

namespace kalido {

class TTransition;

// The real picture surface: pictures read by libvips on a worker thread, fitted into the view
// with Lanczos3 on a black background, and transitions drawn with QPainter at the display's
// refresh rate.
class TImageView : public TPhotoView
{
    Q_OBJECT

public:
    explicit TImageView(QWidget *parent = nullptr);
    ~TImageView() override;

    void CaptureStartFrame() override;
    void LoadFirstPicture(const QStringList &paths) override;
    void RunTransition(int effect, int durationMs) override;

    // The frame on screen now (the transition's current frame while one runs).
    QImage CurrentFrame() const;
    bool TransitionRunning() const { return transition_ != nullptr; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Outcome
    {
        int index = -1;
        QImage picture;
    };
    void loadDone(quint64 generation, const Outcome &outcome);
    QSize frameSize() const;
    // The picture centred on black at the frame size.
    QImage compose(const QImage &picture) const;
    void step();

    QImage picture_;
    QImage current_;
    QImage start_;
    mutable QImage frame_;
    std::unique_ptr<TTransition> transition_;
    QElapsedTimer clock_;
    int duration_ = 0;
    QTimer animation_;
    quint64 generation_ = 0;
    std::shared_ptr<std::atomic<bool>> cancel_;
};

} // namespace kalido
