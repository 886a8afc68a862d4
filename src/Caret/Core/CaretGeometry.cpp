#include "Caret/Core/CaretGeometry.h"

#include "Platform/Services.h"
#include "Platform/Workspace.h"

#include <QList>

#include <algorithm>
#include <cmath>
#include <map>

namespace zorbel {

namespace {

const QString kBoundsForRange = QStringLiteral("AXBoundsForRange");
constexpr char32_t kLineFeed = U'\n';
// A caret after a final line feed is placed below the character before the
// nearest line feed; when that box cannot be had, a few earlier line feeds
// are tried, never one call per line of a long text.
constexpr int kMaxLineFeedLookups = 3;

// The read's answer; an accessibility error is no answer.
template <class Read>
auto orNothing(Read read) -> decltype(read())
{
    try {
        return read();
    } catch (const AXError&) {
        return std::nullopt;
    }
}

double maxY(const QRectF& r) { return r.normalized().bottom(); }

std::optional<QRectF> rawBoundsForRange(const UIElement& element, platform::AXRange range)
{
    return orNothing([&] { return element.parameterizedAttribute<QRectF>(kBoundsForRange, range); });
}

std::optional<double> firstScreenMaxY()
{
    const auto screens = platform::workspace().screens();
    if (screens.isEmpty()) return std::nullopt;
    return maxY(screens.first());
}

// One line below the character before the line feed nearest to `from`
// (walking back), sized as `box`.
std::optional<QRectF> rectBelowLineFeed(std::int64_t from, const UIElement& element, const QString& value,
                                        const QRectF& box)
{
    const auto text = value.toUcs4();
    if (text.isEmpty()) return std::nullopt;
    const auto last = static_cast<std::int64_t>(text.size()) - 1;
    int lookups = 0;
    for (auto k = from; k >= 1 && lookups < kMaxLineFeedLookups; --k) {
        if (text[static_cast<qsizetype>(std::min(k, last))] != kLineFeed) {
            // Positions past the end all read as the last character.
            if (k > last) k = last + 1;
            continue;
        }
        ++lookups;
        const auto b = rawBoundsForRange(element, platform::AXRange{std::max<std::int64_t>(k - 1, 0), 1});
        const auto top = firstScreenMaxY();
        if (!b || !top) continue;
        const double flippedMinY = *top - maxY(*b);
        return QRectF(b->x(), flippedMinY - b->normalized().height(), box.width(), box.height());
    }
    return std::nullopt;
}

// A caret box as the application answers it (accessibility space), and the
// text position it is the box of: none for a selection's box.
struct AnsweredCaret {
    QRectF box;
    std::optional<std::int64_t> position;
};

std::optional<AnsweredCaret> answeredCaretByTextMarker(const UIElement& element)
{
    const auto markers = orNothing(
        [&] { return element.attribute<platform::AXTextMarkerRange>(QStringLiteral("AXSelectedTextMarkerRange")); });
    if (!markers) return std::nullopt;
    auto boundsOf = [&](const platform::AXTextMarkerRange& range) {
        return orNothing([&] {
            return element.parameterizedAttribute<QRectF>(QStringLiteral("AXBoundsForTextMarkerRange"), range);
        });
    };
    // The caret of a selection is its moving end, where the user's next
    // Shift+arrow acts; the whole selection's box would put it at the
    // selection's left edge. Only where the application does not tell its
    // caret does the selection's box stand for it.
    if (const auto caret = markers->insertionPoint()) {
        if (const auto bounds = boundsOf(*caret)) return AnsweredCaret{*bounds, caret->start};
    }
    const auto bounds = boundsOf(*markers);
    if (!bounds) return std::nullopt;
    const bool empty = markers->start == markers->end;
    return AnsweredCaret{*bounds, empty ? std::optional<std::int64_t>(markers->start) : std::nullopt};
}

// Some applications answer character boxes that cannot be right (a Scintilla
// port in Qt 5 answers the first character's box for every position).
// What is known of each, by process: while its boxes are known to be wrong,
// its caret is placed from where it says its characters are drawn (the
// position at a point), not from its boxes. Two boxes that agree with those
// places, at different positions, prove its boxes right again.
struct ApplicationBoxes {
    bool wrong = false;
    // Boxes lying well outside the element while the caret was seen in view,
    // since a box was last believed, each at another caret position than the
    // one before (a toolkit answers its window's old place until it hears
    // that the window moved, at every move of a dragged window): two make the
    // boxes wrong. The last one's position.
    int boxesFarOutside = 0;
    std::int64_t farOutsideAt = 0;
    // While wrong: the last box that agreed with the place found.
    struct Agreed {
        std::int64_t position = 0;
        QRectF box;
    };
    std::optional<Agreed> agreed;
    // Whether the first character's box has been compared with a caret on a
    // later line; tries that found no line before the caret.
    bool probed = false;
    int probesWithoutLines = 0;
    // The box of the last lookup, and its position and element.
    std::optional<platform::AXElementRef> element;
    std::int64_t position = 0;
    QRectF box;
    // Where the last caret placed from positions at points was found: its
    // row is asked first, and its x is where the next one is looked for.
    struct Placed {
        platform::AXElementRef element;
        std::int64_t position = 0;
        int rowTop = 0;
        int reached = 0;
    };
    std::optional<Placed> placed;
};

constexpr int kMaxProbesWithoutLines = 3;
// Text read at most to look for a line feed between two positions.
constexpr std::int64_t kLineFeedSearch = 4096;
constexpr std::size_t kRememberedApplications = 64;
// A place found from the positions at points that lies this far from the
// answered box shows the box to be wrong.
constexpr double kWrongBoxDistance = 4.0;
constexpr int kBoxesFarOutsideForWrong = 2;

struct KnownApplicationBoxes {
    std::map<std::int32_t, ApplicationBoxes> byProcess;
};

ApplicationBoxes* boxesOf(const UIElement& element)
{
    auto& known = sharedInstance<KnownApplicationBoxes>().byProcess;
    std::int32_t pid = 0;
    try {
        pid = element.pid();
    } catch (const AXError&) {
        return nullptr;
    }
    if (!known.contains(pid) && known.size() >= kRememberedApplications) known.clear();
    return &known[pid];
}

// Where the first line feed between two positions is, if any.
std::optional<std::int64_t> firstLineFeed(const UIElement& element, std::int64_t from, std::int64_t to)
{
    const auto text = orNothing([&] {
        return element.parameterizedAttribute<QString>(QStringLiteral("AXStringForRange"),
                                                       platform::AXRange{from, std::min(to - from, kLineFeedSearch)});
    });
    const auto at = text ? text->indexOf(QLatin1Char('\n')) : -1;
    return at >= 0 ? std::optional<std::int64_t>(from + at) : std::nullopt;
}

bool lineFeedBetween(const UIElement& element, std::int64_t from, std::int64_t to)
{
    return firstLineFeed(element, from, to).has_value();
}

// Boxes that cannot be right: the same box for positions on different lines
// (at the same height, which no two lines share).
bool boxesCannotBeRight(const UIElement& element, const AnsweredCaret& caret, ApplicationBoxes& boxes)
{
    const auto position = *caret.position;
    const bool sameBoxElsewhere = boxes.element && *boxes.element == element.element() &&
                                  boxes.position != position && boxes.box == caret.box;
    if (sameBoxElsewhere &&
        lineFeedBetween(element, std::min(boxes.position, position), std::max(boxes.position, position)))
        return true;
    // Once per application, in a text of several lines: the first
    // character's box beside a caret on a later line.
    if (boxes.probed || position <= 0) return false;
    if (orNothing([&] { return element.attribute<QString>(Attribute::role); }) != rawValue(Role::textArea))
        return false;
    const auto feed = firstLineFeed(element, 0, position);
    if (!feed) {
        boxes.probed = ++boxes.probesWithoutLines >= kMaxProbesWithoutLines;
        return false;
    }
    boxes.probed = true;
    const auto first = rawBoundsForRange(element, platform::AXRange{0, 1});
    if (!first) return false;
    // The character before the caret where it lies on a later line: a caret
    // box may be made from other answers (below a line feed at the text's
    // end, where the application is not asked).
    auto later = caret.box;
    if (*feed < position - 1) {
        if (const auto before = rawBoundsForRange(element, platform::AXRange{position - 1, 1})) later = *before;
    }
    return std::abs(first->normalized().top() - later.normalized().top()) < 0.5;
}

// The smallest whole number in [low, high] for which `holds` is true, where
// it holds for every number from some point on and for `high`.
template <class Holds>
int firstHolding(int low, int high, Holds holds)
{
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (holds(middle)) high = middle;
        else low = middle + 1;
    }
    return low;
}

// As firstHolding, looked for from `guess` outwards in steps that double
// (a caret that moved by a character or two is found in a few questions).
template <class Holds>
int firstHoldingNear(int low, int high, int guess, int step, Holds holds)
{
    guess = std::clamp(guess, low, high);
    step = std::max(step, 1);
    if (holds(guess)) {
        for (int upper = guess;; step *= 2) {
            const int lower = upper - step;
            if (lower <= low) return firstHolding(low, upper, holds);
            if (!holds(lower)) return firstHolding(lower + 1, upper, holds);
            upper = lower;
        }
    }
    for (int lower = guess + 1;; step *= 2) {
        const int upper = lower + step - 1;
        if (upper >= high) return firstHolding(lower, high, holds);
        if (holds(upper)) return firstHolding(lower, upper, holds);
        lower = upper + 1;
    }
}

// The caret at `position` placed from the positions the application answers
// at points of its element (left-to-right text): the first row from the top
// whose right end reaches the caret, and on it the first point at or past
// the caret. The row is as high as the application's box where that box has
// a height, else down to the next row. None when the caret is not in view.
std::optional<QRectF> caretFromPositionsAtPoints(const UIElement& element, std::int64_t position,
                                                 const QRectF& answered, ApplicationBoxes& boxes)
{
    const auto origin = orNothing([&] { return element.attribute<QPointF>(Attribute::position); });
    const auto size = origin ? orNothing([&] { return element.attribute<QSizeF>(Attribute::size); }) : std::nullopt;
    if (!size || size->width() < 2 || size->height() < 2) return std::nullopt;
    const QRectF frame(*origin, *size);
    const auto visible =
        orNothing([&] { return element.attribute<platform::AXRange>(Attribute::visibleCharacterRange); });
    if (!visible || position < visible->location || position - visible->location > visible->length)
        return std::nullopt;
    auto positionAt = [&](double x, double y) -> std::optional<std::int64_t> {
        const auto range = orNothing([&] {
            return element.parameterizedAttribute<platform::AXRange>(QStringLiteral("AXRangeForPosition"),
                                                                     QPointF(x, y));
        });
        return range ? std::optional<std::int64_t>(range->location) : std::nullopt;
    };
    const int left = static_cast<int>(std::ceil(frame.left()));
    const int right = static_cast<int>(std::floor(frame.right())) - 1;
    const int top = static_cast<int>(std::ceil(frame.top()));
    const int bottom = static_cast<int>(std::floor(frame.bottom())) - 1;
    // Points past a row's end answer its end, points below the text nothing.
    auto rowReaches = [&](int y) {
        const auto at = positionAt(right, y);
        return !at || *at >= position;
    };
    auto& placed = boxes.placed;
    if (placed && placed->element != element.element()) placed.reset();
    const bool sameRow = placed && placed->rowTop >= top && placed->rowTop <= bottom && rowReaches(placed->rowTop) &&
                         (placed->rowTop == top || !rowReaches(placed->rowTop - 1));
    if (!sameRow && !rowReaches(bottom)) return std::nullopt;
    const int rowTop = sameRow ? placed->rowTop : firstHolding(top, bottom, rowReaches);
    double height = answered.normalized().height();
    if (!(height > 0 && height <= frame.height())) {
        const auto rowEnd = positionAt(right, rowTop);
        const int nextRow = firstHolding(rowTop + 1, bottom + 1, [&](int y) {
            if (y > bottom) return true;
            const auto at = positionAt(right, y);
            return !at || !rowEnd || *at > *rowEnd;
        });
        height = nextRow - rowTop;
    }
    // Toolkits answer either the character under a point (GTK) or the caret
    // position nearest to it (Qt's text views, Scintilla), so the caret stands
    // where the positions reach it or half a character right of there: a
    // quarter of a character right is that close to either. A character's
    // width is taken from the application's box, wrong as its place may be.
    const auto before = rawBoundsForRange(element, platform::AXRange{std::max<std::int64_t>(position - 1, 0), 1});
    const double width = before ? std::clamp(before->normalized().width(), 0.0, 2 * height) : 0.0;
    const double middle = rowTop + height / 2;
    auto firstAtOrPast = [&](std::int64_t wanted) -> std::optional<int> {
        auto atOrPast = [&](int x) {
            const auto at = positionAt(x, middle);
            return at && *at >= wanted;
        };
        if (!atOrPast(right)) return std::nullopt;
        if (!sameRow || width <= 0) return firstHolding(left, right, atOrPast);
        const auto guess = static_cast<double>(placed->reached) + static_cast<double>(wanted - placed->position) * width;
        return firstHoldingNear(left, right, static_cast<int>(std::clamp<double>(guess, left, right)),
                                static_cast<int>(std::ceil(width / 2)), atOrPast);
    };
    auto remember = [&](std::int64_t at, int reached) {
        placed = ApplicationBoxes::Placed{element.element(), at, rowTop, reached};
    };
    if (const auto x = firstAtOrPast(position)) {
        remember(position, *x);
        // At its row's start even the frame's left edge answers the caret,
        // though a margin (Scintilla's line numbers) may come before the
        // text: the text begins where the first character's box does, when
        // that lies in the frame, as its left edge is right even where its
        // place among the lines is not.
        if (*x == left) {
            const auto first = rawBoundsForRange(element, platform::AXRange{0, 1});
            const double textLeft = first ? first->normalized().left() : left;
            if (textLeft > left && textLeft < right) return QRectF(textLeft, rowTop, 0, height);
        }
        return QRectF(*x + width / 4, rowTop, 0, height);
    }
    // The caret after the row's last character, which no point answers: right
    // of that character's start by its width, or half of it.
    const auto start = position > 0 ? firstAtOrPast(position - 1) : std::nullopt;
    if (!start) return std::nullopt;
    remember(position - 1, *start);
    return QRectF(*start + width * 3 / 4, rowTop, 0, height);
}

double caretDistance(const QRectF& a, const QRectF& b)
{
    return std::hypot(a.x() - b.x(), a.normalized().center().y() - b.normalized().center().y());
}

// The answered caret, unless its application's boxes cannot be right: then
// the place found from the positions it answers at points, or none (the
// element's frame stands for it). A box outside the frame is looked for the
// same way; where the caret is found in view elsewhere, that place stands for
// it, and a second such box well outside (not one at the frame's edge, as a
// caret scrolled partly out of view has) shows the application's boxes wrong.
// Cocoa space.
std::optional<QRectF> checkedCaret(const UIElement& element, const AnsweredCaret& caret, const QRectF& frame)
{
    const auto flipped = flipToCocoa(caret.box);
    ApplicationBoxes* boxes = flipped && caret.position ? boxesOf(element) : nullptr;
    if (!boxes) return flipped;
    const auto remember = [&] {
        boxes->element = element.element();
        boxes->position = *caret.position;
        boxes->box = caret.box;
    };
    const bool outside = !rectContainsRect(frame, *flipped);
    if (!boxes->wrong && !outside) {
        boxes->wrong = boxesCannotBeRight(element, caret, *boxes);
        remember();
        if (!boxes->wrong) {
            boxes->boxesFarOutside = 0;
            return flipped;
        }
    }
    const auto placed = caretFromPositionsAtPoints(element, *caret.position, caret.box, *boxes);
    const auto placedFlipped = placed ? flipToCocoa(*placed) : std::nullopt;
    const bool seen = placedFlipped && rectContainsRect(frame, *placedFlipped);
    const bool near = seen && caretDistance(*placed, caret.box) < kWrongBoxDistance;
    if (boxes->wrong) {
        // The box agrees with where the caret is seen: twice, at different
        // positions and boxes (an application that answers one box for all
        // agrees at most at one), and its boxes are believed again.
        auto& agreed = boxes->agreed;
        if (!near || outside) {
            agreed.reset();
        } else if (!agreed) {
            agreed = ApplicationBoxes::Agreed{*caret.position, caret.box};
        } else if (agreed->position != *caret.position && agreed->box != caret.box) {
            boxes->wrong = false;
            boxes->boxesFarOutside = 0;
            agreed.reset();
            remember();
        }
        return placedFlipped;
    }
    if (!seen || near) return flipped;
    // A caret in view but far from where its box says: the box was wrong.
    const double line = std::max(flipped->height(), placedFlipped->height());
    if (!frame.adjusted(-line, -line, line, line).contains(flipped->center())) {
        if (boxes->boxesFarOutside == 0 || boxes->farOutsideAt != *caret.position) ++boxes->boxesFarOutside;
        boxes->farOutsideAt = *caret.position;
        boxes->wrong = boxes->boxesFarOutside >= kBoxesFarOutsideForWrong;
    }
    return placedFlipped;
}

}  // namespace

std::optional<FocusedCaretRect> focusedCaretRect(const UIElement& receiver)
{
    const auto focused = orNothing([&] { return receiver.attribute<UIElement>(Attribute::focusedUIElement); });
    if (!focused || !isTextElement(focused)) return std::nullopt;
    // The caret is asked before the frame: a caret found outside the frame
    // an accessibility back end kept has the frame asked again.
    const auto answered = answeredCaretByTextMarker(*focused);
    const auto frame = elementFrame(*focused);
    if (!frame) return std::nullopt;
    std::optional<QRectF> caret;
    if (answered) caret = checkedCaret(*focused, *answered, *frame);
    else caret = caretRectBySelectedRange(*focused);
    if (!caret || !rectContainsRect(*frame, *caret)) return FocusedCaretRect{*frame, true};
    return FocusedCaretRect{*caret, false};
}

bool isTextElement(const std::optional<UIElement>& element)
{
    if (!element) return false;
    const auto text = orNothing([&] { return element->attribute<QString>(Attribute::role); });
    const auto role = text ? fromRawValue<Role>(*text) : std::nullopt;
    return role == Role::textArea || role == Role::textField || role == Role::comboBox;
}

std::optional<QRectF> elementFrame(const UIElement& element)
{
    auto frameOf = [](const UIElement& e) -> std::optional<QRectF> {
        const auto position = orNothing([&] { return e.attribute<QPointF>(Attribute::position); });
        const auto size = position ? orNothing([&] { return e.attribute<QSizeF>(Attribute::size); }) : std::nullopt;
        if (!size) return std::nullopt;
        return QRectF(*position, *size);
    };
    const auto parent = orNothing([&] { return element.attribute<UIElement>(Attribute::parent); });
    const auto parentRole = parent ? orNothing([&] { return parent->attribute<QString>(Attribute::role); }) : std::nullopt;
    if (parentRole == rawValue(Role::scrollArea)) {
        // A text view's frame is that of its enclosing scroll area.
        if (const auto scrollFrame = frameOf(*parent)) return flipToCocoa(*scrollFrame);
    }
    const auto own = frameOf(element);
    return own ? flipToCocoa(*own) : std::nullopt;
}

std::optional<QRectF> caretRectByTextMarker(const UIElement& element)
{
    const auto answered = answeredCaretByTextMarker(element);
    return answered ? flipToCocoa(answered->box) : std::nullopt;
}

std::optional<QRectF> caretRectBySelectedRange(const UIElement& element)
{
    const auto selected = orNothing([&] { return element.attribute<platform::AXRange>(Attribute::selectedTextRange); });
    const auto visible =
        orNothing([&] { return element.attribute<platform::AXRange>(Attribute::visibleCharacterRange); });
    const auto value = orNothing([&] { return element.attribute<QString>(Attribute::value); });
    if (!selected || !visible || !value) return std::nullopt;
    if (auto r = caretRectNearIndex(visible->location, visible->length, selected->location, element, *value)) return r;
    return lineCaretRect(element);
}

std::optional<QRectF> caretRectNearIndex(std::int64_t visibleLocation, std::int64_t visibleLength,
                                         std::int64_t caretIndex, const UIElement& element, const QString& value)
{
    // Positions near the integer limits come only from a misbehaving
    // application: no caret rectangle then.
    std::int64_t end = 0;
    if (__builtin_add_overflow(visibleLocation, visibleLength, &end)) return std::nullopt;
    const bool insideVisibleText = end > caretIndex;
    std::int64_t i = caretIndex;
    if (!insideVisibleText && __builtin_sub_overflow(caretIndex, 1, &i)) return std::nullopt;
    const auto r = characterBounds(i, element);
    if (!r || insideVisibleText) return r;
    // At the end of the text the last character's box stands for the caret.
    if (character(i, value) != QString(QChar(u'\n'))) return r;
    if (i < 1) return std::nullopt;
    return rectBelowLineFeed(i, element, value, *r);
}

std::optional<QRectF> characterBounds(std::int64_t index, const UIElement& element)
{
    const auto bounds = rawBoundsForRange(element, platform::AXRange{std::max<std::int64_t>(index, 0), 1});
    return bounds ? flipToCocoa(*bounds) : std::nullopt;
}

std::optional<QRectF> lineCaretRect(const UIElement& element)
{
    const auto line = orNothing([&] { return element.attribute<std::int64_t>(Attribute::insertionPointLineNumber); });
    if (!line) return std::nullopt;
    const auto range = orNothing(
        [&] { return element.parameterizedAttribute<platform::AXRange>(QStringLiteral("AXRangeForLine"), *line); });
    const auto bounds = range ? rawBoundsForRange(element, *range) : std::nullopt;
    return bounds ? flipToCocoa(*bounds) : std::nullopt;
}

QString character(std::int64_t index, const QString& text)
{
    if (text.isEmpty()) return {};
    const auto codePoints = text.toUcs4();
    const auto last = static_cast<std::int64_t>(codePoints.size()) - 1;
    const char32_t c = codePoints[static_cast<qsizetype>(std::clamp<std::int64_t>(index, 0, last))];
    return QString::fromUcs4(&c, 1);
}

std::optional<QRectF> flipToCocoa(const QRectF& rect)
{
    const auto top = firstScreenMaxY();
    if (!top) return std::nullopt;
    return QRectF(rect.x(), *top - maxY(rect), rect.width(), rect.height());
}

bool rectContainsRect(const QRectF& outer, const QRectF& inner)
{
    const auto o = outer.normalized();
    const auto i = inner.normalized();
    return i.left() >= o.left() && i.right() <= o.right() && i.top() >= o.top() && i.bottom() <= o.bottom();
}

}  // namespace zorbel
