#include "Shell/UpdateManager.h"

#include "Platform/Console.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Scheduler.h"
#include "Platform/Services.h"
#include "Platform/StatusItem.h"
#include "Platform/UserNotifications.h"
#include "Platform/Workspace.h"
#include "Shell/BundleVersionProvider.h"

namespace zorbel {

namespace {
const QString prefix = QStringLiteral("[UpdateManager] ");
const QString noFeedMessage = QStringLiteral("此版本的 Zorbel 没有配置更新源，无法检查更新。");

void onMain(const std::shared_ptr<UpdateManager*>& self, std::function<void(UpdateManager&)> job)
{
    platform::scheduler().post([weak = std::weak_ptr<UpdateManager*>(self), job = std::move(job)] {
        if (auto s = weak.lock(); s && *s) job(**s);
    });
}

void postBadge(bool hasUpdate)
{
    platform::notificationCenter().post(QString::fromLatin1(UpdateManager::updateBadgeChangedNotification),
                                        QVariant(hasUpdate));
}
}  // namespace

UpdateManager& UpdateManager::shared() { return sharedInstance<UpdateManager>(); }

UpdateManager::UpdateManager()
{
    print(prefix + QStringLiteral("🚀 初始化Sparkle框架..."));
    setupSparkle();
}

UpdateManager::~UpdateManager() { *self_ = nullptr; }

void UpdateManager::setupSparkle()
{
    updaterController_ = std::make_unique<Updater>(*this, Updater::defaultFeedURL(), appVersionProvider().version());
    QString error;
    if (!updaterController_->hasFeed()) {
        canCheckForUpdates_.set(false);
        print(prefix + QStringLiteral("ℹ️ 未配置更新源，不检查更新"));
        return;
    }
    if (!updaterController_->start(&error)) {
        canCheckForUpdates_.set(false);
        print(prefix + QStringLiteral("❌ 更新检查无法启动: ") + error);
        return;
    }
    auto& updater = *updaterController_;
    updater.setAutomaticallyChecksForUpdates(true);
    updater.setUpdateCheckInterval(86400.0);
    updater.setAutomaticallyDownloadsUpdates(false);
    canCheckForUpdates_.set(updater.canCheckForUpdates());
    print(prefix + QStringLiteral("✅ Sparkle初始化完成"));
    print(prefix + QStringLiteral("📡 更新源: ") + updater.feedURL().toString());
}

void UpdateManager::checkForUpdates()
{
    print(prefix + QStringLiteral("🔍 检查更新..."));
    if (!updaterController_->hasFeed()) {
        updateState_.set(UpdateState::error(noFeedMessage));
        print(prefix + QStringLiteral("❌ 检查更新失败: ") + noFeedMessage);
        platform::Alert alert;
        alert.messageText = QStringLiteral("未配置更新源");
        alert.informativeText = noFeedMessage;
        alert.buttons = {QStringLiteral("确定")};
        platform::shell().runModal(alert);
        return;
    }
    if (!updaterController_->isStarted()) {
        // Nothing would ever end the check: say why instead.
        updateState_.set(UpdateState::error(QStringLiteral("更新检查未能启动")));
        print(prefix + QStringLiteral("❌ 检查更新失败: 更新检查未能启动"));
        return;
    }
    updateState_.set(UpdateState::checking());
    updaterController_->checkForUpdates();
}

void UpdateManager::updaterDidFindValidUpdate(const AppcastItem& item)
{
    onMain(self_, [item](UpdateManager& m) {
        const QString version = item.displayVersionString;
        m.latestVersion_.set(version);
        m.hasUpdate_.set(true);
        m.updateState_.set(UpdateState::updateAvailable(version));
        postBadge(true);
        m.sendUpdateNotification(version, item.downloadPage);
        print(prefix + QStringLiteral("✅ 发现新版本: ") + version);
    });
}

void UpdateManager::updaterDidNotFindUpdate()
{
    onMain(self_, [](UpdateManager& m) {
        m.updateState_.set(UpdateState::idle());
        m.hasUpdate_.set(false);
        postBadge(false);
        print(prefix + QStringLiteral("ℹ️ 当前已是最新版本"));
    });
}

void UpdateManager::updaterDidAbortWithError(const QString& message)
{
    onMain(self_, [message](UpdateManager& m) {
        m.updateState_.set(UpdateState::error(message));
        print(prefix + QStringLiteral("❌ 检查更新失败: ") + message);
    });
}

void UpdateManager::sendUpdateNotification(const QString& version, const QUrl& downloadPage)
{
    platform::UserNotificationRequest request;
    request.identifier = QStringLiteral("update_available_") + version;
    request.title = QStringLiteral("Zorbel 更新可用");
    request.body = QStringLiteral("发现新版本 ") + version + QStringLiteral("，点击查看详情");
    request.defaultSound = true;
    if (!downloadPage.isEmpty()) {
        request.onActivate = [downloadPage] {
            if (platform::services().workspace) platform::workspace().openURL(downloadPage.toString());
        };
    }
    if (!platform::services().userNotifications) {
        print(prefix + QStringLiteral("❌ 通知发送失败: 没有可用的桌面通知服务"));
        return;
    }
    platform::userNotifications().add(request, [](const std::optional<QString>& error) {
        if (error) print(prefix + QStringLiteral("❌ 通知发送失败: ") + *error);
    });
}

}  // namespace zorbel
