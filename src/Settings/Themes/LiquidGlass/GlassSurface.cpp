#include "Settings/Themes/LiquidGlass/GlassSurface.h"

#include "Platform/Services.h"
#include "Platform/Workspace.h"

#include <QEvent>
#include <QWindow>

namespace zorbel {

GlassSurface::GlassSurface(QWidget* parent) : QWidget(parent), viewer_(GlassClock::shared().addViewer()) {}

GlassSurface::~GlassSurface()
{
    ticks_.cancel();
    obscuredObserver_.remove();
    GlassClock::shared().removeViewer(viewer_);
}

double GlassSurface::animationTime() const
{
    if (!startedAt_) return 0;
    return GlassClock::shared().elapsed() - *startedAt_;
}

void GlassSurface::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    watchWindow();
    refreshOnScreen();
}

void GlassSurface::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    refreshOnScreen();
}

bool GlassSurface::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Expose:
    case QEvent::WindowStateChange:
        // Hand the event on first: the window's state is settled only after it.
        QMetaObject::invokeMethod(this, [this]() { refreshOnScreen(); }, Qt::QueuedConnection);
        break;
    // The user at work in the window: the glass moves again.
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::KeyPress:
        if (watched == watchedHandle_.data()) GlassClock::shared().wake();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void GlassSurface::watchWindow()
{
    QWidget* top = window();
    if (watchedWindow_ != top) {
        if (watchedWindow_) watchedWindow_->removeEventFilter(this);
        watchedWindow_ = top;
        if (top != this) top->installEventFilter(this);
    }
    QWindow* handle = top->windowHandle();
    if (watchedHandle_ != handle) {
        if (watchedHandle_) watchedHandle_->removeEventFilter(this);
        watchedHandle_ = handle;
        if (handle) handle->installEventFilter(this);
    }
    if (!obscuredObserver_.isActive())
        obscuredObserver_ = platform::workspace().notificationCenter().addObserver(
            QString::fromLatin1(platform::WorkspaceService::windowObscuredChangedNotification),
            [this](const platform::Notification& n) {
                const QWindow* watched = watchedHandle_.data();
                if (watched && n.userInfo.value(QString::fromLatin1(platform::WorkspaceService::windowKey)).toULongLong() ==
                                   quint64(watched->winId()))
                    refreshOnScreen();
            });
}

void GlassSurface::refreshOnScreen()
{
    const QWidget* top = window();
    const QWindow* handle = top->windowHandle();
    // A window wholly covered by others is still exposed to Qt: the X server
    // tells that apart only in its visibility events.
    const bool now = isVisible() && !top->isMinimized() && handle && handle->isExposed() &&
                     !platform::workspace().isObscured(quint64(handle->winId()));
    if (now == onScreen_) return;
    onScreen_ = now;
    auto& clock = GlassClock::shared();
    if (now) {
        if (!startedAt_) startedAt_ = clock.elapsed();
        frameTime_ = animationTime();
        ticks_ = clock.ticks().sink([this](const double&) { onTick(); });
    } else {
        ticks_.cancel();
    }
    clock.setViewerOnScreen(viewer_, now);
}

void GlassSurface::onTick()
{
    const double now = animationTime();
    const QRegion moved = advance(now) + movedRegion(frameTime_, now);
    frameTime_ = now;
    if (!moved.isEmpty()) update(moved);
}

}  // namespace zorbel
