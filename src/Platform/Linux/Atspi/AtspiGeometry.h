#pragma once

#include "Platform/Linux/Atspi/AtspiNode.h"

#include <QRectF>

namespace zorbel::platform::atspi {

// Accessibility coordinates are the program's own (Qt's device-independent
// pixels), counted from the top-left corner of the first screen.
QPoint axOrigin();
// A box in pixels of the X screen.
QRectF toAX(const QRectF& pixels);
// A point in the application's own coordinates, as it takes them in screen
// coordinates.
QPoint toApplication(const Node& node, const QPointF& point);
// A distance in the application's units.
QPointF toAXDistance(const Node& node, const QPointF& distance);

// Boxes in accessibility coordinates, with the toolkits' quirks absorbed: an
// answer of all zeros is asked once more, and an application that refuses
// screen coordinates (GTK 4) is asked in window coordinates, placed at its
// window's position on screen. Each application's units are turned into
// pixels with its own scale. An unusable box is no value.
AXCode elementExtents(const Node& node, QRectF& box);
// The X window whose moves and resizes move the node with it, and how often
// it has changed so far (no window: 0); no call to the application.
std::pair<std::uint32_t, std::uint64_t> placeOf(const Node& node);
AXCode characterExtents(const Node& node, int offset, QRectF& box);
AXCode rangeExtents(const Node& node, int start, int end, QRectF& box);

// Where an application answers a character's box without height (its size
// the distance to the next character's corner, 0 high, negative at a line's
// end), its top-left corner: no value for a box with height, or a corner
// above or below the element's frame (given).
AXCode flatCharacterCorner(const Node& node, int offset, const QRectF& frame, QPointF& corner);

// Whether the node's application is built with GTK 4, or with Qt.
bool isGtk4(const Node& node);
bool isQt(const Node& node);
// A box that can stand for text: some height, no negative width.
bool usableBox(const QRect& box);

}  // namespace zorbel::platform::atspi
