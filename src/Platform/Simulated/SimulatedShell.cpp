#include "Platform/Simulated/SimulatedShell.h"

#include "Platform/Services.h"

#include <utility>

namespace zorbel::platform {

void SimulatedStatusItem::setImage(const QImage& newImage, const QString& description)
{
    image = newImage;
    accessibilityDescription = description;
}

void SimulatedStatusItem::setMenu(const Menu& newMenu)
{
    menu = newMenu;
    ++menuUpdates;
}

std::unique_ptr<StatusItem> SimulatedShellService::makeStatusItem(double length, ActionHandler onAction)
{
    if (refuseStatusItems) return nullptr;
    auto item = std::make_unique<SimulatedStatusItem>();
    item->length_ = length;
    item->hasButton_ = statusItemsHaveButtons;
    item_ = item.get();
    onAction_ = std::move(onAction);
    return item;
}

int SimulatedShellService::runModal(const Alert& alert)
{
    alerts.push_back(alert);
    if (auto during = std::exchange(whileModal, nullptr)) during();
    if (alertAnswers.empty()) return 0;
    const int answer = alertAnswers.front();
    alertAnswers.pop_front();
    return answer;
}

void SimulatedShellService::choose(const QString& action)
{
    if (!onAction_) return;
    scheduler().post([handler = onAction_, action] { handler(action); });
}

void SimulatedUserNotifications::add(const UserNotificationRequest& request, Completion completion)
{
    if (!failure) shown.push_back(request);
    scheduler().post([completion = std::move(completion), error = failure] {
        if (completion) completion(error);
    });
}

TimerRef SimulatedHttp::get(const QUrl& url, const HttpLimits&, Completion completion)
{
    ++requestCount;
    HttpResponse response;
    if (responses.contains(url)) {
        response = responses.value(url);
    } else {
        response.error = QStringLiteral("无法连接更新服务器：%1").arg(url.host());
    }
    return scheduler().after(latency, [completion = std::move(completion), response] { completion(response); });
}

}  // namespace zorbel::platform
