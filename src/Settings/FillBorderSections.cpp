#include "Settings/FillBorderSections.h"

#include "Caret/Core/ConfigManager.h"
#include "Caret/Styles/BrindotStyleManager.h"
#include "Caret/Styles/PerfectCaretStyle.h"
#include "Caret/Styles/StylePreset.h"
#include "Features/InputMethodStyle/Managers/InputMethodStyleMapper.h"
#include "Features/InputMethodStyle/Views/InputMethodStyleSettingsView.h"
#include "Settings/NumberText.h"
#include "Settings/Widgets/Controls.h"
#include "Settings/Widgets/SettingsText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace zorbel {

BrindotColor brindotColor(const QColor& srgb)
{
    float r = 0, g = 0, b = 0, a = 0;
    srgb.getRgbF(&r, &g, &b, &a);
    return {r, g, b, a};
}

namespace {
QLabel* rowLabel(const QString& text) { return ui::makeLabel(text, ui::rowLabelFont(), ui::primaryColor()); }

class InputMethodColoursNote : public QLabel {
public:
    // Made with its parent: showing a parentless label would open a window.
    explicit InputMethodColoursNote(QWidget* parent) : QLabel(parent)
    {
        setObjectName(QStringLiteral("inputMethodColoursNote"));
        setText(inputMethodStylingStatus(true));
        setFont(ui::captionFont());
        ui::setLabelColor(this, ui::systemGreen());
        setWordWrap(true);
        subscription_ = InputMethodStyleMapper::shared().configPublisher().sink(
            [this](const InputMethodStyleConfig& c) { setVisible(c.enabled); });
    }

private:
    rx::Cancellable subscription_;
};

}  // namespace

QWidget* colourRowWithNote(QWidget* row)
{
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(4);
    v->addWidget(row);
    v->addWidget(new InputMethodColoursNote(w));
    return w;
}

ui::ColorWell* styleColorWell(const QString& name, const QString& accessibleName, BrindotColor BrindotStyle::*field,
                              QObject* context)
{
    auto* well = new ui::ColorWell(accessibleName);
    well->setObjectName(name);
    QObject::connect(well, &ui::ColorWell::colorPicked, context, [field](const QColor& c) {
        editStyle([field, c](BrindotStyle& s) { s.*field = brindotColor(c); });
    });
    return well;
}

FillSection::FillSection(QWidget* parent) : StyleSectionBase(QStringLiteral("填充设置"), parent)
{
    enabled_ = new ui::CheckboxToggle(QStringLiteral("启用填充"), this);
    enabled_->setObjectName(QStringLiteral("fillEnabled"));
    color_ = styleColorWell(QStringLiteral("fillColor"), QStringLiteral("填充颜色"), &BrindotStyle::fillColor, this);
    colorRow_ = colourRowWithNote(ui::spacedRow({rowLabel(QStringLiteral("填充颜色"))}, {color_}));
    auto* rows = new QVBoxLayout;
    rows->setSpacing(8);
    rows->addWidget(ui::spacedRow({enabled_}, {}));
    rows->addWidget(colorRow_);
    body()->addLayout(rows);
    connect(enabled_, &ui::CheckboxToggle::toggledByUser, this,
            [](bool on) { editStyle([on](BrindotStyle& s) { s.fillEnabled = on; }); });
    followStyle([this](const BrindotStyle& s) {
        enabled_->setChecked(s.fillEnabled);
        colorRow_->setVisible(s.fillEnabled);
        color_->setColor(platformColor(s.fillColor));
    });
}

BorderSection::BorderSection(QWidget* parent) : StyleSectionBase(QStringLiteral("边框设置"), parent)
{
    enabled_ = new ui::CheckboxToggle(QStringLiteral("启用边框"), this);
    enabled_->setObjectName(QStringLiteral("borderEnabled"));
    color_ = styleColorWell(QStringLiteral("borderColor"), QStringLiteral("边框颜色"), &BrindotStyle::borderColor, this);
    colorRow_ = colourRowWithNote(ui::spacedRow({rowLabel(QStringLiteral("边框颜色"))}, {color_}));
    width_ = ui::makeSlider(QStringLiteral("边框宽度"), 1, 5, 80);
    width_->setObjectName(QStringLiteral("borderWidthSlider"));
    widthValue_ = ui::makeLabel({}, ui::captionFont(), ui::secondaryColor());
    widthValue_->setObjectName(QStringLiteral("borderWidthValue"));
    widthValue_->setFixedWidth(20);
    widthValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    widthRow_ = ui::spacedRow({rowLabel(QStringLiteral("边框宽度"))}, {width_, widthValue_});
    auto* rows = new QVBoxLayout;
    rows->setSpacing(8);
    rows->addWidget(ui::spacedRow({enabled_}, {}));
    rows->addWidget(colorRow_);
    rows->addWidget(widthRow_);
    body()->addLayout(rows);
    connect(enabled_, &ui::CheckboxToggle::toggledByUser, this,
            [](bool on) { editStyle([on](BrindotStyle& s) { s.borderEnabled = on; }); });
    connect(width_, &QSlider::valueChanged, this,
            [](int w) { editStyle([w](BrindotStyle& s) { s.borderWidth = w; }); });
    followStyle([this](const BrindotStyle& s) {
        enabled_->setChecked(s.borderEnabled);
        colorRow_->setVisible(s.borderEnabled);
        widthRow_->setVisible(s.borderEnabled);
        color_->setColor(platformColor(s.borderColor));
        showSliderValue(width_, s.borderWidth);
        widthValue_->setText(wholeNumberText(s.borderWidth));
    });
}

BlinkingSection::BlinkingSection(QWidget* parent) : SettingsSectionCard(QStringLiteral("闪烁控制"), parent)
{
    auto* texts = new QWidget;
    auto* v = new QVBoxLayout(texts);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(6);
    v->addWidget(rowLabel(QStringLiteral("启用闪烁效果")));
    auto* hint = ui::makeLabel(QStringLiteral("开启后brindot会在位置变化时闪烁，关闭可提高性能"), ui::captionFont(),
                               ui::secondaryColor());
    hint->setWordWrap(true);
    v->addWidget(hint);
    switch_ = new ui::SwitchToggle(QStringLiteral("启用闪烁效果"), this);
    switch_->setObjectName(QStringLiteral("blinkingSwitch"));
    switch_->setScale(1.1);
    auto* row = new QHBoxLayout;
    row->addWidget(texts, 1);
    row->addWidget(switch_);
    body()->addLayout(row);
    connect(switch_, &QAbstractButton::clicked, this,
            [](bool on) { ConfigManager::shared().setEnableBlinking(on); });
    subscription_ = ConfigManager::shared().enableBlinkingPublisher().sink([this](bool on) {
        const QSignalBlocker block(switch_);
        switch_->setChecked(on);
    });
}

void applyPreset(int index)
{
    const auto presets = PresetStyle::wholeStyles();
    BrindotStyleManager::shared().applyPresetStyle(presets.at(static_cast<size_t>(index)));
}

PresetSection::PresetSection(QWidget* parent) : SettingsSectionCard(QStringLiteral("预设样式"), parent)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    const auto presets = PresetStyle::wholeStyles();
    for (int i = 0; i < static_cast<int>(presets.size()); ++i) {
        auto* button = new QPushButton(presets[static_cast<size_t>(i)].name, this);
        button->setObjectName(QStringLiteral("preset.%1").arg(i));
        button->setFont(ui::systemFont(12));
        button->setCursor(Qt::PointingHandCursor);
        connect(button, &QPushButton::clicked, this, [i] { applyPreset(i); });
        row->addWidget(button);
    }
    row->addStretch(1);
    body()->addLayout(row);
}

}  // namespace zorbel
