#pragma once

#include "AXLayer/UIElement.h"
#include "Platform/Workspace.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace zorbel {

class Observer;

// Called for each notification an observer delivers, on the main loop.
using ObserverCallback = std::function<void(Observer& observer, const UIElement& element, AXNotification notification)>;
// The notification's information, when it brings any.
using ObserverInformation = std::map<QString, Value>;
using ObserverCallbackWithInfo =
    std::function<void(Observer& observer, const UIElement& element, AXNotification notification,
                       const std::optional<ObserverInformation>& information)>;

// The element of one running application.
class Application : public UIElement {
public:
    explicit Application(platform::AXElementRef element);

    // The application of a running process: none once it has terminated
    // (even while its process identifier is still set) or for a negative
    // process identifier.
    static std::optional<Application> make(const platform::RunningApplicationRef& application);
    static std::optional<Application> forProcessID(std::int32_t pid);
    // Running applications in the workspace's order, without background-only
    // ones (activation policy prohibited).
    static std::vector<Application> all();
    // Those whose bundle identifier is exactly this one.
    static std::vector<Application> allForBundleID(const QString& bundleIdentifier);

    // No value when the application has no "AXWindows"; entries that are not
    // elements are skipped; an answer that is no list reports IllegalArgument.
    std::optional<std::vector<UIElement>> windows() const;

    // An observer of this application's process. None when the application
    // has gone; any other failure is logged as an unexpected error and also
    // gives none. The caller keeps the observer.
    std::shared_ptr<Observer> createObserver(ObserverCallback callback) const;
    std::shared_ptr<Observer> createObserver(ObserverCallbackWithInfo callback) const;

private:
    template <class Callback>
    std::shared_ptr<Observer> makeObserver(Callback callback) const;
};

}  // namespace zorbel
