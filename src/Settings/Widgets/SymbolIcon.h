#pragma once

#include <QColor>
#include <QPen>
#include <QPixmap>
#include <QString>

#include <functional>

class QPainter;

namespace zorbel::ui {

// The symbols the settings window names ("gear", "arrow.up.left.circle.fill",
// "checkmark.shield.fill", ...), drawn by the project in one colour into a
// square of `pixelSize`. An unknown name draws a small filled circle, so a
// missing symbol shows but never breaks a row.
QPixmap symbolPixmap(const QString& name, int pixelSize, const QColor& color, qreal devicePixelRatio = 1.0);

// Drawing pieces shared by the project's symbol sets: a round-capped stroke,
// and a filled disc with a shape cut out of it (the ".circle.fill" symbols).
QPen strokePen(const QColor& color, double width);
void discWithCutout(QPainter& p, double size, const QColor& color, const std::function<void(QPainter&)>& cut);

}  // namespace zorbel::ui
