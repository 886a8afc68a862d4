#include "Shell/SettingsWindowController.h"

#include "Shell/SettingsView.h"

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

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->accept();
        if (onClose_) onClose_();
    }

private:
    std::function<void()> onClose_;
};
}  // namespace

SettingsWindowController::SettingsWindowController()
{
    auto* window = new SettingsWindow([this] { windowWillClose(); });
    window->setObjectName(QStringLiteral("SettingsWindow"));
    window->setWindowTitle(QStringLiteral("Zorbel 设置"));
    window->resize(windowWidth, windowHeight);
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
}

SettingsWindowController::~SettingsWindowController() { delete window_.data(); }

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
