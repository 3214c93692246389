#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>

namespace kalido {

class TxmlNode;

// The step list at the wizard's left: one row per step, the current one drawn as a tab joined to
// the page area. A caption "Group\Step" puts the step into a group; the box inserts a header row
// for each group and shows only the current step's group expanded.
class TxWizardBox : public QWidget
{
    Q_OBJECT

public:
    // One entry: a step (Page set) or a group header inserted by the box (Page null).
    struct TItem
    {
        QString Caption;
        TxmlNode *Page = nullptr;
    };

    enum class TArrow { None, Right, Down };

    // What the last drawing put on screen, row by row from the top.
    struct TDrawnRow
    {
        int Index = -1; // entry in Pages
        QString Text;
        QRect TextRect;
        bool Bold = false;
        TArrow Arrow = TArrow::None;
    };

    static constexpr int RowHeight = 32;
    static constexpr int TopMargin = 16;
    static constexpr int TextLeft = 24;
    static constexpr int GroupIndent = 16;
    static constexpr int ArrowSize = 8;

    explicit TxWizardBox(QWidget *parent = nullptr);

    // The entries; the wizard clears and refills them, the next drawing inserts the headers.
    QList<TItem> &Pages() { return pages_; }
    const QList<TItem> &Pages() const { return pages_; }

    int ItemIndex() const { return itemIndex_; }
    // Selects an entry and redraws; never fires OnChanging or OnChange.
    void SetItemIndex(int index);

    QColor ActiveFontColor() const { return activeColor_; }
    void SetActiveFontColor(const QColor &c) { activeColor_ = c; }
    QColor InactiveFontColor() const { return inactiveColor_; }
    void SetInactiveFontColor(const QColor &c) { inactiveColor_ = c; }

    // Before a selection by the user; clearing Allow cancels it.
    std::function<void(int oldIndex, int newIndex, bool &allow)> OnChanging;
    // After the user selected another entry.
    std::function<void()> OnChange;

    // Entry shown at height Y, or -1; the top margin counts as the first row.
    int HitTest(int y) const;
    // Inserts a header entry before the first member of each group that has none.
    void UpdateGroups();
    void DrawItems(QPainter &painter);

    bool IsGroupHeader(int index) const
    {
        return index >= 0 && index < groupFlags_.size() && groupFlags_[index];
    }
    const QList<TDrawnRow> &DrawnRows() const { return rows_; }
    const QImage &BackBuffer() const { return buffer_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QList<TItem> pages_;
    int itemIndex_ = -1;
    QColor activeColor_ = Qt::black;
    QColor inactiveColor_ = Qt::black;
    QImage buffer_;
    QImage background_;
    QList<TDrawnRow> rows_;
    QList<bool> groupFlags_;
};

} // namespace kalido
