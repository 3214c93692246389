#pragma once

#include <QStringList>
#include <QWidget>

namespace kalido {

// The picture surface the player drives: it loads pictures, keeps the frame on screen as the
// start of the next transition and runs transitions. The real one is TImageView; tests use a
// fake that answers at once.
class TPhotoView : public QWidget
{
    Q_OBJECT

public:
    explicit TPhotoView(QWidget *parent = nullptr);

    // Keeps what is on screen now as the first frame of the next transition.
    virtual void CaptureStartFrame() = 0;
    // Loads the entries of paths in order, stopping at the first one that is a picture, which
    // becomes the picture shown after the next transition. The answer comes later through
    // LoadFinished, on the GUI thread; a new request replaces a pending one.
    virtual void LoadFirstPicture(const QStringList &paths) = 0;
    // Runs transition effect (1 to TransitionCount) from the captured frame to the loaded
    // picture over durationMs.
    virtual void RunTransition(int effect, int durationMs) = 0;

    // The pointer over the view: 0 is the arrow, -1 no pointer.
    int Cursor() const { return cursor_; }
    void SetCursor(int cursor);

signals:
    // index in the paths of the last request, -1 when none of them was a picture.
    void LoadFinished(int index);
    void MouseMoved();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    int cursor_ = 0;
};

} // namespace kalido
