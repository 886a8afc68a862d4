#include "Shell/SettingsView.h"

#include "Caret/Managers/PermissionManager.h"
#include "Platform/Accessibility.h"
#include "Platform/Services.h"
#include "Settings/Advanced/AdvancedSettingsContent.h"
#include "Settings/Themes/FrostedGlass/FrostedGlassStyleLayout.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassStyleLayout.h"
#include "Settings/Themes/PermissionAlert/PermissionAlertView.h"
#include "Settings/Themes/System/SystemStyleLayout.h"
#include "Settings/Widgets/SettingsText.h"
#include "Shell/UIStyleManager.h"

#include <QGuiApplication>
#include <QPainter>
#include <QVBoxLayout>

namespace zorbel {

QWidget* SettingsView::makeLayout(UIStyle theme)
{
    switch (theme) {
    case UIStyle::frostedGlass: return new FrostedGlassStyleLayout;
    case UIStyle::liquidGlass: return new LiquidGlassStyleLayout;
    case UIStyle::system: break;
    }
    return new SystemStyleLayout;
}

SettingsView::SettingsView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SettingsView"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    UIStyleManager::shared()
        .currentStylePublisher()
        .sink([this](const UIStyle& theme) { showLayout(theme); })
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

void SettingsView::showLayout(UIStyle theme)
{
    // An assignment of the same theme changes nothing on screen.
    if (layout_ && theme == theme_) return;
    theme_ = theme;
    // A new layout opens on the basic tab.
    QWidget* next = makeLayout(theme);
    if (layout_) {
        layout()->replaceWidget(layout_, next);
        // The switch may come from a control inside the old layout.
        layout_->hide();
        layout_->deleteLater();
    } else {
        layout()->addWidget(next);
    }
    layout_ = next;
    if (prompt_) {
        // The prompt follows the theme too: one prompt, drawn anew.
        prompt_->hide();
        prompt_->deleteLater();
        prompt_ = nullptr;
        showPrompt(true);
    }
    update();
}

void SettingsView::showPrompt(bool show)
{
    if (!show) {
        if (prompt_) prompt_->deleteLater();
        prompt_ = nullptr;
        return;
    }
    if (prompt_) return;
    prompt_ = new PermissionAlertView(
        theme_,
        [this] {
            if (!PermissionManager::shared().openAccessibilitySettings() && prompt_)
                prompt_->showOpenFailure(PermissionSection::noSettingsText(false));
        },
        [] { PermissionManager::shared().setShowPermissionAlert(false); }, this);
    prompt_->setGeometry(rect());
    prompt_->show();
    prompt_->raise();
}

void SettingsView::resizeEvent(QResizeEvent*)
{
    if (prompt_) prompt_->setGeometry(rect());
}


}  // namespace zorbel
