#pragma once

// Finds the caret as it is drawn on the screen of the headless desktop.
#include <QRect>
#include <QRectF>

#include <chrono>
#include <optional>

namespace zorbel::integration {

// The tall dark vertical line nearest to `near` (within 8 px across and 6 px above and below)
// inside `frame`, in screen coordinates: the caret as drawn. `near` gives the expected x and
// vertical extent; a line counts when it is at least 0.6 of that height. Screens are taken
// until one shows it (carets blink) or `timeout` passes. Texts near the caret should have no
// vertical strokes.
std::optional<QRect> drawnCaret(const QRectF& near, const QRectF& frame,
                                std::chrono::milliseconds timeout = std::chrono::seconds(3));

// Distance from a point to the drawn caret, a vertical segment.
double distanceToCaret(const QPointF& p, const QRect& caret);

}  // namespace zorbel::integration
