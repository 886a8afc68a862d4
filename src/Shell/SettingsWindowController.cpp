#include "Shell/SettingsWindowController.h"

#include "Platform/NotificationCenter.h"
#include "Platform/Services.h"
#include "Platform/Workspace.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassOverlayView.h"
#include "Shell/SettingsView.h"
#include "Shell/UIStyleManager.h"

#include <QCloseEvent>
#include <functional>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

namespace zorbel {

namespace {
QPointer<SettingsWindowController> sharedSettingsWindowController;

// A normal top-level window that tells its controller when it closes.
class SettingsWindow : public QWidget {
public:
    explicit SettingsWindow(std::function<void()> onClose) : onClose_(std::move(onClose)) {}

    // The liquid-glass border lies over everything, the prompt included.
    void setOverlay(QWidget* overlay)
    {
        delete overlay_;
        overlay_ = overlay;
        if (!overlay) return;
        overlay->setParent(this);
        overlay->setGeometry(rect());
        overlay->show();
        overlay->raise();
    }
    QWidget* overlay() const { return overlay_; }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->accept();
        if (onClose_) onClose_();
    }
    void resizeEvent(QResizeEvent*) override
    {
        if (overlay_) overlay_->setGeometry(rect());
    }

private:
    std::function<void()> onClose_;
    QPointer<QWidget> overlay_;
};
}  // namespace

SettingsWindowController::SettingsWindowController()
{
    auto* window = new SettingsWindow([this] { windowWillClose(); });
    window->setObjectName(QStringLiteral("SettingsWindow"));
    window->setWindowTitle(QStringLiteral("Zorbel 设置"));
    // Glass can show the desktop only where a compositor blends windows;
    // elsewhere the glass layers paint an opaque pane of their own.
    if (platform::workspace().hasCompositingManager()) window->setAttribute(Qt::WA_TranslucentBackground);
    const QSizeF size = UIStyleManager::shared().currentConfig().windowSize;
    window->resize(size.toSize());
    window->setMinimumSize(900, 560);
    auto* v = new QVBoxLayout(window);
    v->setContentsMargins(0, 0, 0, 0);
    view_ = new SettingsView(window);
    v->addWidget(view_);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - QPoint(windowWidth / 2, windowHeight / 2));
    }
    window_ = window;
    updateLiquidGlassOverlay();
    themeObserver_ = platform::notificationCenter().addObserver(
        QString::fromLatin1(UIStyleManager::uiStyleChangedNotification), [this](const platform::Notification&) {
            // One turn later, as the layout has switched by then.
            QMetaObject::invokeMethod(this, [this] { updateLiquidGlassOverlay(); }, Qt::QueuedConnection);
        });
}

void SettingsWindowController::updateLiquidGlassOverlay()
{
    auto* window = static_cast<SettingsWindow*>(window_.data());
    if (!window) return;
    const bool liquid = UIStyleManager::shared().currentStyle() == UIStyle::liquidGlass;
    // A fresh overlay for every application of the theme: its phase starts at 0.
    window->setOverlay(liquid ? new LiquidGlassOverlayView : nullptr);
}

QWidget* SettingsWindowController::liquidGlassOverlayView() const
{
    auto* window = static_cast<SettingsWindow*>(window_.data());
    return window ? window->overlay() : nullptr;
}

SettingsWindowController::~SettingsWindowController()
{
    themeObserver_.remove();
    delete window_.data();
}

SettingsWindowController* SettingsWindowController::shared() { return sharedSettingsWindowController.data(); }

void SettingsWindowController::showSettings()
{
    if (!sharedSettingsWindowController) sharedSettingsWindowController = new SettingsWindowController;
    QWidget* w = sharedSettingsWindowController->window();
    w->show();
    w->raise();
    w->activateWindow();
}

void SettingsWindowController::close()
{
    if (window_) window_->close();
}

void SettingsWindowController::windowWillClose()
{
    if (sharedSettingsWindowController == this) sharedSettingsWindowController = nullptr;
    // Called from the window's own close handling: let both go afterwards.
    deleteLater();
}

}  // namespace zorbel
