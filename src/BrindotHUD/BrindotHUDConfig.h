#pragma once

#include "Caret/Styles/BrindotStyle.h"
#include "Platform/JsonCoding.h"
#include "Platform/RawEnum.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

#include <optional>
#include <vector>

namespace zorbel {

enum class HUDColorScheme { light, dark };
enum class HUDStyle { system, frostedGlass, liquidGlass, custom };
enum class HUDShape { oval, roundedRectangle };
enum class HUDLayout { horizontal, vertical, grid };
enum class HUDContentStyle { simple, detailed };
enum class HUDPosition { topLeft, top, topRight, left, center, right, bottomLeft, bottom, bottomRight };
enum class AnimationType { none, fade, scale, slide, bounce, genie, magic, suck, flip, rotate };
enum class HUDContentType { inputMethod, time, battery, typingCount, custom };

template <>
struct RawEnumNames<HUDColorScheme> {
    static constexpr std::array names{"light", "dark"};
};
template <>
struct RawEnumNames<HUDStyle> {
    static constexpr std::array names{"system", "frostedGlass", "liquidGlass", "custom"};
};
template <>
struct RawEnumNames<HUDShape> {
    static constexpr std::array names{"oval", "roundedRectangle"};
};
template <>
struct RawEnumNames<HUDLayout> {
    static constexpr std::array names{"horizontal", "vertical", "grid"};
};
template <>
struct RawEnumNames<HUDContentStyle> {
    static constexpr std::array names{"simple", "detailed"};
};
// The same nine sides as the indicator's relative position.
template <>
struct RawEnumNames<HUDPosition> {
    static constexpr std::array names = RawEnumNames<BrindotRelativePosition>::names;
};
template <>
struct RawEnumNames<AnimationType> {
    static constexpr std::array names{"none",  "fade",  "scale", "slide", "bounce",
                                      "genie", "magic", "suck",  "flip",  "rotate"};
};
template <>
struct RawEnumNames<HUDContentType> {
    static constexpr std::array names{"inputMethod", "time", "battery", "typingCount", "custom"};
};

// The label under which the settings pages list an animation.
QString displayName(AnimationType type);

// The HUD's stored settings. A default-built value is the default record.
struct BrindotHUDConfig {
    bool isEnabled = true;
    double displayDuration = 0;  // seconds; 0 or less: stays until hidden
    HUDStyle style = HUDStyle::system;
    HUDColorScheme colorScheme = HUDColorScheme::light;
    HUDShape shape = HUDShape::oval;
    double cornerRadius = 8;
    double padding = 10;
    double opacity = 0.9;
    HUDPosition position = HUDPosition::top;
    double offset = 20;
    HUDLayout layout = HUDLayout::vertical;
    HUDContentStyle contentStyle = HUDContentStyle::detailed;
    AnimationType animationType = AnimationType::fade;
    double animationDuration = 0.25;
    std::vector<HUDContentType> contentTypes{HUDContentType::inputMethod, HUDContentType::time};
    std::optional<QString> customBackgroundPath;
    bool hideWhileTyping = true;  // a shown HUD goes at the next key that types

    static BrindotHUDConfig defaultConfig() { return {}; }
    bool isDetailed() const { return contentStyle == HUDContentStyle::detailed; }
    bool operator==(const BrindotHUDConfig&) const = default;
};

// Whether the list holds the type (used when a settings page adds one).
bool contains(const std::vector<HUDContentType>& types, HUDContentType type);

// Compact JSON whose keys are the field names; the background path is left
// out when absent. Decoding fails as a whole on a missing key (all but the
// background path), a wrong type or an unknown enumeration text; unknown keys
// are ignored.
json::Result<QByteArray> encodeJson(const BrindotHUDConfig& config);
json::Result<BrindotHUDConfig> decodeBrindotHUDConfig(const QByteArray& bytes);

// One line of the panel.
struct HUDContentItem {
    HUDContentType type = HUDContentType::custom;
    QString icon{};                     // symbol name of the item's icon
    std::optional<QImage> iconImage{};  // drawn instead of the symbol when present
    std::optional<QString> title{};     // detailed content style only
    QString value{};
    std::optional<bool> capsLockOn{};   // input-method item only

    // The image is not compared.
    bool operator==(const HUDContentItem& other) const
    {
        return type == other.type && icon == other.icon && title == other.title && value == other.value &&
               capsLockOn == other.capsLockOn;
    }
};

// One day's typing counts, as `TypingCounter` stores them.
struct TypingStatistics {
    int characters = 0;
    int keystrokes = 0;
    int backspaces = 0;
    double date = 0;  // seconds since 1 January 2001 UTC
};
json::Result<TypingStatistics> decodeTypingStatistics(const QByteArray& bytes);
json::Result<QByteArray> encodeJson(const TypingStatistics& stats);

// "typing_stats_1733529600.0": the key of the day that starts at the given
// local midnight.
QString typingStatisticsKey(const QDateTime& startOfDay);

}  // namespace zorbel
