#include "BrindotHUD/HUDContentView.h"

#include "BrindotHUD/CustomBackground.h"
#include "BrindotHUD/HUDGeometry.h"
#include "BrindotHUD/HUDIcons.h"
#include "BrindotHUD/SmartIconAdapter.h"
#include "Caret/Core/Logger.h"
#include "Caret/Styles/SystemColors.h"
#include "Platform/Console.h"
#include "Platform/LogSink.h"
#include "Platform/Services.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

#include <algorithm>

namespace zorbel {

using namespace hud;

const QString HUDContentView::tooltipText = QStringLiteral("双击 Caps Lock 切换 HUD 显示");

namespace {

QColor grey(double white, double alpha) { return QColor::fromRgbF(static_cast<float>(white), static_cast<float>(white), static_cast<float>(white), static_cast<float>(alpha)); }

QFont itemFont(double pixels)
{
    QFont f = QApplication::font();
    f.setPixelSize(static_cast<int>(pixels));
    return f;
}

QString optionalBool(const std::optional<bool>& b) { return b ? (*b ? QStringLiteral("true") : QStringLiteral("false")) : QStringLiteral("nil"); }

// A rectangle given bottom-up (the item geometry) in the painter's top-down space.
QRectF flipped(const QSizeF& view, double x, double y, double w, double h) { return {x, view.height() - y - h, w, h}; }

}  // namespace

HUDContentView::HUDContentView(std::vector<HUDContentItem> items, BrindotHUDConfig config, QWidget* parent)
    : QWidget(parent), contentItems_(std::move(items)), config_(std::move(config))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
}

HUDContentView::~HUDContentView()
{
    *self_ = nullptr;
    if (tooltipTimer_) tooltipTimer_->cancel();
}

void HUDContentView::setContent(std::vector<HUDContentItem> items, BrindotHUDConfig config)
{
    // A background picture may change on disk under the same name: read again at every show.
    if (config.style == HUDStyle::custom && !pictures_.empty()) {
        pictures_.clear();
        update();
    }
    if (items == contentItems_ && config == config_) return;
    contentItems_ = std::move(items);
    config_ = std::move(config);
    update();
}

void HUDContentView::setLayerTransform(const QTransform& transform)
{
    if (transform == layerTransform_) return;
    layerTransform_ = transform;
    update();
}

void HUDContentView::setRestingSize(const QSize& size)
{
    if (size == restingSize_) return;
    restingSize_ = size;
    update();
}

QColor HUDContentView::backgroundColor() const
{
    const bool dark = config_.colorScheme == HUDColorScheme::dark;
    switch (config_.style) {
    case HUDStyle::frostedGlass: return dark ? grey(0, 0.75) : grey(1, 0.85);
    case HUDStyle::liquidGlass: return dark ? grey(0, 0.7) : grey(1, 0.8);
    case HUDStyle::system:
    case HUDStyle::custom: break;
    }
    return dark ? grey(0, 0.75) : grey(1, 0.9);
}

void HUDContentView::paintEvent(QPaintEvent*)
{
    const QSize drawing = restingSize_.isEmpty() ? size() : restingSize_;
    const qreal dpr = devicePixelRatioF();
    if (drawing.isEmpty()) return;
    auto kept = std::find_if(pictures_.begin(), pictures_.end(), [&](const Picture& p) {
        return p.image.size() == drawing * dpr && p.items == contentItems_ && p.config == config_;
    });
    if (kept == pictures_.end()) {
        QImage image(drawing * dpr, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        QPainter content(&image);
        draw(content, QSizeF(drawing));
        content.end();
        if (pictures_.size() >= keptPictures) pictures_.pop_back();
        pictures_.insert(pictures_.begin(), Picture{contentItems_, config_, std::move(image)});
        kept = pictures_.begin();
    }
    const QImage& picture = kept->image;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!layerTransform_.isIdentity()) {
        const QPointF c(width() / 2.0, height() / 2.0);
        p.setTransform(QTransform::fromTranslate(-c.x(), -c.y()) * layerTransform_ * QTransform::fromTranslate(c.x(), c.y()), true);
    }
    p.drawImage(QRectF(rect()), picture);
}

void HUDContentView::draw(QPainter& p, const QSizeF& size)
{
    ++contentDrawCount_;
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawBackground(p, size);
    p.setFont(itemFont(kFontSize));
    if (contentItems_.empty()) return drawEmptyState(p, size);
    switch (config_.layout) {
    case HUDLayout::horizontal: return drawHorizontalLayout(p, size);
    case HUDLayout::vertical: return drawVerticalLayout(p, size);
    case HUDLayout::grid: return drawGridLayout(p, size);
    }
}

void HUDContentView::drawBackground(QPainter& p, const QSizeF& size)
{
    const bool dark = config_.colorScheme == HUDColorScheme::dark;
    const double r = cornerRadius(config_, size);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(QPointF(0, 0), size), r, r);
    const QColor control = QApplication::palette().color(QPalette::Base);
    if (config_.style == HUDStyle::custom) {
        if (!config_.customBackgroundPath) return p.fillPath(outline, control);
        const auto bg = CustomBackground::shared().load(*config_.customBackgroundPath);
        if (bg.outcome == CustomBackground::Outcome::unreadableImage) return p.fillPath(outline, control);
        if (bg.outcome == CustomBackground::Outcome::unreadableGif) return;
        p.save();
        p.setClipPath(outline);
        const QSizeF img = bg.image.size();
        const double s = std::min(size.width() / img.width(), size.height() / img.height());
        const QSizeF drawn(img.width() * s, img.height() * s);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(QPointF((size.width() - drawn.width()) / 2, (size.height() - drawn.height()) / 2), drawn), bg.image);
        p.restore();
        return;
    }
    p.fillPath(outline, backgroundColor());
    // The stroke sits inside the outline so the panel's edge stays crisp.
    const double width = config_.style == HUDStyle::liquidGlass ? 1.5 : 1.0;
    const QColor stroke = config_.style == HUDStyle::liquidGlass ? backgroundColor() : (dark ? grey(1, 0.2) : grey(0, 0.15));
    QPainterPath inner;
    const double inset = width / 2;
    inner.addRoundedRect(QRectF(QPointF(inset, inset), size - QSizeF(width, width)), std::max(0.0, r - inset), std::max(0.0, r - inset));
    p.strokePath(inner, QPen(stroke, width));
}

void HUDContentView::drawIcon(QPainter& p, const HUDContentItem& item, const QRectF& rect)
{
    const QColor label = config_.colorScheme == HUDColorScheme::dark ? QColor(Qt::white) : QColor(Qt::black);
    std::optional<QImage> image = item.iconImage;
    if (!image) image = symbolImage(item.icon, label);
    if (!image) return;
    SmartIconAdapter::shared().drawIcon(p, *image, rect, backgroundColor());
}

namespace {
struct Texts {
    QColor title, value;
};
Texts textColours(const BrindotHUDConfig& c)
{
    if (c.colorScheme == HUDColorScheme::dark) return {grey(1, 0.6), grey(1, 0.9)};
    return {grey(0, 0.5), grey(0, 0.85)};
}
void drawText(QPainter& p, const QString& text, const QColor& colour, const QRectF& rect)
{
    p.setPen(colour);
    p.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, text);
}
}  // namespace

void HUDContentView::drawHorizontalLayout(QPainter& p, const QSizeF& size)
{
    const QFontMetricsF fm(p.font());
    const Texts colours = textColours(config_);
    double x = effectivePadding(config_);
    for (const auto& item : contentItems_) {
        const QImage probe = item.iconImage ? *item.iconImage : QImage();
        const QSizeF icon = rowIconSize(probe.isNull() ? QSizeF(kIconSize, kIconSize) : pointSize(probe));
        drawIcon(p, item, QRectF(x + (kIconSize - icon.width()) / 2, (size.height() - icon.height()) / 2, icon.width(), icon.height()));
        double t = x + kIconSize + kSpacing;
        if (item.title) {
            const double tw = fm.horizontalAdvance(*item.title);
            drawText(p, *item.title, colours.title, flipped(size, t, (size.height() - fm.height()) / 2, tw, fm.height()));
            t += tw + kSpacing;
        }
        if (item.type == HUDContentType::inputMethod && item.capsLockOn.value_or(false)) {
            debugPrint(QStringLiteral("🟢 绘制绿色Caps Lock指示器: Caps Lock开启"));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x34, 0xC7, 0x59));
            p.drawEllipse(flipped(size, t, (size.height() - 8) / 2, 8, 8));
            t += 16;
        } else {
            debugPrint(QStringLiteral("⚪ 不绘制Caps Lock指示器: Caps Lock状态=") + optionalBool(item.capsLockOn));
        }
        const double vw = fm.horizontalAdvance(item.value);
        drawText(p, item.value, colours.value, flipped(size, t, (size.height() - fm.height()) / 2, vw, fm.height()));
        x = t + vw + kSpacing;
    }
}

void HUDContentView::drawVerticalLayout(QPainter& p, const QSizeF& size)
{
    const QFontMetricsF fm(p.font());
    const Texts colours = textColours(config_);
    const auto bottoms = columnRowBottoms(config_, size.height(), contentItems_.size());
    for (std::size_t i = 0; i < contentItems_.size(); ++i) {
        const auto& item = contentItems_[i];
        const double y = bottoms[i];
        double x = columnRowStart(config_, size, y);
        drawIcon(p, item, flipped(size, x, y, kIconSize, kIconSize));
        x += kIconSize + kSpacing;
        const double th = fm.height();
        if (item.title) {
            const double tw = fm.horizontalAdvance(*item.title);
            drawText(p, *item.title, colours.title, flipped(size, x, y + (kRowHeight - th) / 2, tw, th));
            x += tw + kSpacing;
        }
        const double vw = fm.horizontalAdvance(item.value);
        drawText(p, item.value, colours.value, flipped(size, x, y + (kRowHeight - th) / 2, vw, th));
        if (item.type == HUDContentType::inputMethod && item.capsLockOn.value_or(false)) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x34, 0xC7, 0x59));
            p.drawEllipse(flipped(size, x + vw + kSpacing, y + (kRowHeight - 8) / 2, 8, 8));
        }
    }
}

void HUDContentView::drawGridLayout(QPainter& p, const QSizeF& size)
{
    const QFontMetricsF fm(p.font());
    const Texts colours = textColours(config_);
    for (std::size_t i = 0; i < contentItems_.size(); ++i) {
        const auto& item = contentItems_[i];
        const QRectF cell = gridCell(config_, size, i);
        const double b = cell.y();
        drawIcon(p, item, flipped(size, cell.x() + (cell.width() - kIconSize) / 2, b + kSpacing, kIconSize, kIconSize));
        const double vw = std::min(fm.horizontalAdvance(item.value), cell.width());
        const double vh = fm.height();
        const double vy = b + kIconSize + 2 * kSpacing;
        const QString shown = fm.elidedText(item.value, Qt::ElideRight, cell.width());
        drawText(p, shown, colours.value, flipped(size, cell.x() + (cell.width() - vw) / 2, vy, vw, vh));
        if (item.type == HUDContentType::inputMethod && item.capsLockOn.value_or(false)) {
            debugPrint(QStringLiteral("🟢 绘制绿色Caps Lock指示器(网格): Caps Lock开启"));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x34, 0xC7, 0x59));
            p.drawEllipse(flipped(size, cell.x() + cell.width() - 16, vy + (vh - 8) / 2, 8, 8));
        } else {
            debugPrint(QStringLiteral("⚪ 不绘制Caps Lock指示器(网格): Caps Lock状态=") + optionalBool(item.capsLockOn));
        }
    }
}

void HUDContentView::drawEmptyState(QPainter& p, const QSizeF& size)
{
    p.setFont(itemFont(12));
    const QFontMetricsF fm(p.font());
    const QString text = QStringLiteral("无内容");
    const double tw = fm.horizontalAdvance(text), th = fm.height();
    drawText(p, text, textColours(config_).title, QRectF(size.width() / 2 - tw / 2, size.height() / 2 - th / 2, tw, th));
}

void HUDContentView::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    if (tooltipTimer_) tooltipTimer_->cancel();
    tooltipTimer_ = platform::scheduler().after(0.5, [self = self_] {
        if (*self) (*self)->showTooltip();
    });
}

// A panel taken off screen takes its hint along.
void HUDContentView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    dropTooltip();
}

void HUDContentView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    dropTooltip();
}

void HUDContentView::dropTooltip()
{
    if (tooltipTimer_) tooltipTimer_->cancel();
    if (tooltipWindow_) tooltipWindow_->hide();
    tooltipWindow_.reset();
}

// A small never-focused, click-through label centred 8 points above the panel.
void HUDContentView::showTooltip()
{
    QWidget* panel = window();
    if (!panel || panel == this) {
        platform::systemLog(QStringLiteral("🖱️ [HUDContentView] ❌ Cannot show tooltip - window is nil"));
        return;
    }
    if (tooltipWindow_) tooltipWindow_->hide();
    tooltipWindow_.reset();
    auto tip = std::make_unique<QLabel>(tooltipText, nullptr,
                                        Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput |
                                            Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint);
    tip->setAttribute(Qt::WA_ShowWithoutActivating);
    tip->setFont(itemFont(11));
    tip->setStyleSheet(QStringLiteral("QLabel { background: rgb(255, 255, 230); color: black; padding: 4px 6px; }"));
    tip->adjustSize();
    const QRect hud = panel->geometry();
    tip->move(hud.x() + (hud.width() - tip->width()) / 2, hud.y() - 8 - tip->height());
    tip->show();
    tooltipWindow_ = std::move(tip);
}

}  // namespace zorbel
