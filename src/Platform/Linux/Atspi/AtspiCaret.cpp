#include "Platform/Linux/Atspi/AtspiCaret.h"

#include "Platform/Linux/Atspi/AtspiGeometry.h"
#include "Platform/Linux/Atspi/AtspiText.h"

#include <atspi/atspi.h>

#include <limits>

namespace zorbel::platform::atspi {

namespace {
bool isFailure(AXCode code)
{
    return code == axcode::invalidUIElement || code == axcode::cannotComplete || code == axcode::apiDisabled;
}

// Where the line holding the offset starts.
AXCode lineStart(const Node& node, int offset, int& start)
{
    return bounded(node.accessible(), node.timeout(), [&](GError** error) {
        AtspiTextRange* line = atspi_text_get_string_at_offset(ATSPI_TEXT(node.accessible()), offset,
                                                               ATSPI_TEXT_GRANULARITY_LINE, error);
        if (!line) return false;
        start = line->start_offset;
        g_free(line->content);
        g_free(line);
        return start >= 0 && start <= offset;
    });
}

// The caret after the character before it: at that character's right edge,
// or at the start of the next line when it is a line feed.
AXCode caretAfterPrevious(const Node& node, int offset, QRectF& box)
{
    QString previous;
    TextReader reader(node);
    if (AXCode code = reader.text(offset - 1, offset, previous)) return code;
    QRectF before;
    if (AXCode code = characterExtents(node, offset - 1, before)) return code;
    if (previous != QLatin1String("\n")) {
        box = QRectF(before.right(), before.y(), 0, before.height());
        return axcode::success;
    }
    int start = offset - 1;
    lineStart(node, offset - 1, start);
    QRectF first = before;
    if (start < offset - 1 && characterExtents(node, start, first) != axcode::success) first = before;
    box = QRectF(first.x(), before.bottom(), 0, before.height());
    return axcode::success;
}
}  // namespace

AXCode selectedTextMarkerRange(const AXElementRef& element, const Node& node, AXTextMarkerRange& range)
{
    AXRange selected;
    if (AXCode code = TextReader(node).selectedRange(selected)) return code;
    range = AXTextMarkerRange{element, selected.location, selected.location + selected.length};
    return axcode::success;
}

AXCode boundsForTextMarkerRange(const Node& node, const AXTextMarkerRange& range, QRectF& box)
{
    if (range.start < 0 || range.end < range.start || range.end > std::numeric_limits<int>::max() / 2)
        return axcode::illegalArgument;
    if (range.start == range.end) return caretBox(node, static_cast<int>(range.start), box);
    return TextReader(node).boundsForRange(AXRange{range.start, range.end - range.start}, box);
}

AXCode caretBox(const Node& node, int offset, QRectF& box)
{
    int count = 0;
    if (AXCode code = TextReader(node).characterCount(count)) return code;
    if (offset < 0 || offset > count) return axcode::noValue;
    QRectF frame;
    const bool hasFrame = elementExtents(node, frame) == axcode::success;

    QRectF at;
    const AXCode atCode = characterExtents(node, offset, at);
    if (isFailure(atCode)) return atCode;
    if (atCode == axcode::success && !(hasFrame && at == frame)) {
        box = QRectF(at.x(), at.y(), 0, at.height());
        return axcode::success;
    }
    if (offset == 0) return axcode::noValue;
    const AXCode code = caretAfterPrevious(node, offset, box);
    if (code == axcode::success && hasFrame && box == frame) return axcode::noValue;
    return code == axcode::success || isFailure(code) ? code : axcode::noValue;
}

}  // namespace zorbel::platform::atspi
