#pragma once

// What the indicator tests check on the screen: where the indicator's window stands
// beside the drawn caret, and whether its pixels show the indicator over the editor.
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRectF>

#include <QString>

#include <chrono>
#include <optional>
#include <string>

namespace zorbel::integration {

// The whole X screen.
QImage grabScreen();

// The middle of a window's rectangle, in screen pixels.
QPointF centreOf(const QRect& window);

// The caret as drawn, looked for around the point that the indicator's centre minus
// `shift` gives; its left edge, halfway up.
std::optional<QPointF> drawnCaretPoint(const QPointF& estimate, const QRect& frame);

// Why the screen inside `panel` does not show the default fill colour at its centre, or
// why its corners are not what `before` showed (a black box around the shape); nothing
// when it looks right.
std::optional<std::string> indicatorPixelsProblem(const QImage& screen, const QImage& before, const QRect& panel);

// Waits until the screen shows the indicator in `panel` as above; the last problem if not.
std::optional<std::string> awaitIndicatorPixels(const QImage& before, const QRect& panel);

// The window of that title (its id in `id` once found) when it is viewable and has kept
// its place for `quiet`; nothing if that does not happen within 10 s.
std::optional<QRect> settledWindow(const QString& title, std::chrono::milliseconds quiet,
                                   std::optional<quint64>& id);

// The share of pixels of two pictures of one size that differ clearly in some channel.
double changedShare(const QImage& a, const QImage& b);

// The screen inside `area` once it has been drawn: two grabs in a row (the main loop running
// between them, so pending paints land) differ in under `tolerance` of their pixels (the
// liquid glass's drops of light move by themselves); nothing if that takes over `bound`.
std::optional<QImage> steadyShot(const QRect& area, double tolerance = 0.003,
                                 std::chrono::milliseconds bound = std::chrono::seconds(5));

// A rough name of a screen pixel's colour, for checks of the indicator's fill.
enum class Hue { red, green, other };
Hue hueAt(const QImage& screen, QPoint p);

}  // namespace zorbel::integration
