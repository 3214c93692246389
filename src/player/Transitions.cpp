#include "player/Transitions.h"

#include "player/TransitionKit.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

namespace kalido {

using namespace transitions;

void TTransition::Render(QImage &out, const QImage &from, const QImage &to, double t)
{
    if (t <= 0.0) {
        copyInto(out, from);
    } else if (t >= 1.0) {
        copyInto(out, to);
    } else {
        if (out.size() != to.size() || out.format() != to.format())
            out = QImage(to.size(), to.format());
        Paint(out, from, to, t);
    }
}

namespace {

constexpr double Pi = 3.14159265358979323846;

double clamp01(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

// Progress of a part that moves during [start, start + length] of the whole run.
double window(double t, double start, double length)
{
    return clamp01((t - start) / length);
}

// --- Fades -------------------------------------------------------------------------------------

class FadeTransition : public TTransition
{
public:
    enum Kind { Cross, Out, In, OutThenIn, ZoomIn };
    explicit FadeTransition(Kind kind) : kind_(kind) {}

protected:
    void Paint(QImage &out, const QImage &from, const QImage &to, double t) override
    {
        if (kind_ == Cross || kind_ == ZoomIn)
            copyInto(out, from);
        else
            out.fill(Qt::black);
        QPainter p(&out);
        switch (kind_) {
        case Cross:
            p.setOpacity(t);
            p.drawImage(0, 0, to);
            break;
        case Out:
            // The old picture goes dark; the new one follows the black.
            p.setOpacity(1.0 - t);
            p.drawImage(0, 0, from);
            break;
        case In:
            p.setOpacity(t);
            p.drawImage(0, 0, to);
            break;
        case OutThenIn:
            p.setOpacity(t < 0.5 ? 1.0 - 2 * t : 2 * t - 1.0);
            p.drawImage(0, 0, t < 0.5 ? from : to);
            break;
        case ZoomIn: {
            // Scaling and blending in one QPainter call takes its slow path; scale first into
            // a frame of our own, then blend that.
            const double scale = 1.0 + 0.3 * (1.0 - t);
            const QSizeF size = QSizeF(to.size()) * scale;
            if (zoomed_.size() != to.size())
                zoomed_ = QImage(to.size(), QImage::Format_RGB32);
            QPainter z(&zoomed_);
            drawScaled(
                z, QRectF(QPointF((to.width() - size.width()) / 2, (to.height() - size.height()) / 2), size),
                to);
            z.end();
            p.setOpacity(t);
            p.drawImage(0, 0, zoomed_);
            break;
        }
        }
    }

private:
    Kind kind_;
    QImage zoomed_;
};

// --- Clip-shaped wipes: the new picture shows inside a shape that grows ---------------------------

class ClipTransition : public TTransition
{
protected:
    // Sets the clip of the part that shows the new picture (or, when inverse(), the old one).
    virtual void clip(QPainter &p, QSizeF size, double t) = 0;
    virtual bool inverse() const { return false; }

    void Paint(QImage &out, const QImage &from, const QImage &to, double t) override
    {
        const bool inv = inverse();
        copyInto(out, inv ? to : from);
        QPainter p(&out);
        clip(p, QSizeF(out.size()), t);
        p.drawImage(0, 0, inv ? from : to);
    }
};

// A wipe from one edge; the "2" variants have a soft edge.
class WipeTransition : public TTransition
{
public:
    WipeTransition(Side side, bool soft) : side_(side), soft_(soft) {}

protected:
    void Paint(QImage &out, const QImage &from, const QImage &to, double t) override
    {
        copyInto(out, from);
        QPainter p(&out);
        const QSizeF size(out.size());
        const double depth = depthOf(side_, size);
        const double band = soft_ ? depth * 0.2 : 0.0;
        const double front = t * (depth + band);
        const double solid = std::max(0.0, front - band);
        if (solid > 0) {
            const QRectF r = stripFromSide(side_, size, 0, solid);
            copyRect(p, to, r);
        }
        if (soft_) {
            constexpr int Steps = 16;
            for (int i = 0; i < Steps; ++i) {
                const double a = std::max(0.0, front - band + band * i / Steps);
                const double b = std::min(depth, front - band + band * (i + 1) / Steps);
                if (b <= a)
                    continue;
                const QRectF r = stripFromSide(side_, size, a, b);
                p.setOpacity(1.0 - (i + 0.5) / Steps);
                copyRect(p, to, r);
            }
        }
    }

private:
    Side side_;
    bool soft_;
};

// Rectangles growing from the centre, from a corner, as bands, or as four quarters.
class RectWipe : public ClipTransition
{
public:
    enum Kind { OutFromCenter, InToCenter, FromCorner, Horizon, VerticalCenter, InFromSides, Quarters };
    RectWipe(Kind kind, double ax = 0, double ay = 0) : kind_(kind), ax_(ax), ay_(ay) {}

protected:
    bool inverse() const override { return kind_ == InToCenter || kind_ == InFromSides; }
    void clip(QPainter &p, QSizeF size, double t) override
    {
        const double w = size.width(), h = size.height();
        QRegion region;
        auto centred = [&](double rw, double rh) {
            return QRectF((w - rw) / 2, (h - rh) / 2, rw, rh).toAlignedRect();
        };
        switch (kind_) {
        case OutFromCenter:
            region = centred(w * t, h * t);
            break;
        case InToCenter:
            region = centred(w * (1 - t), h * (1 - t));
            break;
        case FromCorner:
            region = QRectF(ax_ * w * (1 - t), ay_ * h * (1 - t), w * t, h * t).toAlignedRect();
            break;
        case Horizon:
            region = centred(w, h * t);
            break;
        case VerticalCenter:
            region = centred(w * t, h);
            break;
        case InFromSides:
            region = centred(w * (1 - t), h);
            break;
        case Quarters:
            for (int q = 0; q < 4; ++q) {
                const double qx = q % 2, qy = q / 2;
                const double rw = w / 2 * t, rh = h / 2 * t;
                region += QRectF(qx * (w - rw), qy * (h - rh), rw, rh).toAlignedRect();
            }
            break;
        }
        p.setClipRegion(region);
    }

private:
    Kind kind_;
    double ax_, ay_;
};

// A wipe whose edge bulges forward in a curve.
class CurvedWipe : public ClipTransition
{
public:
    explicit CurvedWipe(Side side) : side_(side) {}

protected:
    void clip(QPainter &p, QSizeF size, double t) override
    {
        const double depth = depthOf(side_, size);
        const double across = isHorizontal(side_) ? size.height() : size.width();
        const double bulge = depth * 0.25;
        const double front = t * (depth + bulge);
        // Built for a wipe from the left, then turned to the side.
        QPainterPath path;
        path.moveTo(0, 0);
        path.lineTo(front - bulge, 0);
        path.quadTo(front + bulge, across / 2, front - bulge, across);
        path.lineTo(0, across);
        path.closeSubpath();
        QTransform m;
        switch (side_) {
        case Side::Left:
            break;
        case Side::Right:
            m = QTransform(-1, 0, 0, 1, size.width(), 0);
            break;
        case Side::Top:
            m = QTransform(0, 1, 1, 0, 0, 0);
            break;
        case Side::Bottom:
            m = QTransform(0, -1, 1, 0, 0, size.height());
            break;
        }
        p.setClipPath(m.map(path));
    }

private:
    Side side_;
};

// Circles: from a corner (a quarter circle), from the centre, or closing in on the centre.
class CircularWipe : public ClipTransition
{
public:
    enum Kind { FromCorner, FromCenter, ToCenter };
    CircularWipe(Kind kind, double ax = 0, double ay = 0) : kind_(kind), ax_(ax), ay_(ay) {}

protected:
    bool inverse() const override { return kind_ == ToCenter; }
    void clip(QPainter &p, QSizeF size, double t) override
    {
        const double diag = std::hypot(size.width(), size.height());
        QPointF centre(size.width() / 2, size.height() / 2);
        double radius = diag / 2 * (kind_ == ToCenter ? 1 - t : t);
        if (kind_ == FromCorner) {
            centre = QPointF(ax_ * size.width(), ay_ * size.height());
            radius = diag * t;
        }
        QPainterPath path;
        path.addEllipse(centre, radius, radius);
        p.setClipPath(path);
    }

private:
    Kind kind_;
    double ax_, ay_;
};

// A straight edge at 45 degrees of the frame's proportions, moving away from a corner.
class DiagonalWipe : public ClipTransition
{
public:
    DiagonalWipe(bool right, bool bottom) : right_(right), bottom_(bottom) {}

protected:
    void clip(QPainter &p, QSizeF size, double t) override
    {
        const double w = size.width(), h = size.height();
        const double cx = right_ ? w : 0, cy = bottom_ ? h : 0;
        const double dx = right_ ? -1 : 1, dy = bottom_ ? -1 : 1;
        QPolygonF poly;
        poly << QPointF(cx, cy) << QPointF(cx + dx * 2 * t * w, cy) << QPointF(cx, cy + dy * 2 * t * h);
        QPainterPath path;
        path.addPolygon(poly);
        p.setClipPath(path);
    }

private:
    bool right_, bottom_;
};

// Pie-shaped sweeps around the centre: one hand, a diameter, or a starburst of wedges.
class SweepTransition : public ClipTransition
{
public:
    enum Kind { Single, Diagonal, Starburst };
    SweepTransition(Kind kind, bool clockwise) : kind_(kind), clockwise_(clockwise) {}

protected:
    void clip(QPainter &p, QSizeF size, double t) override
    {
        const QPointF c(size.width() / 2, size.height() / 2);
        const double r = std::hypot(size.width(), size.height());
        const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
        const double dir = clockwise_ ? -1 : 1; // Qt angles run counter-clockwise
        QPainterPath path;
        auto wedge = [&](double startDeg, double spanDeg) {
            path.moveTo(c);
            path.arcTo(box, startDeg, dir * spanDeg);
            path.closeSubpath();
        };
        switch (kind_) {
        case Single:
            // The hand starts from rest and picks up speed a little, which also keeps its
            // half-way frame apart from a plain half-screen wipe.
            wedge(90, 360 * (0.85 * t + 0.15 * t * t));
            break;
        case Diagonal: {
            const double start = std::atan2(size.height(), size.width()) * 180 / Pi; // towards top-right
            wedge(start, 180 * t);
            wedge(start + 180, 180 * t);
            break;
        }
        case Starburst:
            for (int k = 0; k < 8; ++k)
                wedge(90 - dir * 45 * k, 45 * t);
            break;
        }
        path.setFillRule(Qt::WindingFill);
        p.setClipPath(path);
    }

private:
    Kind kind_;
    bool clockwise_;
};

// A rectangle or a star that turns while it grows from the centre.
class RotationalTransition : public ClipTransition
{
public:
    explicit RotationalTransition(bool star) : star_(star) {}

protected:
    void clip(QPainter &p, QSizeF size, double t) override
    {
        QPainterPath path;
        const double diag = std::hypot(size.width(), size.height());
        if (star_) {
            const double outer = diag * 1.2 * t, inner = outer * 0.5;
            QPolygonF poly;
            for (int k = 0; k < 10; ++k) {
                const double a = -Pi / 2 + k * Pi / 5;
                const double r = k % 2 ? inner : outer;
                poly << QPointF(r * std::cos(a), r * std::sin(a));
            }
            path.addPolygon(poly);
            path.closeSubpath();
        } else {
            const double w = size.width() * 1.2 * t, h = size.height() * 1.2 * t;
            path.addRect(-w / 2, -h / 2, w, h);
        }
        QTransform m;
        m.translate(size.width() / 2, size.height() / 2);
        m.rotate(-180 * (1 - t));
        p.setClipPath(m.map(path));
    }

private:
    bool star_;
};

// --- Moving pictures: slides, pushes, expands, squeezes -------------------------------------------

// Offset of a full frame that sits just outside side.
QPointF outside(Side side, QSizeF size)
{
    switch (side) {
    case Side::Left:
        return {-size.width(), 0};
    case Side::Right:
        return {size.width(), 0};
    case Side::Top:
        return {0, -size.height()};
    case Side::Bottom:
        return {0, size.height()};
    }
    return {};
}

// The new picture slides in over the old one from a side or a corner.
class SlideTransition : public TTransition
{
public:
    SlideTransition(double dx, double dy) : dx_(dx), dy_(dy) {}

protected:
    void Paint(QImage &out, const QImage &from, const QImage &to, double t) override
    {
        copyInto(out, from);
        QPainter p(&out);
        p.drawImage(QPointF(dx_ * out.width() * (1 - t), dy_ * out.height() * (1 - t)).toPoint(), to);
    }

private:
    double dx_, dy_;
};

// The new picture's top half slides down and its bottom half slides up.
class SplitSlideTransition : public TTransition
{
protected:
    void Paint(QImage &out, const QImage &from, const QImage &to, double t) override
    {
        copyInto(out, from);
        QPainter p(&out);
        const double w = out.width(), h = out.height(), half = h / 2;
        p.drawImage(QPointF(0, -half * (1 - t)).toPoint(), to, pixelRect(QRectF(0, 0, w, half)));
        p.drawImage(QPointF(0, half + half * (1 - t)).toPoint(), to, pixelRect(QRectF(0, half, w, h - half)));
    }
};

// The new picture enters from side; the old one moves out ahead of it.
class PushTransition : public TTransition
{
public:
    enum Kind {
        Push,     // both move together
        SlideOut, // the old one leaves, uncovering the new one
        Parallax, // the new one slides over the old one, which drifts out at half speed
        Squeeze,  // the new one is stretched in, the old one squeezed out
    };
    PushTransition(Side side, Kind kind) : side_(side), kind_(kind) {}

protected:
    void Paint(QImage &out, const QImage &from, const QImage &to, double t) override
    {
        const QSizeF size(out.size());
        const QPointF enter = outside(side_, size); // where the new picture starts
        if (kind_ == Squeeze) {
            out.fill(Qt::black);
            QPainter p(&out);
            const double depth = depthOf(side_, size);
            const QRectF fresh = stripFromSide(side_, size, 0, depth * t);
            const QRectF old = stripFromSide(side_, size, depth * t, depth);
            drawScaled(p, fresh, to);
            drawScaled(p, old, from);
            return;
        }
        if (kind_ == SlideOut)
            copyInto(out, to);
        else
            out.fill(Qt::black);
        QPainter p(&out);
        const double oldSpeed = kind_ == Parallax ? 0.5 : 1.0;
        p.drawImage((-enter * t * oldSpeed).toPoint(), from);
        if (kind_ != SlideOut)
            p.drawImage((enter * (1 - t)).toPoint(), to);
    }

private:
    Side side_;
    Kind kind_;
};

// The new picture stretched into a rectangle that grows from an anchor; halves: two halves
// growing in from opposite sides.
class ExpandTransition : public TTransition
{
public:
    ExpandTransition(double ax, double ay, bool horizontal, bool vertical, bool halves = false)
        : ax_(ax), ay_(ay), horizontal_(horizontal), vertical_(vertical), halves_(halves)
    {}

protected:
    void Paint(QImage &out, const QImage &from, const QImage &to, double t) override
    {
        copyInto(out, from);
        QPainter p(&out);
        const double w = out.width(), h = out.height();
        if (halves_) {
            if (horizontal_) {
                drawScaled(p, QRectF(0, 0, w / 2 * t, h), to, QRectF(0, 0, w / 2, h));
                drawScaled(p, QRectF(w - w / 2 * t, 0, w / 2 * t, h), to, QRectF(w / 2, 0, w / 2, h));
            } else {
                drawScaled(p, QRectF(0, 0, w, h / 2 * t), to, QRectF(0, 0, w, h / 2));
                drawScaled(p, QRectF(0, h - h / 2 * t, w, h / 2 * t), to, QRectF(0, h / 2, w, h / 2));
            }
            return;
        }
        const double rw = horizontal_ ? w * t : w, rh = vertical_ ? h * t : h;
        drawScaled(p, QRectF(ax_ * (w - rw), ay_ * (h - rh), rw, rh), to);
    }

private:
    double ax_, ay_;
    bool horizontal_, vertical_, halves_;
};

// The old picture shrinks towards an anchor, uncovering the new one.
class ShrinkTransition : public TTransition
{
public:
    ShrinkTransition(double ax, double ay, bool horizontal, bool vertical)
        : ax_(ax), ay_(ay), horizontal_(horizontal), vertical_(vertical)
    {}

protected:
    void Paint(QImage &out, const QImage &from, const QImage &to, double t) override
    {
        copyInto(out, to);
        QPainter p(&out);
        const double w = out.width(), h = out.height();
        const double rw = horizontal_ ? w * (1 - t) : w, rh = vertical_ ? h * (1 - t) : h;
        drawScaled(p, QRectF(ax_ * (w - rw), ay_ * (h - rh), rw, rh), from);
    }

private:
    double ax_, ay_;
    bool horizontal_, vertical_;
};

// The new picture closes in from the edges towards the centre, magnified at first.
class ExpandInTransition : public TTransition
{
protected:
    void Paint(QImage &out, const QImage &from, const QImage &to, double t) override
    {
        copyInto(out, from);
        QPainter p(&out);
        const double w = out.width(), h = out.height();
        QRegion ring(0, 0, out.width(), out.height());
        ring -=
            QRectF((w - w * (1 - t)) / 2, (h - h * (1 - t)) / 2, w * (1 - t), h * (1 - t)).toAlignedRect();
        p.setClipRegion(ring);
        const double scale = 2.0 - t;
        drawScaled(p, QRectF((w - w * scale) / 2, (h - h * scale) / 2, w * scale, h * scale), to);
    }
};

// The four quarters of the new picture, stretched from or sliding in from their corners.
class QuartersTransition : public TTransition
{
public:
    explicit QuartersTransition(bool slide) : slide_(slide) {}

protected:
    void Paint(QImage &out, const QImage &from, const QImage &to, double t) override
    {
        copyInto(out, from);
        QPainter p(&out);
        const double w = out.width(), h = out.height(), hw = w / 2, hh = h / 2;
        for (int q = 0; q < 4; ++q) {
            const double qx = q % 2, qy = q / 2;
            const QRectF source(qx * hw, qy * hh, hw, hh);
            if (slide_) {
                const QPointF away((qx * 2 - 1) * hw * (1 - t), (qy * 2 - 1) * hh * (1 - t));
                p.drawImage((source.topLeft() + away).toPoint(), to, pixelRect(source));
            } else {
                const double rw = hw * t, rh = hh * t;
                drawScaled(p, QRectF(qx * (w - rw), qy * (h - rh), rw, rh), to, source);
            }
        }
    }

private:
    bool slide_;
};

// Strips of the new picture fly in one after another and pile up from side.
class BuildUpTransition : public TTransition
{
public:
    explicit BuildUpTransition(Side side) : side_(side) {}

protected:
    void Paint(QImage &out, const QImage &from, const QImage &to, double t) override
    {
        copyInto(out, from);
        QPainter p(&out);
        const QSizeF size(out.size());
        const double depth = depthOf(side_, size);
        constexpr int Strips = 8;
        const double strip = depth / Strips;
        for (int k = 0; k < Strips; ++k) {
            // Windows overlap, so the next strip is on its way before the last one lands.
            constexpr double Flight = 0.15;
            const double local = window(t, k * (1.0 - Flight) / (Strips - 1), Flight);
            if (local <= 0)
                break;
            const QRectF place = stripFromSide(side_, size, k * strip, (k + 1) * strip);
            // Each strip travels from the far edge to its place.
            const double travel = (depth - k * strip) * (1 - local);
            const QPointF shift = -outside(side_, QSizeF(travel, travel));
            const QRect source = pixelRect(place);
            p.drawImage(source.topLeft() + shift.toPoint(), to, source);
        }
    }

private:
    Side side_;
};

// The new picture unrolls like a sheet: a shaded roll runs ahead of the flat part.
class UnrollTransition : public TTransition
{
public:
    explicit UnrollTransition(Side side) : side_(side) {}

protected:
    void Paint(QImage &out, const QImage &from, const QImage &to, double t) override
    {
        copyInto(out, from);
        QPainter p(&out);
        const QSizeF size(out.size());
        const double depth = depthOf(side_, size);
        const double roll = depth * 0.08;
        const double front = t * (depth + roll);
        if (front > 0) {
            const QRectF flat = stripFromSide(side_, size, 0, std::min(front, depth));
            copyRect(p, to, flat);
        }
        if (front < depth) {
            // The roll shows the next stretch of the picture squeezed onto its curve.
            const QRectF target = stripFromSide(side_, size, front, std::min(depth, front + roll));
            const QRectF source = stripFromSide(side_, size, front, std::min(depth, front + 2 * roll));
            drawScaled(p, target, to, source);
            const QRectF near = stripFromSide(side_, size, front, front);
            const QRectF far = stripFromSide(side_, size, front + roll, front + roll);
            QLinearGradient shade(near.center(), far.center());
            shade.setColorAt(0, QColor(0, 0, 0, 150));
            shade.setColorAt(0.4, QColor(255, 255, 255, 60));
            shade.setColorAt(1, QColor(0, 0, 0, 170));
            p.fillRect(target, shade);
        }
    }

private:
    Side side_;
};

// --- Bars and blinds ------------------------------------------------------------------------------

// Bars across the frame, each growing from a side on its own schedule.
class BarsTransition : public TTransition
{
public:
    enum Pattern { OneSide, OneThenOther, Alternate };
    // horizontal: the bars are rows growing along x from first (Left or Right); otherwise
    // columns growing along y from first (Top or Bottom).
    BarsTransition(Side first, Pattern pattern, uint32_t seed)
        : first_(first), pattern_(pattern), random_(seed)
    {}

protected:
    void Paint(QImage &out, const QImage &from, const QImage &to, double t) override
    {
        copyInto(out, from);
        QPainter p(&out);
        const QSizeF size(out.size());
        const bool rows = isHorizontal(first_);
        const Side second = first_ == Side::Left    ? Side::Right
                            : first_ == Side::Right ? Side::Left
                            : first_ == Side::Top   ? Side::Bottom
                                                    : Side::Top;
        constexpr int Bars = 16;
        if (delays_.empty()) {
            for (int i = 0; i < Bars; ++i)
                delays_.push_back(random_.unit());
        }
        const double across = rows ? size.height() : size.width();
        const double depth = depthOf(first_, size);
        for (int i = 0; i < Bars; ++i) {
            const bool odd = i % 2;
            Side side = first_;
            double start = delays_[i] * 0.5, length = 0.5;
            if (pattern_ == OneThenOther) {
                // The second set starts while the last bars of the first are still growing.
                side = odd ? second : first_;
                start = (odd ? 0.4 : 0.0) + delays_[i] * 0.3;
                length = 0.3;
            } else if (pattern_ == Alternate) {
                side = odd ? second : first_;
            }
            const double grown = depth * window(t, start, length);
            if (grown <= 0)
                continue;
            const double a = across * i / Bars, b = across * (i + 1) / Bars;
            QRectF r = stripFromSide(side, size, 0, grown);
            r = rows ? QRectF(r.left(), a, r.width(), b - a) : QRectF(a, r.top(), b - a, r.height());
            copyRect(p, to, r);
        }
    }

private:
    Side first_;
    Pattern pattern_;
    Random random_;
    std::vector<double> delays_;
};

// Slats that open from their leading edge; uneven slats have random widths and open one after
// another from side.
class BlindsTransition : public TTransition
{
public:
    BlindsTransition(Side side, bool uneven, uint32_t seed) : side_(side), uneven_(uneven), random_(seed) {}

protected:
    void Paint(QImage &out, const QImage &from, const QImage &to, double t) override
    {
        copyInto(out, from);
        QPainter p(&out);
        const QSizeF size(out.size());
        const double depth = depthOf(side_, size);
        if (edges_.empty()) {
            // Slat boundaries as fractions of the depth.
            edges_.push_back(0);
            if (uneven_) {
                double at = 0;
                while (at < 1) {
                    at = std::min(1.0, at + 0.03 + 0.12 * random_.unit());
                    edges_.push_back(at);
                }
            } else {
                for (int k = 1; k <= 12; ++k)
                    edges_.push_back(k / 12.0);
            }
        }
        for (size_t k = 0; k + 1 < edges_.size(); ++k) {
            const double a = edges_[k] * depth, b = edges_[k + 1] * depth;
            const double open = uneven_ ? window(t, edges_[k] * 0.4, 0.6) : t;
            if (open <= 0)
                continue;
            const QRectF r = stripFromSide(side_, size, a, a + (b - a) * open);
            copyRect(p, to, r);
        }
    }

private:
    Side side_;
    bool uneven_;
    Random random_;
    std::vector<double> edges_;
};

// --- Cell masks: dissolves, shreds, speckles, crisscross bars, rectangles ---------------------------

class MaskTransition : public TTransition
{
protected:
    // Cell size for a frame of the given size.
    virtual QSize cellSize(QSize frame) const = 0;
    // Fills every threshold of a freshly set up mask.
    virtual void fill(CellMask &mask) = 0;

    void Paint(QImage &out, const QImage &from, const QImage &to, double t) override
    {
        const QSize cell = cellSize(out.size());
        if (mask_.setup(out.size(), cell.width(), cell.height()))
            fill(mask_);
        mask_.compose(out, from, to, t);
    }

    CellMask mask_;
};

// Boxes of the new picture appear in random order.
class RandomBoxesTransition : public MaskTransition
{
public:
    explicit RandomBoxesTransition(uint32_t seed) : random_(seed) {}

protected:
    QSize cellSize(QSize frame) const override
    {
        const int s = std::max(8, frame.width() / 24);
        return {s, s};
    }
    void fill(CellMask &mask) override
    {
        for (int r = 0; r < mask.rows(); ++r)
            for (int c = 0; c < mask.cols(); ++c)
                mask.at(c, r) = random_.unit();
    }

private:
    Random random_;
};

// Rectangles appear at random, in a wave that moves away from side.
class RectanglesTransition : public MaskTransition
{
public:
    RectanglesTransition(Side side, uint32_t seed) : side_(side), random_(seed) {}

protected:
    QSize cellSize(QSize frame) const override
    {
        return {std::max(4, frame.width() / 12), std::max(4, frame.height() / 8)};
    }
    void fill(CellMask &mask) override
    {
        for (int r = 0; r < mask.rows(); ++r) {
            for (int c = 0; c < mask.cols(); ++c) {
                const double x = double(c) / std::max(1, mask.cols() - 1);
                const double y = double(r) / std::max(1, mask.rows() - 1);
                const double along = side_ == Side::Left    ? x
                                     : side_ == Side::Right ? 1 - x
                                     : side_ == Side::Top   ? y
                                                            : 1 - y;
                mask.at(c, r) = float(along * 0.6 + random_.unit() * 0.39);
            }
        }
    }

private:
    Side side_;
    Random random_;
};

// A soft front made of random specks, moving away from side.
class SpeckleTransition : public MaskTransition
{
public:
    SpeckleTransition(Side side, uint32_t seed) : side_(side), random_(seed) {}

protected:
    QSize cellSize(QSize frame) const override
    {
        const int s = std::max(2, frame.width() / 320);
        return {s, s};
    }
    void fill(CellMask &mask) override
    {
        for (int r = 0; r < mask.rows(); ++r) {
            for (int c = 0; c < mask.cols(); ++c) {
                const double x = mask.unitX(c), y = mask.unitY(r);
                const double along = side_ == Side::Left    ? x
                                     : side_ == Side::Right ? 1 - x
                                     : side_ == Side::Top   ? y
                                                            : 1 - y;
                mask.at(c, r) = float(std::min(along, 1.0) * 0.6 + random_.unit() * 0.39);
            }
        }
    }

private:
    Side side_;
    Random random_;
};

// Thin strips with ragged ends: the front of each strip runs ahead or lags by its own amount.
// The field gives, for a point (0..1 on both axes) and the jitter of its row strip and its
// column strip, when the new picture arrives there.
class ShredTransition : public MaskTransition
{
public:
    using Field = std::function<double(double x, double y, double rowJitter, double colJitter)>;
    ShredTransition(Field field, uint32_t seed) : field_(std::move(field)), random_(seed) {}

protected:
    QSize cellSize(QSize frame) const override
    {
        const int s = std::max(1, frame.height() / 216);
        return {s * 2, s * 2};
    }
    void fill(CellMask &mask) override
    {
        // Strips are a few cells wide so that they read as shreds, not as noise.
        constexpr int StripCells = 2;
        std::vector<double> rowJitter(size_t(mask.rows() / StripCells + 1));
        std::vector<double> colJitter(size_t(mask.cols() / StripCells + 1));
        for (double &j : rowJitter)
            j = random_.unit();
        for (double &j : colJitter)
            j = random_.unit();
        for (int r = 0; r < mask.rows(); ++r) {
            for (int c = 0; c < mask.cols(); ++c) {
                const double v = field_(mask.unitX(c), mask.unitY(r), rowJitter[size_t(r / StripCells)],
                                        colJitter[size_t(c / StripCells)]);
                mask.at(c, r) = float(std::clamp(v, 0.0, 0.999));
            }
        }
    }

private:
    Field field_;
    Random random_;
};

// Rows and columns of bars crossing each other; where either has arrived, the new picture shows.
class CrisscrossTransition : public MaskTransition
{
public:
    // rowSides: where even and odd rows start (Left or Right); colSides: where even and odd
    // columns start (Top or Bottom). The bars nearest to the stagger corner start first.
    struct Layout
    {
        Side evenRow, oddRow, evenCol, oddCol;
        bool staggerFromBottom, staggerFromRight;
    };
    explicit CrisscrossTransition(Layout layout) : layout_(layout) {}

protected:
    QSize cellSize(QSize frame) const override
    {
        const int s = std::max(2, frame.height() / 135);
        return {s, s};
    }
    void fill(CellMask &mask) override
    {
        constexpr int Rows = 8, Cols = 10;
        constexpr double Stagger = 0.3, Lag = 0.2;
        for (int r = 0; r < mask.rows(); ++r) {
            for (int c = 0; c < mask.cols(); ++c) {
                const double x = mask.unitX(c), y = mask.unitY(r);
                const int row = std::min(Rows - 1, int(y * Rows));
                const int col = std::min(Cols - 1, int(x * Cols));
                const Side rowSide = row % 2 ? layout_.oddRow : layout_.evenRow;
                const Side colSide = col % 2 ? layout_.oddCol : layout_.evenCol;
                const double rowDelay = double(layout_.staggerFromBottom ? Rows - 1 - row : row) / (Rows - 1);
                const double colDelay = double(layout_.staggerFromRight ? Cols - 1 - col : col) / (Cols - 1);
                // Every other bar runs behind its neighbours, so the bars read as a weave.
                const double rowLag = row % 2 ? Lag : 0.0, colLag = col % 2 ? 0.0 : Lag;
                const double rowReach =
                    rowDelay * Stagger + rowLag + (rowSide == Side::Left ? x : 1 - x) * (1 - Stagger - Lag);
                const double colReach =
                    colDelay * Stagger + colLag + (colSide == Side::Top ? y : 1 - y) * (1 - Stagger - Lag);
                mask.at(c, r) = float(std::clamp(std::min(rowReach, colReach), 0.0, 0.999));
            }
        }
    }

private:
    Layout layout_;
};

// Single pixels of the new picture appear in random order.
class RandomPointsTransition : public TTransition
{
public:
    explicit RandomPointsTransition(uint32_t seed)
    {
        Random random(seed);
        noise_.resize(Tile * Tile);
        for (uint16_t &v : noise_)
            v = uint16_t(random.next() >> 16);
    }

protected:
    void Paint(QImage &out, const QImage &from, const QImage &to, double t) override
    {
        const uint32_t level = uint32_t(t * 65536.0);
        const int w = out.width();
        for (int y = 0; y < out.height(); ++y) {
            auto *dst = reinterpret_cast<uint32_t *>(out.scanLine(y));
            const auto *a = reinterpret_cast<const uint32_t *>(from.constScanLine(y));
            const auto *b = reinterpret_cast<const uint32_t *>(to.constScanLine(y));
            const uint16_t *noise = &noise_[size_t(unsigned(y) & (Tile - 1)) * Tile];
            for (int x = 0; x < w; ++x)
                dst[x] = noise[unsigned(x) & (Tile - 1)] < level ? b[x] : a[x];
        }
    }

private:
    static constexpr int Tile = 256;
    std::vector<uint16_t> noise_;
};

// --- The table ------------------------------------------------------------------------------------

struct Row
{
    const char *name;
    std::function<std::unique_ptr<TTransition>()> make;
};

template <typename T, typename... Args> Row row(const char *name, Args... args)
{
    return {name, [=] { return std::unique_ptr<TTransition>(new T(args...)); }};
}

using L = Side;

ShredTransition::Field shred(int kind)
{
    constexpr double J = 0.3;
    auto mix = [](double f, double j) { return f * (1 - J) + j * J; };
    auto centre = [](double v) { return std::abs(v - 0.5) * 2; };
    switch (kind) {
    case 0: // from left
        return [=](double x, double, double jr, double) { return mix(x, jr); };
    case 1: // from right
        return [=](double x, double, double jr, double) { return mix(1 - x, jr); };
    case 2: // from top
        return [=](double, double y, double, double jc) { return mix(y, jc); };
    case 3: // from bottom
        return [=](double, double y, double, double jc) { return mix(1 - y, jc); };
    case 4: // top and left
        return [=](double x, double y, double jr, double jc) { return std::min(mix(x, jr), mix(y, jc)); };
    case 5: // top and right
        return [=](double x, double y, double jr, double jc) { return std::min(mix(1 - x, jr), mix(y, jc)); };
    case 6: // bottom and left
        return [=](double x, double y, double jr, double jc) { return std::min(mix(x, jr), mix(1 - y, jc)); };
    case 7: // bottom and right
        return [=](double x, double y, double jr, double jc) {
            return std::min(mix(1 - x, jr), mix(1 - y, jc));
        };
    case 8: // horizon and left
        return [=](double x, double y, double jr, double jc) {
            return std::min(mix(x, jr), mix(centre(y), jc));
        };
    case 9: // horizon and right
        return [=](double x, double y, double jr, double jc) {
            return std::min(mix(1 - x, jr), mix(centre(y), jc));
        };
    case 10: // top and vertical centre
        return [=](double x, double y, double jr, double jc) {
            return std::min(mix(centre(x), jr), mix(y, jc));
        };
    case 11: // bottom and vertical centre
        return [=](double x, double y, double jr, double jc) {
            return std::min(mix(centre(x), jr), mix(1 - y, jc));
        };
    case 12: // to centre: all four edges first
        return [=](double x, double y, double jr, double jc) {
            return std::min(mix(1 - centre(x), jr), mix(1 - centre(y), jc));
        };
    case 13: // from centre
        return [=](double x, double y, double jr, double jc) {
            return std::max(mix(centre(x), jr), mix(centre(y), jc));
        };
    case 14: // in to horizon
        return [=](double, double y, double, double jc) { return mix(1 - centre(y), jc); };
    case 15: // in to vertical centre
        return [=](double x, double, double jr, double) { return mix(1 - centre(x), jr); };
    case 16: // out from horizon
        return [=](double, double y, double, double jc) { return mix(centre(y), jc); };
    case 17: // out from vertical centre
        return [=](double x, double, double jr, double) { return mix(centre(x), jr); };
    case 18: // rectangular: growing rectangles with ragged edges on all four sides
        return [=](double x, double y, double jr, double jc) {
            return std::max(mix(centre(x), jr), mix(centre(y), jc));
        };
    default: // triangular, towards the top-left corner: saw-toothed diagonal strips
        return [=](double x, double y, double jr, double jc) {
            const double tooth = std::fmod((x * 16 + y * 9) * 0.5, 1.0);
            return mix(1 - (x + y) / 2, std::abs(tooth - 0.5) * 2) * 0.85 + (jr + jc) * 0.075;
        };
    }
}

CrisscrossTransition::Layout cross(L evenRow, L oddRow, L evenCol, L oddCol, bool fromBottom, bool fromRight)
{
    return {evenRow, oddRow, evenCol, oddCol, fromBottom, fromRight};
}

const std::vector<Row> &table()
{
    using F = FadeTransition;
    using P = PushTransition;
    using R = RectWipe;
    using B = BarsTransition;
    static const std::vector<Row> rows = {
        row<F>("Cross Fade", F::Cross),
        row<F>("Fade Out", F::Out),
        row<F>("Fade In", F::In),
        row<F>("Fade Out then In", F::OutThenIn),
        row<WipeTransition>("Wipe Left to Right", L::Left, false),
        row<WipeTransition>("Wipe Left to Right 2", L::Left, true),
        row<WipeTransition>("Wipe Right to Left", L::Right, false),
        row<WipeTransition>("Wipe Right to Left 2", L::Right, true),
        row<WipeTransition>("Wipe Top to Bottom", L::Top, false),
        row<WipeTransition>("Wipe Top to Bottom 2", L::Top, true),
        row<WipeTransition>("Wipe Bottom to Top", L::Bottom, false),
        row<WipeTransition>("Wipe Bottom to Top 2", L::Bottom, true),
        row<SlideTransition>("Slide from Top Left", -1.0, -1.0),
        row<SlideTransition>("Slide from Top Right", 1.0, -1.0),
        row<SlideTransition>("Slide from Bottom Left", -1.0, 1.0),
        row<SlideTransition>("Slide from Bottom Right", 1.0, 1.0),
        row<P>("Push Left to Right", L::Left, P::Push),
        row<P>("Slide Out Left to Right", L::Left, P::SlideOut),
        row<P>("Push Right to Left", L::Right, P::Push),
        row<P>("Slide Out Right to Left", L::Right, P::SlideOut),
        row<P>("Push Top to Bottom", L::Top, P::Push),
        row<P>("Slide Out Top to Bottom", L::Top, P::SlideOut),
        row<P>("Push Bottom to Top", L::Bottom, P::Push),
        row<P>("Slide Out Bottom to Top", L::Bottom, P::SlideOut),
        row<RandomPointsTransition>("Random Points", 25u),
        row<RandomBoxesTransition>("Random Boxes", 26u),
        row<R>("Wipe Out from Center", R::OutFromCenter),
        row<R>("Wipe In to Center", R::InToCenter),
        row<ExpandTransition>("Expand Out from Center", 0.5, 0.5, true, true),
        row<ExpandInTransition>("Expand In to Center"),
        row<ExpandTransition>("Expand from Left", 0.0, 0.5, true, false),
        row<ExpandTransition>("Expand from Right", 1.0, 0.5, true, false),
        row<ExpandTransition>("Expand from Top", 0.5, 0.0, false, true),
        row<ExpandTransition>("Expand from Bottom", 0.5, 1.0, false, true),
        row<ExpandTransition>("Expand from Top Left", 0.0, 0.0, true, true),
        row<ExpandTransition>("Expand from Top Right", 1.0, 0.0, true, true),
        row<ExpandTransition>("Expand from Bottom Left", 0.0, 1.0, true, true),
        row<ExpandTransition>("Expand from Bottom Right", 1.0, 1.0, true, true),
        row<ExpandTransition>("Expand in from Left", 0.0, 0.5, true, true),
        row<ExpandTransition>("Expand in from Right", 1.0, 0.5, true, true),
        row<ExpandTransition>("Expand in from Top", 0.5, 0.0, true, true),
        row<ExpandTransition>("Expand in from Bottom", 0.5, 1.0, true, true),
        row<ShrinkTransition>("Expand in to Vertical Center", 0.5, 0.5, true, false),
        row<ShrinkTransition>("Expand in to Horizon", 0.5, 0.5, false, true),
        row<ExpandTransition>("Expand in from Sides", 0.5, 0.5, true, false, true),
        row<ExpandTransition>("Expand in from Top and Bottom", 0.5, 0.5, false, true, true),
        row<ExpandTransition>("Expand out from Horizon", 0.5, 0.5, false, true),
        row<ExpandTransition>("Expand out from Vertical Center", 0.5, 0.5, true, false),
        row<R>("Wipe from Top Left", R::FromCorner, 0.0, 0.0),
        row<R>("Wipe from Top Right", R::FromCorner, 1.0, 0.0),
        row<R>("Wipe from Bottom Left", R::FromCorner, 0.0, 1.0),
        row<R>("Wipe from Bottom Right", R::FromCorner, 1.0, 1.0),
        row<R>("Wipe from Horizon", R::Horizon),
        row<R>("Wipe in from Sides", R::InFromSides),
        row<R>("Wipe out from Vertical Center", R::VerticalCenter),
        row<BuildUpTransition>("Build up from Left", L::Left),
        row<BuildUpTransition>("Build up from Right", L::Right),
        row<BuildUpTransition>("Build up from Top", L::Top),
        row<BuildUpTransition>("Build up from Bottom", L::Bottom),
        row<UnrollTransition>("Unroll from Left", L::Left),
        row<UnrollTransition>("Unroll from Right", L::Right),
        row<UnrollTransition>("Unroll from Top", L::Top),
        row<UnrollTransition>("Unroll from Bottom", L::Bottom),
        row<SlideTransition>("Slide in from Left", -1.0, 0.0),
        row<SlideTransition>("Slide in from Right", 1.0, 0.0),
        row<SlideTransition>("Slide in from Top", 0.0, -1.0),
        row<SlideTransition>("Slide in from Bottom", 0.0, 1.0),
        row<SplitSlideTransition>("Slide in from Top and Bottom"),
        row<ShrinkTransition>("Shrink to Top Left", 0.0, 0.0, true, true),
        row<ShrinkTransition>("Shrink to Top Right", 1.0, 0.0, true, true),
        row<ShrinkTransition>("Shrink to Bottom Left", 0.0, 1.0, true, true),
        row<ShrinkTransition>("Shrink to Bottom Right", 1.0, 1.0, true, true),
        row<ShrinkTransition>("Shrink to Center", 0.5, 0.5, true, true),
        row<R>("Quarters Wipe in to Center", R::Quarters),
        row<QuartersTransition>("Quarters Expand to Center", false),
        row<QuartersTransition>("Quarters Slide in to Center", true),
        row<CurvedWipe>("Curved Wipe from Left", L::Left),
        row<CurvedWipe>("Curved Wipe from Right", L::Right),
        row<CurvedWipe>("Curved Wipe from Top", L::Top),
        row<CurvedWipe>("Curved Wipe from Bottom", L::Bottom),
        row<B>("Bars in from Left", L::Left, B::OneSide, 81u),
        row<B>("Bars in from Right", L::Right, B::OneSide, 82u),
        row<B>("Bars from Top", L::Top, B::OneSide, 83u),
        row<B>("Bars from Bottom", L::Bottom, B::OneSide, 84u),
        row<B>("Bars Left then Right", L::Left, B::OneThenOther, 85u),
        row<B>("Bars Right then Left", L::Right, B::OneThenOther, 86u),
        row<B>("Bars Top then Bottom", L::Top, B::OneThenOther, 87u),
        row<B>("Bars Bottom then Top", L::Bottom, B::OneThenOther, 88u),
        row<B>("Bars from both Sides", L::Left, B::Alternate, 89u),
        row<B>("Bars from Top and Bottom", L::Top, B::Alternate, 90u),
        row<ShredTransition>("Shredded from Left", shred(0), 91u),
        row<ShredTransition>("Shredded from Right", shred(1), 92u),
        row<ShredTransition>("Shredded from Top", shred(2), 93u),
        row<ShredTransition>("Shredded from Bottom", shred(3), 94u),
        row<ShredTransition>("Shredded from Top and Left", shred(4), 95u),
        row<ShredTransition>("Shredded from Top and Right", shred(5), 96u),
        row<ShredTransition>("Shredded from Bottom and Left", shred(6), 97u),
        row<ShredTransition>("Shredded from Bottom and Right", shred(7), 98u),
        row<ShredTransition>("Shredded from Horizon and Left", shred(8), 99u),
        row<ShredTransition>("Shredded from Horizon and Right", shred(9), 100u),
        row<ShredTransition>("Shredded from Top and Vertical Center", shred(10), 101u),
        row<ShredTransition>("Shredded from Bottom and Vertical Center", shred(11), 102u),
        row<ShredTransition>("Shredded to Center", shred(12), 103u),
        row<ShredTransition>("Shredded from Center", shred(13), 104u),
        row<ShredTransition>("Shredded in to Horizon", shred(14), 105u),
        row<ShredTransition>("Shredded in to Vertical Center", shred(15), 106u),
        row<ShredTransition>("Shredded out from Horizon", shred(16), 107u),
        row<ShredTransition>("Shredded out from Vertical Center", shred(17), 108u),
        row<ShredTransition>("Rectangular Shred", shred(18), 109u),
        row<ShredTransition>("Triangular Shred to Top Left", shred(19), 110u),
        row<CircularWipe>("Curved Wipe from Top Left", CircularWipe::FromCorner, 0.0, 0.0),
        row<CircularWipe>("Curved Wipe from Top Right", CircularWipe::FromCorner, 1.0, 0.0),
        row<CircularWipe>("Curved Wipe from Bottom Left", CircularWipe::FromCorner, 0.0, 1.0),
        row<CircularWipe>("Curved Wipe from Bottom Right", CircularWipe::FromCorner, 1.0, 1.0),
        row<CircularWipe>("Circular Wipe from Center", CircularWipe::FromCenter, 0.5, 0.5),
        row<CircularWipe>("Circular Wipe to Center", CircularWipe::ToCenter, 0.5, 0.5),
        row<CrisscrossTransition>("Crisscross Wipe from Top Left",
                                  cross(L::Left, L::Left, L::Top, L::Top, false, false)),
        row<CrisscrossTransition>("Crisscross Wipe from Top Right",
                                  cross(L::Right, L::Right, L::Top, L::Top, false, true)),
        row<CrisscrossTransition>("Crisscross Wipe from Bottom Left",
                                  cross(L::Left, L::Left, L::Bottom, L::Bottom, true, false)),
        row<CrisscrossTransition>("Crisscross Wipe from Bottom Right",
                                  cross(L::Right, L::Right, L::Bottom, L::Bottom, true, true)),
        row<CrisscrossTransition>("Crisscross Wipe Bounce from Top Left",
                                  cross(L::Left, L::Right, L::Top, L::Bottom, false, false)),
        row<CrisscrossTransition>("Crisscross Wipe Bounce from Top Right",
                                  cross(L::Right, L::Left, L::Top, L::Bottom, false, true)),
        row<CrisscrossTransition>("Crisscross Wipe Bounce from Bottom Left",
                                  cross(L::Left, L::Right, L::Bottom, L::Top, true, false)),
        row<CrisscrossTransition>("Crisscross Wipe Bounce from Bottom Right",
                                  cross(L::Right, L::Left, L::Bottom, L::Top, true, true)),
        row<CrisscrossTransition>("Crisscross Wipe from Left Right and Top",
                                  cross(L::Left, L::Right, L::Top, L::Top, false, false)),
        row<CrisscrossTransition>("Crisscross Wipe from Left Right and Bottom",
                                  cross(L::Left, L::Right, L::Bottom, L::Bottom, true, false)),
        row<CrisscrossTransition>("Crisscross Wipe from Left Top and Bottom",
                                  cross(L::Left, L::Left, L::Top, L::Bottom, false, false)),
        row<CrisscrossTransition>("Crisscross Wipe from Top Left Right and Bottom",
                                  cross(L::Left, L::Right, L::Top, L::Bottom, false, true)),
        row<CrisscrossTransition>("Crisscross Wipe from Right Top and Bottom",
                                  cross(L::Right, L::Right, L::Top, L::Bottom, false, true)),
        row<CrisscrossTransition>("Crisscross Wipe from Bottom Left Top Right",
                                  cross(L::Left, L::Right, L::Bottom, L::Top, true, true)),
        row<DiagonalWipe>("Wipe diagonal from Top Left", false, false),
        row<DiagonalWipe>("Wipe diagonal from Top Right", true, false),
        row<DiagonalWipe>("Wipe diagonal from Bottom Left", false, true),
        row<DiagonalWipe>("Wipe diagonal from Bottom Right", true, true),
        row<SweepTransition>("Diagonal Sweep Clockwise", SweepTransition::Diagonal, true),
        row<SweepTransition>("Diagonal Sweep Counter-Clockwise", SweepTransition::Diagonal, false),
        row<SweepTransition>("Sweep Clockwise", SweepTransition::Single, true),
        row<SweepTransition>("Sweep Counter-Clockwise", SweepTransition::Single, false),
        row<SweepTransition>("Starburst Clockwise from Center", SweepTransition::Starburst, true),
        row<RotationalTransition>("Rotational Rectangle", false),
        row<RotationalTransition>("Rotational Star", true),
        row<SpeckleTransition>("Speckled Wipe from Left", L::Left, 142u),
        row<SpeckleTransition>("Speckled Wipe from Right", L::Right, 143u),
        row<SpeckleTransition>("Speckled Wipe from Top", L::Top, 144u),
        row<SpeckleTransition>("Speckled Wipe from Bottom", L::Bottom, 145u),
        row<P>("Push Left and Slide out", L::Right, P::Parallax),
        row<P>("Push Right and Slide out", L::Left, P::Parallax),
        row<P>("Push up and Slide out", L::Bottom, P::Parallax),
        row<P>("Push down and Slide out", L::Top, P::Parallax),
        row<P>("Push and Squeeze Left", L::Right, P::Squeeze),
        row<P>("Push and Squeeze Right", L::Left, P::Squeeze),
        row<P>("Push and Squeeze up", L::Bottom, P::Squeeze),
        row<P>("Push and Squeeze down", L::Top, P::Squeeze),
        row<BlindsTransition>("Horizontal Blinds", L::Top, false, 154u),
        row<BlindsTransition>("Vertical Blinds", L::Left, false, 155u),
        row<BlindsTransition>("Uneven Blinds from Left", L::Left, true, 156u),
        row<BlindsTransition>("Uneven Blinds from Right", L::Right, true, 157u),
        row<BlindsTransition>("Uneven Blinds from Top", L::Top, true, 158u),
        row<BlindsTransition>("Uneven Blinds from Bottom", L::Bottom, true, 159u),
        row<RectanglesTransition>("Rectangles from the Left", L::Left, 160u),
        row<RectanglesTransition>("Rectangles from the Right", L::Right, 161u),
        row<RectanglesTransition>("Rectangles from the Top", L::Top, 162u),
        row<RectanglesTransition>("Rectangles from the Bottom", L::Bottom, 163u),
        row<F>("Zoom In and Fade", F::ZoomIn),
    };
    return rows;
}

} // namespace

std::unique_ptr<TTransition> CreateTransition(int effect)
{
    const auto &rows = table();
    if (effect < 1 || effect > int(rows.size()))
        return nullptr;
    return rows[size_t(effect - 1)].make();
}

QString TransitionName(int effect)
{
    const auto &rows = table();
    if (effect < 1 || effect > int(rows.size()))
        return {};
    return QString::fromLatin1(rows[size_t(effect - 1)].name);
}

QImage RenderTransitionFrame(int effect, const QImage &from, const QImage &to, double t)
{
    QImage out;
    if (auto transition = CreateTransition(effect))
        transition->Render(out, from, to, t);
    return out;
}

} // namespace kalido
