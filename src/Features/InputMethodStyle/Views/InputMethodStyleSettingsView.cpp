#include "Features/InputMethodStyle/Views/InputMethodStyleSettingsView.h"

#include "Caret/Styles/BrindotStyleManager.h"
#include "Features/InputMethodStyle/Managers/InputMethodStyleMapper.h"
#include "Features/InputMethodStyle/Managers/StylePresetProvider.h"
#include "Features/InputMethodStyle/Views/SimpleStylePreview.h"
#include "Features/InputMethodStyle/Views/StyleSelectorView.h"
#include "Platform/Console.h"
#include "Platform/InputSources.h"
#include "Platform/Services.h"
#include "Settings/Widgets/ButtonStyles.h"
#include "Settings/Widgets/Panels.h"
#include "Settings/Widgets/Controls.h"
#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace zorbel {

namespace {

QLabel* symbolLabel(const QString& symbol, int size, const QColor& color)
{
    auto* l = new QLabel;
    l->setPixmap(ui::symbolPixmap(symbol, size, color, 2.0));
    return l;
}

// The preset's colour as a circle the size of the indicator, outlined as
// the indicator's border is; no taller than the row's icon, so a large
// indicator never takes the width the input method's name needs.
class PresetSwatch : public QWidget {
public:
    PresetSwatch(const QString& colorHex, const BrindotStyle& style) : colorHex_(colorHex)
    {
        line_ = style.borderEnabled ? std::clamp(style.borderWidth, 0.0, 4.0) : 0;
        side_ = std::clamp(style.size, 0.0, kLargest - line_);
        const int box = static_cast<int>(std::ceil(side_ + line_));
        setFixedSize(box, box);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (side_ <= 0) return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r(line_ / 2, line_ / 2, side_, side_);
        p.setBrush(SimpleStylePreview::color(colorHex_));
        p.setPen(line_ > 0 ? QPen(SimpleStylePreview::outline(colorHex_), line_) : Qt::NoPen);
        p.drawEllipse(r);
    }

private:
    static constexpr double kLargest = 20;
    QString colorHex_;
    double side_ = 0;
    double line_ = 0;
};

void clearLayout(QVBoxLayout* layout)
{
    // Rows may be the senders of what brought us here: they go on the next turn.
    while (auto* item = layout->takeAt(0)) {
        if (auto* w = item->widget()) {
            w->hide();
            w->deleteLater();
        } else if (auto* inner = item->layout()) {
            delete inner;
        }
        delete item;
    }
}

}  // namespace

QString inputMethodStylingStatus(bool enabled)
{
    return enabled ? QStringLiteral("✓ 已启用 - brindot 样式会根据当前输入法自动切换")
                   : QStringLiteral("已禁用 - 使用统一的 brindot 样式");
}

InputMethodRow::InputMethodRow(const InputSourceInfo& inputMethod, int styleIndex, std::function<void()> onEdit,
                               QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("inputMethodRow.") + inputMethod.id);
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(12, 8, 12, 8);
    h->setSpacing(12);
    auto* icon = new QLabel;
    icon->setFixedSize(24, 24);
    icon->setAlignment(Qt::AlignCenter);
    if (inputMethod.icon && !inputMethod.icon->isNull())
        icon->setPixmap(QPixmap::fromImage(
            inputMethod.icon->scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation)).scaled(24, 24,
                                                              Qt::KeepAspectRatio, Qt::SmoothTransformation));
    else
        icon->setPixmap(ui::symbolPixmap(QStringLiteral("keyboard"), 20, ui::secondaryColor(), devicePixelRatioF()));
    h->addWidget(icon);
    auto* name = new ui::ElidedLabel(inputMethod.displayName);
    name->setObjectName(QStringLiteral("inputMethodName"));
    name->setFont(ui::systemFont(13));
    h->addWidget(name, 1);
    if (const auto preset = StylePresetProvider::shared().preset(styleIndex)) {
        h->addWidget(new PresetSwatch(preset->colorHex, BrindotStyleManager::shared().currentStyle()));
        auto* presetName = ui::makeLabel(preset->name, ui::captionFont(), ui::secondaryColor());
        presetName->setObjectName(QStringLiteral("presetName"));
        h->addWidget(presetName);
    }
    auto* change = ui::makeButton(QStringLiteral("更改"), ui::ButtonKind::bordered, ui::ControlSize::small);
    change->setObjectName(QStringLiteral("changeStyle"));
    // Every row has one: a screen reader names the input method too.
    change->setAccessibleName(QStringLiteral("更改 %1 的样式").arg(inputMethod.displayName));
    // As wide as its word: the input method's name keeps the rest.
    change->setMaximumWidth(change->minimumWidth() + 8);
    h->addWidget(change);
    connect(change, &QPushButton::clicked, this, [onEdit = std::move(onEdit)] { onEdit(); });
}

void InputMethodRow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ui::faintGrey());
    p.drawRoundedRect(QRectF(rect()), 8, 8);
}

InputMethodStyleSettingsView::InputMethodStyleSettingsView(bool withHeader, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("InputMethodStyleSettingsView"));
    auto* v = new QVBoxLayout(this);
    // The tab's page area pads its pages already.
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(20);
    if (withHeader) v->addWidget(header());
    v->addWidget(masterSwitch());
    v->addWidget(ui::makeDivider());
    auto* listBlock = new QVBoxLayout;
    listBlock->setSpacing(12);
    count_ = ui::makeLabel({}, ui::captionFont(), ui::secondaryColor());
    count_->setObjectName(QStringLiteral("inputMethodCount"));
    listBlock->addWidget(ui::spacedRow({ui::makeLabel(QStringLiteral("输入法列表"), ui::headlineFont(), ui::primaryColor())},
                                       {count_}));
    list_ = new QVBoxLayout;
    list_->setSpacing(8);
    listBlock->addLayout(list_);
    v->addLayout(listBlock);
    v->addWidget(ui::makeDivider());
    auto* preview = new QVBoxLayout;
    preview->setSpacing(12);
    preview->addWidget(ui::makeLabel(QStringLiteral("预览"), ui::headlineFont(), ui::primaryColor()));
    card_ = new QVBoxLayout;
    preview->addLayout(card_);
    v->addLayout(preview);
    v->addWidget(ui::makeDivider());
    v->addWidget(optionsBlock());
    v->addWidget(buttonsRow());
    v->addStretch(1);
    showList();
    followCurrentSource();
    // The switches follow the record; a change of "enabled" while the page
    // is up (from here or elsewhere) switches the style manager to match.
    subscription_ = InputMethodStyleMapper::shared().configPublisher().sink([this](const InputMethodStyleConfig& c) {
        {
            const QSignalBlocker a(enabled_), b(capsLock_);
            enabled_->setChecked(c.enabled);
            capsLock_->setChecked(c.capsLockIndicatorEnabled);
        }
        status_->setText(inputMethodStylingStatus(c.enabled));
        ui::setLabelColor(status_, c.enabled ? ui::systemGreen() : ui::secondaryColor());
        const bool changed = shownEnabled_ && *shownEnabled_ != c.enabled;
        shownEnabled_ = c.enabled;
        // Subscribers hear a record before it is stored: the style manager
        // and the rows act on the next turn, once it is.
        QMetaObject::invokeMethod(
            this,
            [this, changed, on = c.enabled] {
                if (changed) {
                    if (on)
                        BrindotStyleManager::shared().enableInputMethodStyle();
                    else
                        BrindotStyleManager::shared().disableInputMethodStyle();
                }
                showConfig();
            },
            Qt::QueuedConnection);
    });
}

void InputMethodStyleSettingsView::followCurrentSource()
{
    // The card names the source in use: a switch while the page is up shows
    // at once (after the style manager has had its turn).
    auto* sources = platform::services().inputSources;
    if (!sources) return;
    selection_ = sources->observeSelectionChanges([this] {
        QMetaObject::invokeMethod(this, [this] {
            assignShownSources();
            showCurrentSource();
        }, Qt::QueuedConnection);
    });
}

QWidget* InputMethodStyleSettingsView::header()
{
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(8);
    auto* title = new QHBoxLayout;
    title->addWidget(symbolLabel(QStringLiteral("keyboard"), 22, ui::systemBlue()));
    title->addWidget(ui::makeLabel(QStringLiteral("输入法样式"), ui::systemFont(17, QFont::Bold), ui::primaryColor()));
    title->addStretch(1);
    v->addLayout(title);
    auto* text = ui::makeLabel(QStringLiteral("为不同的输入法设置不同的 brindot 样式，快速识别当前输入法"),
                               ui::subheadlineFont(), ui::secondaryColor());
    text->setWordWrap(true);
    v->addWidget(text);
    return w;
}

QWidget* InputMethodStyleSettingsView::masterSwitch()
{
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(12);
    const QString label = QStringLiteral("启用输入法样式区分");
    enabled_ = configSwitch(QStringLiteral("inputMethodStyleSwitch"), label, &InputMethodStyleConfig::enabled);
    v->addWidget(ui::spacedRow({ui::makeLabel(label, ui::systemFont(13), ui::primaryColor())}, {enabled_}));
    status_ = ui::makeLabel({}, ui::captionFont(), ui::secondaryColor());
    status_->setObjectName(QStringLiteral("inputMethodStyleStatus"));
    v->addWidget(status_);
    return w;
}

ui::SwitchToggle* InputMethodStyleSettingsView::configSwitch(const QString& name, const QString& label,
                                                             bool InputMethodStyleConfig::*field)
{
    auto* toggle = new ui::SwitchToggle(label);
    toggle->setObjectName(name);
    // One flip, one assignment of the whole record: saved and announced once.
    connect(toggle, &QAbstractButton::clicked, this, [field](bool on) {
        auto& mapper = InputMethodStyleMapper::shared();
        auto config = mapper.config();
        config.*field = on;
        mapper.setConfig(config);
    });
    return toggle;
}

QWidget* InputMethodStyleSettingsView::optionsBlock()
{
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(12);
    v->addWidget(ui::makeLabel(QStringLiteral("选项"), ui::headlineFont(), ui::primaryColor()));
    const QString label = QStringLiteral("启用大写锁定指示");
    capsLock_ = configSwitch(QStringLiteral("capsLockIndicatorSwitch"), label, &InputMethodStyleConfig::capsLockIndicatorEnabled);
    v->addWidget(ui::spacedRow({ui::makeLabel(label, ui::systemFont(13), ui::primaryColor())}, {capsLock_}));
    auto* note = ui::makeLabel(QStringLiteral("开启后，按下 Caps Lock 时 brindot 会显示绿色光晕"), ui::captionFont(),
                               ui::secondaryColor());
    note->setWordWrap(true);
    note->setContentsMargins(20, 0, 0, 0);
    v->addWidget(note);
    return w;
}

QWidget* InputMethodStyleSettingsView::buttonsRow()
{
    auto* refresh = ui::makeButton(QStringLiteral("arrow.clockwise"), QStringLiteral("刷新输入法列表"),
                                   ui::ButtonKind::bordered, ui::ControlSize::regular);
    refresh->setObjectName(QStringLiteral("refreshInputMethods"));
    auto* reset = ui::makeButton(QStringLiteral("arrow.counterclockwise"), QStringLiteral("重置所有样式"),
                                 ui::ButtonKind::bordered, ui::ControlSize::regular);
    reset->setObjectName(QStringLiteral("resetAllStyles"));
    QPalette red = reset->palette();
    red.setColor(QPalette::ButtonText, ui::systemRed());
    reset->setPalette(red);
    reset->setIcon(QIcon(ui::symbolPixmap(QStringLiteral("arrow.counterclockwise"), 14, ui::systemRed(), 2.0)));
    connect(refresh, &QPushButton::clicked, this, [this] { loadInputMethods(); });
    connect(reset, &QPushButton::clicked, this, [this] { resetAllStyles(); });
    return ui::spacedRow({refresh}, {reset}, 12);
}

void InputMethodStyleSettingsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) loadInputMethods();
}

void InputMethodStyleSettingsView::loadInputMethods()
{
    auto& mapper = InputMethodStyleMapper::shared();
    inputMethods_ = mapper.inputSourceManager().getAvailableInputSources();
    print(QStringLiteral("[InputMethodStyleSettingsView] Loaded %1 input methods").arg(inputMethods_.size()));
    assignShownSources();
    showConfig();
}

void InputMethodStyleSettingsView::assignShownSources()
{
    // Sources seen for the first time get their preset here, before any row
    // is drawn: drawing never stores anything.
    auto& mapper = InputMethodStyleMapper::shared();
    auto sources = inputMethods_;
    if (auto current = mapper.inputSourceManager().currentInputSource()) sources.push_back(*current);
    mapper.assignMissingStyles(sources);
}

void InputMethodStyleSettingsView::showConfig()
{
    showList();
    showCurrentSource();
}

void InputMethodStyleSettingsView::showList()
{
    clearLayout(list_);
    count_->setText(QStringLiteral("已检测到 %1 个输入法").arg(inputMethods_.size()));
    const auto& mapper = InputMethodStyleMapper::shared();
    if (inputMethods_.empty()) {
        auto* empty = new QWidget;
        empty->setObjectName(QStringLiteral("noInputMethods"));
        auto* v = new QVBoxLayout(empty);
        v->setContentsMargins(32, 32, 32, 32);
        v->setSpacing(12);
        v->addWidget(symbolLabel(QStringLiteral("keyboard.badge.ellipsis"), 48, ui::secondaryColor()), 0, Qt::AlignHCenter);
        v->addWidget(ui::makeLabel(QStringLiteral("未检测到输入法"), ui::headlineFont(), ui::secondaryColor()), 0,
                     Qt::AlignHCenter);
        auto* again = ui::makeButton(QStringLiteral("刷新列表"), ui::ButtonKind::bordered);
        again->setObjectName(QStringLiteral("refreshEmptyList"));
        connect(again, &QPushButton::clicked, this, [this] { loadInputMethods(); });
        v->addWidget(again, 0, Qt::AlignHCenter);
        list_->addWidget(empty);
        return;
    }
    for (const auto& source : inputMethods_) {
        const int index = mapper.styleIndexWithoutAssigning(source.id);
        list_->addWidget(new InputMethodRow(source, index, [this, source] { showStyleSelector(source); }));
    }
}

void InputMethodStyleSettingsView::showCurrentSource()
{
    clearLayout(card_);
    const auto& mapper = InputMethodStyleMapper::shared();
    const auto current = mapper.inputSourceManager().currentInputSource();
    if (!current) return;
    const auto preset = StylePresetProvider::shared().preset(mapper.styleIndexWithoutAssigning(current->id));
    if (!preset) return;
    auto* card = new ui::RoundedPanel(ui::faintGrey(), 12);
    card->setObjectName(QStringLiteral("currentSourceCard"));
    auto* h = new QHBoxLayout(card);
    h->setContentsMargins(16, 16, 16, 16);
    h->setSpacing(24);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(8);
    texts->addWidget(ui::makeLabel(QStringLiteral("当前输入法"), ui::captionFont(), ui::secondaryColor()));
    auto* name = new ui::ElidedLabel(current->displayName);
    name->setFont(ui::systemFont(13, QFont::Medium));
    ui::setLabelColor(name, ui::primaryColor());
    name->setObjectName(QStringLiteral("currentSourceName"));
    texts->addWidget(name);
    h->addLayout(texts);
    h->setAlignment(texts, Qt::AlignVCenter);
    h->addStretch(1);
    auto* looks = new QVBoxLayout;
    looks->setSpacing(12);
    auto* pair = new QHBoxLayout;
    pair->setSpacing(16);
    for (bool glow : {false, true}) {
        auto* one = new QVBoxLayout;
        one->setSpacing(4);
        one->addWidget(ui::makeLabel(glow ? QStringLiteral("大写") : QStringLiteral("正常"), ui::caption2Font(),
                                     ui::secondaryColor()),
                       0, Qt::AlignHCenter);
        one->addWidget(new SimpleStylePreview(preset->colorHex, glow), 0, Qt::AlignHCenter);
        pair->addLayout(one);
    }
    looks->addLayout(pair);
    auto* presetName = ui::makeLabel(preset->name, ui::captionFont(), ui::secondaryColor());
    presetName->setObjectName(QStringLiteral("currentPresetName"));
    looks->addWidget(presetName, 0, Qt::AlignHCenter);
    h->addLayout(looks);
    card_->addWidget(card);
}

StyleSelectorView* InputMethodStyleSettingsView::styleSelector() const { return selector_.data(); }

void InputMethodStyleSettingsView::showStyleSelector(const InputSourceInfo& inputMethod)
{
    selectedInputMethodId_ = inputMethod.id;
    selectedInputMethodName_ = inputMethod.displayName;
    if (selector_) selector_->close();
    const int initial = InputMethodStyleMapper::shared().styleIndexWithoutAssigning(inputMethod.id);
    selector_ = new StyleSelectorView(
        inputMethod.id, inputMethod.displayName, initial, [this](int index) { applySelectedStyle(index); }, [] {},
        window());
    selector_->open();
}

void InputMethodStyleSettingsView::applySelectedStyle(int index)
{
    if (!selectedInputMethodId_) return;
    InputMethodStyleMapper::shared().setStyle(index, *selectedInputMethodId_);
}

void InputMethodStyleSettingsView::resetAllStyles()
{
    InputMethodStyleMapper::shared().resetAllMappings();
    assignShownSources();
    print(QStringLiteral("[InputMethodStyleSettingsView] All mappings reset"));
}

}  // namespace zorbel
