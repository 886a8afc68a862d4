#pragma once

#include <QWidget>

namespace zorbel {

// The "hud" page: every HUD setting, each section editing the stored record
// through the HUD manager.
class HUDSettingsContent : public QWidget {
public:
    explicit HUDSettingsContent(QWidget* parent = nullptr);
};

}  // namespace zorbel
