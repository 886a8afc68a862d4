#include "Shell/PermissionStatusView.h"

#include "Caret/Managers/PermissionManager.h"
#include "Settings/Widgets/SettingsText.h"

namespace zorbel {

PermissionStatusView::PermissionStatusView(QWidget* parent) : StatusBadge(parent)
{
    setObjectName(QStringLiteral("PermissionStatusView"));
    subscription_ = PermissionManager::shared().hasAccessibilityPermissionPublisher().sink(
        [this](bool granted) { showPermission(granted); });
}

void PermissionStatusView::showPermission(bool granted)
{
    granted_ = granted;
    if (granted)
        showState(QStringLiteral("checkmark.shield.fill"), ui::systemGreen(), QStringLiteral("已授权"), ui::secondaryColor(),
                  QStringLiteral("辅助功能权限：已授权"));
    else
        showState(QStringLiteral("exclamationmark.shield.fill"), ui::systemOrange(), QStringLiteral("未授权"),
                  ui::secondaryColor(), QStringLiteral("辅助功能权限：未授权，按下打开设置"));
    setActionable(!granted);
}

void PermissionStatusView::activate()
{
    if (!granted_) PermissionManager::shared().openAccessibilitySettings();
}

}  // namespace zorbel
