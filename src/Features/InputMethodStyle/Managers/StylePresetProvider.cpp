#include "Features/InputMethodStyle/Managers/StylePresetProvider.h"

#include "Caret/Styles/BrindotStyleManager.h"
#include "Platform/Console.h"
#include "Platform/Services.h"

#include <QRandomGenerator>

#include <array>

namespace zorbel {

StylePresetProvider& StylePresetProvider::shared() { return sharedInstance<StylePresetProvider>(); }

StylePresetProvider::StylePresetProvider()
    : presets_(StylePreset::builtInPresets()),
      randomPick_([](int count) { return static_cast<int>(QRandomGenerator::global()->bounded(count)); })
{
    print(QStringLiteral("[StylePresetProvider] Initialized with ") + QString::number(presets_.size()) +
          QStringLiteral(" presets"));
}

std::optional<StylePreset> StylePresetProvider::preset(int index) const
{
    if (index >= 0 && index < static_cast<int>(presets_.size())) return presets_[static_cast<std::size_t>(index)];
    print(QStringLiteral("[StylePresetProvider] Invalid preset index: ") + QString::number(index) +
          QStringLiteral(", using default (0)"));
    if (presets_.empty()) return std::nullopt;
    return presets_.front();
}

BrindotStyle StylePresetProvider::style(int index, const std::optional<BrindotStyle>& baseStyle) const
{
    const auto p = preset(index);
    const BrindotStyle base = baseStyle ? *baseStyle : BrindotStyleManager::shared().currentStyle();
    if (p) return p->makeStyle(base);
    print(QStringLiteral("[StylePresetProvider] Using base style for invalid index: ") + QString::number(index));
    return base;
}

namespace {
struct LanguageGroup {
    std::vector<const char16_t*> nameKeywords;
    std::vector<const char16_t*> idKeywords;
    std::array<int, 3> presets;
};

const std::vector<LanguageGroup>& languageGroups()
{
    static const std::vector<LanguageGroup> groups{
        {{u"中文", u"拼音", u"五笔", u"chinese"}, {u"scim", u"pinyin"}, {1, 5, 3}},
        {{u"英文", u"english", u"abc"}, {u"abc"}, {0, 6, 8}},
        {{u"日", u"japanese"}, {u"japanese", u"hiragana"}, {4, 7, 12}},
        {{u"韩", u"korean"}, {u"korean"}, {11, 12, 7}},
        {{u"繁体", u"注音", u"traditional"}, {u"tcim"}, {2, 10, 5}},
    };
    return groups;
}

bool containsAny(const QString& text, const std::vector<const char16_t*>& keywords)
{
    for (const char16_t* k : keywords)
        if (text.contains(QString::fromUtf16(k))) return true;
    return false;
}
}  // namespace

int StylePresetProvider::recommendedStyleIndex(const QString& inputSourceID, const QString& name) const
{
    const QString lowerName = name.toLower();
    const QString lowerID = inputSourceID.toLower();
    static constexpr std::array<int, 3> others{14, 13, 9};
    std::array<int, 3> table = others;
    for (const LanguageGroup& g : languageGroups()) {
        if (containsAny(lowerName, g.nameKeywords) || containsAny(lowerID, g.idKeywords)) {
            table = g.presets;
            break;
        }
    }
    return table[static_cast<std::size_t>(randomPick_(3))];
}

}  // namespace zorbel
