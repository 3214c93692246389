#include "player/Transitions.h"

#include "TestSupport.h"

#include <QCryptographicHash>
#include <QHash>
#include <QPainter>
#include <gtest/gtest.h>

using namespace kalido;

namespace {

// Two pictures that differ everywhere and have structure in both directions, so that a moved,
// scaled or clipped copy of either never equals the other or itself.
QImage picture(QSize size, bool second)
{
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int r = second ? 40 + (y * 200) / size.height() : 230 - (x * 180) / size.width();
            const int g = second ? 60 + ((x / 7 + y / 5) % 9) * 20 : 30 + (x * y) % 97;
            const int b = second ? 220 - (x * 150) / size.width() : 20 + ((x / 5) % 11) * 15;
            line[x] = qRgb(r, g, b);
        }
    }
    return img;
}

QByteArray digest(const QImage &img)
{
    return QCryptographicHash::hash(
        QByteArrayView(reinterpret_cast<const char *>(img.constBits()), img.sizeInBytes()),
        QCryptographicHash::Sha1);
}

} // namespace

TEST(Transitions, EveryEffectRunsFromStartToNewPictureAndIsItsOwn)
{
    const QSize size(320, 180);
    const QImage from = picture(size, false);
    const QImage to = picture(size, true);
    QHash<QByteArray, int> middles;
    for (int n = 1; n <= TransitionCount; ++n) {
        SCOPED_TRACE(TransitionName(n).toStdString() + " (" + std::to_string(n) + ")");
        ASSERT_FALSE(TransitionName(n).isEmpty());
        auto effect = CreateTransition(n);
        ASSERT_NE(effect, nullptr);
        QImage frame;
        effect->Render(frame, from, to, 0.0);
        EXPECT_EQ(frame, from);
        effect->Render(frame, from, to, 0.5);
        ASSERT_EQ(frame.size(), size);
        EXPECT_NE(frame, from);
        EXPECT_NE(frame, to);
        const QByteArray key = digest(frame);
        EXPECT_FALSE(middles.contains(key)) << "same middle frame as effect " << middles.value(key);
        middles.insert(key, n);
        effect->Render(frame, from, to, 0.75);
        effect->Render(frame, from, to, 1.0);
        EXPECT_EQ(frame, to);
    }
    EXPECT_EQ(CreateTransition(0), nullptr);
    EXPECT_EQ(CreateTransition(TransitionCount + 1), nullptr);
    EXPECT_TRUE(TransitionName(TransitionCount + 1).isEmpty());
}

// Effects keep state (layouts, random orders) per size; a run over one size must not leave
// anything behind that breaks the next size, including sizes smaller than a cell.
TEST(Transitions, ChangingAndTinySizes)
{
    for (QSize size : {QSize(1, 1), QSize(3, 200), QSize(97, 61)}) {
        SCOPED_TRACE(size.width());
        const QImage from = picture(size, false);
        const QImage to = picture(size, true);
        for (int n = 1; n <= TransitionCount; ++n) {
            QImage frame = RenderTransitionFrame(n, from, to, 0.3);
            EXPECT_EQ(frame.size(), size) << n;
        }
    }
}

// A wipe shows the new picture behind its front and the old one ahead of it.
TEST(Transitions, WipeDirections)
{
    const QSize size(200, 100);
    QImage black(size, QImage::Format_RGB32), white(size, QImage::Format_RGB32);
    black.fill(Qt::black);
    white.fill(Qt::white);
    struct Case
    {
        int effect;
        QPoint fresh, old;
    } cases[] = {{5, {10, 50}, {190, 50}},  {7, {190, 50}, {10, 50}}, {9, {100, 5}, {100, 95}},
                 {11, {100, 95}, {100, 5}}, {115, {100, 50}, {2, 2}}, {116, {2, 2}, {100, 50}}};
    for (const Case &c : cases) {
        QImage frame = RenderTransitionFrame(c.effect, black, white, 0.4);
        EXPECT_EQ(frame.pixel(c.fresh), qRgb(255, 255, 255)) << TransitionName(c.effect).toStdString();
        EXPECT_EQ(frame.pixel(c.old), qRgb(0, 0, 0)) << TransitionName(c.effect).toStdString();
    }
}
