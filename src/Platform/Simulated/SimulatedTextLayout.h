#pragma once

#include "Platform/AXValue.h"

#include <QPointF>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <optional>

namespace zorbel::platform {

// How a simulated text element lays out its characters: a monospaced grid of
// fixed-size boxes starting at `origin` (screen coordinates, top-left origin,
// y down). A line feed ends its line and takes one box like any character.
struct TextLayout {
    QPointF origin;
    double characterWidth = 8.0;
    double lineHeight = 16.0;
    // Answer (0,0,0,0) for the position just past the last character, as Qt
    // does, instead of a zero-width box at the caret (as GTK does).
    bool emptyBoxAtEnd = false;
};

// Boxes that cannot be right, while the text is drawn (and the position at a
// point answered) as its layout says: every box the first character's, as a
// Scintilla port in Qt 5 answers, and every box moved by `shift`.
struct WrongBoxes {
    bool firstCharacterOnly = false;
    QPointF shift;
};

// Text positions count Unicode code points, as AT-SPI character offsets do
// (not the UTF-16 units a QString indexes): an emoji is one position, CR LF
// two.
namespace textlayout {

// The number of positions in the text.
std::int64_t length(const QString& text);
// The text of positions [location, location + count), clipped to the text.
QString mid(const QString& text, std::int64_t location, std::int64_t count);

// The line (counted from 0) that holds the position; positions past the end
// count as the end.
std::int64_t lineOf(const QString& text, std::int64_t position);
// The positions of one line, its line feed included; none past the last line.
std::optional<AXRange> rangeOfLine(const QString& text, std::int64_t line);
// The box of the character at `position` (0 to the text's length; the length
// gives a zero-width box where the next character would go).
QRectF characterBox(const QString& text, std::int64_t position, const TextLayout& layout);
// The position of the character drawn at a point (screen coordinates): a
// point right of a line's last character gives the line's end, one above the
// first line the first line; none below the last line.
std::optional<std::int64_t> positionAt(const QString& text, const QPointF& point, const TextLayout& layout);
// The smallest rectangle holding every character of the range; an empty range
// gives the zero-width box at its location. None for a range outside the text.
std::optional<QRectF> boundsForRange(const QString& text, AXRange range, const TextLayout& layout);
// The range clipped to the text; none when it starts outside.
std::optional<AXRange> clip(const QString& text, AXRange range);

}  // namespace textlayout
}  // namespace zorbel::platform
