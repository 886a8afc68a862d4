#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

namespace zorbel::ui {

// The symbols the settings window names ("gear", "arrow.up.left.circle.fill",
// "checkmark.shield.fill", ...), drawn by the project in one colour into a
// square of `pixelSize`. An unknown name draws a small filled circle, so a
// missing symbol shows but never breaks a row.
QPixmap symbolPixmap(const QString& name, int pixelSize, const QColor& color, qreal devicePixelRatio = 1.0);

}  // namespace zorbel::ui
