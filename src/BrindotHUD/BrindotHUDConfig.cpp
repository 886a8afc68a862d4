#include "BrindotHUD/BrindotHUDConfig.h"

#include "Platform/TextForm.h"

#include <algorithm>
#include <cmath>

namespace zorbel {

QString displayName(AnimationType type)
{
    switch (type) {
    case AnimationType::none: return QStringLiteral("无动画");
    case AnimationType::fade: return QStringLiteral("淡入淡出");
    case AnimationType::scale: return QStringLiteral("缩放");
    case AnimationType::slide: return QStringLiteral("滑动");
    case AnimationType::bounce: return QStringLiteral("弹跳");
    case AnimationType::genie: return QStringLiteral("精灵效果");
    case AnimationType::magic: return QStringLiteral("魔法效果");
    case AnimationType::suck: return QStringLiteral("吸入效果");
    case AnimationType::flip: return QStringLiteral("翻转效果");
    case AnimationType::rotate: return QStringLiteral("旋转效果");
    }
    return {};
}

bool contains(const std::vector<HUDContentType>& types, HUDContentType type)
{
    return std::find(types.begin(), types.end(), type) != types.end();
}

json::Result<QByteArray> encodeJson(const BrindotHUDConfig& c)
{
    return json::encode([&](json::Writer& w) {
        w.boolean(QStringLiteral("isEnabled"), c.isEnabled);
        w.number(QStringLiteral("displayDuration"), c.displayDuration);
        w.enumeration(QStringLiteral("style"), c.style);
        w.enumeration(QStringLiteral("colorScheme"), c.colorScheme);
        w.enumeration(QStringLiteral("shape"), c.shape);
        w.number(QStringLiteral("cornerRadius"), c.cornerRadius);
        w.number(QStringLiteral("padding"), c.padding);
        w.number(QStringLiteral("opacity"), c.opacity);
        w.enumeration(QStringLiteral("position"), c.position);
        w.number(QStringLiteral("offset"), c.offset);
        w.enumeration(QStringLiteral("layout"), c.layout);
        w.enumeration(QStringLiteral("contentStyle"), c.contentStyle);
        w.enumeration(QStringLiteral("animationType"), c.animationType);
        w.number(QStringLiteral("animationDuration"), c.animationDuration);
        w.enumerationArray<HUDContentType>(QStringLiteral("contentTypes"), c.contentTypes);
        if (c.customBackgroundPath) w.string(QStringLiteral("customBackgroundPath"), *c.customBackgroundPath);
        w.boolean(QStringLiteral("hideWhileTyping"), c.hideWhileTyping);
    });
}

json::Result<BrindotHUDConfig> decodeBrindotHUDConfig(const QByteArray& bytes)
{
    return json::decode<BrindotHUDConfig>(bytes, [](const json::Reader& r) {
        BrindotHUDConfig c;
        c.isEnabled = r.boolean(QStringLiteral("isEnabled"));
        c.displayDuration = r.number(QStringLiteral("displayDuration"));
        c.style = r.enumeration<HUDStyle>(QStringLiteral("style"));
        c.colorScheme = r.enumeration<HUDColorScheme>(QStringLiteral("colorScheme"));
        c.shape = r.enumeration<HUDShape>(QStringLiteral("shape"));
        c.cornerRadius = r.number(QStringLiteral("cornerRadius"));
        c.padding = r.number(QStringLiteral("padding"));
        c.opacity = r.number(QStringLiteral("opacity"));
        c.position = r.enumeration<HUDPosition>(QStringLiteral("position"));
        c.offset = r.number(QStringLiteral("offset"));
        c.layout = r.enumeration<HUDLayout>(QStringLiteral("layout"));
        c.contentStyle = r.enumeration<HUDContentStyle>(QStringLiteral("contentStyle"));
        c.animationType = r.enumeration<AnimationType>(QStringLiteral("animationType"));
        c.animationDuration = r.number(QStringLiteral("animationDuration"));
        c.contentTypes = r.enumerationArray<HUDContentType>(QStringLiteral("contentTypes"));
        c.customBackgroundPath = r.optionalString(QStringLiteral("customBackgroundPath"));
        c.hideWhileTyping = r.boolean(QStringLiteral("hideWhileTyping"));
        return c;
    });
}

namespace {
int integerField(const json::Reader& r, const QString& key)
{
    const double v = r.number(key);
    if (v != std::trunc(v) || std::fabs(v) > 2147483647.0) r.fail(key, QStringLiteral("is not a whole number"));
    return static_cast<int>(v);
}
}  // namespace

json::Result<TypingStatistics> decodeTypingStatistics(const QByteArray& bytes)
{
    return json::decode<TypingStatistics>(bytes, [](const json::Reader& r) {
        TypingStatistics s;
        s.characters = integerField(r, QStringLiteral("characters"));
        s.keystrokes = integerField(r, QStringLiteral("keystrokes"));
        s.backspaces = integerField(r, QStringLiteral("backspaces"));
        s.date = r.number(QStringLiteral("date"));
        return s;
    });
}

json::Result<QByteArray> encodeJson(const TypingStatistics& s)
{
    return json::encode([&](json::Writer& w) {
        w.number(QStringLiteral("characters"), s.characters);
        w.number(QStringLiteral("keystrokes"), s.keystrokes);
        w.number(QStringLiteral("backspaces"), s.backspaces);
        w.number(QStringLiteral("date"), s.date);
    });
}

QString typingStatisticsKey(const QDateTime& startOfDay)
{
    return QStringLiteral("typing_stats_") + text::number(static_cast<double>(startOfDay.toSecsSinceEpoch()));
}

}  // namespace zorbel
