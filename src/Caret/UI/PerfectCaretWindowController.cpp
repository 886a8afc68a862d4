#include "Caret/UI/PerfectCaretWindowController.h"

#include "Caret/Core/Logger.h"
#include "Caret/Styles/BrindotStyleManager.h"
#include "Caret/UI/PerfectCaretView.h"
#include "Platform/LatencyTrace.h"
#include "Platform/Services.h"
#include "Platform/TextForm.h"
#include "Platform/Workspace.h"

#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace zorbel {

PerfectCaretWindowController::PerfectCaretWindowController()
{
    setupWindow();
    setupBindings();
    setupWorkspaceObservers();
}

PerfectCaretWindowController::~PerfectCaretWindowController() { *self_ = nullptr; }

void PerfectCaretWindowController::setupWindow()
{
    // Bypassing the window manager keeps the panel out of task lists and
    // window cycling and places it exactly; it is raised whenever another
    // window may have covered it.
    window_ = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                                     Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                                                     Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint);
    window_->setAttribute(Qt::WA_TranslucentBackground);
    window_->setAttribute(Qt::WA_ShowWithoutActivating);
    window_->setAttribute(Qt::WA_X11DoNotAcceptFocus);
    window_->setAttribute(Qt::WA_TransparentForMouseEvents);
    window_->setFocusPolicy(Qt::NoFocus);
    window_->setWindowTitle(QStringLiteral("Zorbel indicator"));
    // The view always fills the panel, so the shape stays centred after a restyle.
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    caretView_ = new PerfectCaretView(window_.get());
    layout->addWidget(caretView_);
    window_->resize(20, 20);
    Logger::shared().info(QStringLiteral("Perfect caret window created successfully"), ZHERE("setupWindow()"));
}

void PerfectCaretWindowController::setupBindings()
{
    cancellables_.push_back(BrindotStyleManager::shared().drawnStylePublisher().receiveOnMain().sink(
        [self = self_](const BrindotStyle& style) {
            if (*self) (*self)->updateStyle(style);
        }));
}

void PerfectCaretWindowController::setupWorkspaceObservers()
{
    auto& center = platform::workspace().notificationCenter();
    auto later = [self = self_](const platform::Notification&) {
        platform::scheduler().post([self]() {
            if (*self) (*self)->handleSpaceChange();
        });
    };
    spaceObserver_ =
        center.addObserver(QString::fromLatin1(platform::WorkspaceService::activeSpaceDidChangeNotification), later);
    activationObserver_ =
        center.addObserver(QString::fromLatin1(platform::WorkspaceService::didActivateApplicationNotification), later);
    // A compositor that quits would leave the clear pixels around the shape
    // black until the next move; one that starts blends the soft edges the
    // mask had cut.
    compositingObserver_ = center.addObserver(
        QString::fromLatin1(platform::WorkspaceService::compositingDidChangeNotification),
        [self = self_](const platform::Notification&) {
            if (!*self || !(*self)->isVisible_.get()) return;
            (*self)->updateMask();
            if ((*self)->caretView_) (*self)->caretView_->update();
        });
}

QSizeF PerfectCaretWindowController::panelSize() const
{
    if (!caretView_) return {12, 12};
    const auto& s = caretView_->style();
    const double p = PerfectCaretView::margin(s);
    return {s.width + 2 * p, s.height + 2 * p};
}

void PerfectCaretWindowController::setFrame(const QRectF& frame)
{
    frame_ = frame;
    const auto desktop = platform::workspace().desktopRectFromCocoa(frame);
    if (!desktop) return;
    // A caret reported far outside every screen must not overflow X's 16-bit coordinates.
    const auto coordinate = [](double v) { return static_cast<int>(std::lround(std::clamp(v, -30000.0, 30000.0))); };
    const QRect placed(coordinate(desktop->x()), coordinate(desktop->y()), static_cast<int>(std::ceil(desktop->width())),
                       static_cast<int>(std::ceil(desktop->height())));
    window_->setGeometry(placed);
}

void PerfectCaretWindowController::show(const QPointF& c)
{
    if (!window_) return;
    const QSizeF size = panelSize();
    const QRectF frame(c.x() - size.width() / 2, c.y() - size.height() / 2, size.width(), size.height());
    // Stamped first: Qt sends the move at once, and its watchers may see it before setFrame returns.
    platform::latency::placed();
    setFrame(frame);
    updateMask();
    if (isVisible_.get()) {
        animateFrame(frame);
        return;
    }
    window_->show();
    window_->raise();
    platform::workspace().keepWindowInFront(window_->winId());
    isVisible_.set(true);
    Logger::shared().debug(QStringLiteral("Perfect caret shown at: ") + text::point(c) + QStringLiteral(" with frame: ") +
                               text::rect(frame),
                           ZHERE("show(at:)"));
}

// The panel already stands at its new frame; the 0.1 s ease-out to that same
// frame only times the flash that ends each move.
void PerfectCaretWindowController::animateFrame(const QRectF&)
{
    platform::scheduler().after(0.1, [self = self_]() {
        if (*self) (*self)->flashAfterMove();
    });
}

void PerfectCaretWindowController::flashAfterMove()
{
    if (caretView_) caretView_->startFlash();
}

// Without a compositing manager the clear pixels around the shape would show
// as a black square, so the panel is cut to what it draws opaquely enough;
// faint glow and shadow are lost, never the shape. Set again at every
// appearance and move, and when a compositor comes or goes.
void PerfectCaretWindowController::updateMask()
{
    if (!window_ || !caretView_) return;
    if (platform::workspace().hasCompositingManager()) {
        window_->clearMask();
    } else {
        window_->setMask(caretView_->opaqueRegion(window_->size()));
    }
}

void PerfectCaretWindowController::hide()
{
    if (!window_ || !isVisible_.get()) return;
    window_->hide();
    isVisible_.set(false);
    Logger::shared().debug(QStringLiteral("Perfect caret hidden"), ZHERE("hide()"));
}

void PerfectCaretWindowController::setBlinkingEnabled(bool enabled)
{
    if (!caretView_) return;
    caretView_->setEnableBlinking(enabled);
    if (!enabled) caretView_->stopFlash();
}

void PerfectCaretWindowController::updateStyle(const BrindotStyle& style)
{
    const PerfectCaretStyle s(style);
    if (caretView_) caretView_->updateStyle(s);
    const double p = caretView_ ? PerfectCaretView::margin(caretView_->style()) : 0.0;
    const double side = s.width + 2 * p;  // the size as the indicator may draw it
    if (window_) {
        const QPointF centre = frame_.isNull() ? QPointF(side / 2, side / 2) : frame_.center();
        setFrame(QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side));
        if (isVisible_.get()) updateMask();
    }
    Logger::shared().debug(QStringLiteral("Perfect caret style updated from BrindotStyleManager"),
                           ZHERE("updateStyle(from:)"));
}

void PerfectCaretWindowController::handleSpaceChange()
{
    if (!window_ || !isVisible_.get()) return;
    window_->raise();
    Logger::shared().debug(QStringLiteral("brindot window refreshed after space change"),
                           ZHERE("handleSpaceChange()"));
}

}  // namespace zorbel
