#include "AXLayer/Application.h"

#include "AXLayer/Observer.h"
#include "Caret/Core/Logger.h"
#include "Platform/Accessibility.h"
#include "Platform/Services.h"

namespace zorbel {

namespace axcode = platform::axcode;

Application::Application(platform::AXElementRef element) : UIElement(std::move(element)) {}

std::optional<Application> Application::make(const platform::RunningApplicationRef& application)
{
    if (!application || application->isTerminated()) return std::nullopt;
    const auto pid = application->processIdentifier();
    if (pid < 0) return std::nullopt;
    return Application(platform::accessibility().applicationElement(pid));
}

std::optional<Application> Application::forProcessID(std::int32_t pid)
{
    return make(platform::workspace().applicationForProcessIdentifier(pid));
}

std::vector<Application> Application::all()
{
    std::vector<Application> out;
    for (const auto& running : platform::workspace().runningApplications()) {
        if (!running || running->activationPolicy() == platform::ActivationPolicy::prohibited) continue;
        if (auto app = make(running)) out.push_back(*app);
    }
    return out;
}

std::vector<Application> Application::allForBundleID(const QString& bundleIdentifier)
{
    std::vector<Application> out;
    for (const auto& running : platform::workspace().runningApplications()) {
        if (!running || running->bundleIdentifier() != bundleIdentifier) continue;
        if (auto app = make(running)) out.push_back(*app);
    }
    return out;
}

std::optional<std::vector<UIElement>> Application::windows() const
{
    platform::AXValue value;
    const auto code = platform::accessibility().attributeValue(element(), QStringLiteral("AXWindows"), value);
    if (code == axcode::noValue || code == axcode::attributeUnsupported) return std::nullopt;
    if (code != axcode::success) throw AXError(code);
    // The answer comes from another process: take only what is an element.
    const auto* entries = value.array();
    if (!entries) throw AXError::illegalArgument;
    std::vector<UIElement> out;
    for (const auto& entry : *entries)
        if (const auto* window = entry.element()) out.emplace_back(*window);
    return out;
}

template <class Callback>
std::shared_ptr<Observer> Application::makeObserver(Callback callback) const
{
    try {
        return std::make_shared<Observer>(pid(), std::move(callback));
    } catch (const AXError& error) {
        // The application quit before it could be observed: nothing to say.
        if (error == AXError::invalidUIElement) return nullptr;
        Logger::shared().error(QStringLiteral("Caught unexpected error creating observer: ") + error.description(),
                               ZHERE("createObserver(_:)"));
        return nullptr;
    }
}

std::shared_ptr<Observer> Application::createObserver(ObserverCallback callback) const
{
    return makeObserver(std::move(callback));
}

std::shared_ptr<Observer> Application::createObserver(ObserverCallbackWithInfo callback) const
{
    return makeObserver(std::move(callback));
}

}  // namespace zorbel
