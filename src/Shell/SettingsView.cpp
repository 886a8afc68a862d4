#include "Shell/SettingsView.h"

#include "Caret/Managers/PermissionManager.h"
#include "Platform/Accessibility.h"
#include "Platform/Services.h"
#include "Settings/Themes/System/SystemStyleLayout.h"
#include "Shell/UIStyleManager.h"

#include <QGuiApplication>
#include <QVBoxLayout>

#include <map>

namespace zorbel {

namespace {
std::map<QString, SettingsView::Factory>& layouts()
{
    static std::map<QString, SettingsView::Factory> table;
    return table;
}
SettingsView::Factory& promptFactory()
{
    static SettingsView::Factory factory;
    return factory;
}
}  // namespace

void SettingsView::registerLayout(const QString& theme, Factory factory) { layouts()[theme] = std::move(factory); }
void SettingsView::registerPermissionPrompt(Factory factory) { promptFactory() = std::move(factory); }

SettingsView::SettingsView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SettingsView"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    // The layout follows the theme; a theme change rebuilds it (on the basic tab).
    UIStyleManager::shared()
        .currentStylePublisher()
        .sink([this](UIStyle theme) {
            const QString name = rawValue(theme);
            if (!layout_ || name != theme_) showLayout(name);
        })
        .store(subscriptions_);

    auto& permission = PermissionManager::shared();
    // Ask now rather than trust a value whose first check may still be on
    // its way: a granted permission must never flash the prompt.
    permission.updatePermissionStatus(platform::accessibility().isProcessTrusted(false));
    if (!permission.hasAccessibilityPermission()) permission.setShowPermissionAlert(true);
    permission.showPermissionAlertPublisher().sink([this](bool show) { showPrompt(show); }).store(subscriptions_);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) PermissionManager::shared().checkAccessibilityPermission();
    });
}

void SettingsView::showLayout(const QString& theme)
{
    const auto it = layouts().find(theme);
    QWidget* next = it != layouts().end() ? it->second() : new SystemStyleLayout;
    if (layout_) {
        layout()->replaceWidget(layout_, next);
        layout_->deleteLater();
    } else {
        layout()->addWidget(next);
    }
    layout_ = next;
    theme_ = theme;
    if (prompt_) prompt_->raise();
}

void SettingsView::showPrompt(bool show)
{
    if (!show) {
        if (prompt_) prompt_->deleteLater();
        prompt_ = nullptr;
        return;
    }
    if (prompt_ || !promptFactory()) return;
    prompt_ = promptFactory()();
    prompt_->setParent(this);
    prompt_->setGeometry(rect());
    prompt_->show();
    prompt_->raise();
}

void SettingsView::resizeEvent(QResizeEvent*)
{
    if (prompt_) prompt_->setGeometry(rect());
}

}  // namespace zorbel
