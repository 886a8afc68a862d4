#include "Features/InputMethodStyle/Views/StyleSelectorView.h"

#include "Features/InputMethodStyle/Managers/StylePresetProvider.h"
#include "Features/InputMethodStyle/Views/SimpleStylePreview.h"
#include "Settings/Widgets/ButtonStyles.h"
#include "Settings/Widgets/Panels.h"
#include "Settings/Widgets/SelectableButton.h"
#include "Settings/Widgets/SettingsText.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace zorbel {

namespace {

constexpr int kPresetCount = 16;

// One preset of the grid: its swatch in a 50-point frame over its name.
class PresetCell : public ui::SelectableButton {
public:
    PresetCell(const StylePreset& preset, QWidget* parent) : SelectableButton(Kind::choice, parent)
    {
        setText(preset.name);
        setFont(ui::caption2Font());
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        auto* swatch = new SimpleStylePreview(preset.colorHex, false, this);
        swatch->move((sizeHint().width() - 30) / 2, 10);
    }
    QSize sizeHint() const override { return {std::max(50, fontMetrics().horizontalAdvance(text())), 50 + 6 + 16}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF frame((width() - 50) / 2.0 + 1, 1, 48, 48);
        if (isSelected()) {
            p.setBrush(ui::withAlpha(ui::systemBlue(), 0.1));
            p.setPen(QPen(ui::systemBlue(), 2));
            p.drawRoundedRect(frame, 8, 8);
        }
        p.setPen(isSelected() ? ui::systemBlue() : ui::secondaryColor());
        p.setFont(font());
        p.drawText(QRectF(0, 56, width(), 16), Qt::AlignCenter, fontMetrics().elidedText(text(), Qt::ElideRight, width()));
    }
};

}  // namespace

StyleSelectorView::StyleSelectorView(QString inputMethodId, const QString& inputMethodName, int initialSelectedIndex,
                                     std::function<void(int)> onConfirm, std::function<void()> onCancel,
                                     QWidget* parent)
    : QDialog(parent),
      inputMethodId_(std::move(inputMethodId)),
      selectedIndex_(initialSelectedIndex),
      onConfirm_(std::move(onConfirm)),
      onCancel_(std::move(onCancel))
{
    setObjectName(QStringLiteral("StyleSelectorView"));
    setWindowTitle(QStringLiteral("选择样式"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
    setFixedSize(700, 500);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(30, 30, 30, 30);
    v->setSpacing(24);
    auto* header = new QVBoxLayout;
    header->setSpacing(8);
    header->addWidget(ui::makeLabel(QStringLiteral("选择样式"), ui::systemFont(17, QFont::Bold), ui::primaryColor()), 0,
                      Qt::AlignHCenter);
    header->addWidget(ui::makeLabel(QStringLiteral("输入法：") + inputMethodName, ui::subheadlineFont(),
                                    ui::secondaryColor()),
                      0, Qt::AlignHCenter);
    v->addLayout(header);
    v->addWidget(ui::makeDivider());
    const auto& provider = StylePresetProvider::shared();
    const auto& presets = provider.presets();
    auto* grid = new QVBoxLayout;
    grid->setSpacing(16);
    for (int r = 0; r < 2; ++r) {
        auto* row = new QHBoxLayout;
        row->setSpacing(12);
        row->addStretch(1);
        for (int i = r * 8; i < r * 8 + 8; ++i) {
            if (i >= static_cast<int>(presets.size())) break;
            auto* cell = new PresetCell(presets[static_cast<size_t>(i)], this);
            cell->setObjectName(QStringLiteral("preset.%1").arg(i));
            connect(cell, &QAbstractButton::clicked, this, [this, i] { select(i); });
            cells_.push_back(cell);
            row->addWidget(cell);
        }
        row->addStretch(1);
        grid->addLayout(row);
    }
    v->addLayout(grid);
    v->addWidget(ui::makeDivider());
    auto* previewBlock = new QVBoxLayout;
    previewBlock->setSpacing(12);
    previewBlock->addWidget(ui::makeLabel(QStringLiteral("预览"), ui::headlineFont(), ui::primaryColor()), 0,
                            Qt::AlignHCenter);
    auto* panel = new ui::RoundedPanel(ui::faintGrey(), 12);
    auto* pr = new QHBoxLayout(panel);
    pr->setContentsMargins(16, 16, 16, 16);
    pr->setSpacing(16);
    preview_ = new SimpleStylePreview(QString(), false);
    auto* frame = new QWidget;
    frame->setFixedSize(60, 60);
    preview_->setParent(frame);
    preview_->move(15, 15);
    pr->addWidget(frame);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(6);
    name_ = ui::makeLabel({}, ui::headlineFont(), ui::primaryColor());
    name_->setObjectName(QStringLiteral("selectedPresetName"));
    description_ = ui::makeLabel({}, ui::captionFont(), ui::secondaryColor());
    description_->setWordWrap(true);
    texts->addWidget(name_);
    texts->addWidget(description_);
    pr->addLayout(texts, 1);
    previewBlock->addWidget(panel);
    v->addLayout(previewBlock);
    v->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(16);
    auto* cancel = ui::makeButton(QStringLiteral("取消"), ui::ButtonKind::bordered);
    cancel->setObjectName(QStringLiteral("selectorCancel"));
    confirm_ = ui::makeButton(QStringLiteral("确定"), ui::ButtonKind::prominent);
    confirm_->setObjectName(QStringLiteral("selectorConfirm"));
    confirm_->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    buttons->addWidget(confirm_);
    v->addLayout(buttons);
    // Escape rejects the dialog: the same as "取消".
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::rejected, this, [this] {
        if (onCancel_) onCancel_();
    });
    connect(confirm_, &QPushButton::clicked, this, [this] {
        if (onConfirm_) onConfirm_(selectedIndex_);
        accept();
    });
    showSelection();
}

void StyleSelectorView::select(int index)
{
    selectedIndex_ = index;
    showSelection();
}

void StyleSelectorView::showSelection()
{
    for (int i = 0; i < static_cast<int>(cells_.size()); ++i)
        static_cast<PresetCell*>(cells_[static_cast<size_t>(i)])->setSelected(i == selectedIndex_);
    // A stored index no preset has (a hand-edited record) cannot be
    // confirmed: the mapper would refuse it, and the user would never know.
    const bool valid = selectedIndex_ >= 0 && selectedIndex_ < kPresetCount &&
                       selectedIndex_ < static_cast<int>(StylePresetProvider::shared().presets().size());
    confirm_->setEnabled(valid);
    if (!valid) {
        preview_->hide();
        name_->setText(QStringLiteral("当前的样式编号 %1 不存在").arg(selectedIndex_));
        description_->setText(QStringLiteral("请在上面选择一个样式"));
        return;
    }
    const auto& preset = StylePresetProvider::shared().presets()[static_cast<size_t>(selectedIndex_)];
    preview_->show();
    preview_->setColorHex(preset.colorHex);
    name_->setText(preset.name);
    description_->setText(preset.description);
}

}  // namespace zorbel
