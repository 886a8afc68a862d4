#include "Caret/Core/CaretGeometry.h"

#include "Platform/Services.h"
#include "Platform/Workspace.h"

#include <QList>

#include <algorithm>

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

}  // namespace

std::optional<FocusedCaretRect> focusedCaretRect(const UIElement& receiver)
{
    const auto focused = orNothing([&] { return receiver.attribute<UIElement>(Attribute::focusedUIElement); });
    if (!focused || !isTextElement(focused)) return std::nullopt;
    const auto frame = elementFrame(*focused);
    if (!frame) return std::nullopt;
    auto caret = caretRectByTextMarker(*focused);
    if (!caret) caret = caretRectBySelectedRange(*focused);
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
    std::optional<QRectF> bounds;
    if (const auto caret = markers->insertionPoint()) bounds = boundsOf(*caret);
    if (!bounds) bounds = boundsOf(*markers);
    return bounds ? flipToCocoa(*bounds) : std::nullopt;
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
