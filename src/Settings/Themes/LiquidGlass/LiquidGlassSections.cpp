#include "Settings/Themes/LiquidGlass/LiquidGlassSections.h"

#include "Caret/Managers/BrindotManager.h"
#include "Caret/Styles/BrindotStyleManager.h"
#include "Caret/Styles/PerfectCaretStyle.h"
#include "Settings/BasicSettingsContent.h"
#include "Settings/FillBorderSections.h"
#include "Settings/MasterSwitch.h"
#include "Settings/NumberText.h"
#include "Settings/ShapeSizePositionSections.h"
#include "Settings/StyleSectionBase.h"
#include "Settings/Themes/LiquidGlass/GlassPainting.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassControlContainer.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassStyleLayout.h"
#include "Settings/Widgets/Controls.h"
#include "Settings/Widgets/SettingsText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

namespace zorbel {

LiquidGlassSection::LiquidGlassSection(const QString& title, bool tile, QWidget* parent)
    : QWidget(parent), tile_(tile)
{
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(12, 12, 12, 12);
    v->setSpacing(12);
    v->addWidget(ui::makeLabel(title, ui::headlineFont(), ui::primaryColor()));
    body_ = new QVBoxLayout;
    body_->setSpacing(8);
    v->addLayout(body_);
}

void LiquidGlassSection::paintEvent(QPaintEvent* event)
{
    if (!tile_) return;
    QPainter p(this);
    background_.draw(p, *this, event->region(), [](QPainter& ip, const QRectF& r) {
        glass::fillMaterial(ip, glass::roundedRect(r, 16), glass::Material::Regular, 0.3);
    });
}

namespace liquidSections {

QWidget* page(std::initializer_list<QWidget*> sections)
{
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(12);
    for (QWidget* s : sections) v->addWidget(new LiquidGlassControlContainer(s, liquidGlassTint()));
    return w;
}

QLabel* valueRow(QVBoxLayout* body, const QString& label)
{
    QLabel* value = ui::makeLabel(QString(), ui::rowLabelFont(), ui::primaryColor());
    body->addWidget(ui::spacedRow({ui::makeLabel(label, ui::rowLabelFont(), ui::secondaryColor())}, {value}));
    return value;
}

}  // namespace liquidSections

namespace {

using liquidSections::follow;
using liquidSections::page;
using liquidSections::valueRow;

// A slider over `steps` equal steps of `step`, writing one style field.
QSlider* styleSlider(const QString& name, QWidget* owner, int steps, double step, double BrindotStyle::*field)
{
    QSlider* slider = ui::makeSlider(name, 0, steps, 260);
    slider->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QObject::connect(slider, &QSlider::valueChanged, owner,
                     [field, step](int v) { editStyle([&](BrindotStyle& s) { s.*field = v * step; }); });
    return slider;
}

void showSlider(QSlider* slider, double value, double step)
{
    const QSignalBlocker quiet(slider);
    // Clamped first, as on the plain pages: a hand-edited 1e300 shows the maximum.
    slider->setValue(sliderPosition(value / step, slider->minimum(), slider->maximum()));
}

QWidget* toggleSection()
{
    auto* s = new LiquidGlassSection(QStringLiteral("主要控制"), true);
    auto* toggle = new ui::SwitchToggle(QStringLiteral("启用 Brindot"));
    toggle->setObjectName(QStringLiteral("liquidMasterSwitch"));
    s->body()->addWidget(ui::spacedRow({ToggleSection::toggleLabel()}, {toggle}));
    QObject::connect(toggle, &QAbstractButton::clicked, s, [](bool on) {
        masterSwitch::set(on);
        ToggleSection::postToggleChanged(on);
    });
    follow(s, masterSwitch::publisher(), [toggle](bool on) { toggle->setChecked(on); });
    return s;
}

QWidget* statusSection()
{
    auto* s = new LiquidGlassSection(QStringLiteral("当前状态"), true);
    auto* texts = new QWidget;
    auto* tv = new QVBoxLayout(texts);
    tv->setContentsMargins(0, 0, 0, 0);
    tv->setSpacing(4);
    tv->addWidget(ui::makeLabel(QStringLiteral("光标位置"), ui::rowLabelFont(), ui::primaryColor()));
    QLabel* position = ui::makeLabel(QString(), ui::captionFont(), ui::secondaryColor());
    position->setObjectName(QStringLiteral("liquidPosition"));
    tv->addWidget(position);
    auto* dot = new QLabel;
    QPixmap pm(8, 8);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(ui::systemGreen());
        p.drawEllipse(QRectF(0, 0, 8, 8));
    }
    dot->setPixmap(pm);
    s->body()->addWidget(ui::spacedRow({texts}, {dot}));
    follow(s, BrindotManager::shared().currentPositionPublisher(), [position](const QPointF& at) {
        position->setText(QStringLiteral("X: %1, Y: %2").arg(wholeNumberText(at.x()), wholeNumberText(at.y())));
    });
    return s;
}

QWidget* instructionsSection()
{
    auto* s = new LiquidGlassSection(QStringLiteral("使用说明"), true);
    for (const char* line : {"1. 启用Brindot后，光标周围会显示Brindot指示器", "2. 可以通过样式设置自定义Brindot的外观",
                             "3. HUD设置可以配置气泡提示的显示方式"}) {
        QLabel* label = ui::makeLabel(QString::fromUtf8(line), ui::captionFont(), ui::secondaryColor());
        label->setWordWrap(true);
        s->body()->addWidget(label);
    }
    return s;
}

QWidget* shapeSection()
{
    auto* s = new LiquidGlassSection(QStringLiteral("形状选择"), false);
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    std::vector<ShapeButton*> buttons;
    for (BrindotShape shape : {BrindotShape::circle, BrindotShape::triangle, BrindotShape::rectangle}) {
        auto* b = new ShapeButton(shape);
        QObject::connect(b, &QAbstractButton::clicked, s,
                         [shape]() { editStyle([shape](BrindotStyle& st) { st.shape = shape; }); });
        buttons.push_back(b);
        row->addWidget(b);
    }
    row->addStretch(1);
    s->body()->addLayout(row);
    follow(s, BrindotStyleManager::shared().currentStylePublisher(), [buttons](const BrindotStyle& st) {
        for (auto* b : buttons) b->setSelected(b->shape() == st.shape);
    });
    return s;
}

QWidget* sizeSection()
{
    auto* s = new LiquidGlassSection(QStringLiteral("尺寸设置"), false);
    QLabel* value = valueRow(s->body(), QStringLiteral("大小"));
    QSlider* slider = styleSlider(QStringLiteral("大小"), s, 32, 1.0, &BrindotStyle::size);
    slider->setObjectName(QStringLiteral("liquidSize"));
    s->body()->addWidget(slider);
    follow(s, BrindotStyleManager::shared().currentStylePublisher(), [value, slider](const BrindotStyle& st) {
        value->setText(wholeNumberText(st.size));
        showSlider(slider, st.size, 1.0);
    });
    return s;
}

QWidget* fillSection()
{
    auto* s = new LiquidGlassSection(QStringLiteral("填充设置"), false);
    ui::ColorWell* well = styleColorWell(QStringLiteral("liquidFillColor"), QStringLiteral("填充颜色"), &BrindotStyle::fillColor, s);
    s->body()->addWidget(colourRowWithNote(
        ui::spacedRow({ui::makeLabel(QStringLiteral("填充颜色"), ui::systemFont(13), ui::primaryColor())}, {well})));
    auto* enabled = new ui::CheckboxToggle(QStringLiteral("启用填充"));
    enabled->setObjectName(QStringLiteral("liquidFillEnabled"));
    QObject::connect(enabled, &ui::CheckboxToggle::toggledByUser, s,
                     [](bool on) { editStyle([on](BrindotStyle& st) { st.fillEnabled = on; }); });
    s->body()->addWidget(enabled);
    follow(s, BrindotStyleManager::shared().currentStylePublisher(), [well, enabled](const BrindotStyle& st) {
        well->setColor(platformColor(st.fillColor));
        enabled->setChecked(st.fillEnabled);
    });
    return s;
}

QWidget* borderSection()
{
    auto* s = new LiquidGlassSection(QStringLiteral("边框设置"), false);
    ui::ColorWell* well = styleColorWell(QStringLiteral("liquidBorderColor"), QStringLiteral("边框颜色"), &BrindotStyle::borderColor, s);
    s->body()->addWidget(colourRowWithNote(
        ui::spacedRow({ui::makeLabel(QStringLiteral("边框颜色"), ui::systemFont(13), ui::primaryColor())}, {well})));
    QLabel* value = valueRow(s->body(), QStringLiteral("边框宽度"));
    QSlider* slider = styleSlider(QStringLiteral("边框宽度"), s, 16, 0.5, &BrindotStyle::borderWidth);
    slider->setObjectName(QStringLiteral("liquidBorderWidth"));
    s->body()->addWidget(slider);
    follow(s, BrindotStyleManager::shared().currentStylePublisher(), [well, value, slider](const BrindotStyle& st) {
        well->setColor(platformColor(st.borderColor));
        value->setText(wholeNumberText(st.borderWidth));
        showSlider(slider, st.borderWidth, 0.5);
    });
    return s;
}

QWidget* presetSection()
{
    auto* s = new LiquidGlassSection(QStringLiteral("预设样式"), false);
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    int index = 0;
    for (const char* name : {"经典黑色", "蓝色圆形", "红色三角形"}) {
        auto* b = new QPushButton(QString::fromUtf8(name));
        b->setObjectName(QStringLiteral("liquidPreset.%1").arg(index));
        QObject::connect(b, &QPushButton::clicked, s, [index]() { applyPreset(index); });
        row->addWidget(b);
        ++index;
    }
    s->body()->addLayout(row);
    return s;
}

}  // namespace

QWidget* makeLiquidGlassBasicSettingsContent()
{
    return page({toggleSection(), statusSection(), instructionsSection()});
}

QWidget* makeLiquidGlassStyleSettingsContent()
{
    return page({shapeSection(), sizeSection(), fillSection(), borderSection(), presetSection()});
}

}  // namespace zorbel
