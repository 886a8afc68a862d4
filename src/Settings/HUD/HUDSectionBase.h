#pragma once

#include "BrindotHUD/BrindotHUDConfig.h"
#include "Platform/Reactive/Cancellable.h"
#include "Settings/SettingsSectionCard.h"

#include <functional>

class QSlider;

namespace zorbel {

// A section card that follows the HUD settings: `sync` runs with every
// record the manager publishes (the current one at once) and only shows it;
// controls it touches do not report back, so showing a page writes nothing.
class HUDSectionBase : public SettingsSectionCard {
public:
    using SettingsSectionCard::SettingsSectionCard;

protected:
    // Call at the end of the derived constructor.
    void followConfig(std::function<void(const BrindotHUDConfig&)> sync);

private:
    rx::Cancellable subscription_;
};

// A row of a title over its explanation, a flexible gap and a control.
QWidget* titledRow(const QString& title, const QString& description, int textSpacing, QWidget* control);
QWidget* titledRow(const QString& title, const QString& description, int textSpacing, QWidget* control,
                   const QFont& descriptionFont);

}  // namespace zorbel
