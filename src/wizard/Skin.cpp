#include "wizard/Skin.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace kalido {

namespace {

QString currentSkin = QString::fromLatin1(DefaultSkinName);

const QColor backgroundTop(0xe3, 0xef, 0xff);
const QColor backgroundBottom(0xc4, 0xdb, 0xf7);
const QColor faceTop(0xf4, 0xf8, 0xfd);
const QColor faceBottom(0xcf, 0xdd, 0xee);
const QColor faceBorder(0x8d, 0xa8, 0xcc);
const QColor textNormal(0x15, 0x42, 0x8b);
const QColor textDisabled(0x8d, 0x8d, 0x8d);

} // namespace

bool SelectSkin(const QString &name)
{
    if (name.compare(QLatin1String(DefaultSkinName), Qt::CaseInsensitive) != 0)
        return false;
    currentSkin = QString::fromLatin1(DefaultSkinName);
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance())) {
        QApplication::setPalette(SkinPalette());
        app->setStyleSheet(SkinStyleSheet());
    }
    return true;
}

QString CurrentSkin()
{
    return currentSkin;
}

QPalette SkinPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, backgroundTop);
    p.setColor(QPalette::WindowText, Qt::black);
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::AlternateBase, QColor(0xf0, 0xf6, 0xff));
    p.setColor(QPalette::Button, faceBottom);
    p.setColor(QPalette::ButtonText, textNormal);
    p.setColor(QPalette::Highlight, QColor(0xff, 0xd5, 0x8c));
    p.setColor(QPalette::HighlightedText, Qt::black);
    p.setColor(QPalette::Mid, faceBorder);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, textDisabled);
    p.setColor(QPalette::Disabled, QPalette::WindowText, textDisabled);
    p.setColor(QPalette::Disabled, QPalette::Text, textDisabled);
    return p;
}

QString SkinStyleSheet()
{
    // Buttons only: the page area and the step list paint their own background.
    return QStringLiteral(
        "QPushButton { border: 1px solid #8da8cc; border-radius: 3px; padding: 2px 8px;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f4f8fd, stop:0.5 #e1ebf7,"
        " stop:0.51 #d3e1f2, stop:1 #cfddee); }"
        "QPushButton:hover { border-color: #ffb94b; background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 #fffbe6, stop:0.5 #ffe8a6, stop:0.51 #ffd86b, stop:1 #ffe69e); }"
        "QPushButton:pressed { border-color: #c28a30; background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 #f8b36a, stop:0.5 #fb9c4e, stop:0.51 #f68d2b, stop:1 #fdb24d); }"
        "QPushButton:default { border-color: #456ba3; }"
        "QPushButton:disabled { border-color: #b7c6d9; background: #e6eef8; }");
}

void PaintSkinBackground(QPainter &painter, const QRect &rect)
{
    QLinearGradient g(rect.topLeft(), rect.bottomLeft());
    g.setColorAt(0, backgroundTop);
    g.setColorAt(1, backgroundBottom);
    painter.fillRect(rect, g);
}

void PaintSkinButtonFace(QPainter &painter, const QRect &rect)
{
    if (rect.width() < 2 || rect.height() < 2)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient g(rect.topLeft(), rect.topRight());
    g.setColorAt(0, faceTop);
    g.setColorAt(1, faceBottom);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    painter.fillPath(path, g);
    painter.setPen(faceBorder);
    painter.drawPath(path);
    painter.restore();
}

QColor SkinButtonTextColor(TSkinState state)
{
    return state == TSkinState::Normal ? textNormal : textDisabled;
}

} // namespace kalido
