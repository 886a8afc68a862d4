#pragma once

#include "Platform/Reactive/Published.h"
#include "Shell/UIStyle.h"

namespace zorbel {

// Keeps the settings window's theme under "UIStyle" in the standard settings
// and announces it with "uiStyleChanged" (object: the UIStyle). Every
// assignment of the current theme stores it, saves it, recomputes the
// constants and announces once, also when the theme is unchanged. A stored
// name that is not exactly one of the raw values is ignored (and left as it
// is); the theme is then frostedGlass.
class UIStyleManager {
public:
    static UIStyleManager& shared();
    UIStyleManager();
    UIStyleManager(const UIStyleManager&) = delete;
    UIStyleManager& operator=(const UIStyleManager&) = delete;

    static constexpr const char* styleKey = "UIStyle";
    static constexpr const char* uiStyleChangedNotification = "uiStyleChanged";

    UIStyle currentStyle() const { return currentStyle_.get(); }
    void setCurrentStyle(UIStyle style);
    rx::Publisher<UIStyle> currentStylePublisher() const { return currentStyle_.publisher(); }

    const UIStyleConfig& currentConfig() const { return currentConfig_.get(); }
    rx::Publisher<UIStyleConfig> currentConfigPublisher() const { return currentConfig_.publisher(); }

    void loadStyle();
    void saveStyle();
    void applyStyle();

private:
    rx::Published<UIStyle> currentStyle_{UIStyle::frostedGlass};
    rx::Published<UIStyleConfig> currentConfig_{UIStyleConfig::config(UIStyle::frostedGlass)};
};

}  // namespace zorbel
