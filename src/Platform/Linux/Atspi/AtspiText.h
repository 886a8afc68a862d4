#pragma once

#include "Platform/Linux/Atspi/AtspiNode.h"

namespace zorbel::platform::atspi {

// The text of one object, read through its text interface. Positions are the
// object's own character offsets. Lines are the text's own lines (split at
// line feeds), so a line number and a line's range agree however the
// toolkit wraps them.
class TextReader {
public:
    explicit TextReader(const Node& node) : node_(node) {}

    AXCode characterCount(int& count) const;
    // Whether the number of characters is known without asking.
    bool characterCountKnown() const;
    AXCode text(int start, int end, QString& text) const;
    AXCode wholeText(QString& text) const;
    // Asked of the application.
    AXCode caretOffset(int& offset) const;
    // As the latest caret event told it where the application's caret events
    // are believed, else asked.
    AXCode caret(int& offset) const;
    // The first selection, or the caret with length 0.
    AXCode selectedRange(AXRange& range) const;
    AXCode visibleRange(AXRange& range) const;
    AXCode offsetAtPoint(const QPointF& point, int& offset) const;

    AXCode lineForIndex(std::int64_t index, std::int64_t& line) const;
    AXCode rangeForLine(std::int64_t line, AXRange& range) const;
    AXCode insertionPointLine(std::int64_t& line) const;
    AXCode boundsForRange(const AXRange& range, QRectF& box) const;

    AXCode setCaretOffset(int offset) const;
    AXCode setSelection(const AXRange& range) const;

private:
    AXCode selectionCount(int& count) const;
    AXCode linesText(QString& text) const;

    const Node& node_;
};

}  // namespace zorbel::platform::atspi
