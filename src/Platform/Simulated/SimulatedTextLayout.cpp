#include "Platform/Simulated/SimulatedTextLayout.h"

#include <algorithm>

namespace zorbel::platform::textlayout {

namespace {
std::int64_t length(const QString& text) { return static_cast<std::int64_t>(text.size()); }

// Position of the first character of the line that holds `position`.
std::int64_t lineStart(const QString& text, std::int64_t position)
{
    if (position <= 0) return 0;
    const auto feed = text.lastIndexOf(QLatin1Char('\n'), static_cast<qsizetype>(position - 1));
    return feed < 0 ? 0 : static_cast<std::int64_t>(feed) + 1;
}
}  // namespace

std::int64_t lineOf(const QString& text, std::int64_t position)
{
    const auto end = std::clamp<std::int64_t>(position, 0, length(text));
    return static_cast<std::int64_t>(QStringView(text).left(static_cast<qsizetype>(end)).count(QLatin1Char('\n')));
}

std::optional<AXRange> rangeOfLine(const QString& text, std::int64_t line)
{
    if (line < 0) return std::nullopt;
    std::int64_t start = 0;
    for (std::int64_t i = 0; i < line; ++i) {
        const auto feed = text.indexOf(QLatin1Char('\n'), static_cast<qsizetype>(start));
        if (feed < 0) return std::nullopt;
        start = static_cast<std::int64_t>(feed) + 1;
    }
    const auto feed = text.indexOf(QLatin1Char('\n'), static_cast<qsizetype>(start));
    const std::int64_t end = feed < 0 ? length(text) : static_cast<std::int64_t>(feed) + 1;
    return AXRange{start, end - start};
}

QRectF characterBox(const QString& text, std::int64_t position, const TextLayout& layout)
{
    const auto pos = std::clamp<std::int64_t>(position, 0, length(text));
    if (pos == length(text) && layout.emptyBoxAtEnd) return QRectF(0, 0, 0, 0);
    const auto column = pos - lineStart(text, pos);
    const auto line = lineOf(text, pos);
    const double width = pos == length(text) ? 0.0 : layout.characterWidth;
    return QRectF(layout.origin.x() + static_cast<double>(column) * layout.characterWidth,
                  layout.origin.y() + static_cast<double>(line) * layout.lineHeight, width, layout.lineHeight);
}

std::optional<AXRange> clip(const QString& text, AXRange range)
{
    if (range.location < 0 || range.length < 0 || range.location > length(text)) return std::nullopt;
    return AXRange{range.location, std::min(range.length, length(text) - range.location)};
}

std::optional<QRectF> boundsForRange(const QString& text, AXRange range, const TextLayout& layout)
{
    const auto clipped = clip(text, range);
    if (!clipped) return std::nullopt;
    if (clipped->length == 0) return characterBox(text, clipped->location, layout);
    QRectF united = characterBox(text, clipped->location, layout);
    for (auto i = clipped->location + 1; i < clipped->location + clipped->length; ++i)
        united = united.united(characterBox(text, i, layout));
    return united;
}

}  // namespace zorbel::platform::textlayout
