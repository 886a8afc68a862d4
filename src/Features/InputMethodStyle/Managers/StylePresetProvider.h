#pragma once

#include "Caret/Styles/StylePreset.h"

#include <functional>
#include <optional>
#include <vector>

namespace zorbel {

// The numbered presets input sources are mapped to, the style each one gives,
// and a preset recommended for a new source by its language.
class StylePresetProvider {
public:
    static StylePresetProvider& shared();
    StylePresetProvider();

    const std::vector<StylePreset>& presets() const { return presets_; }

    // Preset 0 (with a printed line) for an index outside the list.
    std::optional<StylePreset> preset(int index) const;
    // The preset's style over the base, or over the style manager's current
    // style when no base is given.
    BrindotStyle style(int index, const std::optional<BrindotStyle>& baseStyle) const;
    // One of three presets of the source's language group, picked at random.
    int recommendedStyleIndex(const QString& inputSourceID, const QString& name) const;

    // Draws 0, 1 or 2; tests seed their own.
    using RandomPick = std::function<int(int count)>;
    void setRandomPick(RandomPick pick) { randomPick_ = std::move(pick); }

private:
    std::vector<StylePreset> presets_;
    RandomPick randomPick_;
};

}  // namespace zorbel
