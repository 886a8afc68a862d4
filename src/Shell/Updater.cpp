#include "Shell/Updater.h"

#include "Platform/Console.h"
#include "Platform/Http.h"
#include "Platform/Services.h"
#include "Platform/StatusItem.h"
#include "Platform/UserDefaults.h"
#include "Platform/Workspace.h"

#include <QRegularExpression>

// Empty: this build has no update feed.
#ifndef ZORBEL_UPDATE_FEED_URL
#define ZORBEL_UPDATE_FEED_URL ""
#endif

namespace zorbel {

namespace {

const QString automaticChecksKey = QStringLiteral("updateAutomaticallyChecks");
const QString intervalKey = QStringLiteral("updateCheckInterval");
const QString automaticDownloadsKey = QStringLiteral("updateAutomaticallyDownloads");
const QString lastCheckKey = QStringLiteral("updateLastCheckTime");
constexpr double minimumInterval = 3600;
constexpr double maximumInterval = 30 * 86400;
// A scheduled check never runs right at start; the program's own start-up
// check covers that.
constexpr double minimumDelay = 60;

platform::UserDefaults& store() { return platform::userDefaults().standard(); }

bool isLoopback(const QString& host)
{
    static const QRegularExpression ipv4Loopback(QStringLiteral("^127(\\.\\d{1,3}){3}$"));
    return host == QLatin1String("localhost") || host == QLatin1String("::1") || ipv4Loopback.match(host).hasMatch();
}

}  // namespace

Updater::Updater(UpdaterDelegate& delegate, QUrl feedURL, QString runningVersion)
    : delegate_(delegate), feedURL_(std::move(feedURL)), runningVersion_(std::move(runningVersion))
{
}

Updater::~Updater()
{
    *self_ = nullptr;
    if (request_) request_->cancel();
    if (scheduled_) scheduled_->cancel();
}

QUrl Updater::defaultFeedURL()
{
    const QByteArray override = qgetenv("ZORBEL_UPDATE_FEED_URL");
    return QUrl(QString::fromUtf8(override.isEmpty() ? QByteArray(ZORBEL_UPDATE_FEED_URL) : override));
}

bool Updater::isAcceptableFeedURL(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty()) return false;
    if (url.scheme() == QLatin1String("https")) return true;
    return url.scheme() == QLatin1String("http") && isLoopback(url.host());
}

bool Updater::start(QString* error)
{
    if (!hasFeed()) {
        if (error) *error = QStringLiteral("no update feed is configured");
        return false;
    }
    if (!isAcceptableFeedURL(feedURL_)) {
        if (error)
            *error = QStringLiteral("the feed address \"%1\" is not an https address").arg(feedURL_.toString());
        return false;
    }
    if (!AppVersion::parse(runningVersion_)) {
        if (error) *error = QStringLiteral("the running version \"%1\" is not a version number").arg(runningVersion_);
        return false;
    }
    started_ = true;
    scheduleNextCheck();
    return true;
}

bool Updater::automaticallyChecksForUpdates() const
{
    return !store().contains(automaticChecksKey) || store().boolForKey(automaticChecksKey);
}

void Updater::setAutomaticallyChecksForUpdates(bool on)
{
    store().setBool(automaticChecksKey, on);
    scheduleNextCheck();
}

double Updater::updateCheckInterval() const
{
    const double stored = store().doubleForKey(intervalKey);
    return stored > 0 ? std::clamp(stored, minimumInterval, maximumInterval) : 86400.0;
}

void Updater::setUpdateCheckInterval(double seconds)
{
    store().setDouble(intervalKey, std::clamp(seconds, minimumInterval, maximumInterval));
    scheduleNextCheck();
}

bool Updater::automaticallyDownloadsUpdates() const { return store().boolForKey(automaticDownloadsKey); }
void Updater::setAutomaticallyDownloadsUpdates(bool on) { store().setBool(automaticDownloadsKey, on); }

std::optional<QDateTime> Updater::lastUpdateCheckDate() const
{
    if (!store().contains(lastCheckKey)) return std::nullopt;
    return QDateTime::fromSecsSinceEpoch(store().integerForKey(lastCheckKey), Qt::UTC);
}

std::optional<double> Updater::secondsUntilScheduledCheck() const
{
    if (!scheduled_ || !scheduled_->isActive()) return std::nullopt;
    return scheduledAt_ - platform::scheduler().now();
}

void Updater::scheduleNextCheck()
{
    if (scheduled_) scheduled_->cancel();
    scheduled_.reset();
    if (!started_ || !automaticallyChecksForUpdates()) return;
    const double interval = updateCheckInterval();
    double delay = interval;
    if (const auto last = lastUpdateCheckDate()) {
        const double since = double(last->secsTo(wallClock_()));
        // A clock set back makes "since" negative: wait one interval.
        if (since >= 0) delay = interval - since;
    }
    delay = std::clamp(delay, minimumDelay, interval);
    scheduledAt_ = platform::scheduler().now() + delay;
    scheduled_ = platform::scheduler().after(delay, [self = self_] {
        if (*self) (*self)->checkForUpdatesInBackground();
    });
}

void Updater::checkForUpdates() { runCheck(true); }
void Updater::checkForUpdatesInBackground() { runCheck(false); }

void Updater::runCheck(bool userInitiated)
{
    if (!started_) return;
    if (request_) {
        // One check at a time; a user asking during a background check
        // still gets to see its outcome.
        userInitiated_ = userInitiated_ || userInitiated;
        return;
    }
    userInitiated_ = userInitiated;
    request_ = platform::http().get(feedURL_, platform::HttpLimits{}, [self = self_](const platform::HttpResponse& r) {
        if (*self) (*self)->finishCheck(r.body, r.error);
    });
}

void Updater::finishCheck(const QByteArray& body, const QString& error)
{
    request_.reset();
    store().setObject(lastCheckKey, wallClock_().toSecsSinceEpoch());
    scheduleNextCheck();
    const bool userInitiated = std::exchange(userInitiated_, false);
    QString failure = error;
    std::optional<AppcastItem> update;
    if (failure.isEmpty()) {
        const auto parsed = parseAppcast(body);
        if (!parsed.appcast) {
            failure = parsed.error;
        } else {
            for (const auto& why : parsed.appcast->skipped) print(QStringLiteral("[Updater] Feed item skipped: ") + why);
            update = newestUpdate(*parsed.appcast, *AppVersion::parse(runningVersion_));
        }
    }
    if (!failure.isEmpty()) {
        delegate_.updaterDidAbortWithError(failure);
    } else if (update) {
        delegate_.updaterDidFindValidUpdate(*update);
    } else {
        delegate_.updaterDidNotFindUpdate();
    }
    if (userInitiated) showOutcome(update, failure);
}

void Updater::showOutcome(const std::optional<AppcastItem>& update, const QString& error) const
{
    platform::Alert alert;
    if (!error.isEmpty()) {
        alert.messageText = QStringLiteral("检查更新失败");
        alert.informativeText = error;
        alert.style = platform::Alert::Style::warning;
        alert.buttons = {QStringLiteral("确定")};
        platform::shell().runModal(alert);
        return;
    }
    if (!update) {
        alert.messageText = QStringLiteral("当前已是最新版本");
        alert.informativeText = QStringLiteral("Zorbel %1 是目前最新的版本。").arg(runningVersion_);
        alert.buttons = {QStringLiteral("确定")};
        platform::shell().runModal(alert);
        return;
    }
    alert.messageText = QStringLiteral("发现新版本 %1").arg(update->displayVersionString);
    alert.informativeText = QStringLiteral("当前版本为 %1。").arg(runningVersion_);
    if (update->downloadPage.isEmpty()) {
        alert.buttons = {QStringLiteral("确定")};
        platform::shell().runModal(alert);
        return;
    }
    alert.informativeText += QStringLiteral("是否在浏览器中打开下载页面？");
    alert.buttons = {QStringLiteral("打开下载页面"), QStringLiteral("稍后")};
    if (platform::shell().runModal(alert) == 0 && platform::services().workspace)
        platform::workspace().openURL(update->downloadPage.toString());
}

}  // namespace zorbel
