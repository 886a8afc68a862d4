#include "Platform/Simulated/SimulatedTextLayout.h"

#include <QList>

#include <algorithm>
#include <cmath>

namespace zorbel::platform::textlayout {

namespace {
using CodePoints = QList<uint>;

std::int64_t size(const CodePoints& text) { return static_cast<std::int64_t>(text.size()); }

// Position of the first character of the line that holds `position`.
std::int64_t lineStart(const CodePoints& text, std::int64_t position)
{
    for (auto i = std::min(position, size(text)) - 1; i >= 0; --i)
        if (text[static_cast<qsizetype>(i)] == '\n') return i + 1;
    return 0;
}

std::int64_t lineOf(const CodePoints& text, std::int64_t position)
{
    const auto end = std::clamp<std::int64_t>(position, 0, size(text));
    return static_cast<std::int64_t>(std::count(text.begin(), text.begin() + static_cast<qsizetype>(end), uint('\n')));
}

QRectF characterBox(const CodePoints& text, std::int64_t position, const TextLayout& layout)
{
    const auto pos = std::clamp<std::int64_t>(position, 0, size(text));
    if (pos == size(text) && layout.emptyBoxAtEnd) return QRectF(0, 0, 0, 0);
    const auto column = pos - lineStart(text, pos);
    const auto line = lineOf(text, pos);
    const double width = pos == size(text) ? 0.0 : layout.characterWidth;
    return QRectF(layout.origin.x() + static_cast<double>(column) * layout.characterWidth,
                  layout.origin.y() + static_cast<double>(line) * layout.lineHeight, width, layout.lineHeight);
}
}  // namespace

std::int64_t length(const QString& text) { return size(text.toUcs4()); }

QString mid(const QString& text, std::int64_t location, std::int64_t count)
{
    const auto all = text.toUcs4();
    const auto from = std::clamp<std::int64_t>(location, 0, size(all));
    const auto n = std::clamp<std::int64_t>(count, 0, size(all) - from);
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(all.constData()) + from, static_cast<qsizetype>(n));
}

std::int64_t lineOf(const QString& text, std::int64_t position) { return lineOf(text.toUcs4(), position); }

std::optional<AXRange> rangeOfLine(const QString& text, std::int64_t line)
{
    if (line < 0) return std::nullopt;
    const auto all = text.toUcs4();
    std::int64_t start = 0;
    std::int64_t current = 0;
    for (std::int64_t i = 0; i < size(all); ++i) {
        if (all[static_cast<qsizetype>(i)] != '\n') continue;
        if (current == line) return AXRange{start, i + 1 - start};
        ++current;
        start = i + 1;
    }
    if (current == line) return AXRange{start, size(all) - start};
    return std::nullopt;
}

QRectF characterBox(const QString& text, std::int64_t position, const TextLayout& layout)
{
    return characterBox(text.toUcs4(), position, layout);
}

std::optional<std::int64_t> positionAt(const QString& text, const QPointF& point, const TextLayout& layout)
{
    const auto all = text.toUcs4();
    const auto line = std::max<std::int64_t>(
        0, static_cast<std::int64_t>(std::floor((point.y() - layout.origin.y()) / layout.lineHeight)));
    const auto range = rangeOfLine(text, line);
    if (!range) return std::nullopt;
    const bool endsInLineFeed =
        range->length > 0 && all[static_cast<qsizetype>(range->location + range->length - 1)] == '\n';
    const auto end = range->location + range->length - (endsInLineFeed ? 1 : 0);
    const auto column = static_cast<std::int64_t>(std::floor((point.x() - layout.origin.x()) / layout.characterWidth));
    return std::clamp<std::int64_t>(range->location + column, range->location, end);
}

std::optional<AXRange> clip(const QString& text, AXRange range)
{
    const auto n = length(text);
    if (range.location < 0 || range.length < 0 || range.location > n) return std::nullopt;
    return AXRange{range.location, std::min(range.length, n - range.location)};
}

std::optional<QRectF> boundsForRange(const QString& text, AXRange range, const TextLayout& layout)
{
    const auto clipped = clip(text, range);
    if (!clipped) return std::nullopt;
    const auto all = text.toUcs4();
    if (clipped->length == 0) return characterBox(all, clipped->location, layout);
    QRectF united = characterBox(all, clipped->location, layout);
    for (auto i = clipped->location + 1; i < clipped->location + clipped->length; ++i)
        united = united.united(characterBox(all, i, layout));
    return united;
}

}  // namespace zorbel::platform::textlayout
