#include "Platform/Simulated/SimulatedWorkspace.h"

#include "Platform/Scheduler.h"
#include "Platform/Services.h"
#include "Platform/Simulated/SimulatedDesktop.h"

namespace zorbel::platform {

QList<RunningApplicationRef> SimulatedWorkspace::runningApplications()
{
    QList<RunningApplicationRef> out;
    for (auto* app : desktop_.runningApplications()) out << app->running();
    return out;
}

RunningApplicationRef SimulatedWorkspace::applicationForProcessIdentifier(std::int32_t pid)
{
    auto* app = desktop_.application(pid);
    return app && !app->isQuit() ? app->running() : nullptr;
}

RunningApplicationRef SimulatedWorkspace::frontmostApplication()
{
    auto* app = desktop_.frontmost();
    return app ? app->running() : nullptr;
}

QList<QRectF> SimulatedWorkspace::screens() { return desktop_.screens(); }

bool SimulatedWorkspace::hasCompositingManager() { return desktop_.isCompositing(); }
bool SimulatedWorkspace::offersBlurBehind() { return desktop_.isCompositing() && desktop_.blursBehind; }
void SimulatedWorkspace::requestBlurBehind(std::uint64_t window) { desktop_.blurRequests.push_back(window); }
bool SimulatedWorkspace::isObscured(std::uint64_t window) { return desktop_.obscuredWindows.count(window) > 0; }

std::optional<QPointF> SimulatedWorkspace::mouseLocation() { return desktop_.mouseLocation(); }

bool SimulatedWorkspace::openURL(const QString& url)
{
    desktop_.openedURLs << url;
    return desktop_.opensURLs;
}

void SimulatedWorkspace::openURLThen(const QString& url, std::function<void(bool taken)> answered)
{
    const bool taken = openURL(url);
    answered(taken);
    if (taken && desktop_.openedURLFailsAfter)
        scheduler().after(*desktop_.openedURLFailsAfter, [answered = std::move(answered)] { answered(false); });
}

}  // namespace zorbel::platform
