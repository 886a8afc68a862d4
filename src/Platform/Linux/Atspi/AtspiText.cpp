#include "Platform/Linux/Atspi/AtspiText.h"

#include "Platform/Linux/Atspi/AtspiFacts.h"
#include "Platform/Linux/Atspi/AtspiGeometry.h"

#include <QList>

#include <atspi/atspi.h>

#include <limits>

namespace zorbel::platform::atspi {

namespace {
AtspiText* textOf(const Node& node) { return ATSPI_TEXT(node.accessible()); }

// Offsets of the first character of each line, counted in characters.
std::vector<std::int64_t> lineStarts(const QString& text)
{
    std::vector<std::int64_t> starts{0};
    std::int64_t offset = 0;
    for (char32_t c : text.toUcs4()) {
        ++offset;
        if (c == U'\n') starts.push_back(offset);
    }
    return starts;
}

bool fitsInt(std::int64_t v) { return v >= 0 && v <= std::numeric_limits<int>::max() / 2; }

AXCode askCharacterCount(const Node& node, int& count)
{
    return bounded(node.accessible(), node.timeout(), [&](GError** error) {
        count = atspi_text_get_character_count(textOf(node), error);
        return count >= 0;
    });
}

// GTK 4 (4.8) sends, after a typed character, the offset the caret had
// before it: its caret events say that the caret moved, not where to.
bool toolkitCaretEventsTell(AtspiAccessible* accessible)
{
    return !Runtime::instance().toolkitOf(accessible).startsWith(QLatin1String("GTK 4"), Qt::CaseInsensitive);
}
}  // namespace

AXCode TextReader::characterCount(int& count) const
{
    if (!node_.hasText()) return node_.missingInterface();
    auto& facts = ObjectFacts::instance();
    auto& moment = facts.moment(node_.accessible());
    if (moment.characterCount) {
        count = *moment.characterCount;
        return axcode::success;
    }
    const bool counted = ObjectFacts::answersWithEvents(node_.accessible());
    if (counted && ObjectFacts::admission(node_.accessible()) == axcode::success) {
        if (const ObjectFacts::Facts* known = facts.find(node_.accessible()); known && known->characterCount) {
            count = *known->characterCount;
            moment.characterCount = count;
            return axcode::success;
        }
    }
    const AXCode code = askCharacterCount(node_, count);
    if (code != axcode::success) return code;
    facts.moment(node_.accessible()).characterCount = count;
    if (counted) {
        // The changes whose events came before the answer are in it: they
        // are taken in first, and only later ones counted on.
        Runtime::instance().takeIncoming();
        facts.remember(node_.accessible()).characterCount = count;
    }
    return code;
}

bool TextReader::characterCountKnown() const
{
    auto& facts = ObjectFacts::instance();
    if (facts.moment(node_.accessible()).characterCount) return true;
    if (!ObjectFacts::answersWithEvents(node_.accessible()) || ObjectFacts::admission(node_.accessible())) return false;
    const ObjectFacts::Facts* known = facts.find(node_.accessible());
    return known && known->characterCount;
}

AXCode TextReader::text(int start, int end, QString& text) const
{
    if (!node_.hasText()) return node_.missingInterface();
    return bounded(node_.accessible(), node_.timeout(), [&](GError** error) {
        gchar* chars = atspi_text_get_text(textOf(node_), start, end, error);
        if (!chars) return false;
        text = QString::fromUtf8(chars);
        g_free(chars);
        return true;
    });
}

AXCode TextReader::wholeText(QString& text) const
{
    // Asked afresh, not taken from this moment's answers: a value read
    // always reaches the application.
    int count = 0;
    if (!node_.hasText()) return node_.missingInterface();
    if (AXCode code = askCharacterCount(node_, count)) return code;
    if (count == 0) {
        text.clear();
        return axcode::success;
    }
    return this->text(0, count, text);
}

AXCode TextReader::caretOffset(int& offset) const
{
    if (!node_.hasText()) return node_.missingInterface();
    return bounded(node_.accessible(), node_.timeout(), [&](GError** error) {
        offset = atspi_text_get_caret_offset(textOf(node_), error);
        return offset >= 0;
    });
}

AXCode TextReader::selectionCount(int& count) const
{
    return bounded(node_.accessible(), node_.timeout(), [&](GError** error) {
        count = atspi_text_get_n_selections(textOf(node_), error);
        return true;
    });
}

// The number of selections holds until a selection event; the caret offset
// is the one the latest caret event carried, while no text change followed.
AXCode TextReader::selectedRange(AXRange& range) const
{
    if (!node_.hasText()) return node_.missingInterface();
    auto& facts = ObjectFacts::instance();
    const ObjectFacts::Facts* known = facts.find(node_.accessible());
    int selections = 0;
    AXCode code = axcode::success;
    if (known && known->selections) {
        selections = *known->selections;
    } else if (!(code = selectionCount(selections))) {
        facts.remember(node_.accessible()).selections = selections;
    }
    if (code) return code;
    if (selections > 0) {
        AtspiRange* selection = nullptr;
        code = bounded(node_.accessible(), node_.timeout(), [&](GError** error) {
            selection = atspi_text_get_selection(textOf(node_), 0, error);
            return selection != nullptr;
        });
        if (code) return code;
        const int start = std::min(selection->start_offset, selection->end_offset);
        const int end = std::max(selection->start_offset, selection->end_offset);
        g_free(selection);
        if (start >= 0 && end > start) {
            range = AXRange{start, end - start};
            return axcode::success;
        }
    }
    int caret = 0;
    if ((code = this->caret(caret))) return code;
    range = AXRange{caret, 0};
    return axcode::success;
}

AXCode TextReader::caret(int& offset) const
{
    if (!node_.hasText()) return node_.missingInterface();
    auto& facts = ObjectFacts::instance();
    if (!toolkitCaretEventsTell(node_.accessible()))
        return facts.answeredCaret(node_.accessible(), [this](int& asked) { return caretOffset(asked); }, offset);
    facts.setCaretFromEvents(node_.accessible(), true);
    const ObjectFacts::Facts* known = facts.find(node_.accessible());
    const auto verdict = facts.caretEventsTell(node_.accessible());
    const bool believed = known && known->caret && toolkitCaretEventsTell(node_.accessible()) && verdict != false;
    // Where the caret events are believed, one follows each edit: until it
    // comes, the caret stands where the edit left it.
    if (known && !known->caret && known->caretAfterEdit && toolkitCaretEventsTell(node_.accessible()) &&
        verdict == true) {
        offset = *known->caretAfterEdit;
        return axcode::success;
    }
    if (!believed) return caretOffset(offset);
    if (!known->caretWithEdit || verdict.has_value()) {
        offset = *known->caret;
        return axcode::success;
    }
    // Until the application has shown whether its caret events tell the
    // caret after an edit, the element is asked as well, and it wins.
    const int told = *known->caret;
    const auto toldAt = known->caretAt;
    const auto changedAt = known->textChangedAt;
    if (AXCode code = caretOffset(offset)) return code;
    // A keystroke whose events came meanwhile explains another offset.
    Runtime::instance().takeIncoming();
    ObjectFacts::Facts* again = facts.find(node_.accessible());
    if (!again || (again->caretAt == toldAt && again->textChangedAt == changedAt))
        facts.judgeCaretEvent(node_.accessible(), offset == told);
    if (again) {
        again->caretWithEdit = false;
        if (again->caret == told) again->caret = offset;
    }
    return axcode::success;
}

AXCode TextReader::offsetAtPoint(const QPointF& point, int& offset) const
{
    const QPoint root = toApplication(node_, point);
    return bounded(node_.accessible(), node_.timeout(), [&](GError** error) {
        offset = atspi_text_get_offset_at_point(textOf(node_), root.x(), root.y(), ATSPI_COORD_TYPE_SCREEN, error);
        return true;
    });
}

AXCode TextReader::visibleRange(AXRange& range) const
{
    int count = 0;
    if (AXCode code = characterCount(count)) return code;
    range = AXRange{0, count};
    if (count == 0) return axcode::success;
    QRectF frame;
    if (elementExtents(node_, frame) != axcode::success) return axcode::success;
    int first = -1;
    int last = -1;
    offsetAtPoint(frame.topLeft() + QPointF(1, 1), first);
    offsetAtPoint(frame.bottomRight() - QPointF(1, 1), last);
    // Toolkits answer -1 for a point beyond the text: the text runs to its end.
    if (first < 0 || first > count) first = 0;
    if (last < 0 || last >= count) last = count - 1;
    if (last >= first) range = AXRange{first, last - first + 1};
    return axcode::success;
}

// The text of its lines; an empty text (known from this moment's count) is
// not asked for.
AXCode TextReader::linesText(QString& text) const
{
    int count = 0;
    if (AXCode code = characterCount(count)) return code;
    if (count == 0) {
        text.clear();
        return axcode::success;
    }
    return wholeText(text);
}

AXCode TextReader::lineForIndex(std::int64_t index, std::int64_t& line) const
{
    QString text;
    if (AXCode code = linesText(text)) return code;
    const auto starts = lineStarts(text);
    line = 0;
    for (std::size_t i = 1; i < starts.size() && starts[i] <= index; ++i) line = static_cast<std::int64_t>(i);
    return axcode::success;
}

AXCode TextReader::rangeForLine(std::int64_t line, AXRange& range) const
{
    QString text;
    if (AXCode code = linesText(text)) return code;
    const auto starts = lineStarts(text);
    if (line < 0 || line >= static_cast<std::int64_t>(starts.size())) return axcode::illegalArgument;
    const std::int64_t total = static_cast<std::int64_t>(text.toUcs4().size());
    const std::int64_t start = starts[static_cast<std::size_t>(line)];
    const std::int64_t end =
        line + 1 < static_cast<std::int64_t>(starts.size()) ? starts[static_cast<std::size_t>(line + 1)] : total;
    range = AXRange{start, end - start};
    return axcode::success;
}

AXCode TextReader::insertionPointLine(std::int64_t& line) const
{
    int caret = 0;
    if (AXCode code = caretOffset(caret)) return code;
    return lineForIndex(caret, line);
}

AXCode TextReader::boundsForRange(const AXRange& range, QRectF& box) const
{
    if (!node_.hasText()) return node_.missingInterface();
    if (!fitsInt(range.location) || range.length < 0 || !fitsInt(range.length)) return axcode::illegalArgument;
    const int start = static_cast<int>(range.location);
    // An application that answers nothing usable past the last character is
    // not asked there, nor is any Qt application (see caretFromCharacters).
    int count = 0;
    if ((isQt(node_) || ObjectFacts::instance().zerosAtTextEnd(node_.accessible())) &&
        characterCount(count) == axcode::success && start >= count)
        return axcode::noValue;
    if (range.length <= 1) return characterExtents(node_, start, box);
    return rangeExtents(node_, start, start + static_cast<int>(range.length), box);
}

AXCode TextReader::setCaretOffset(int offset) const
{
    if (!node_.hasText()) return node_.missingInterface();
    return bounded(node_.accessible(), node_.timeout(), [&](GError** error) {
        return atspi_text_set_caret_offset(textOf(node_), offset, error) != FALSE;
    });
}

AXCode TextReader::setSelection(const AXRange& range) const
{
    if (!fitsInt(range.location) || !fitsInt(range.length)) return axcode::illegalArgument;
    const int start = static_cast<int>(range.location);
    const int end = start + static_cast<int>(range.length);
    if (range.length == 0) return setCaretOffset(start);
    if (!node_.hasText()) return node_.missingInterface();
    int selections = 0;
    if (const AXCode code = selectionCount(selections)) return code;
    return bounded(node_.accessible(), node_.timeout(), [&](GError** error) {
        return (selections > 0 ? atspi_text_set_selection(textOf(node_), 0, start, end, error)
                               : atspi_text_add_selection(textOf(node_), start, end, error)) != FALSE;
    });
}

}  // namespace zorbel::platform::atspi
