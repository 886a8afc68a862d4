#pragma once

#include <QImage>

namespace zorbel {

// The tray icon: an arrow pointer with a click mark, drawn here (22 x 22
// points at twice the pixel density), dark with a light outline so it reads
// on light and dark panels.
QImage statusSymbolImage();

// The symbol with a red dot, outlined in white, in its upper right corner.
QImage makeBadgedStatusImage(const QImage& symbol);

}  // namespace zorbel
