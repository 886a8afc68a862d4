#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace zorbel::platform {

// Where a box of `size` meant to stand at `placed` (its bottom-left corner, in
// the system's bottom-left coordinates) goes so that it stays wholly on the
// screen that holds `anchor`: along each axis on which it would leave that
// screen it stands at `other` (the other side of the anchor) where it fits
// there, else is pushed in, keeping its top and left edges on the screen when
// it is larger than the screen. An anchor on no screen keeps `placed`.
QPointF keptOnScreen(const QPointF& placed, const QPointF& other, const QSizeF& size, const QPointF& anchor,
                     const QList<QRectF>& screens);

}  // namespace zorbel::platform
