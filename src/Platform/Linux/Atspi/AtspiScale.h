#pragma once

#include "Platform/Linux/Atspi/AtspiNode.h"

#include <QSize>

#include <cstdint>
#include <optional>

namespace zorbel::platform::atspi {

// The X client window that shows an application's accessible window: the
// process's window with its title, else its only one.
std::optional<std::uint32_t> clientWindowOf(const AccPtr& window, float timeout);

// The size an accessible window gives for itself (in window coordinates,
// which every toolkit answers), beside its X window of `xSize` pixels;
// remembered while that X size holds and no event of the window comes.
std::optional<QSize> reportedWindowSize(const AccPtr& window, float timeout, const QSize& xSize);

// Screen pixels per unit of an application's accessibility coordinates. A
// toolkit scaled by GDK_SCALE or QT_SCALE_FACTOR reports its own logical
// units while its windows are drawn in pixels: the width of the X window
// (less the invisible margin GTK announces) over the width its accessible
// window reports tells the factor. 1 until it can be told. Kept per
// application until that X window changes size.
double applicationScale(const Node& node);

// The scale that the width and height ratios of a window stand for: their
// common value where they agree (the accessible window is the X window),
// else the width's ratio rounded to a factor toolkits use (GTK 3 counts the
// window manager's frame in). Nothing for a ratio near no factor.
std::optional<double> scaleFromRatios(double width, double height);

}  // namespace zorbel::platform::atspi
