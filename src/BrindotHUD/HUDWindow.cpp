#include "BrindotHUD/HUDWindow.h"

#include "BrindotHUD/HUDBounds.h"
#include "BrindotHUD/HUDContentView.h"
#include "Platform/LogSink.h"
#include "Platform/Services.h"
#include "Platform/Workspace.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QHash>
#include <QMouseEvent>
#include <QPainterPath>
#include <QVBoxLayout>

#include <cmath>

namespace zorbel {

namespace {
// Between the parked panel and the screens' top left corner.
constexpr int parkingMargin = 100;
}  // namespace

HUDWindow::HUDWindow(BrindotHUDConfig config, std::vector<HUDContentItem> items, double alpha)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint),
      originalAlpha(alpha),
      config_(std::move(config)),
      contentItems_(std::move(items))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setWindowTitle(QStringLiteral("Zorbel HUD"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

HUDWindow::~HUDWindow() = default;

void HUDWindow::setupContentView()
{
    if (contentView_) return;
    contentView_ = new HUDContentView(contentItems_, config_, this);
    layout()->addWidget(contentView_);
}

void HUDWindow::setContent(BrindotHUDConfig config, std::vector<HUDContentItem> items, double alpha)
{
    originalAlpha = alpha;
    config_ = std::move(config);
    contentItems_ = std::move(items);
    if (contentView_) contentView_->setContent(contentItems_, config_);
}

namespace {
// Measuring lays the text out; every show measures the same few texts again.
class TextWidths {
public:
    double operator()(const QFontMetricsF& fm, const QFont& font, const QString& text)
    {
        if (font != font_ || widths_.size() > 256) {
            widths_.clear();
            font_ = font;
        }
        auto known = widths_.constFind(text);
        if (known == widths_.cend()) known = widths_.insert(text, fm.horizontalAdvance(text));
        return *known;
    }

private:
    QFont font_;
    QHash<QString, double> widths_;
};
}  // namespace

QSizeF HUDWindow::contentSize() const
{
    static TextWidths widthOf;
    QFont font = QApplication::font();
    font.setPixelSize(static_cast<int>(hud::kFontSize));
    const QFontMetricsF fm(font);
    std::vector<hud::ItemMetrics> metrics;
    for (const auto& item : contentItems_) {
        hud::ItemMetrics m;
        m.value = QSizeF(widthOf(fm, font, item.value), fm.height());
        if (item.title) m.titleWidth = widthOf(fm, font, *item.title);
        m.capsLockMark = item.type == HUDContentType::inputMethod && item.capsLockOn.value_or(false);
        metrics.push_back(m);
    }
    const QSizeF size = hud::contentSize(config_, metrics);
    return {std::ceil(size.width()), std::ceil(size.height())};
}

QPointF HUDWindow::origin(const QPointF& anchor, const QSizeF& size) const
{
    return hud::originOnScreen(config_.position, config_.offset, anchor, size, platform::workspace().screens());
}

void HUDWindow::setFrame(const QRectF& frame)
{
    frame_ = frame;
    const auto desktop = platform::workspace().desktopRectFromCocoa(frame);
    if (!desktop) return;
    // X has no empty windows: the smallest frames of the animations show as one pixel.
    QRect placed(static_cast<int>(std::lround(desktop->x())), static_cast<int>(std::lround(desktop->y())),
                 std::max(1, static_cast<int>(std::ceil(desktop->width()))),
                 std::max(1, static_cast<int>(std::ceil(desktop->height()))));
    // Parked, it takes the new size where nobody sees it, so it comes back drawn.
    if (parked_) placed.moveTo(-placed.width() - parkingMargin, -placed.height() - parkingMargin);
    if (placed != geometry()) setGeometry(placed);
    updateMask();
}

void HUDWindow::setAlpha(double alpha)
{
    alpha_ = alpha;
    setWindowOpacity(alpha);
}

// Without a compositing manager the clear corners would show black, so the
// panel is cut to its outline.
void HUDWindow::updateMask()
{
    if (platform::workspace().hasCompositingManager() || !contentView_) return clearMask();
    const QSizeF size(geometry().size());
    const double r = hud::cornerRadius(config_, size);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(QPointF(0, 0), size), r, r);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
}

void HUDWindow::orderFront()
{
    restoreMouseHandling();
    if (std::exchange(parked_, false)) setFrame(frame_);
    // Mapped once; again only when a changed window flag took it down.
    if (!isVisible()) {
        show();
        // No window manager touches it, so nothing there is news to the toolkit.
        platform::workspace().ignorePropertyChanges(winId());
    }
    raise();
}

void HUDWindow::park()
{
    parked_ = true;
    isDragging = false;
    dragStartMouseLocation.reset();
    dragStartWindowOrigin.reset();
    if (contentView_) contentView_->dropTooltip();
    setFrame(frame_);
}

void HUDWindow::restoreMouseHandling()
{
    if (!acceptsMouseMovedEvents()) {
        setAcceptsMouseMovedEvents(true);
        platform::systemLog(QStringLiteral("🖱️ [HUDWindow] ⚠️ Restored acceptsMouseMovedEvents to true"));
    }
    // An invisible window over the editor must not swallow its clicks.
    const bool clickThrough = originalAlpha < hudBounds::clickThroughOpacity;
    if (ignoresMouseEvents() && !clickThrough) {
        setIgnoresMouseEvents(false);
        platform::systemLog(QStringLiteral("🖱️ [HUDWindow] ⚠️ Restored ignoresMouseEvents to false"));
    } else if (!ignoresMouseEvents() && clickThrough) {
        setIgnoresMouseEvents(true);
    }
}

// A fade only changes the opacity: each step changes no more than it must.
void HUDWindow::apply(const hud::PanelState& state)
{
    if (state.frame != frame_) setFrame(state.frame);
    if (state.alpha != alpha_) setAlpha(state.alpha);
    if (contentView_ && (state.yTurn != applied_.yTurn || state.zTurn != applied_.zTurn || state.scale != applied_.scale))
        contentView_->setLayerTransform(state.transform());
    applied_ = state;
}

void HUDWindow::keepRestingPicture()
{
    if (contentView_)
        contentView_->setRestingSize(QSize(static_cast<int>(std::ceil(frame_.width())), static_cast<int>(std::ceil(frame_.height()))));
}

void HUDWindow::settle()
{
    animation_.cancel();
    dragFade_.cancel();
    leaving_ = false;
    isDragging = false;
    isInTemporaryPosition = false;
    dragStartMouseLocation.reset();
    dragStartWindowOrigin.reset();
    keepRestingPicture();
    apply(hud::PanelState{frame_, originalAlpha});
}

void HUDWindow::showAnimated()
{
    leaving_ = false;
    const auto plan = hud::showPlan(config_.animationType, frame_, alpha_, config_.animationDuration);
    if (!plan) return;
    keepRestingPicture();
    animation_.start(*plan, [this](const hud::PanelState& s) { apply(s); });
}

void HUDWindow::hide(std::function<void()> gone)
{
    dragFade_.cancel();
    leaving_ = true;
    const auto plan = hud::hidePlan(config_.animationType, frame_, alpha_, config_.animationDuration);
    auto orderOut = [this, gone = std::move(gone)] {
        leaving_ = false;
        park();
        if (gone) gone();
    };
    if (!plan) return orderOut();
    keepRestingPicture();
    animation_.start(*plan, [this](const hud::PanelState& s) { apply(s); }, orderOut);
}

std::optional<QPointF> HUDWindow::mouseLocation() const { return platform::workspace().mouseLocation(); }

void HUDWindow::fadeTo(double alpha)
{
    const auto plan = hud::makePlan(hud::PanelState{frame_, alpha_}, hud::PanelState{frame_, alpha}, 0.15);
    dragFade_.start(plan, [this](const hud::PanelState& s) { setAlpha(s.alpha); });
}

void HUDWindow::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    isDragging = true;
    dragStartMouseLocation = mouseLocation();
    dragStartWindowOrigin = frame_.topLeft();
    fadeTo(originalAlpha * 0.7);
}

void HUDWindow::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    if (!isDragging || !dragStartMouseLocation || !dragStartWindowOrigin) return;
    const auto now = mouseLocation();
    if (!now) return;
    setFrameOrigin(*dragStartWindowOrigin + (*now - *dragStartMouseLocation));
}

void HUDWindow::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (!isDragging) return;
    isDragging = false;
    isInTemporaryPosition = true;
    dragStartMouseLocation.reset();
    dragStartWindowOrigin.reset();
    fadeTo(originalAlpha);
    platform::systemLog(QStringLiteral("🖱️ [HUDWindow] 拖拽完成，进入临时位置模式"));
}

}  // namespace zorbel
