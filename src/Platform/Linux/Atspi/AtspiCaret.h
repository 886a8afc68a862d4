#pragma once

#include "Platform/Linux/Atspi/AtspiNode.h"

namespace zorbel::platform::atspi {

// The caret or selection of a text object as a text-marker range.
AXCode selectedTextMarkerRange(const AXElementRef& element, const Node& node, AXTextMarkerRange& range);

// The box of a text-marker range: for an empty range the caret's own box
// (zero wide, one line high), for a selection the selection's bounds.
AXCode boundsForTextMarkerRange(const Node& node, const AXTextMarkerRange& range, QRectF& box);

// The caret's own box at a character offset: the toolkit's character box at
// the caret where it is valid, else the right edge of the character before,
// or the start of the next line when that character is a line feed. A box as
// large as the whole object is no caret box.
AXCode caretBox(const Node& node, int offset, QRectF& box);

// Where a style draws the caret of an empty text in an element whose box is `frame` (y down):
// `inset` inside a single-line field's left edge, centred from top to bottom; `inset` right of
// and below a multi-line view's top-left corner. One `line` high, as far as the element holds it.
QRectF emptyTextCaretBox(const QRectF& frame, bool multiLine, const QPointF& inset, double line);

// How many cells of a fixed-width font a text fills: East Asian wide characters
// two, combining marks none, others one. Nothing (0) for a text with a tab,
// whose width depends on where its tab stops fall.
int textColumns(const QString& text);

}  // namespace zorbel::platform::atspi
