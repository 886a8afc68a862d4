#include "Settings/UnifiedTab.h"

#include "Settings/Themes/LiquidGlassPalette.h"

namespace zorbel {

const UnifiedTab& UnifiedTab::basic()
{
    static const UnifiedTab t{QStringLiteral("basic"), QStringLiteral("基础设置"), QStringLiteral("gear"),
                              LiquidGlassPalette::blue()};
    return t;
}
const UnifiedTab& UnifiedTab::style()
{
    static const UnifiedTab t{QStringLiteral("style"), QStringLiteral("样式设置"), QStringLiteral("paintbrush"),
                              LiquidGlassPalette::purple()};
    return t;
}
const UnifiedTab& UnifiedTab::inputMethodStyle()
{
    static const UnifiedTab t{QStringLiteral("inputMethodStyle"), QStringLiteral("输入法样式"),
                              QStringLiteral("keyboard"), LiquidGlassPalette::skyBlue()};
    return t;
}
const UnifiedTab& UnifiedTab::hud()
{
    static const UnifiedTab t{QStringLiteral("hud"), QStringLiteral("HUD设置"), QStringLiteral("bubble.left"),
                              LiquidGlassPalette::green()};
    return t;
}
const UnifiedTab& UnifiedTab::advanced()
{
    static const UnifiedTab t{QStringLiteral("advanced"), QStringLiteral("问题反馈"),
                              QStringLiteral("exclamationmark.bubble"), LiquidGlassPalette::orange()};
    return t;
}
const std::vector<UnifiedTab>& UnifiedTab::all()
{
    static const std::vector<UnifiedTab> tabs{basic(), style(), inputMethodStyle(), hud(), advanced()};
    return tabs;
}

namespace {
struct HeaderText {
    const char* id;
    const char* title;
    const char* description;
};
constexpr HeaderText kHeaders[] = {
    {"basic", "基础设置", "配置Brindot的基本功能和状态"},
    {"style", "样式设置", "自定义Brindot的外观和形状"},
    {"inputMethodStyle", "输入法样式", "为不同输入法设置不同的Brindot样式"},
    {"hud", "HUD设置", "配置抬头显示功能和样式"},
    {"advanced", "问题反馈", "高级功能和系统配置"},
};
const HeaderText* headerFor(const QString& id)
{
    for (const auto& h : kHeaders)
        if (id == QLatin1String(h.id)) return &h;
    return nullptr;
}
}  // namespace

QString tabTitle(const UnifiedTab& tab)
{
    const auto* h = headerFor(tab.id);
    return h ? QString::fromUtf8(h->title) : tab.title;
}

QString tabDescription(const UnifiedTab& tab)
{
    const auto* h = headerFor(tab.id);
    return h ? QString::fromUtf8(h->description) : QString();
}

}  // namespace zorbel
