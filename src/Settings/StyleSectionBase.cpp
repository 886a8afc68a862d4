#include "Settings/StyleSectionBase.h"

#include "Caret/Styles/BrindotStyleManager.h"
#include "Settings/NumberText.h"

#include <QSignalBlocker>
#include <QSlider>

namespace zorbel {

void editStyle(const std::function<void(BrindotStyle&)>& change)
{
    BrindotStyleManager::shared().editUserStyle(change);
}

void StyleSectionBase::followStyle(std::function<void(const BrindotStyle&)> sync)
{
    // Subscribers hear an assignment before it is stored: show the value
    // delivered, never re-read the manager here.
    subscription_ = BrindotStyleManager::shared().currentStylePublisher().sink(std::move(sync));
}

void StyleSectionBase::showSliderValue(QSlider* slider, double value)
{
    const QSignalBlocker block(slider);
    slider->setValue(sliderPosition(value, slider->minimum(), slider->maximum()));
}

}  // namespace zorbel
