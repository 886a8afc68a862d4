#include "Shell/SettingsWindowController.h"

#include "Platform/NotificationCenter.h"
#include "Platform/Services.h"
#include "Platform/UserDefaults.h"
#include "Platform/Workspace.h"
#include "Settings/Themes/Shared/WindowFrame.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassOverlayView.h"
#include "Shell/SettingsView.h"
#include "Shell/UIStyleManager.h"

#include <QCloseEvent>
#include <QPaintEvent>
#include <QPainter>
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

    void setChrome(const WindowChrome& chrome)
    {
        chrome_ = chrome;
        update();
    }
    const WindowChrome& chrome() const { return chrome_; }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter p(this);
        // Band by band, as the glass above it: see glass::pieces.
        for (const QRect& piece : glass::pieces(event->region(), devicePixelRatioF())) {
            p.setClipRect(piece);
            paintWindowChrome(p, piece, chrome_, *this);
        }
    }

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
    WindowChrome chrome_;
};
}  // namespace

SettingsWindowController::SettingsWindowController()
{
    auto* window = new SettingsWindow([this] { windowWillClose(); });
    window->setObjectName(QStringLiteral("SettingsWindow"));
    window->setWindowTitle(QStringLiteral("Zorbel 设置"));
    // Glass stays translucent only where the compositor blurs what lies
    // behind it; unblurred, text behind the window would run sharp through
    // the glass, so elsewhere the glass lies on an opaque pane.
    auto& workspace = platform::workspace();
    const bool blurred = workspace.hasCompositingManager() && workspace.offersBlurBehind();
    if (blurred) window->setAttribute(Qt::WA_TranslucentBackground);
    const QSizeF size = UIStyleManager::shared().currentConfig().windowSize;
    window->resize(size.toSize());
    window->setMinimumSize(900, 560);
    auto* v = new QVBoxLayout(window);
    v->setContentsMargins(0, 0, 0, 0);
    view_ = new SettingsView(window);
    v->addWidget(view_);
    placeWindow(window);
    window_ = window;
    if (blurred) workspace.requestBlurBehind(quint64(window->winId()));
    applyWindowChrome();
    updateLiquidGlassOverlay();
    themeObserver_ = platform::notificationCenter().addObserver(
        QString::fromLatin1(UIStyleManager::uiStyleChangedNotification), [this](const platform::Notification&) {
            // One turn later, as the layout has switched by then.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    applyWindowChrome();
                    updateLiquidGlassOverlay();
                },
                Qt::QueuedConnection);
        });
}

void SettingsWindowController::applyWindowChrome()
{
    if (auto* window = static_cast<SettingsWindow*>(window_.data()))
        window->setChrome(windowChrome(UIStyleManager::shared().currentStyle()));
}

WindowChrome SettingsWindowController::currentChrome() const
{
    auto* window = static_cast<SettingsWindow*>(window_.data());
    return window ? window->chrome() : WindowChrome{};
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

QRect SettingsWindowController::frameOf(const QWidget* window)
{
    // Where the window manager's frame begins, and the size of the inside:
    // what move() and resize() take.
    return QRect(window->frameGeometry().topLeft(), window->size());
}

void SettingsWindowController::placeWindow(QWidget* window)
{
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) areas << screen->availableGeometry();
    const auto stored = platform::userDefaults().standard().stringForKey(QString::fromLatin1(frameKey));
    const QRect frame =
        restoredFrame(stored.value_or(QString()), areas, window->size(), window->minimumSize());
    window->resize(frame.size());
    window->move(frame.topLeft());
    openedWith_ = frame;
}

QRect SettingsWindowController::restoredFrame(const QString& stored, const QList<QRect>& screens,
                                              const QSize& preferred, const QSize& minimum)
{
    if (screens.isEmpty()) return QRect(QPoint(0, 0), preferred);
    const QRect primary = screens.first();
    const auto centred = [&](QSize size) {
        size = size.expandedTo(minimum);
        return QRect(primary.center() - QPoint(size.width() / 2, size.height() / 2), size);
    };
    const QStringList parts = stored.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 4) return centred(preferred);
    int numbers[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts[i].toInt(&ok);
        if (!ok) return centred(preferred);
    }
    QRect frame(numbers[0], numbers[1], numbers[2], numbers[3]);
    if (frame.width() <= 0 || frame.height() <= 0) return centred(preferred);
    frame.setSize(frame.size().expandedTo(minimum));
    // A frame that lay on a monitor that has gone, or that shows too little of
    // its title bar to be dragged back, opens centred in its own size.
    const QRect titleBar(frame.topLeft(), QSize(frame.width(), 40));
    for (const QRect& area : screens) {
        const QRect seen = area.intersected(titleBar);
        if (seen.width() >= 100 && seen.height() >= 20) return frame;
    }
    return centred(frame.size());
}

void SettingsWindowController::windowWillClose()
{
    // The frame is kept for the next opening, written only when the user moved
    // or resized the window.
    if (window_ && frameOf(window_) != openedWith_) {
        const QRect g = frameOf(window_);
        platform::userDefaults().standard().setString(
            QString::fromLatin1(frameKey),
            QStringLiteral("%1 %2 %3 %4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height()));
    }
    if (sharedSettingsWindowController == this) sharedSettingsWindowController = nullptr;
    // Called from the window's own close handling: let both go afterwards.
    deleteLater();
}

}  // namespace zorbel
