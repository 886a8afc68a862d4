#include "Settings/HUD/HUDConfigEdits.h"

#include "BrindotHUD/BrindotHUDManager.h"

#include <algorithm>
#include <cmath>

namespace zorbel::hudEdits {

void editConfig(const std::function<void(BrindotHUDConfig&)>& change)
{
    auto& manager = BrindotHUDManager::shared();
    BrindotHUDConfig config = manager.config();
    change(config);
    manager.setConfig(config);
}

std::optional<BrindotHUDConfig> switchContent(BrindotHUDConfig config, HUDContentType type, bool on)
{
    auto& types = config.contentTypes;
    if (on) {
        if (contains(types, type)) return std::nullopt;
        types.push_back(type);
    } else {
        types.erase(std::remove(types.begin(), types.end(), type), types.end());
    }
    return config;
}

void showContent(HUDContentType type, bool on)
{
    auto& manager = BrindotHUDManager::shared();
    if (auto changed = switchContent(manager.config(), type, on)) manager.setConfig(*changed);
}

std::optional<BrindotHUDConfig> removeContent(BrindotHUDConfig config, int position, HUDContentType shown)
{
    auto& types = config.contentTypes;
    if (position < 0 || position >= static_cast<int>(types.size())) return std::nullopt;
    if (types[static_cast<size_t>(position)] != shown) return std::nullopt;
    types.erase(types.begin() + position);
    return config;
}

std::vector<HUDContentType> addableContentTypes(const std::vector<HUDContentType>& types)
{
    std::vector<HUDContentType> addable;
    for (auto type : {HUDContentType::inputMethod, HUDContentType::time, HUDContentType::battery,
                      HUDContentType::typingCount, HUDContentType::custom})
        if (!contains(types, type)) addable.push_back(type);
    return addable;
}

QString opacityPercentText(double opacity)
{
    if (std::isnan(opacity)) opacity = 0;
    const double clamped = std::clamp(opacity, 0.0, 1.0);
    return QString::number(static_cast<long long>(clamped * 100)) + QLatin1Char('%');
}

QString durationText(double seconds)
{
    if (!std::isfinite(seconds)) seconds = std::isnan(seconds) ? 0 : std::copysign(1e9, seconds);
    return QString::asprintf("%.1f", seconds) + QLatin1Char('s');
}

const ContentKindInfo& contentKindInfo(HUDContentType type)
{
    static const ContentKindInfo kinds[] = {
        {HUDContentType::inputMethod, "keyboard", "输入法"},
        {HUDContentType::time, "clock", "时间"},
        {HUDContentType::battery, "battery.100", "电量"},
        {HUDContentType::typingCount, "keyboard.badge.ellipsis", "今日打字数量"},
        {HUDContentType::custom, "star", "自定义"},
    };
    return kinds[static_cast<size_t>(type)];
}

}  // namespace zorbel::hudEdits
