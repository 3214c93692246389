#pragma once

// Building blocks shared by the transition families: sides, strips along a side, whole-frame
// copies and the cell mask that composes two pictures cell by cell.

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <cstdint>
#include <vector>

namespace kalido::transitions {

// The edge a movement starts from.
enum class Side { Left, Right, Top, Bottom };

inline bool isHorizontal(Side side)
{
    return side == Side::Left || side == Side::Right;
}

// Extent of the frame along the direction that leaves side.
inline double depthOf(Side side, QSizeF size)
{
    return isHorizontal(side) ? size.width() : size.height();
}

// The strip of the frame between depths a and b measured from side (a < b), full width across.
QRectF stripFromSide(Side side, QSizeF size, double a, double b);

// The whole pixels covered by r (edges rounded), so that rectangle copies never go through
// QPainter's scaling path with sub-pixel sizes.
QRect pixelRect(const QRectF &r);

// Draws the part r of image at the same place, unscaled; nothing for an empty part.
void copyRect(QPainter &p, const QImage &image, const QRectF &r);

// Draws the part source of image scaled into target (whole pixels); nothing when target
// covers no pixel.
void drawScaled(QPainter &p, const QRectF &target, const QImage &image, const QRectF &source);
inline void drawScaled(QPainter &p, const QRectF &target, const QImage &image)
{
    drawScaled(p, target, image, QRectF(image.rect()));
}

// Copies src into out, reusing out's buffer when it already has the right size.
void copyInto(QImage &out, const QImage &src);

// A deterministic generator: every run of an effect looks the same, which keeps the tests and
// the contact sheet reproducible while the order still looks random to a viewer.
class Random
{
public:
    explicit Random(uint32_t seed) : state_(seed * 2654435761u + 0x9E3779B9u) {}
    uint32_t next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // Uniform in [0, 1).
    float unit() { return float(next() >> 8) * (1.0f / 16777216.0f); }

private:
    uint32_t state_;
};

// A grid of cells over the frame; a cell shows the new picture once the progress passes its
// threshold. Composition copies whole runs of cells a scan line at a time.
class CellMask
{
public:
    // Sets up the grid; true when it was (re)built, so the owner fills the thresholds.
    bool setup(QSize size, int cellWidth, int cellHeight);

    int cols() const { return cols_; }
    int rows() const { return rows_; }
    int cellWidth() const { return cellW_; }
    int cellHeight() const { return cellH_; }
    QSize size() const { return size_; }
    // Centre of a cell in frame coordinates divided by the frame size: 0..1 on both axes.
    double unitX(int col) const { return (col * cellW_ + cellW_ * 0.5) / size_.width(); }
    double unitY(int row) const { return (row * cellH_ + cellH_ * 0.5) / size_.height(); }

    float &at(int col, int row) { return thresholds_[size_t(row) * cols_ + col]; }

    void compose(QImage &out, const QImage &from, const QImage &to, double t) const;

private:
    QSize size_;
    int cellW_ = 1, cellH_ = 1, cols_ = 0, rows_ = 0;
    std::vector<float> thresholds_;
};

} // namespace kalido::transitions
