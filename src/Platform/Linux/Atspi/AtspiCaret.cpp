#include "Platform/Linux/Atspi/AtspiCaret.h"

#include "Platform/Linux/Atspi/AtspiFacts.h"
#include "Platform/Linux/Atspi/AtspiGeometry.h"
#include "Platform/Linux/Atspi/AtspiText.h"

#include <atspi/atspi.h>

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zorbel::platform::atspi {

namespace {
bool isFailure(AXCode code)
{
    return code == axcode::invalidUIElement || code == axcode::cannotComplete || code == axcode::apiDisabled;
}

// Where the line holding the offset starts: after the last line feed before
// it (looked for in a bounded stretch of text before the offset).
AXCode lineStart(const Node& node, int offset, int& start)
{
    auto& facts = ObjectFacts::instance();
    if (ObjectFacts::admission(node.accessible()) == axcode::success) {
        if (const auto known = facts.lineStart(node.accessible(), offset)) {
            start = *known;
            return axcode::success;
        }
    }
    constexpr int window = 4096;
    const int from = std::max(0, offset - window);
    QString before;
    if (AXCode code = TextReader(node).text(from, offset, before)) return code;
    const auto chars = before.toUcs4();
    start = from;
    for (qsizetype i = chars.size() - 1; i >= 0; --i) {
        if (chars[i] == U'\n') {
            start = from + static_cast<int>(i) + 1;
            break;
        }
    }
    // A line that begins before the stretch read is not known to begin there.
    if (start > 0 || from == 0) facts.setLineStart(node.accessible(), offset, start);
    return axcode::success;
}

bool isRightToLeft(const QString& character)
{
    const auto chars = character.toUcs4();
    if (chars.isEmpty()) return false;
    const auto direction = QChar::direction(chars.constFirst());
    return direction == QChar::DirR || direction == QChar::DirAL;
}

// The caret after the character before it (`previous`, already read): at
// that character's right edge, or at the start of the next line when it is
// a line feed.
AXCode caretAfterPrevious(const Node& node, int offset, const QString& previous, QRectF& box)
{
    QRectF before;
    if (AXCode code = characterExtents(node, offset - 1, before)) return code;
    if (previous != QLatin1String("\n")) {
        // After a right-to-left character the caret stands at its left edge.
        box = QRectF(isRightToLeft(previous) ? before.left() : before.right(), before.y(), 0, before.height());
        return axcode::success;
    }
    int start = offset - 1;
    if (AXCode code = lineStart(node, offset - 1, start)) return code;
    QRectF first = before;
    if (start < offset - 1 && characterExtents(node, start, first) != axcode::success) first = before;
    box = QRectF(first.x(), before.bottom(), 0, before.height());
    return axcode::success;
}

// Qt's line edit answers each character's box as though its text began at
// the field's left edge, leaving out the shift that right-aligns
// right-to-left text; each box starts where the caret before its character
// stands: the first one at the line's right end, the last one its own width
// right of the line's left end. The line is drawn against the field's right
// edge, a few pixels in (its margin and Qt's rounding), and its end (the
// caret) is the line's width left of there.
constexpr double qtLineEditRightInset = 5;
constexpr double qtLineEditLeftInset = 3;

bool isQtLineEdit(const Node& node)
{
    bool multiLine = true;
    return isQt(node) && node.hasState(ATSPI_STATE_MULTI_LINE, multiLine) == axcode::success && !multiLine;
}

// GTK cuts a text range reaching past the end of its text at the end: one
// read of the characters on both sides of the caret says what stands before
// it and whether it is at the end, where the number of characters and the
// character before would take a call each. `count` is the number of characters when the caret is at or past the end,
// else one more than the caret's offset (enough to know it is not).
AXCode readAroundCaret(const TextReader& reader, int offset, int& count, QString& previous)
{
    const int from = std::max(0, offset - 1);
    QString around;
    if (AXCode code = reader.text(from, offset + 1, around)) return code;
    const auto chars = around.toUcs4();
    const int read = static_cast<int>(std::min<qsizetype>(chars.size(), offset + 1 - from));
    count = from + read;
    if (offset > 0 && read > 0) {
        const char32_t first = chars.constFirst();
        previous = QString::fromUcs4(&first, 1);
    }
    return axcode::success;
}

bool cutsRangesAtEnd(const Node& node)
{
    return Runtime::instance().toolkitOf(node.accessible()).startsWith(QLatin1String("GTK"), Qt::CaseInsensitive);
}

// The distance between the top of the line starting at `start` (its first
// character's corner `first`) and the next or previous line's top; 0 in a
// text of one line.
double linePitch(const Node& node, int start, const QPointF& first, const QRectF& frame)
{
    QPointF other;
    int previous = 0;
    if (start > 0 && lineStart(node, start - 1, previous) == axcode::success &&
        flatCharacterCorner(node, previous, frame, other) == axcode::success && other.y() < first.y())
        return first.y() - other.y();
    constexpr int window = 4096;
    QString after;
    if (TextReader(node).text(start, start + window, after) != axcode::success) return 0;
    const auto chars = after.toUcs4();
    const auto feed = chars.indexOf(U'\n');
    if (feed < 0 || feed + 1 >= chars.size()) return 0;
    const int next = start + static_cast<int>(feed) + 1;
    if (flatCharacterCorner(node, next, frame, other) == axcode::success && other.y() > first.y())
        return other.y() - first.y();
    return 0;
}

}  // namespace

int textColumns(const QString& text)
{
    int columns = 0;
    for (const char32_t c : text.toUcs4()) {
        if (c == '\t') return 0;
        const QChar::Category category = QChar::category(c);
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing) continue;
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                          (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                          (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
                          (c >= 0x20000 && c <= 0x3FFFD);
        columns += wide ? 2 : 1;
    }
    return columns;
}

namespace {

// The line pitch of a text drawn in the desktop's fixed-width font, which
// KTextEditor takes unless told otherwise: its line is as high as the font's
// ascent and descent, rounded up. Its characters' width (`advance`, in the
// application's units; 0 when the line holds none before the caret) scales
// it to the font the application draws (zoomed, or a size of its own). Whole
// pixels, as the application's lines are: a fraction would put the caret's
// bottom a hair past the view's when its line is the view's first. 0 where
// this program has no fonts.
double fixedFontLinePitch(const Node& node, double advance)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return 0;
    const QFontMetricsF metrics(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const double height = std::ceil(metrics.ascent() + metrics.descent());
    const double width = metrics.horizontalAdvance(QLatin1Char('x'));
    if (advance > 0 && width > 0) return std::round(advance * height / width);
    return std::round(toAXDistance(node, QPointF(0, height)).y());
}

// Boxes without height (KTextEditor) are measured from the left edge of
// the view's border (line numbers, marks) rather than from the text drawn
// right of it; their tops and the distances between them hold. The caret
// stands as far right of the element's left edge as it is from its line's
// first character, one line pitch high.
AXCode caretFromCorners(const Node& node, int offset, QRectF& box)
{
    QRectF frame;
    if (AXCode code = elementExtents(node, frame)) return code;
    QPointF at;
    if (AXCode code = flatCharacterCorner(node, offset, frame, at)) return code;
    int start = offset;
    if (AXCode code = lineStart(node, offset, start)) return code;
    QPointF first = at;
    if (start < offset) {
        if (AXCode code = flatCharacterCorner(node, start, frame, first)) return code;
    }
    // A text of one line shows no pitch: the one the application showed last stands in,
    // else one drawn from the font.
    auto& facts = ObjectFacts::instance();
    double pitch = linePitch(node, start, first, frame);
    if (pitch > 0) facts.setLinePitch(node.accessible(), pitch);
    else pitch = facts.linePitch(node.accessible());
    if (pitch <= 0) {
        // Cells, not characters: Chinese text or a tab before the caret would
        // otherwise make the line several times too high.
        QString before;
        const int columns = offset > start && TextReader(node).text(start, offset, before) == axcode::success
                                ? textColumns(before)
                                : 0;
        pitch = fixedFontLinePitch(node, columns > 0 ? (at.x() - first.x()) / columns : 0);
    }
    box = QRectF(frame.left() + at.x() - first.x(), at.y(), 0, pitch);
    return axcode::success;
}

AXCode qtLineEditEnd(const Node& node, int count, QRectF& box)
{
    QRectF field;
    QRectF first;
    QRectF last;
    if (AXCode code = elementExtents(node, field)) return code;
    if (AXCode code = characterExtents(node, 0, first)) return code;
    if (AXCode code = characterExtents(node, count - 1, last)) return code;
    const double width = first.left() - (last.left() - last.width());
    const double x = std::max(field.left() + qtLineEditLeftInset, field.right() - qtLineEditRightInset - width);
    box = QRectF(x, last.y(), 0, last.height());
    return axcode::success;
}
}  // namespace

AXCode selectedTextMarkerRange(const AXElementRef& element, const Node& node, AXTextMarkerRange& range)
{
    AXRange selected;
    const TextReader reader(node);
    if (AXCode code = reader.selectedRange(selected)) return code;
    range = AXTextMarkerRange{element, selected.location, selected.location + selected.length, std::nullopt};
    // A selection's caret is its moving end: the caret offset, which the
    // latest caret event mostly tells already. An application that answers
    // none, or one outside its selection, leaves the selection's box to
    // stand for the caret.
    int caret = -1;
    if (range.start < range.end && reader.caret(caret) == axcode::success && caret >= range.start &&
        caret <= range.end)
        range.caret = caret;
    return axcode::success;
}

AXCode boundsForTextMarkerRange(const Node& node, const AXTextMarkerRange& range, QRectF& box)
{
    if (range.start < 0 || range.end < range.start || range.end > std::numeric_limits<int>::max() / 2)
        return axcode::illegalArgument;
    if (range.start == range.end) return caretBox(node, static_cast<int>(range.start), box);
    return TextReader(node).boundsForRange(AXRange{range.start, range.end - range.start}, box);
}

namespace {
// What a lookup learns of the text around the caret, each asked once and
// only where needed: the number of characters (whether the caret is at the
// end) and the character before the caret.
class AroundCaret {
public:
    AroundCaret(const Node& node, int offset) : node_(node), reader_(node), offset_(offset)
    {
        if (offset == 0) {
            previousKnown_ = true;
        } else if (auto known = ObjectFacts::instance().characterBefore(node.accessible(), offset)) {
            previous_ = *known;
            previousKnown_ = true;
        }
    }

    AXCode count(int& count)
    {
        if (!count_) {
            int read = 0;
            if (cutsRangesAtEnd(node_) && !reader_.characterCountKnown()) {
                QString previous;
                if (AXCode code = readAroundCaret(reader_, offset_, read, previous)) return code;
                learnPrevious(previous);
            } else if (AXCode code = reader_.characterCount(read)) {
                return code;
            }
            count_ = read;
        }
        count = *count_;
        return axcode::success;
    }

    // An error other than a failure of the application leaves it empty.
    AXCode previous(QString& previous)
    {
        if (!previousKnown_) {
            QString read;
            const AXCode code = reader_.text(offset_ - 1, offset_, read);
            if (isFailure(code)) return code;
            learnPrevious(code == axcode::success ? read : QString());
        }
        previous = previous_;
        return axcode::success;
    }
    bool previousKnown() const { return previousKnown_; }

private:
    void learnPrevious(const QString& previous)
    {
        previousKnown_ = true;
        previous_ = previous;
        ObjectFacts::instance().setCharacterBefore(node_.accessible(), offset_, previous);
    }

    const Node& node_;
    TextReader reader_;
    int offset_;
    std::optional<int> count_;
    QString previous_;
    bool previousKnown_ = false;
};

// The box at the caret is asked first: one with a width stands before a
// character, the caret at its left edge. An empty one stands at the end of
// a line or of the text, where the character before says the rest (after
// right-to-left text toolkits answer the far side of the line); no box says
// the caret is at the end, or past it. An application that answered nothing
// usable at the end of its text once (Qt) is asked for the number of
// characters first, and not asked there again.
AXCode caretFromCharacters(const Node& node, int offset, QRectF& box)
{
    AroundCaret around(node, offset);
    auto& facts = ObjectFacts::instance();
    // Qt applications count as such from the start: Qt's own views answer
    // zeros there, and a Scintilla port in Qt 5 aborts (reading past its text).
    const bool zerosAtEnd = isQt(node) || facts.zerosAtTextEnd(node.accessible());
    QRectF at;
    AXCode atCode = axcode::noValue;
    bool atAsked = false;
    auto askAt = [&] {
        atAsked = true;
        atCode = characterExtents(node, offset, at);
        return atCode;
    };
    if (!zerosAtEnd) {
        if (isFailure(askAt())) return atCode;
        if (atCode == axcode::success) {
            QString previous;
            if (at.width() > 0 || (around.previousKnown() && around.previous(previous) == axcode::success &&
                                   !isRightToLeft(previous))) {
                box = QRectF(at.x(), at.y(), 0, at.height());
                return axcode::success;
            }
        }
    }
    int count = 0;
    if (AXCode code = around.count(count)) return code;
    if (offset > count) return axcode::noValue;
    const bool atEnd = offset == count;
    QString previous;
    if (atEnd) {
        if (AXCode code = around.previous(previous)) return code;
    }
    if (!(atEnd && (isRightToLeft(previous) || zerosAtEnd))) {
        if (!atAsked && isFailure(askAt())) return atCode;
        if (atCode == axcode::success) {
            box = QRectF(at.x(), at.y(), 0, at.height());
            return axcode::success;
        }
        if (atEnd) facts.setZerosAtTextEnd(node.accessible());
    }
    if (offset == 0) return axcode::noValue;
    if (AXCode code = around.previous(previous)) return code;
    AXCode code = caretAfterPrevious(node, offset, previous, box);
    if (code == axcode::success && atEnd && isRightToLeft(previous) && isQtLineEdit(node))
        code = qtLineEditEnd(node, count, box);
    return code == axcode::success || isFailure(code) ? code : axcode::noValue;
}

// Qt and the browsers answer no box for the caret of an empty text (zeros,
// or the whole field), while their styles draw it at known places: inside
// the left edge of a single-line field by its frame and margin, centred
// from top to bottom; right of and below a multi-line view's top-left
// corner by its frame and margin. Measured with Qt 5.15 and 6.4 (Fusion:
// 3 px in a field, 5 px in a view) and with Firefox ESR 153 and Chromium
// 156 (their default styles: 4 px, 3 to 4 px in a text area).
struct EmptyTextInsets {
    double field;
    double view;
};
constexpr EmptyTextInsets qtInsets{3, 5};
constexpr EmptyTextInsets browserInsets{4, 4};

// One line of the text's font, in the application's units: from the font
// size the application answers (browsers: "10.5pt", "11" in points, or
// pixels), else the desktop's default font, which Qt applications share
// with this program; 0 when neither is known.
double emptyTextLineHeight(const Node& node)
{
    constexpr double pixelsPerPoint = 96.0 / 72.0;
    constexpr double lineSpacing = 1.15;
    QString size;
    const AXCode code = node.defaultFontSize(size);
    bool pixels = size.endsWith(QLatin1String("px"));
    if (pixels || size.endsWith(QLatin1String("pt"))) size.chop(2);
    bool ok = false;
    const double number = size.toDouble(&ok);
    if (code == axcode::success && ok && number > 0) return number * (pixels ? 1.0 : pixelsPerPoint) * lineSpacing;
    if (!isQt(node) || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return 0;
    return QFontMetricsF(QGuiApplication::font()).height();
}

AXCode emptyTextCaret(const Node& node, QRectF& box)
{
    int count = 0;
    if (TextReader(node).characterCount(count) != axcode::success || count != 0) return axcode::noValue;
    const EmptyTextInsets insets = isQt(node) ? qtInsets : browserInsets;
    QRectF frame;
    if (AXCode code = elementExtents(node, frame)) return code;
    bool multiLine = false;
    if (AXCode code = node.hasState(ATSPI_STATE_MULTI_LINE, multiLine)) return code;
    const double line = toAXDistance(node, QPointF(0, emptyTextLineHeight(node))).y();
    const double inset = multiLine ? insets.view : insets.field;
    box = emptyTextCaretBox(frame, multiLine, toAXDistance(node, QPointF(inset, inset)), line);
    return axcode::success;
}
}  // namespace

QRectF emptyTextCaretBox(const QRectF& frame, bool multiLine, const QPointF& inset, double line)
{
    if (multiLine) {
        const double height = std::clamp(line, 0.0, std::max(0.0, frame.height() - 2 * inset.y()));
        return QRectF(frame.left() + inset.x(), frame.top() + inset.y(), 0, height);
    }
    const double height = std::min(line, frame.height());
    return QRectF(frame.left() + inset.x(), frame.center().y() - height / 2, 0, height);
}

AXCode caretBox(const Node& node, int offset, QRectF& box)
{
    if (offset < 0) return axcode::noValue;
    auto& facts = ObjectFacts::instance();
    const auto [xWindow, xChanges] = placeOf(node);
    if (ObjectFacts::admission(node.accessible()) == axcode::success) {
        if (const auto recent = facts.recentCaretBox(node.accessible(), offset, xWindow, xChanges)) {
            box = *recent;
            return axcode::success;
        }
    }
    // An application known for boxes without height is asked for corners
    // at once.
    const bool flat = facts.flatBoxes(node.accessible());
    AXCode code = flat ? caretFromCorners(node, offset, box) : caretFromCharacters(node, offset, box);
    if (code == axcode::noValue) {
        code = flat ? caretFromCharacters(node, offset, box) : caretFromCorners(node, offset, box);
        if (code == axcode::success && !flat) facts.setFlatBoxes(node.accessible());
        if (code == axcode::noValue && offset == 0) code = emptyTextCaret(node, box);
    }
    // Whichever way it was found, the caret of the keystroke's second batch
    // of events is the same, and a caret outside the kept box says it moved.
    if (code == axcode::success) {
        facts.checkExtents(node.accessible(), box);
        facts.setRecentCaretBox(node.accessible(), offset, box, xWindow, xChanges);
    }
    return code;
}

}  // namespace zorbel::platform::atspi
