#pragma once

#include "Caret/Styles/BrindotStyle.h"
#include "Platform/Reactive/Cancellable.h"
#include "Settings/SettingsSectionCard.h"

#include <functional>

class QSlider;

namespace zorbel {

// Every style edit is the user's own: it changes one field of the user's
// style and of the current style, and assigns the whole current style back:
// one store and one announcement.
void editStyle(const std::function<void(BrindotStyle&)>& change);

// A section card that follows the indicator style: `sync` runs with every
// style the manager publishes (also the current one at once) and must only
// show it — controls it touches do not report back.
class StyleSectionBase : public SettingsSectionCard {
public:
    using SettingsSectionCard::SettingsSectionCard;

protected:
    // Call at the end of the derived constructor.
    void followStyle(std::function<void(const BrindotStyle&)> sync);
    // Moves a slider without letting it report (QSlider emits on clamping).
    static void showSliderValue(QSlider* slider, double value);

private:
    rx::Cancellable subscription_;
};

}  // namespace zorbel
