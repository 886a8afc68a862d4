#pragma once

#include <QColor>

namespace zorbel::systemColors {

// The desktop has no system accent palette the indicator could follow, so the
// named colours are fixed sRGB values: the familiar blue and red that users of
// the indicator know it by.
inline QColor blue() { return QColor(0x00, 0x7A, 0xFF); }  // #007AFF
inline QColor red() { return QColor(0xFF, 0x3B, 0x30); }   // #FF3B30
inline QColor black() { return QColor(0, 0, 0); }
inline QColor white() { return QColor(0xFF, 0xFF, 0xFF); }
// Fully transparent black: what a disabled fill, border or shadow draws with.
inline QColor clear() { return QColor(0, 0, 0, 0); }

}  // namespace zorbel::systemColors
