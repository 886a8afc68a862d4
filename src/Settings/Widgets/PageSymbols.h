#pragma once

#include <QColor>
#include <QString>

class QPainter;

namespace zorbel::ui {

// The symbols of the HUD, advanced and input-method pages (clock, star,
// battery, layout splits, circled marks, ...) drawn into a square of side
// `s`. False when the name is none of them.
bool drawPageSymbol(QPainter& p, const QString& name, double s, const QColor& color);

}  // namespace zorbel::ui
