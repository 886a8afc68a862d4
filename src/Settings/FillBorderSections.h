#pragma once

#include "Settings/StyleSectionBase.h"

class QLabel;
class QSlider;

namespace zorbel {

namespace ui {
class CheckboxToggle;
class ColorWell;
class SwitchToggle;
}  // namespace ui

BrindotColor brindotColor(const QColor& srgb);

// A colour row over a note that shows while input-method styling is on: the
// input method's preset then decides the colours, whatever the row holds.
QWidget* colourRowWithNote(QWidget* row);
// A colour well that writes one colour field of the style with every colour picked.
ui::ColorWell* styleColorWell(const QString& name, const QString& accessibleName, BrindotColor BrindotStyle::*field,
                              QObject* context);

class FillSection : public StyleSectionBase {
public:
    explicit FillSection(QWidget* parent = nullptr);

private:
    ui::CheckboxToggle* enabled_;
    QWidget* colorRow_;
    ui::ColorWell* color_;
};

class BorderSection : public StyleSectionBase {
public:
    explicit BorderSection(QWidget* parent = nullptr);

private:
    ui::CheckboxToggle* enabled_;
    QWidget* colorRow_;
    QWidget* widthRow_;
    ui::ColorWell* color_;
    QSlider* width_;
    QLabel* widthValue_;
};

// Whether the indicator flashes after it moves; kept by the basic settings
// store, not in the style.
class BlinkingSection : public SettingsSectionCard {
public:
    explicit BlinkingSection(QWidget* parent = nullptr);

private:
    ui::SwitchToggle* switch_;
    rx::Cancellable subscription_;
};

// The three ready-made styles, in button order; the liquid-glass page uses
// the same actions.
void applyPreset(int index);

class PresetSection : public SettingsSectionCard {
public:
    explicit PresetSection(QWidget* parent = nullptr);
};

}  // namespace zorbel
