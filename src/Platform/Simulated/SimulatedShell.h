#pragma once

#include "Platform/Http.h"
#include "Platform/StatusItem.h"
#include "Platform/UserNotifications.h"

#include <QHash>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace zorbel::platform {

class SimulatedStatusItem final : public StatusItem {
public:
    QString description() const override { return QStringLiteral("<SimulatedStatusItem>"); }
    double length() const override { return length_; }
    bool hasButton() const override { return hasButton_; }
    void setImage(const QImage& image, const QString& description) override;
    void setMenu(const Menu& menu) override;

    double length_ = -2;
    bool hasButton_ = true;
    QImage image;
    QString accessibilityDescription;
    Menu menu;
    int menuUpdates = 0;
};

// Status items, alerts and quitting, scripted: alerts are recorded and
// answered with the next queued answer (else the first button).
class SimulatedShellService final : public ShellService {
public:
    std::unique_ptr<StatusItem> makeStatusItem(double length, ActionHandler onAction) override;
    bool isStatusAreaAvailable() const override { return statusAreaAvailable; }
    int runModal(const Alert& alert) override;
    void terminate() override { ++terminateCount; }

    // Chooses a menu row by its action, as a click would (on the next turn).
    void choose(const QString& action);
    SimulatedStatusItem* item() const { return item_; }

    bool refuseStatusItems = false;
    bool statusItemsHaveButtons = true;
    bool statusAreaAvailable = true;
    std::vector<Alert> alerts;
    std::deque<int> alertAnswers;
    // Runs while an alert is up, as a modal box's own event loop would run
    // whatever else happens meanwhile (a click on a menu row...).
    std::function<void()> whileModal;
    int terminateCount = 0;

private:
    SimulatedStatusItem* item_ = nullptr;
    ActionHandler onAction_;
};

// Desktop notifications kept in a list; can be made to fail.
class SimulatedUserNotifications final : public UserNotificationService {
public:
    void add(const UserNotificationRequest& request, Completion completion) override;
    std::vector<UserNotificationRequest> shown;
    std::optional<QString> failure;
};

// Answers GET requests from a table of addresses; unknown ones fail as an
// unreachable server would. Answers arrive after `latency` seconds.
class SimulatedHttp final : public HttpService {
public:
    TimerRef get(const QUrl& url, const HttpLimits& limits, Completion completion) override;
    QHash<QUrl, HttpResponse> responses;
    double latency = 0.1;
    int requestCount = 0;
};

}  // namespace zorbel::platform
