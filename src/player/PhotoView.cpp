#include "player/PhotoView.h"

#include <QMouseEvent>

namespace kalido {

TPhotoView::TPhotoView(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAutoFillBackground(false);
}

void TPhotoView::SetCursor(int cursor)
{
    cursor_ = cursor;
    setCursor(cursor < 0 ? Qt::BlankCursor : Qt::ArrowCursor);
}

void TPhotoView::mouseMoveEvent(QMouseEvent *event)
{
    emit MouseMoved();
    QWidget::mouseMoveEvent(event);
}

} // namespace kalido
