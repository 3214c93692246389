#include "wizard/WizardBox.h"

#include "wizard/Skin.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

namespace kalido {

namespace {

QString groupOf(const QString &caption)
{
    const qsizetype slash = caption.indexOf(u'\\');
    return slash < 0 ? caption : caption.left(slash);
}

} // namespace

TxWizardBox::TxWizardBox(QWidget *parent) : QWidget(parent)
{
    // The back buffer covers every pixel, so nothing is erased before painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void TxWizardBox::SetItemIndex(int index)
{
    itemIndex_ = index;
    const QSize size = this->size().expandedTo(QSize(1, 1));
    if (buffer_.size() != size)
        buffer_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&buffer_);
    DrawItems(painter);
    painter.end();
    update();
}

void TxWizardBox::UpdateGroups()
{
    groupFlags_.clear();
    QString last;
    for (int i = 0; i < pages_.size(); ++i) {
        groupFlags_.append(false);
        const QString &caption = pages_[i].Caption;
        const qsizetype slash = caption.indexOf(u'\\');
        if (slash < 0)
            continue;
        const QString group = caption.left(slash);
        if (group == last)
            continue;
        last = group;
        int found = -1;
        for (int j = 0; j < pages_.size(); ++j) {
            if (pages_[j].Caption.compare(group, Qt::CaseInsensitive) == 0) {
                found = j;
                break;
            }
        }
        if (found < 0) {
            pages_.insert(i, TItem{group, nullptr});
            groupFlags_[i] = true;
            if (i <= itemIndex_)
                ++itemIndex_;
        } else if (found < i) {
            groupFlags_[found] = true;
        }
    }
}

void TxWizardBox::DrawItems(QPainter &painter)
{
    const QSize size =
        painter.device() ? QSize(painter.device()->width(), painter.device()->height()) : this->size();
    const QRect client(QPoint(0, 0), size);
    painter.setFont(font());
    if (background_.size() != size)
        background_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter bg(&background_);
        PaintSkinBackground(bg, client);
    }
    rows_.clear();
    if (itemIndex_ < 0) {
        // Nothing selected: the box shows its background only.
        painter.drawImage(0, 0, background_);
        return;
    }

    UpdateGroups();
    if (IsGroupHeader(itemIndex_))
        ++itemIndex_;
    const QString currentGroup =
        (itemIndex_ < pages_.size() ? groupOf(pages_[itemIndex_].Caption) : QString()) + u'\\';

    painter.drawImage(0, 0, background_);
    PaintSkinButtonFace(painter, client);

    QFont regular = font();
    regular.setBold(false);
    QFont bold = font();
    bold.setBold(true);

    int row = -1;
    for (int i = 0; i < pages_.size(); ++i) {
        const QString &caption = pages_[i].Caption;
        QString text = caption;
        bool member = false;
        const qsizetype slash = caption.indexOf(u'\\');
        if (slash >= 0) {
            if (!caption.startsWith(currentGroup))
                continue; // folded group
            text = caption.mid(slash + 1);
            member = true;
        }
        ++row;
        const int top = TopMargin + RowHeight * row;
        // Rectangle by its edges: right is the client width - 1, as the rows are laid out.
        int left = TextLeft + (member ? GroupIndent : 0);
        int right = client.width() - 1;
        int rowTop = top;
        int rowBottom = top + RowHeight;
        const bool header = IsGroupHeader(i);
        QColor color;
        bool isBold;
        if (i == itemIndex_) {
            left -= 8;
            right += 1;
            rowTop += 1;
            rowBottom -= 1;
            // The selected row shows the page background and runs into the page area.
            const QRect cut(QPoint(left, rowTop), QPoint(right - 1, rowBottom - 1));
            painter.drawImage(cut.topLeft(), background_, cut);
            left += 8;
            isBold = true;
            color = activeColor_;
        } else {
            isBold = header;
            color = inactiveColor_;
        }
        const QRect textRect(QPoint(left, rowTop), QPoint(right - 1, rowBottom - 1));
        painter.setFont(isBold ? bold : regular);
        painter.setPen(color);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);

        TDrawnRow drawn{i, text, textRect, isBold, TArrow::None};
        if (header) {
            const int x = left + painter.fontMetrics().horizontalAdvance(text) + 8;
            // Both arrows are centred on the row's text line.
            const int middle = top + RowHeight / 2;
            const int downTop = middle - ArrowSize / 2;
            QPolygon triangle;
            if (caption + u'\\' == currentGroup) {
                triangle << QPoint(x - ArrowSize, downTop) << QPoint(x + ArrowSize, downTop)
                         << QPoint(x, downTop + ArrowSize);
                drawn.Arrow = TArrow::Down;
            } else {
                triangle << QPoint(x, middle - ArrowSize) << QPoint(x, middle + ArrowSize)
                         << QPoint(x + ArrowSize, middle);
                drawn.Arrow = TArrow::Right;
            }
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setPen(Qt::NoPen);
            painter.setBrush(color);
            painter.drawPolygon(triangle);
            painter.restore();
        }
        rows_.append(drawn);
    }
}

int TxWizardBox::HitTest(int y) const
{
    // Truncation towards zero puts the top margin into the first row.
    const int r = (y - TopMargin) / RowHeight;
    if (r < 0 || r >= rows_.size())
        return -1;
    return rows_[r].Index;
}

void TxWizardBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (buffer_.isNull())
        painter.fillRect(rect(), palette().window());
    else
        painter.drawImage(0, 0, buffer_);
}

void TxWizardBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    SetItemIndex(itemIndex_);
}

void TxWizardBox::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
    int index = HitTest(qRound(event->position().y()));
    if (index < 0 || index == itemIndex_)
        return;
    bool allow = true;
    if (IsGroupHeader(index))
        ++index;
    if (index >= pages_.size())
        return;
    if (OnChanging)
        OnChanging(itemIndex_, index, allow);
    if (!allow)
        return;
    SetItemIndex(index);
    if (OnChange)
        OnChange();
}

} // namespace kalido
