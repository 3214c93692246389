#include "player/TransitionKit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kalido::transitions {

QRectF stripFromSide(Side side, QSizeF size, double a, double b)
{
    const double w = size.width();
    const double h = size.height();
    switch (side) {
    case Side::Left:
        return QRectF(a, 0, b - a, h);
    case Side::Right:
        return QRectF(w - b, 0, b - a, h);
    case Side::Top:
        return QRectF(0, a, w, b - a);
    case Side::Bottom:
        return QRectF(0, h - b, w, b - a);
    }
    return {};
}

QRect pixelRect(const QRectF &r)
{
    const QRectF n = r.normalized();
    const int x0 = int(std::lround(n.left())), y0 = int(std::lround(n.top()));
    const int x1 = int(std::lround(n.right())), y1 = int(std::lround(n.bottom()));
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

void copyRect(QPainter &p, const QImage &image, const QRectF &r)
{
    const QRect whole = pixelRect(r) & image.rect();
    if (!whole.isEmpty())
        p.drawImage(whole.topLeft(), image, whole);
}

void drawScaled(QPainter &p, const QRectF &target, const QImage &image, const QRectF &source)
{
    const QRect whole = pixelRect(target);
    if (whole.isEmpty() || source.width() < 1 || source.height() < 1)
        return;
    p.drawImage(QRectF(whole), image, source);
}

void copyInto(QImage &out, const QImage &src)
{
    if (out.size() != src.size() || out.format() != src.format() ||
        out.bytesPerLine() != src.bytesPerLine()) {
        out = src.copy();
        return;
    }
    if (out.constBits() == src.constBits())
        return;
    std::memcpy(out.bits(), src.constBits(), size_t(src.sizeInBytes()));
}

bool CellMask::setup(QSize size, int cellWidth, int cellHeight)
{
    cellWidth = std::max(1, cellWidth);
    cellHeight = std::max(1, cellHeight);
    if (size == size_ && cellWidth == cellW_ && cellHeight == cellH_ && !thresholds_.empty())
        return false;
    size_ = size;
    cellW_ = cellWidth;
    cellH_ = cellHeight;
    cols_ = (size.width() + cellW_ - 1) / cellW_;
    rows_ = (size.height() + cellH_ - 1) / cellH_;
    thresholds_.assign(size_t(cols_) * rows_, 0.0f);
    return true;
}

void CellMask::compose(QImage &out, const QImage &from, const QImage &to, double t) const
{
    const int w = size_.width();
    const int h = size_.height();
    struct Run
    {
        int x0, x1;
        bool fresh;
    };
    std::vector<Run> runs;
    runs.reserve(size_t(cols_));
    const float level = float(t);
    for (int row = 0; row < rows_; ++row) {
        runs.clear();
        const float *cells = &thresholds_[size_t(row) * cols_];
        for (int col = 0; col < cols_; ++col) {
            const bool fresh = cells[col] < level;
            const int x0 = col * cellW_;
            const int x1 = std::min(w, x0 + cellW_);
            if (!runs.empty() && runs.back().fresh == fresh)
                runs.back().x1 = x1;
            else
                runs.push_back({x0, x1, fresh});
        }
        const int y1 = std::min(h, (row + 1) * cellH_);
        for (int y = row * cellH_; y < y1; ++y) {
            auto *dst = reinterpret_cast<uint32_t *>(out.scanLine(y));
            const auto *a = reinterpret_cast<const uint32_t *>(from.constScanLine(y));
            const auto *b = reinterpret_cast<const uint32_t *>(to.constScanLine(y));
            for (const Run &run : runs)
                std::memcpy(dst + run.x0, (run.fresh ? b : a) + run.x0, size_t(run.x1 - run.x0) * 4);
        }
    }
}

} // namespace kalido::transitions
