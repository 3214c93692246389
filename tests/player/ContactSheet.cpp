// Renders every transition at 25, 50 and 75 % into one PNG for a person to look at:
//   player_contact_sheet sheet.png
#include "player/Transitions.h"

#include <QApplication>
#include <QPainter>

#include <cstdio>

using namespace kalido;

namespace {

QImage sample(QSize size, bool second)
{
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    if (second) {
        QLinearGradient g(0, 0, 0, size.height());
        g.setColorAt(0, QColor(30, 90, 200));
        g.setColorAt(1, QColor(250, 220, 120));
        p.fillRect(img.rect(), g);
        p.setPen(QPen(Qt::white, 2));
        p.drawText(img.rect(), Qt::AlignCenter, QStringLiteral("NEW"));
    } else {
        p.fillRect(img.rect(), QColor(200, 60, 40));
        p.setPen(QPen(QColor(250, 200, 190), 2));
        for (int x = 0; x < size.width(); x += 16)
            p.drawLine(x, 0, x, size.height());
        p.drawText(img.rect(), Qt::AlignCenter, QStringLiteral("OLD"));
    }
    return img;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString target = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("contact_sheet.png");
    const QSize cell(160, 90);
    const int label = 14, gap = 6, perRow = 4; // effects per row, three frames each
    const QImage from = sample(cell, false), to = sample(cell, true);
    const int blockW = 3 * (cell.width() + 2) + gap;
    const int blockH = cell.height() + label + gap;
    const int rows = (TransitionCount + perRow - 1) / perRow;
    QImage sheet(perRow * blockW, rows * blockH, QImage::Format_RGB32);
    sheet.fill(QColor(40, 40, 40));
    QPainter p(&sheet);
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    for (int n = 1; n <= TransitionCount; ++n) {
        const int bx = ((n - 1) % perRow) * blockW, by = ((n - 1) / perRow) * blockH;
        p.setPen(Qt::white);
        p.drawText(QRect(bx, by, blockW, label), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1 %2").arg(n).arg(TransitionName(n)));
        auto effect = CreateTransition(n);
        QImage frame;
        for (int k = 0; k < 3; ++k) {
            effect->Render(frame, from, to, 0.25 * (k + 1));
            p.drawImage(bx + k * (cell.width() + 2), by + label, frame);
        }
    }
    p.end();
    if (!sheet.save(target)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(target));
        return 1;
    }
    return 0;
}
