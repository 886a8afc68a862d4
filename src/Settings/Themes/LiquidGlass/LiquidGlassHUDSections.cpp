// The liquid twins of the HUD and advanced pages. Every HUD control edits
// the manager's record through the same helpers as the plain HUD page.
#include "BrindotHUD/BrindotHUDManager.h"
#include "Caret/Managers/PermissionManager.h"
#include "Settings/Advanced/AdvancedSettingsContent.h"
#include "Settings/BasicSettingsContent.h"
#include "Settings/HUD/HUDChoiceButtons.h"
#include "Settings/HUD/HUDConfigEdits.h"
#include "Settings/HUD/HUDSectionBase.h"
#include "Settings/NumberText.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassSections.h"
#include "Settings/Widgets/ButtonStyles.h"
#include "Settings/Widgets/Controls.h"
#include "Settings/Widgets/SegmentedPicker.h"
#include "Settings/Widgets/SettingsText.h"
#include "Shell/BundleVersionProvider.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include <cmath>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace zorbel {

using hudEdits::editConfig;
using liquidSections::follow;

namespace {

auto configPublisher() { return BrindotHUDManager::shared().configPublisher(); }

QWidget* hudToggleSection()
{
    auto* s = new LiquidGlassSection(QStringLiteral("HUD控制"), false);
    auto* toggle = new ui::SwitchToggle(QStringLiteral("启用HUD显示"));
    toggle->setObjectName(QStringLiteral("liquidHudEnabled"));
    s->body()->addWidget(titledRow(QStringLiteral("启用HUD显示"), QStringLiteral("在屏幕上显示Brindot状态信息"), 6, toggle,
                                   ui::systemFont(12)));
    QObject::connect(toggle, &QAbstractButton::clicked, s,
                     [](bool on) { editConfig([on](BrindotHUDConfig& c) { c.isEnabled = on; }); });
    follow(s, configPublisher(), [toggle](const BrindotHUDConfig& c) {
        const QSignalBlocker quiet(toggle);
        toggle->setChecked(c.isEnabled);
    });
    return s;
}

QWidget* hudShapeSection()
{
    auto* s = new LiquidGlassSection(QStringLiteral("边框形状"), false);
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    std::vector<HUDShapeButton*> buttons;
    for (HUDShape shape : {HUDShape::oval, HUDShape::roundedRectangle}) {
        auto* b = new HUDShapeButton(shape);
        QObject::connect(b, &QAbstractButton::clicked, s,
                         [shape] { editConfig([shape](BrindotHUDConfig& c) { c.shape = shape; }); });
        buttons.push_back(b);
        row->addWidget(b);
    }
    row->addStretch(1);
    s->body()->addLayout(row);
    follow(s, configPublisher(), [buttons](const BrindotHUDConfig& c) {
        for (auto* b : buttons) b->setSelected(b->shape() == c.shape);
    });
    return s;
}

QWidget* hudDurationSection()
{
    auto* s = new LiquidGlassSection(QStringLiteral("显示时间"), false);
    QLabel* value = liquidSections::valueRow(s->body(), QStringLiteral("持续时间"));
    value->setObjectName(QStringLiteral("liquidHudDurationValue"));
    // Whole seconds, and 0 at the far left: the HUD that never hides by itself.
    QSlider* slider = ui::makeSlider(QStringLiteral("持续时间"), 0, 10, 260);
    slider->setToolTip(QStringLiteral("最左端 0秒：不自动隐藏"));
    slider->setObjectName(QStringLiteral("liquidHudDuration"));
    slider->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    s->body()->addWidget(slider);
    QObject::connect(slider, &QSlider::valueChanged, s,
                     [](int seconds) { editConfig([seconds](BrindotHUDConfig& c) { c.displayDuration = seconds; }); });
    follow(s, configPublisher(), [value, slider](const BrindotHUDConfig& c) {
        const QSignalBlocker quiet(slider);
        // Truncated like the label beside it, so 2.5 s shows 2 on both.
        slider->setValue(sliderPosition(std::trunc(c.displayDuration), 0, 10));
        value->setText(wholeNumberText(c.displayDuration) + QStringLiteral("秒"));
    });
    return s;
}

QWidget* hudContentSection()
{
    auto* s = new LiquidGlassSection(QStringLiteral("显示内容"), false);
    std::vector<std::pair<HUDContentType, ui::CheckboxToggle*>> toggles;
    const std::pair<HUDContentType, const char*> rows[] = {
        {HUDContentType::inputMethod, "输入法信息"}, {HUDContentType::time, "时间信息"}, {HUDContentType::battery, "电池信息"}};
    for (const auto& [type, label] : rows) {
        auto* toggle = new ui::CheckboxToggle(QString::fromUtf8(label));
        toggle->setObjectName(QStringLiteral("liquidHudContent.") + rawValue(type));
        const auto kind = type;
        QObject::connect(toggle, &ui::CheckboxToggle::toggledByUser, s,
                         [kind](bool on) { hudEdits::showContent(kind, on); });
        toggles.emplace_back(type, toggle);
        s->body()->addWidget(toggle, 0, Qt::AlignLeft);
    }
    follow(s, configPublisher(), [toggles](const BrindotHUDConfig& c) {
        for (const auto& [type, toggle] : toggles) toggle->setChecked(contains(c.contentTypes, type));
    });
    return s;
}

// Only three of the animation types are offered here.
constexpr std::array<AnimationType, 3> kOfferedAnimations{AnimationType::fade, AnimationType::slide,
                                                          AnimationType::scale};

QWidget* hudAnimationSection()
{
    auto* s = new LiquidGlassSection(QStringLiteral("动画设置"), false);
    QStringList names;
    for (AnimationType type : kOfferedAnimations) names << QStringLiteral("liquidHudAnimation.") + rawValue(type);
    auto* picker = new ui::SegmentedPicker({QStringLiteral("淡入淡出"), QStringLiteral("滑动"), QStringLiteral("缩放")}, names);
    picker->setObjectName(QStringLiteral("liquidHudAnimation"));
    for (int i = 0; i < int(kOfferedAnimations.size()); ++i) {
        const AnimationType type = kOfferedAnimations[size_t(i)];
        QObject::connect(picker->segment(i), &QAbstractButton::clicked, s,
                         [type] { editConfig([type](BrindotHUDConfig& c) { c.animationType = type; }); });
    }
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(ui::makeLabel(QStringLiteral("动画类型"), ui::systemFont(13), ui::primaryColor()));
    row->addWidget(picker);
    row->addStretch(1);
    s->body()->addLayout(row);
    follow(s, configPublisher(), [picker](const BrindotHUDConfig& c) {
        const auto* at = std::find(kOfferedAnimations.begin(), kOfferedAnimations.end(), c.animationType);
        picker->setSelectedIndex(at == kOfferedAnimations.end() ? -1 : int(at - kOfferedAnimations.begin()));
    });
    return s;
}

QWidget* permissionSection()
{
    auto* s = new LiquidGlassSection(QStringLiteral("权限管理"), false);
    auto* open = ui::makeButton(QStringLiteral("打开设置"), ui::ButtonKind::prominent, ui::ControlSize::small);
    open->setObjectName(QStringLiteral("liquidOpenSettings"));
    s->body()->addWidget(
        titledRow(QStringLiteral("辅助功能权限"), QStringLiteral("允许Brindot控制鼠标指针"), 4, open, ui::systemFont(12)));
    QLabel* failure = ui::makeLabel(PermissionSection::noSettingsText(false), ui::captionFont(), ui::systemRed());
    failure->setObjectName(QStringLiteral("liquidOpenSettingsFailure"));
    failure->setWordWrap(true);
    failure->hide();
    s->body()->addWidget(failure);
    QObject::connect(open, &QPushButton::clicked, s,
                     [failure] { failure->setVisible(!PermissionManager::shared().openAccessibilitySettings()); });
    return s;
}

QWidget* debugSection()
{
    auto* s = new LiquidGlassSection(QStringLiteral("调试选项"), false);
    auto* exportLogs = ui::makeButton(QStringLiteral("导出日志"), ui::ButtonKind::bordered, ui::ControlSize::small);
    exportLogs->setObjectName(QStringLiteral("liquidExportLogs"));
    auto* reset = ui::makeButton(QStringLiteral("重置设置"), ui::ButtonKind::bordered, ui::ControlSize::small);
    reset->setObjectName(QStringLiteral("liquidReset"));
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(exportLogs);
    row->addWidget(reset);
    row->addStretch(1);
    s->body()->addLayout(row);
    // The same export and the same confirmed reset as the plain pages.
    QObject::connect(exportLogs, &QPushButton::clicked, s, [] { DebugSection::runExportPanel(currentLogText()); });
    auto* confirmation = new QPointer<QMessageBox>;
    QObject::connect(s, &QObject::destroyed, [confirmation] { delete confirmation; });
    QObject::connect(reset, &QPushButton::clicked, s,
                     [s, confirmation] { ResetDefaultSection::askToConfirm(s, *confirmation); });
    return s;
}

QWidget* aboutSection()
{
    auto* s = new LiquidGlassSection(QStringLiteral("关于"), false);
    auto* product =
        ui::makeLabel(QStringLiteral("Zorbel ") + appVersionProvider().version(), ui::rowLabelFont(), ui::primaryColor());
    product->setObjectName(QStringLiteral("liquidProductLine"));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(product);
    texts->addWidget(ui::makeLabel(QStringLiteral("智能光标增强工具"), ui::systemFont(12), ui::secondaryColor()));
    s->body()->addLayout(texts);
    return s;
}

}  // namespace

QWidget* makeLiquidGlassHUDSettingsContent()
{
    return liquidSections::page(
        {hudToggleSection(), hudShapeSection(), hudDurationSection(), hudContentSection(), hudAnimationSection()});
}

QWidget* makeLiquidGlassAdvancedSettingsContent()
{
    return liquidSections::page({permissionSection(), debugSection(), aboutSection()});
}

}  // namespace zorbel
