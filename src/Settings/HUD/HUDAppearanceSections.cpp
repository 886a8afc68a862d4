#include "Settings/HUD/HUDAppearanceSections.h"

#include "BrindotHUD/CustomBackground.h"
#include "Platform/Console.h"
#include "Settings/HUD/HUDConfigEdits.h"
#include "Settings/NumberText.h"
#include "Settings/Widgets/ButtonStyles.h"
#include "Settings/Widgets/Controls.h"
#include "Settings/Widgets/Panels.h"
#include "Settings/Widgets/SettingsText.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace zorbel {

using hudEdits::editConfig;

namespace {
QHBoxLayout* choiceRow(int spacing)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(spacing);
    return row;
}
}  // namespace

HUDToggleSection::HUDToggleSection(QWidget* parent) : HUDSectionBase(QStringLiteral("HUD控制"), parent)
{
    setObjectName(QStringLiteral("HUDToggleSection"));
    enabled_ = new ui::SwitchToggle(QStringLiteral("启用 HUD"));
    enabled_->setObjectName(QStringLiteral("hudEnabledSwitch"));
    enabled_->setScale(1.1);
    hideWhileTyping_ = new ui::SwitchToggle(QStringLiteral("打字时自动隐藏"));
    hideWhileTyping_->setObjectName(QStringLiteral("hideWhileTypingSwitch"));
    hideWhileTyping_->setScale(1.1);
    body()->addWidget(titledRow(QStringLiteral("启用 HUD"), QStringLiteral("显示抬头信息，如输入法、时间等"), 6, enabled_));
    secondRow_ = new QWidget;
    auto* second = new QVBoxLayout(secondRow_);
    second->setContentsMargins(0, 4, 0, 0);
    second->setSpacing(8);
    second->addWidget(ui::makeDivider());
    second->addWidget(titledRow(QStringLiteral("打字时自动隐藏"),
                                QStringLiteral("输入文字时自动隐藏HUD，避免遮挡内容"), 4, hideWhileTyping_));
    body()->addWidget(secondRow_);
    connect(enabled_, &QAbstractButton::clicked, this, [](bool on) {
        editConfig([on](BrindotHUDConfig& c) { c.isEnabled = on; });
    });
    connect(hideWhileTyping_, &QAbstractButton::clicked, this, [](bool on) {
        editConfig([on](BrindotHUDConfig& c) { c.hideWhileTyping = on; });
    });
    followConfig([this](const BrindotHUDConfig& c) {
        const QSignalBlocker a(enabled_), b(hideWhileTyping_);
        enabled_->setChecked(c.isEnabled);
        hideWhileTyping_->setChecked(c.hideWhileTyping);
        secondRow_->setVisible(c.isEnabled);
    });
}

namespace {
struct StyleLook {
    HUDStyle style;
    const char* label;
    QColor swatch;
};
std::vector<StyleLook> styleLooks()
{
    return {{HUDStyle::system, "系统风格", ui::systemBlue()},
            {HUDStyle::frostedGlass, "磨砂玻璃", QColor(255, 255, 255, 204)},
            {HUDStyle::liquidGlass, "液态玻璃", QColor(50, 173, 230, 153)},
            {HUDStyle::custom, "自定义背景", QColor(175, 82, 222)}};
}
}  // namespace

HUDStyleSection::HUDStyleSection(QWidget* parent) : HUDSectionBase(QStringLiteral("HUD样式"), parent)
{
    setObjectName(QStringLiteral("HUDStyleSection"));
    auto* row = choiceRow(12);
    for (const auto& look : styleLooks()) {
        const QColor swatch = look.swatch;
        auto* button = new ChoiceButton(QString::fromUtf8(look.label), QSize(24, 24),
                                        [swatch](QPainter& p, const QRectF& r, const QColor&) {
                                            p.setPen(QPen(ui::withAlpha(ui::primaryColor(), 0.12), 0.5));
                                            p.setBrush(swatch);
                                            p.drawEllipse(r.adjusted(0.5, 0.5, -0.5, -0.5));
                                        });
        button->setObjectName(QStringLiteral("hudStyle.") + rawValue(look.style));
        const auto style = look.style;
        connect(button, &QAbstractButton::clicked, this,
                [style] { editConfig([style](BrindotHUDConfig& c) { c.style = style; }); });
        buttons_.push_back(button);
        row->addWidget(button);
    }
    row->addStretch(1);
    body()->addLayout(row);
    followConfig([this](const BrindotHUDConfig& c) {
        for (size_t i = 0; i < buttons_.size(); ++i)
            buttons_[i]->setSelected(static_cast<size_t>(c.style) == i);
    });
}

namespace {
// A light or dark swatch of the panel over the scheme's name.
class SchemeButton : public ui::SelectableButton {
public:
    explicit SchemeButton(HUDColorScheme scheme) : scheme_(scheme)
    {
        setObjectName(QStringLiteral("hudScheme.") + rawValue(scheme));
        setText(scheme == HUDColorScheme::light ? QStringLiteral("浅色") : QStringLiteral("深色"));
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override { return {14 + 110 + 14, 14 + 65 + 10 + 18 + 14}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF frame = QRectF(rect()).adjusted(1, 1, -1, -1);
        p.setBrush(isSelected() ? ui::withAlpha(ui::systemBlue(), 0.08) : Qt::transparent);
        p.setPen(isSelected() ? QPen(ui::systemBlue(), 2) : Qt::NoPen);
        p.drawRoundedRect(frame, 10, 10);
        const bool light = scheme_ == HUDColorScheme::light;
        const QRectF swatch(14, 14, 110, 65);
        p.setPen(QPen(ui::withAlpha(ui::primaryColor(), 0.1), 0.5));
        p.setBrush(light ? QColor(255, 255, 255, 230) : QColor(0, 0, 0, 191));
        p.drawRoundedRect(swatch, 8, 8);
        p.setPen(light ? Qt::black : Qt::white);
        p.setFont(ui::systemFont(28, QFont::Medium));
        p.drawText(QRectF(swatch.left(), swatch.top() + 6, swatch.width(), 34), Qt::AlignCenter, QStringLiteral("Aa"));
        p.setPen(light ? QColor(0, 0, 0, 128) : QColor(255, 255, 255, 153));
        p.setFont(ui::systemFont(11));
        p.drawText(QRectF(swatch.left(), swatch.top() + 42, swatch.width(), 16), Qt::AlignCenter, QStringLiteral("HUD"));
        p.setPen(isSelected() ? ui::systemBlue() : ui::primaryColor());
        p.setFont(ui::rowLabelFont());
        p.drawText(QRectF(0, swatch.bottom() + 10, width(), 18), Qt::AlignCenter, text());
    }

private:
    HUDColorScheme scheme_;
};
}  // namespace

HUDColorSchemeSection::HUDColorSchemeSection(QWidget* parent) : HUDSectionBase(QStringLiteral("颜色方案"), parent)
{
    setObjectName(QStringLiteral("HUDColorSchemeSection"));
    auto* row = choiceRow(16);
    for (auto scheme : {HUDColorScheme::light, HUDColorScheme::dark}) {
        auto* button = new SchemeButton(scheme);
        connect(button, &QAbstractButton::clicked, this,
                [scheme] { editConfig([scheme](BrindotHUDConfig& c) { c.colorScheme = scheme; }); });
        buttons_.push_back(button);
        row->addWidget(button);
    }
    row->addStretch(1);
    body()->addLayout(row);
    description_ = ui::makeLabel({}, ui::captionFont(), ui::secondaryColor());
    description_->setObjectName(QStringLiteral("hudSchemeDescription"));
    body()->addWidget(description_);
    followConfig([this](const BrindotHUDConfig& c) {
        for (size_t i = 0; i < buttons_.size(); ++i)
            static_cast<SchemeButton*>(buttons_[i])->setSelected(static_cast<size_t>(c.colorScheme) == i);
        description_->setText(c.colorScheme == HUDColorScheme::light
                                  ? QStringLiteral("浅色方案：白色背景 + 黑色文字，适合浅色界面环境")
                                  : QStringLiteral("深色方案：黑色背景 + 白色文字，适合深色界面环境"));
    });
}

HUDOpacitySection::HUDOpacitySection(QWidget* parent) : HUDSectionBase(QStringLiteral("透明度设置"), parent)
{
    setObjectName(QStringLiteral("HUDOpacitySection"));
    value_ = ui::makeLabel({}, ui::captionFont(), ui::secondaryColor());
    value_->setObjectName(QStringLiteral("hudOpacityValue"));
    body()->addWidget(
        ui::spacedRow({ui::makeLabel(QStringLiteral("整体透明度"), ui::subheadlineFont(), ui::primaryColor())}, {value_}));
    // Twenty steps of 0.05.
    slider_ = ui::makeSlider(QStringLiteral("整体透明度"), 0, 20, 100, this);
    slider_->setObjectName(QStringLiteral("hudOpacitySlider"));
    slider_->setMinimumWidth(0);
    slider_->setMaximumWidth(QWIDGETSIZE_MAX);
    body()->addWidget(slider_);
    body()->addWidget(ui::spacedRow({ui::makeLabel(QStringLiteral("0%"), ui::caption2Font(), ui::secondaryColor())},
                                    {ui::makeLabel(QStringLiteral("100%"), ui::caption2Font(), ui::secondaryColor())}));
    connect(slider_, &QSlider::valueChanged, this,
            [](int step) { editConfig([step](BrindotHUDConfig& c) { c.opacity = step * 0.05; }); });
    followConfig([this](const BrindotHUDConfig& c) {
        const QSignalBlocker block(slider_);
        slider_->setValue(sliderPosition(c.opacity * 20, 0, 20));
        value_->setText(hudEdits::opacityPercentText(c.opacity));
    });
}

HUDCustomBackgroundSection::HUDCustomBackgroundSection(QWidget* parent)
    : HUDSectionBase(QStringLiteral("自定义背景"), parent)
{
    setObjectName(QStringLiteral("HUDCustomBackgroundSection"));
    controls_ = new QWidget;
    auto* v = new QVBoxLayout(controls_);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(8);
    fileName_ = ui::makeLabel({}, ui::captionFont(), ui::secondaryColor());
    fileName_->setObjectName(QStringLiteral("hudBackgroundFileName"));
    v->addWidget(ui::spacedRow({ui::makeLabel(QStringLiteral("背景文件"), ui::subheadlineFont(), ui::primaryColor())},
                               {fileName_}));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    auto* choose = ui::makeButton(QStringLiteral("选择文件"), ui::ButtonKind::bordered);
    choose->setObjectName(QStringLiteral("hudChooseBackground"));
    clear_ = ui::makeButton(QStringLiteral("清除"), ui::ButtonKind::bordered);
    clear_->setObjectName(QStringLiteral("hudClearBackground"));
    QPalette red = clear_->palette();
    red.setColor(QPalette::ButtonText, ui::systemRed());
    clear_->setPalette(red);
    buttons->addWidget(choose);
    buttons->addWidget(clear_);
    buttons->addStretch(1);
    v->addLayout(buttons);
    problem_ = ui::makeLabel({}, ui::captionFont(), ui::systemRed());
    problem_->setObjectName(QStringLiteral("hudBackgroundProblem"));
    problem_->setWordWrap(true);
    problem_->hide();
    v->addWidget(problem_);
    v->addWidget(ui::makeLabel(QStringLiteral("支持图片和GIF文件，尺寸将自动适应HUD大小"), ui::caption2Font(),
                               ui::secondaryColor()));
    body()->addWidget(controls_);
    hint_ = ui::makeLabel(QStringLiteral("选择\"自定义背景\"样式后，可在此配置背景文件"), ui::captionFont(),
                          ui::secondaryColor());
    body()->addWidget(hint_);
    connect(choose, &QPushButton::clicked, this, [this] { pickFile(); });
    connect(clear_, &QPushButton::clicked, this, [this] {
        problem_->hide();
        editConfig([](BrindotHUDConfig& c) { c.customBackgroundPath.reset(); });
    });
    followConfig([this](const BrindotHUDConfig& c) {
        const bool custom = c.style == HUDStyle::custom;
        controls_->setVisible(custom);
        hint_->setVisible(!custom);
        const bool hasPath = c.customBackgroundPath.has_value();
        clear_->setVisible(hasPath);
        fileName_->setVisible(hasPath);
        if (!hasPath) return;
        const QFileInfo file(*c.customBackgroundPath);
        if (file.exists()) {
            fileName_->setText(file.fileName());
            ui::setLabelColor(fileName_, ui::secondaryColor());
        } else {
            fileName_->setText(file.fileName() + QStringLiteral("（文件已不存在）"));
            ui::setLabelColor(fileName_, ui::systemRed());
        }
    });
}

void HUDCustomBackgroundSection::pickFile()
{
    if (picker_) {
        picker_->raise();
        return;
    }
    auto* dialog = new QFileDialog(window(), QStringLiteral("选择背景文件"));
    dialog->setObjectName(QStringLiteral("hudBackgroundPicker"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(QStringLiteral("图片和GIF (*.png *.jpg *.jpeg *.gif *.bmp *.webp *.tif *.tiff)"));
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) {
        if (path.isEmpty()) return;
        if (auto refused = useFile(path)) print(QStringLiteral("文件选择失败: ") + *refused);
    });
    picker_ = dialog;
    dialog->open();
}

std::optional<QString> HUDCustomBackgroundSection::useFile(const QString& path)
{
    PictureFile file(path);
    QImageReader& reader = file.reader();
    std::optional<QString> refused;
    if (!file.problem().isEmpty() || !reader.canRead())
        refused = QStringLiteral("“%1”不是可以显示的图片或GIF文件").arg(QFileInfo(path).fileName());
    else if (const QSize size = reader.size();
             size.isValid() && qint64(size.width()) * size.height() > CustomBackground::maxPixels)
        refused = QStringLiteral("“%1”太大（%2×%3 像素），请选择较小的图片")
                      .arg(QFileInfo(path).fileName())
                      .arg(size.width())
                      .arg(size.height());
    problem_->setText(refused.value_or(QString()));
    problem_->setVisible(refused.has_value());
    if (!refused) editConfig([path](BrindotHUDConfig& c) { c.customBackgroundPath = path; });
    return refused;
}

HUDShapeSection::HUDShapeSection(QWidget* parent) : HUDSectionBase(QStringLiteral("边框形状"), parent)
{
    setObjectName(QStringLiteral("HUDShapeSection"));
    auto* row = choiceRow(12);
    for (auto shape : {HUDShape::oval, HUDShape::roundedRectangle}) {
        auto* button = new HUDShapeButton(shape);
        connect(button, &QAbstractButton::clicked, this,
                [shape] { editConfig([shape](BrindotHUDConfig& c) { c.shape = shape; }); });
        buttons_.push_back(button);
        row->addWidget(button);
    }
    row->addStretch(1);
    body()->addLayout(row);
    followConfig([this](const BrindotHUDConfig& c) {
        for (auto* b : buttons_) b->setSelected(b->shape() == c.shape);
    });
}

}  // namespace zorbel
