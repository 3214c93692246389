#pragma once

#include <QColor>
#include <QPalette>
#include <QRect>
#include <QString>

class QApplication;
class QPainter;

namespace kalido {

// The program's look: one skin, "Office 2007 Blue" (light blue gradients, blue-grey button faces).
// The skin is cosmetic; no logic depends on which skin is selected.
inline constexpr const char *DefaultSkinName = "Office 2007 Blue";

enum class TSkinState { Normal, Disabled };

// Selects a skin by name and applies its palette and style sheet to the application; an unknown
// name keeps the current skin and returns false.
bool SelectSkin(const QString &name);
QString CurrentSkin();

QPalette SkinPalette();
QString SkinStyleSheet();

// The background of the dock area (the wizard's page area, the step list) over Rect.
void PaintSkinBackground(QPainter &painter, const QRect &rect);
// A button face in its plain enabled state (not pushed, hot, focused or default) over Rect.
void PaintSkinButtonFace(QPainter &painter, const QRect &rect);
// Caption colour of a button in the given state.
QColor SkinButtonTextColor(TSkinState state);

} // namespace kalido
