#include "Caret/Styles/StylePreset.h"

#include "Caret/Styles/SystemColors.h"

#include <cmath>
#include <limits>

namespace zorbel {

const std::vector<StylePreset>& StylePreset::builtInPresets()
{
    static const std::vector<StylePreset> presets{
        {0, QStringLiteral("经典蓝"), QStringLiteral("#0066FF"), QStringLiteral("高识别度，适合所有场景")},
        {1, QStringLiteral("活力红"), QStringLiteral("#FF3B30"), QStringLiteral("醒目警示，吸引注意")},
        {2, QStringLiteral("自然绿"), QStringLiteral("#34C759"), QStringLiteral("舒缓视觉，护眼友好")},
        {3, QStringLiteral("明亮黄"), QStringLiteral("#FFCC00"), QStringLiteral("高亮显眼，注意力强")},
        {4, QStringLiteral("优雅紫"), QStringLiteral("#AF52DE"), QStringLiteral("创意优雅，适合设计")},
        {5, QStringLiteral("活力橙"), QStringLiteral("#FF9500"), QStringLiteral("温暖活力，积极向上")},
        {6, QStringLiteral("清新青"), QStringLiteral("#5AC8FA"), QStringLiteral("清新科技，现代感强")},
        {7, QStringLiteral("甜美粉"), QStringLiteral("#FF2D55"), QStringLiteral("柔和亲和，温馨可爱")},
        {8, QStringLiteral("深邃蓝"), QStringLiteral("#007AFF"), QStringLiteral("专业沉稳，商务风格")},
        {9, QStringLiteral("深沉红"), QStringLiteral("#D70015"), QStringLiteral("强烈对比，高度警示")},
        {10, QStringLiteral("森林绿"), QStringLiteral("#28CD41"), QStringLiteral("自然稳定，舒适护眼")},
        {11, QStringLiteral("奢华金"), QStringLiteral("#FFD700"), QStringLiteral("高级醒目，奢华感强")},
        {12, QStringLiteral("神秘靛"), QStringLiteral("#5856D6"), QStringLiteral("深邃神秘，独特个性")},
        {13, QStringLiteral("大地棕"), QStringLiteral("#A2845E"), QStringLiteral("温暖稳重，自然亲和")},
        {14, QStringLiteral("中性灰"), QStringLiteral("#8E8E93"), QStringLiteral("低调中性，不抢眼球")},
        {15, QStringLiteral("纯净白"), QStringLiteral("#FFFFFF"), QStringLiteral("简洁纯净，极简风格")},
    };
    return presets;
}

json::Result<QByteArray> encodeJson(const StylePreset& preset)
{
    return json::encode([&](json::Writer& w) {
        w.number(QStringLiteral("id"), preset.id);
        w.string(QStringLiteral("name"), preset.name);
        w.string(QStringLiteral("colorHex"), preset.colorHex);
        w.string(QStringLiteral("description"), preset.description);
    });
}

json::Result<StylePreset> decodeStylePreset(const QByteArray& bytes)
{
    return json::decode<StylePreset>(bytes, [](const json::Reader& r) {
        const double id = r.number(QStringLiteral("id"));
        if (id != std::trunc(id) || std::abs(id) > std::numeric_limits<int>::max())
            r.fail(QStringLiteral("id"), QStringLiteral("does not hold a whole number"));
        return StylePreset{static_cast<int>(id), r.string(QStringLiteral("name")), r.string(QStringLiteral("colorHex")),
                           r.string(QStringLiteral("description"))};
    });
}

namespace {
int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}
}  // namespace

std::uint64_t hexColorValue(const QString& colorHex)
{
    QString hex = colorHex.trimmed();
    hex.remove(QLatin1Char('#'));
    qsizetype i = 0;
    while (i < hex.size() && hex[i].isSpace()) ++i;
    // The scanner also accepts a "0x" in front of the digits.
    if (hex.size() - i > 2 && hex[i] == QLatin1Char('0') && hex[i + 1].toLower() == QLatin1Char('x') &&
        hexDigit(hex[i + 2]) >= 0)
        i += 2;
    constexpr auto maximum = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (; i < hex.size(); ++i) {
        const int digit = hexDigit(hex[i]);
        if (digit < 0) break;
        // Like the platform's hexadecimal scanner, an overlong run saturates.
        value = value > (maximum >> 4) ? maximum : (value << 4) | static_cast<std::uint64_t>(digit);
    }
    return value;
}

BrindotColor colorFromHex(const QString& colorHex, double alpha)
{
    const std::uint64_t v = hexColorValue(colorHex);
    return BrindotColor{static_cast<double>((v >> 16) & 0xFF) / 255.0, static_cast<double>((v >> 8) & 0xFF) / 255.0,
                        static_cast<double>(v & 0xFF) / 255.0, alpha};
}

BrindotStyle StylePreset::makeStyle(const BrindotStyle& base) const
{
    const double c = colorHex.toUpper() == QLatin1String("#FFFFFF") ? 0.0 : 1.0;
    BrindotStyle style = base;
    style.fillColor = colorFromHex(colorHex, 0.9);
    style.fillEnabled = true;
    style.borderColor = BrindotColor{c, c, c, 1};
    return style;
}

namespace {
BrindotColor srgbComponents(const QColor& color)
{
    // An invalid colour has nothing to convert; its own components are black.
    const QRgba64 c = color.isValid() ? color.toRgb().rgba64() : QRgba64::fromRgba64(0, 0, 0, 0xFFFF);
    constexpr double full = 65535.0;
    return BrindotColor{c.red() / full, c.green() / full, c.blue() / full, c.alpha() / full};
}

BrindotStyle centredWithoutShadow(BrindotShape shape, double size, double borderWidth)
{
    BrindotStyle s;
    s.shape = shape;
    s.size = size;
    s.borderWidth = borderWidth;
    s.fillEnabled = true;
    s.borderEnabled = true;
    s.borderColor = srgbComponents(systemColors::white());
    s.position = BrindotPosition{BrindotRelativePosition::center, BrindotAlignment::center, 0, 0};
    return s;
}
}  // namespace

BrindotStyle BrindotStyle::preset(const QColor& color, BrindotShape shape, double size, double borderWidth)
{
    BrindotStyle s = centredWithoutShadow(shape, size, borderWidth);
    s.fillColor = srgbComponents(color);
    return s;
}

BrindotStyle BrindotStyle::classicBlack() { return preset(systemColors::black(), BrindotShape::rectangle, 12, 1); }

BrindotStyle BrindotStyle::blueCircle()
{
    BrindotStyle s = centredWithoutShadow(BrindotShape::circle, 14, 1);
    s.fillColor = srgbComponents(systemColors::blue());
    s.borderColor = BrindotColor{1, 1, 1, 1};
    s.borderEnabled = false;
    return s;
}

BrindotStyle BrindotStyle::redTriangle() { return preset(systemColors::red(), BrindotShape::triangle, 16, 2); }

std::vector<PresetStyle> PresetStyle::wholeStyles()
{
    return {{QStringLiteral("经典黑色"), BrindotStyle::classicBlack()},
            {QStringLiteral("蓝色圆形"), BrindotStyle::blueCircle()},
            {QStringLiteral("红色三角形"), BrindotStyle::redTriangle()}};
}

}  // namespace zorbel
