#pragma once

#include "Platform/Linux/Atspi/AtspiNode.h"

#include <QRectF>

namespace zorbel::platform::atspi {

// Where accessibility coordinates start: the top-left corner of the first
// screen, on the X root window.
QPoint axOrigin();
QRectF toAX(const QRect& root);

// Boxes in accessibility coordinates, with the toolkits' quirks absorbed: an
// answer of all zeros is asked once more, and an application that refuses
// screen coordinates (GTK 4) is asked in window coordinates, placed at its
// window's position on screen. An unusable box is no value.
AXCode elementExtents(const Node& node, QRectF& box);
AXCode characterExtents(const Node& node, int offset, QRectF& box);
AXCode rangeExtents(const Node& node, int start, int end, QRectF& box);

// A box that can stand for text: some height, no negative width.
bool usableBox(const QRect& box);

}  // namespace zorbel::platform::atspi
