#include "Settings/Themes/LiquidGlass/LiquidGlassFooter.h"

#include "BrindotHUD/BrindotHUDManager.h"
#include "Caret/Styles/BrindotStyleManager.h"
#include "Settings/GlobalPreviewSection.h"
#include "Settings/MasterSwitch.h"
#include "Settings/NumberText.h"
#include "Settings/Themes/LiquidGlass/GlassPainting.h"
#include "Settings/Themes/LiquidGlassPalette.h"
#include "Settings/Themes/Shared/GlassTitleBar.h"
#include "Settings/Widgets/SettingsText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

namespace zorbel {

using glass::white;

LiquidGlassFooter::LiquidGlassFooter(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LiquidGlassFooter"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(8);
    v->addSpacing(1);  // the hairline, painted
    auto* row = new QHBoxLayout;
    row->setContentsMargins(16, 0, 16, 8);
    row->setSpacing(8);
    dot_ = new GlowDot({12, 6, 0.6, 0.3, 0.3}, LiquidGlassPalette::statusGreen());
    row->addWidget(dot_);
    text_ = ui::makeLabel(QString(), ui::captionFont(), ui::withAlpha(ui::secondaryColor(), 0.8));
    row->addWidget(text_);
    row->addStretch(1);
    v->addLayout(row);
    subscription_ = masterSwitch::publisher().sink([this](const bool& enabled) { show(enabled); });
}

void LiquidGlassFooter::show(bool enabled)
{
    dot_->setColor(enabled ? LiquidGlassPalette::statusGreen() : LiquidGlassPalette::gray());
    text_->setText(enabled ? QStringLiteral("运行中") : QStringLiteral("已停止"));
}

QString LiquidGlassFooter::statusText() const { return text_->text(); }
QColor LiquidGlassFooter::statusColor() const { return dot_->color(); }

void LiquidGlassFooter::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setOpacity(0.3);
    glass::paintFrostedBase(p, rect());
    p.setOpacity(1);
    QLinearGradient hairline(0, 0, width(), 0);
    hairline.setColorAt(0, white(0));
    hairline.setColorAt(0.25, white(0.2));
    hairline.setColorAt(0.5, white(0.4));
    hairline.setColorAt(0.75, white(0.2));
    hairline.setColorAt(1, white(0));
    p.fillRect(QRectF(0, 0, width(), 1), hairline);
}

namespace {

QHBoxLayout* infoRow(const QString& label, QLabel* value, const QFont& labelFont, const QColor& labelColor)
{
    auto* row = new QHBoxLayout;
    row->addWidget(ui::makeLabel(label, labelFont, labelColor));
    row->addStretch(1);
    row->addWidget(value);
    return row;
}

QLabel* valueLabel() { return ui::makeLabel(QString(), ui::systemFont(13, QFont::Medium), ui::primaryColor()); }

}  // namespace

QString LiquidGlassPreviewInfoSection::shapeName(BrindotShape shape)
{
    switch (shape) {
    case BrindotShape::circle: return QStringLiteral("圆形");
    case BrindotShape::triangle: return QStringLiteral("三角形");
    case BrindotShape::rectangle: return QStringLiteral("矩形");
    }
    return {};
}

QString LiquidGlassPreviewInfoSection::pixelsText(double value) { return wholeNumberText(value) + QStringLiteral("px"); }

LiquidGlassPreviewInfoSection::LiquidGlassPreviewInfoSection(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LiquidGlassPreviewInfoSection"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(12, 12, 12, 12);
    v->setSpacing(12);
    shape_ = ui::makeLabel(QString(), ui::systemFont(13, QFont::Medium), ui::secondaryColor());
    v->addLayout(infoRow(QStringLiteral("当前样式"), shape_, ui::headlineFont(), ui::primaryColor()));
    auto* rows = new QVBoxLayout;
    rows->setSpacing(8);
    const QFont labelFont = ui::systemFont(13);
    size_ = valueLabel();
    fill_ = valueLabel();
    border_ = valueLabel();
    rows->addLayout(infoRow(QStringLiteral("尺寸:"), size_, labelFont, ui::secondaryColor()));
    rows->addLayout(infoRow(QStringLiteral("填充:"), fill_, labelFont, ui::secondaryColor()));
    rows->addLayout(infoRow(QStringLiteral("边框:"), border_, labelFont, ui::secondaryColor()));
    v->addLayout(rows);
    // The HUD rows are there only while the HUD is on.
    hudRows_ = new QWidget;
    hudRows_->setObjectName(QStringLiteral("liquidPreviewHudRows"));
    auto* hud = new QVBoxLayout(hudRows_);
    hud->setContentsMargins(0, 0, 0, 0);
    hud->setSpacing(12);
    hud->addLayout(infoRow(QStringLiteral("HUD状态"), ui::makeLabel(QStringLiteral("已启用"), ui::systemFont(13, QFont::Medium), ui::systemGreen()),
                           ui::headlineFont(), ui::primaryColor()));
    duration_ = valueLabel();
    duration_->setObjectName(QStringLiteral("liquidPreviewHudDuration"));
    hud->addLayout(infoRow(QStringLiteral("显示时间:"), duration_, labelFont, ui::secondaryColor()));
    v->addWidget(hudRows_);
    BrindotStyleManager::shared()
        .currentStylePublisher()
        .sink([this](const BrindotStyle& style) { showStyle(style); })
        .store(subscriptions_);
    BrindotHUDManager::shared()
        .configPublisher()
        .sink([this](const BrindotHUDConfig& c) {
            hudRows_->setVisible(c.isEnabled);
            duration_->setText(wholeNumberText(c.displayDuration) + QStringLiteral("秒"));
        })
        .store(subscriptions_);
}

void LiquidGlassPreviewInfoSection::showStyle(const BrindotStyle& style)
{
    shape_->setText(shapeName(style.shape));
    size_->setText(pixelsText(style.size));
    fill_->setText(style.fillEnabled ? QStringLiteral("启用") : QStringLiteral("禁用"));
    border_->setText(pixelsText(style.borderWidth));
}

LiquidGlassGlobalPreviewSection::LiquidGlassGlobalPreviewSection(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LiquidGlassGlobalPreviewSection"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(16, 16, 16, 16);
    v->setSpacing(16);
    auto* picture = new BrindotGlobalPreview(BrindotGlobalPreview::HUDLayer::belowSample);
    picture->setFixedHeight(200);
    v->addWidget(picture);
    v->addWidget(new LiquidGlassPreviewInfoSection);
}

}  // namespace zorbel
