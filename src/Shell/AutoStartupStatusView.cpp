#include "Shell/AutoStartupStatusView.h"

#include "Platform/Services.h"
#include "Settings/Widgets/SettingsText.h"
#include "Shell/AutoStartupManager.h"

#include <QGuiApplication>
#include <QWindow>

namespace zorbel {

AutoStartupStatusView::AutoStartupStatusView(QWidget* parent) : StatusBadge(parent)
{
    setObjectName(QStringLiteral("AutoStartupStatusView"));
    subscription_ = AutoStartupManager::shared().isAutoStartupEnabledPublisher().sink(
        [this](bool enabled) { showEnabled(enabled); });
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [](QWindow* window) {
        if (window) AutoStartupManager::shared().checkAutoStartupStatus();
    });
}

AutoStartupStatusView::~AutoStartupStatusView()
{
    if (recheck_) recheck_->cancel();
}

void AutoStartupStatusView::showEnabled(bool enabled)
{
    enabled_ = enabled;
    if (enabled)
        showState(QStringLiteral("checkmark.circle.fill"), ui::systemGreen(), QStringLiteral("开机自启动"),
                  ui::secondaryColor(), QStringLiteral("开机自启动：已开启"));
    else
        showState(QStringLiteral("exclamationmark.circle.fill"), ui::systemRed(), QStringLiteral("开机自启动"),
                  ui::systemRed(), QStringLiteral("开机自启动：未开启，按下查看设置方法"));
    setActionable(!enabled);
}

void AutoStartupStatusView::activate()
{
    if (!enabled_) AutoStartupManager::shared().showSetupGuide();
}

void AutoStartupStatusView::showEvent(QShowEvent* event)
{
    StatusBadge::showEvent(event);
    AutoStartupManager::shared().checkAutoStartupStatus();
    if (recheck_) recheck_->cancel();
    recheck_ = platform::scheduler().every(2.0, [] { AutoStartupManager::shared().checkAutoStartupStatus(); });
}

void AutoStartupStatusView::hideEvent(QHideEvent* event)
{
    StatusBadge::hideEvent(event);
    if (recheck_) recheck_->cancel();
    recheck_.reset();
}

}  // namespace zorbel
