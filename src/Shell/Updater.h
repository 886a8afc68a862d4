#pragma once

#include "Platform/Scheduler.h"
#include "Shell/Appcast.h"

#include <QDateTime>
#include <QUrl>

#include <functional>
#include <memory>

namespace zorbel {

// Told how each check ended, on the main loop.
class UpdaterDelegate {
public:
    virtual ~UpdaterDelegate() = default;
    virtual void updaterDidFindValidUpdate(const AppcastItem& item) = 0;
    virtual void updaterDidNotFindUpdate() = 0;
    virtual void updaterDidAbortWithError(const QString& message) = 0;
};

// The update checker: reads the appcast feed over HTTPS, compares versions
// and reports to its delegate; checks run on request and on a schedule kept
// in the settings. Nothing it downloads is ever run or installed: a found
// update only offers its download page, opened in the browser.
class Updater {
public:
    using WallClock = std::function<QDateTime()>;
    Updater(UpdaterDelegate& delegate, QUrl feedURL, QString runningVersion);
    ~Updater();
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    // The feed address of this build, empty when it has none;
    // ZORBEL_UPDATE_FEED_URL in the environment replaces it.
    static QUrl defaultFeedURL();
    // https, or http to this machine's loopback address.
    static bool isAcceptableFeedURL(const QUrl& url);

    // Whether this build (or the environment) names a feed at all.
    bool hasFeed() const { return !feedURL_.isEmpty(); }
    // Starts the schedule; false, with the reason, when checks cannot run.
    bool start(QString* error = nullptr);
    bool isStarted() const { return started_; }
    QUrl feedURL() const { return feedURL_; }

    bool automaticallyChecksForUpdates() const;
    void setAutomaticallyChecksForUpdates(bool on);
    // Seconds between scheduled checks, kept between one hour and 30 days.
    double updateCheckInterval() const;
    void setUpdateCheckInterval(double seconds);
    // Stored for the settings; nothing is ever downloaded either way.
    bool automaticallyDownloadsUpdates() const;
    void setAutomaticallyDownloadsUpdates(bool on);
    std::optional<QDateTime> lastUpdateCheckDate() const;

    // False before start and while a check runs.
    bool canCheckForUpdates() const { return started_ && !request_; }
    // The user asked: the outcome is also shown in an alert.
    void checkForUpdates();
    void checkForUpdatesInBackground();

    void setWallClock(WallClock clock) { wallClock_ = std::move(clock); }
    // Seconds until the next scheduled check, when one is scheduled.
    std::optional<double> secondsUntilScheduledCheck() const;

private:
    void runCheck(bool userInitiated);
    void finishCheck(const QByteArray& body, const QString& error);
    void scheduleNextCheck();
    void showOutcome(const std::optional<AppcastItem>& update, const QString& error) const;

    UpdaterDelegate& delegate_;
    QUrl feedURL_;
    QString runningVersion_;
    bool started_ = false;
    bool userInitiated_ = false;
    platform::TimerRef request_;
    platform::TimerRef scheduled_;
    double scheduledAt_ = 0;
    WallClock wallClock_ = [] { return QDateTime::currentDateTimeUtc(); };
    std::shared_ptr<Updater*> self_ = std::make_shared<Updater*>(this);
};

}  // namespace zorbel
