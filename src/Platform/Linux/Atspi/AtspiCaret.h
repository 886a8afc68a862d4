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

}  // namespace zorbel::platform::atspi
