#pragma once

#include <QImage>
#include <QString>

#include <memory>

namespace kalido {

// The number of transition effects, numbered 1 to TransitionCount.
inline constexpr int TransitionCount = 164;

// One run of a transition effect from a start frame to a new picture. An effect may keep state
// between frames (random orders, strip layouts); make a new object for every run.
class TTransition
{
public:
    virtual ~TTransition() = default;

    // Draws the frame at progress t into out. from, to and out have the same size and
    // Format_RGB32. At t <= 0 the frame is from, at t >= 1 it is to.
    void Render(QImage &out, const QImage &from, const QImage &to, double t);

protected:
    // Called only for 0 < t < 1; out holds no particular content on entry.
    virtual void Paint(QImage &out, const QImage &from, const QImage &to, double t) = 0;
};

// The effect with number effect (1 to TransitionCount); nullptr for any other number.
std::unique_ptr<TTransition> CreateTransition(int effect);

// The effect's English name ("Cross Fade"); empty for an unknown number.
QString TransitionName(int effect);

// Convenience for tools and tests: one frame of a fresh run of the effect.
QImage RenderTransitionFrame(int effect, const QImage &from, const QImage &to, double t);

} // namespace kalido
