#pragma once

#include "AXLayer/UIElement.h"

#include <QRectF>
#include <QString>

#include <cstdint>
#include <optional>

namespace zorbel {

// Where the insertion point of the focused text element is on screen. The
// rectangles answered here are in Cocoa screen coordinates (origin at the
// bottom left of the first screen, y up); accessibility geometry is flipped
// against the first screen. Nothing here throws or logs: an accessibility
// error or a missing value makes that source answer nothing, and the next
// source is tried.
struct FocusedCaretRect {
    QRectF rect;
    // False: the caret's own rectangle (or its character's, or its line's).
    // True: the frame of the focused text element, because no caret
    // rectangle was found or the one found lay outside the frame.
    bool isElementFrame = false;
    friend bool operator==(const FocusedCaretRect&, const FocusedCaretRect&) = default;
};

// Asked of the system-wide element: the caret of whatever has the focus.
// None when nothing has the focus, the focus is no text element, or the
// element has no frame.
std::optional<FocusedCaretRect> focusedCaretRect(const UIElement& receiver);

// Text areas, text fields and combo boxes.
bool isTextElement(const std::optional<UIElement>& element);
// The element's frame, or its enclosing scroll area's.
std::optional<QRectF> elementFrame(const UIElement& element);
std::optional<QRectF> caretRectByTextMarker(const UIElement& element);
std::optional<QRectF> caretRectBySelectedRange(const UIElement& element);
// The box of the character at the caret, or before it when the caret is at
// or past the end of the visible text; after a final line feed, a box one
// line below the character before that line feed.
std::optional<QRectF> caretRectNearIndex(std::int64_t visibleLocation, std::int64_t visibleLength,
                                         std::int64_t caretIndex, const UIElement& element, const QString& value);
std::optional<QRectF> characterBounds(std::int64_t index, const UIElement& element);
// The whole line of the insertion point.
std::optional<QRectF> lineCaretRect(const UIElement& element);
// The character at a text position of the element (a Unicode code point,
// the unit of the element's text positions), clamped to the text; empty for
// an empty text.
QString character(std::int64_t index, const QString& text);
// From accessibility space (top-left origin, y down) to Cocoa space; none
// when no screen is attached.
std::optional<QRectF> flipToCocoa(const QRectF& rect);
// Whether `inner` lies wholly inside `outer`; touching edges count as inside.
bool rectContainsRect(const QRectF& outer, const QRectF& inner);

}  // namespace zorbel
