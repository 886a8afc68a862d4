#pragma once

#include "Platform/Reactive/Published.h"
#include "Shell/Updater.h"

#include <QString>

#include <memory>
#include <optional>

namespace zorbel {

struct UpdateState {
    enum class Kind { idle, checking, updateAvailable, downloading, readyToInstall, error };
    Kind kind = Kind::idle;
    QString version;      // updateAvailable
    double progress = 0;  // downloading
    QString message;      // error

    static UpdateState idle() { return {}; }
    static UpdateState checking() { return {Kind::checking, {}, 0, {}}; }
    static UpdateState updateAvailable(const QString& v) { return {Kind::updateAvailable, v, 0, {}}; }
    static UpdateState downloading(double p) { return {Kind::downloading, {}, p, {}}; }
    static UpdateState readyToInstall() { return {Kind::readyToInstall, {}, 0, {}}; }
    static UpdateState error(const QString& m) { return {Kind::error, {}, 0, m}; }
    bool operator==(const UpdateState&) const = default;
};

// Runs the update checker with daily automatic checks and no automatic
// downloads, starts a check when the user asks, and turns each outcome into
// published state, "UpdateBadgeChanged" (object: whether an update is known)
// for the tray badge, and a desktop notification.
class UpdateManager final : public UpdaterDelegate {
public:
    static UpdateManager& shared();
    UpdateManager();
    ~UpdateManager() override;
    UpdateManager(const UpdateManager&) = delete;
    UpdateManager& operator=(const UpdateManager&) = delete;

    static constexpr const char* updateBadgeChangedNotification = "UpdateBadgeChanged";

    const UpdateState& updateState() const { return updateState_.get(); }
    rx::Publisher<UpdateState> updateStatePublisher() const { return updateState_.publisher(); }
    bool hasUpdate() const { return hasUpdate_.get(); }
    rx::Publisher<bool> hasUpdatePublisher() const { return hasUpdate_.publisher(); }
    const std::optional<QString>& latestVersion() const { return latestVersion_.get(); }
    rx::Publisher<std::optional<QString>> latestVersionPublisher() const { return latestVersion_.publisher(); }
    bool canCheckForUpdates() const { return canCheckForUpdates_.get(); }
    double downloadProgress() const { return downloadProgress_.get(); }

    void setupSparkle();
    void checkForUpdates();
    // The checker; it exists from creation on, started or not.
    Updater& updater() { return *updaterController_; }
    bool isUpdaterStarted() const { return updaterController_->isStarted(); }

    void updaterDidFindValidUpdate(const AppcastItem& item) override;
    void updaterDidNotFindUpdate() override;
    void updaterDidAbortWithError(const QString& message) override;
    void sendUpdateNotification(const QString& version, const QUrl& downloadPage = {});

private:
    rx::Published<UpdateState> updateState_;
    rx::Published<bool> hasUpdate_{false};
    rx::Published<std::optional<QString>> latestVersion_;
    rx::Published<bool> canCheckForUpdates_{true};
    rx::Published<double> downloadProgress_{0.0};
    std::unique_ptr<Updater> updaterController_;
    std::shared_ptr<UpdateManager*> self_ = std::make_shared<UpdateManager*>(this);
};

}  // namespace zorbel
