#pragma once

#include "Platform/Linux/Atspi/AtspiNode.h"

#include <QList>
#include <QMargins>
#include <QPointF>
#include <QRectF>
#include <QSize>

#include <cstdint>
#include <optional>

namespace zorbel::platform::atspi {

// The X client window that shows an application's accessible window: the
// process's window with its title, else its only one.
std::optional<std::uint32_t> clientWindowOf(const AccPtr& window, float timeout);

// The size an accessible window gives for itself, beside its X window of
// `xSize` pixels; remembered while that X size holds and no event of the
// window comes. Its screen extents, except where only window coordinates are
// answered (GTK 4): Qt grows a window's size in window coordinates by the
// window's own position.
std::optional<QSize> reportedWindowSize(const AccPtr& window, float timeout, const QSize& xSize);

// How an application's screen coordinates become pixels of the X screen: a
// toolkit scaled by GDK_SCALE or QT_SCALE_FACTOR reports its own logical
// units while its windows are drawn in pixels: pixels = units × factor +
// offset.
struct ApplicationScale {
    double factor = 1;
    QPointF offset;  // in pixels
    // Where the toolkit counts each screen from that screen's own corner
    // (below): the screens, in pixels. A point is counted from the corner of
    // the screen that holds it, as such a toolkit counts it; the offset serves
    // a point on no screen (counted on the window's own screen).
    QList<QRectF> screens;
    QRectF toPixels(const QRectF& units) const;
    QPointF toUnits(const QPointF& pixels) const;
};

// The screen a toolkit takes a window to stand on: the one that holds the
// window's middle, else the one that holds the largest part of it (a window
// scaled to twice its size may have its middle past every screen's edge);
// none where it touches no screen.
std::optional<QRectF> screenOfWindow(const QRectF& window, const QList<QRectF>& screens);

// The factor is the width of the application's X window (less the invisible
// margin GTK announces) over the width its accessible window reports. On a
// screen whose corner is not the root's, the offset depends on how the
// toolkit counts there (below). Scale 1 until it can be told. Kept per
// application until that X window changes size, or place where there is
// more than one screen.
ApplicationScale applicationScale(const Node& node);

// The scale that the width and height ratios of a window stand for: their
// common value where they agree (the accessible window is the X window),
// else the width's ratio rounded to a factor toolkits use (GTK 3 counts the
// window manager's frame in). Nothing for a ratio near no factor.
std::optional<double> scaleFromRatios(double width, double height);

// The scale of a window whose X window has `xSize`, less the frame its toolkit draws around it
// (`frame`, GTK's client-side shadows), against the size it reports in its own units. Nothing
// for a window too small to tell.
std::optional<double> scaleOfWindow(const QSize& xSize, const std::optional<QMargins>& frame, const QSize& reported);

// How a scaled toolkit counts positions on a screen other than the first.
// GDK (and Qt where it sees one screen) divides the whole root window; Qt
// divides each screen from that screen's own top-left corner, which stays
// where it is: pixels = corner + (units - corner) × factor.
enum class ScreenOrigins { unknown, root, eachScreen };

// The way of counting that puts a window reported at `units` where X has it
// (`pixels`), on the screen whose corner is `corner`; unknown when neither
// does closely enough (the toolkit may not yet have heard that its window
// moved).
ScreenOrigins screenOriginsFrom(const QPointF& units, const QPointF& pixels, double factor, const QPointF& corner);

}  // namespace zorbel::platform::atspi
