#include "Settings/HUD/HUDArrangementSections.h"

#include "BrindotHUD/BrindotHUDManager.h"
#include "Settings/HUD/HUDConfigEdits.h"
#include "Settings/NumberText.h"
#include "Settings/Widgets/Controls.h"
#include "Settings/Widgets/Panels.h"
#include "Settings/Widgets/PositionGrid.h"
#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace zorbel {

using hudEdits::editConfig;

HUDPositionSection::HUDPositionSection(QWidget* parent) : HUDSectionBase(QString(), parent)
{
    setObjectName(QStringLiteral("HUDPositionSection"));
    setHeader(ui::spacedRow({ui::makeLabel(QStringLiteral("显示位置"), ui::headlineFont(), ui::primaryColor())},
                            {ui::makeLabel(QStringLiteral("相对于Brindot"), ui::captionFont(), ui::secondaryColor())}));
    body()->addWidget(ui::makeLabel(QStringLiteral("相对位置"), ui::rowLabelFont(), ui::primaryColor()));
    auto* grid = new QGridLayout;
    grid->setSpacing(8);
    const auto& places = ui::gridPlaces();
    for (int i = 0; i < 9; ++i) {
        auto* cell = new ui::PositionGridCell(places[static_cast<size_t>(i)]);
        const auto position = static_cast<HUDPosition>(i);
        cell->setObjectName(QStringLiteral("hudPosition.") + rawValue(position));
        connect(cell, &QAbstractButton::clicked, this,
                [position] { editConfig([position](BrindotHUDConfig& c) { c.position = position; }); });
        cells_.push_back(cell);
        grid->addWidget(cell, i / 3, i % 3);
    }
    body()->addLayout(grid);
    body()->addWidget(ui::makeDivider());
    offsetValue_ = ui::makeLabel({}, ui::monospacedDigits(ui::systemFont(13)), ui::secondaryColor());
    offsetValue_->setObjectName(QStringLiteral("hudOffsetValue"));
    body()->addWidget(
        ui::spacedRow({ui::makeLabel(QStringLiteral("偏移距离"), ui::rowLabelFont(), ui::primaryColor())}, {offsetValue_}));
    offset_ = ui::makeSlider(QStringLiteral("偏移距离"), 0, 100, 100, this);
    offset_->setObjectName(QStringLiteral("hudOffsetSlider"));
    offset_->setMinimumWidth(0);
    offset_->setMaximumWidth(QWIDGETSIZE_MAX);
    body()->addWidget(offset_);
    connect(offset_, &QSlider::valueChanged, this,
            [](int x) { editConfig([x](BrindotHUDConfig& c) { c.offset = x; }); });
    followConfig([this](const BrindotHUDConfig& c) {
        for (size_t i = 0; i < cells_.size(); ++i) cells_[i]->setSelected(static_cast<size_t>(c.position) == i);
        const QSignalBlocker block(offset_);
        offset_->setValue(sliderPosition(c.offset, 0, 100));
        offsetValue_->setText(wholeNumberText(c.offset) + QStringLiteral("px"));
    });
}

HUDSymbolChoiceSection::HUDSymbolChoiceSection(const QString& title, const QString& name, std::vector<Choice> choices,
                                               int (*read)(const BrindotHUDConfig&),
                                               void (*write)(BrindotHUDConfig&, int))
    : HUDSectionBase(title)
{
    setObjectName(name);
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    for (int i = 0; i < static_cast<int>(choices.size()); ++i) {
        const auto& choice = choices[static_cast<size_t>(i)];
        auto* button = makeSymbolChoice(QString::fromLatin1(choice.symbol), 20, QString::fromUtf8(choice.label));
        button->setObjectName(name + QLatin1Char('.') + QString::number(i));
        connect(button, &QAbstractButton::clicked, this,
                [write, i] { editConfig([write, i](BrindotHUDConfig& c) { write(c, i); }); });
        buttons_.push_back(button);
        row->addWidget(button);
    }
    row->addStretch(1);
    body()->addLayout(row);
    followConfig([this, read](const BrindotHUDConfig& c) {
        for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
            buttons_[static_cast<size_t>(i)]->setSelected(read(c) == i);
    });
}

HUDLayoutSection::HUDLayoutSection()
    : HUDSymbolChoiceSection(
          QStringLiteral("内容布局"), QStringLiteral("HUDLayoutSection"),
          {{"rectangle.split.2x1", "横向布局"}, {"rectangle.split.1x2", "纵向布局"}, {"grid", "井字形布局"}},
          [](const BrindotHUDConfig& c) { return static_cast<int>(c.layout); },
          [](BrindotHUDConfig& c, int i) { c.layout = static_cast<HUDLayout>(i); })
{
}

HUDContentStyleSection::HUDContentStyleSection()
    : HUDSymbolChoiceSection(
          QStringLiteral("内容样式"), QStringLiteral("HUDContentStyleSection"),
          {{"textformat.size", "简约"}, {"textformat.abc", "详细"}},
          [](const BrindotHUDConfig& c) { return static_cast<int>(c.contentStyle); },
          [](BrindotHUDConfig& c, int i) { c.contentStyle = static_cast<HUDContentStyle>(i); })
{
}

HUDDurationSection::HUDDurationSection(QWidget* parent) : HUDSectionBase(QStringLiteral("显示时间"), parent)
{
    setObjectName(QStringLiteral("HUDDurationSection"));
    // Half seconds from 1 to 10, and at the far left 0: the HUD that never
    // hides by itself, which the label then reads too.
    slider_ = ui::makeSlider(QStringLiteral("持续时间"), 1, 20, 120, this);
    slider_->setObjectName(QStringLiteral("hudDurationSlider"));
    slider_->setToolTip(QStringLiteral("最左端 0.0s：不自动隐藏"));
    value_ = ui::makeLabel({}, ui::captionFont(), ui::secondaryColor());
    value_->setObjectName(QStringLiteral("hudDurationValue"));
    value_->setFixedWidth(40);
    value_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    body()->addWidget(
        ui::spacedRow({ui::makeLabel(QStringLiteral("持续时间"), ui::rowLabelFont(), ui::primaryColor())}, {slider_, value_}));
    connect(slider_, &QSlider::valueChanged, this, [](int position) {
        editConfig([position](BrindotHUDConfig& c) { c.displayDuration = position < 2 ? 0 : position * 0.5; });
    });
    followConfig([this](const BrindotHUDConfig& c) {
        const QSignalBlocker block(slider_);
        slider_->setValue(c.displayDuration > 0 ? sliderPosition(c.displayDuration * 2, 2, 20) : 1);
        value_->setText(hudEdits::durationText(c.displayDuration));
    });
}

HUDContentSection::HUDContentSection(QWidget* parent) : HUDSectionBase(QStringLiteral("显示内容"), parent)
{
    setObjectName(QStringLiteral("HUDContentSection"));
    auto* v = new QVBoxLayout;
    v->setSpacing(12);
    const std::pair<HUDContentType, const char*> rows[] = {
        {HUDContentType::inputMethod, "当前输入法"}, {HUDContentType::time, "当前时间"}, {HUDContentType::battery, "电池状态"}};
    for (const auto& [type, label] : rows) {
        auto* toggle = new ui::CheckboxToggle(QString::fromUtf8(label));
        toggle->setObjectName(QStringLiteral("hudContent.") + rawValue(type));
        const auto kind = type;
        connect(toggle, &ui::CheckboxToggle::toggledByUser, this, [kind](bool on) { hudEdits::showContent(kind, on); });
        toggles_.emplace_back(type, toggle);
        v->addWidget(toggle, 0, Qt::AlignLeft);
    }
    body()->addLayout(v);
    followConfig([this](const BrindotHUDConfig& c) {
        for (auto& [type, toggle] : toggles_) toggle->setChecked(contains(c.contentTypes, type));
    });
}

namespace {
// One item of the order list.
class ContentRow : public QWidget {
public:
    ContentRow(HUDContentType type, QWidget* remove)
    {
        const auto& info = hudEdits::contentKindInfo(type);
        auto* h = new QHBoxLayout(this);
        h->setContentsMargins(8, 4, 8, 4);
        auto icon = [this](const char* symbol, int size, const QColor& c) {
            auto* l = new QLabel;
            l->setPixmap(ui::symbolPixmap(QString::fromLatin1(symbol), size, c, devicePixelRatioF()));
            l->setFixedWidth(16);
            return l;
        };
        h->addWidget(icon("line.3.horizontal", 11, ui::secondaryColor()));
        h->addWidget(icon(info.symbol, 14, ui::systemBlue()));
        h->addWidget(ui::makeLabel(QString::fromUtf8(info.label), ui::subheadlineFont(), ui::primaryColor()));
        h->addStretch(1);
        h->addWidget(remove);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(ui::withAlpha(ui::primaryColor(), 0.05));
        p.drawRoundedRect(QRectF(rect()), 4, 4);
    }
};
}  // namespace

HUDContentOrderSection::HUDContentOrderSection(QWidget* parent) : HUDSectionBase(QStringLiteral("内容排序"), parent)
{
    setObjectName(QStringLiteral("HUDContentOrderSection"));
    auto* rowsHolder = new QWidget;
    rows_ = new QVBoxLayout(rowsHolder);
    rows_->setContentsMargins(0, 0, 0, 0);
    rows_->setSpacing(8);
    body()->addWidget(rowsHolder);
    add_ = new QToolButton;
    add_->setObjectName(QStringLiteral("hudAddContent"));
    add_->setText(QStringLiteral("添加内容项"));
    add_->setIcon(QIcon(ui::symbolPixmap(QStringLiteral("plus.circle"), 14, ui::systemBlue(), 2.0)));
    add_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    add_->setPopupMode(QToolButton::InstantPopup);
    add_->setCursor(Qt::PointingHandCursor);
    add_->setFont(ui::subheadlineFont());
    add_->setStyleSheet(QStringLiteral(
        "QToolButton { color: %1; border: 1px solid %2; border-radius: 4px; padding: 6px 12px; }"
        "QToolButton::menu-indicator { image: none; width: 0; }")
                            .arg(ui::systemBlue().name(), ui::withAlpha(ui::systemBlue(), 0.3).name(QColor::HexArgb)));
    auto* menu = new QMenu(add_);
    add_->setMenu(menu);
    body()->addWidget(add_, 0, Qt::AlignHCenter);
    followConfig([this](const BrindotHUDConfig& c) { showRows(c); });
}

void HUDContentOrderSection::showRows(const BrindotHUDConfig& config)
{
    // A remove button may be the sender of the change that brought us here:
    // old rows go on the next turn, never under their own click.
    while (auto* item = rows_->takeAt(0)) {
        if (auto* w = item->widget()) {
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
    for (int position = 0; position < static_cast<int>(config.contentTypes.size()); ++position) {
        const auto type = config.contentTypes[static_cast<size_t>(position)];
        auto* remove = new QToolButton;
        remove->setObjectName(QStringLiteral("hudRemoveContent.%1").arg(position));
        remove->setAutoRaise(true);
        remove->setCursor(Qt::PointingHandCursor);
        remove->setIcon(QIcon(ui::symbolPixmap(QStringLiteral("minus.circle.fill"), 16, ui::systemRed(), 2.0)));
        remove->setIconSize(QSize(16, 16));
        remove->setAccessibleName(QStringLiteral("移除") + QString::fromUtf8(hudEdits::contentKindInfo(type).label));
        connect(remove, &QToolButton::clicked, this, [position, type] {
            auto& manager = BrindotHUDManager::shared();
            if (auto changed = hudEdits::removeContent(manager.config(), position, type)) manager.setConfig(*changed);
        });
        rows_->addWidget(new ContentRow(type, remove));
    }
    QMenu* menu = add_->menu();
    menu->clear();
    for (auto type : hudEdits::addableContentTypes(config.contentTypes)) {
        const auto& info = hudEdits::contentKindInfo(type);
        auto* action = menu->addAction(QIcon(ui::symbolPixmap(QString::fromLatin1(info.symbol), 14, ui::primaryColor(), 2.0)),
                                       QString::fromUtf8(info.label));
        action->setObjectName(QStringLiteral("hudAdd.") + rawValue(type));
        connect(action, &QAction::triggered, this,
                [type] { editConfig([type](BrindotHUDConfig& c) { c.contentTypes.push_back(type); }); });
    }
}

HUDAnimationSection::HUDAnimationSection(QWidget* parent) : HUDSectionBase(QStringLiteral("动画设置"), parent)
{
    setObjectName(QStringLiteral("HUDAnimationSection"));
    picker_ = new QComboBox;
    picker_->setObjectName(QStringLiteral("hudAnimationPicker"));
    picker_->setFixedWidth(120);
    // Qt names a combo box by its current entry on this desktop; its list is named here.
    picker_->setAccessibleName(QStringLiteral("动画类型"));
    picker_->view()->setAccessibleName(QStringLiteral("动画类型"));
    ui::takeWheelOnlyWhenFocused(picker_);
    for (int i = 0; i < static_cast<int>(RawEnumNames<AnimationType>::names.size()); ++i)
        picker_->addItem(displayName(static_cast<AnimationType>(i)));
    body()->addWidget(
        ui::spacedRow({ui::makeLabel(QStringLiteral("动画类型"), ui::rowLabelFont(), ui::primaryColor())}, {picker_}));
    // `activated` comes from the user's choice alone, also of the same entry.
    connect(picker_, &QComboBox::activated, this, [](int i) {
        editConfig([i](BrindotHUDConfig& c) { c.animationType = static_cast<AnimationType>(i); });
    });
    followConfig([this](const BrindotHUDConfig& c) {
        const QSignalBlocker block(picker_);
        picker_->setCurrentIndex(static_cast<int>(c.animationType));
    });
}

}  // namespace zorbel
