#include "Platform/Simulated/SimulatedDesktop.h"

#include "Platform/Scheduler.h"
#include "Platform/Services.h"
#include "Platform/Simulated/SimulatedAccessibility.h"
#include "Platform/Simulated/SimulatedWorkspace.h"

#include <QVariant>

#include <algorithm>

namespace zorbel::platform {

SimulatedDesktop::SimulatedDesktop()
    : systemWide_(std::make_unique<SimulatedElement>(*this, nullptr, nullptr, QStringLiteral("AXSystemWide"))),
      accessibility_(std::make_unique<SimulatedAccessibility>(*this)),
      workspace_(std::make_unique<SimulatedWorkspace>(*this))
{
}

SimulatedDesktop::~SimulatedDesktop() = default;

AccessibilityService& SimulatedDesktop::accessibility() { return *accessibility_; }
WorkspaceService& SimulatedDesktop::workspace() { return *workspace_; }

SimulatedApplication& SimulatedDesktop::addApplication(const ApplicationInfo& info)
{
    applications_.push_back(std::make_unique<SimulatedApplication>(*this, info));
    return *applications_.back();
}

SimulatedApplication* SimulatedDesktop::application(std::int32_t pid) const
{
    SimulatedApplication* found = nullptr;
    for (const auto& app : applications_) {
        if (app->pid() != pid) continue;
        if (!app->isQuit()) return app.get();
        found = app.get();
    }
    return found;
}

std::vector<SimulatedApplication*> SimulatedDesktop::runningApplications() const
{
    std::vector<SimulatedApplication*> out;
    for (const auto& app : applications_)
        if (!app->isQuit()) out.push_back(app.get());
    return out;
}

void SimulatedDesktop::activate(SimulatedApplication& application)
{
    if (application.isQuit()) return;
    frontmost_ = &application;
    postWorkspaceNotification(WorkspaceService::didActivateApplicationNotification, application.running());
}

void SimulatedDesktop::focus(SimulatedElement& element)
{
    auto* app = element.application();
    if (!app || app->isQuit()) return;
    app->setFocusedElement(&element);
    postNotification(element, QStringLiteral("AXFocusedUIElementChanged"));
}

void SimulatedDesktop::quit(SimulatedApplication& application)
{
    if (application.isQuit()) return;
    std::static_pointer_cast<SimulatedRunningApplication>(application.running())->terminate();
    if (frontmost_ == &application) frontmost_ = nullptr;
    postWorkspaceNotification(WorkspaceService::didTerminateApplicationNotification, application.running());
}

void SimulatedDesktop::postNotification(const SimulatedElement& element, const QString& name, const AXValue& info)
{
    deliver(element, name, info, true);
}

void SimulatedDesktop::broadcastNotification(const SimulatedElement& element, const QString& name,
                                             const AXValue& info)
{
    deliver(element, name, info, false);
}

void SimulatedDesktop::deliver(const SimulatedElement& element, const QString& name, const AXValue& info,
                               bool registeredOnly)
{
    auto* app = element.application();
    if (!app || app->isQuit()) return;
    const auto ref = element.ref();
    const std::pair<std::uint64_t, QString> onElement{element.id(), name};
    const std::pair<std::uint64_t, QString> onApplication{app->element().id(), name};
    std::erase_if(observers_, [](const auto& weak) { return weak.expired(); });
    for (const auto& weak : observers_) {
        auto observer = weak.lock();
        if (observer->pid != app->pid() || !observer->delivering) continue;
        auto registered = [=](const SimulatedObserver& o) {
            return !registeredOnly || o.registrations.count(onElement) || o.registrations.count(onApplication);
        };
        if (!registered(*observer)) continue;
        // Delivered on a later turn, and only if the observer still exists,
        // still delivers and still has the registration by then.
        scheduler().post([weak, registered, ref, name, info] {
            auto o = weak.lock();
            if (!o || !o->delivering || !registered(*o)) return;
            auto callback = o->callback;
            callback(ref, name, info);
        });
    }
}

void SimulatedDesktop::postWorkspaceNotification(const char* name, const RunningApplicationRef& application)
{
    std::weak_ptr<int> alive = lifetime_;
    auto* center = &workspace_->notificationCenter();
    const QString notification = QString::fromLatin1(name);
    scheduler().post([alive, center, notification, application] {
        if (alive.expired()) return;
        QVariantMap info;
        info.insert(QString::fromLatin1(WorkspaceService::applicationKey), QVariant::fromValue(application));
        center->post(notification, {}, info);
    });
}

void SimulatedDesktop::setObscured(std::uint64_t window, bool obscured)
{
    if (obscured ? !obscuredWindows.insert(window).second : obscuredWindows.erase(window) == 0) return;
    workspace_->notificationCenter().post(QString::fromLatin1(WorkspaceService::windowObscuredChangedNotification), {},
                                          {{QString::fromLatin1(WorkspaceService::windowKey), QVariant::fromValue(quint64(window))}});
}

void SimulatedDesktop::forceResult(AXCode code, const ForcedResult& match) { forced_.emplace_back(match, code); }

int SimulatedDesktop::callCount(const QString& operation, const QString& name) const
{
    return static_cast<int>(std::count_if(calls_.begin(), calls_.end(), [&](const SimulatedCall& c) {
        return c.operation == operation && (name.isEmpty() || c.name == name);
    }));
}

void SimulatedDesktop::noteTrustCheck(bool prompt)
{
    if (prompt && !trusted_) ++trustPrompts_;
}

AXElementRef SimulatedDesktop::refFor(const SimulatedElement* element) const
{
    return AXElementRef(std::make_shared<SimulatedElementData>(this, element->id(), element->pid()));
}

AXElementRef SimulatedDesktop::applicationRef(std::int32_t pid) const
{
    if (auto* app = application(pid)) return app->element().ref();
    return AXElementRef(std::make_shared<SimulatedElementData>(this, 0, pid));
}

SimulatedElement* SimulatedDesktop::resolve(const AXElementRef& ref) const
{
    auto* data = ref.as<SimulatedElementData>();
    if (!data || data->desktop() != this) return nullptr;
    auto it = elements_.find(data->id());
    return it == elements_.end() ? nullptr : it->second;
}

void SimulatedDesktop::record(const QString& operation, const AXElementRef& ref, const QString& name)
{
    auto* data = ref.as<SimulatedElementData>();
    calls_.push_back(SimulatedCall{operation, data ? data->id() : 0, name});
}

AXCode SimulatedDesktop::forcedCode(const QString& operation, const SimulatedElement* element,
                                    const QString& name) const
{
    for (const auto& [match, code] : forced_) {
        if (!match.operation.isEmpty() && match.operation != operation) continue;
        if (match.element && match.element != element) continue;
        if (!match.name.isEmpty() && match.name != name) continue;
        return code;
    }
    return axcode::success;
}

AXCode SimulatedDesktop::admit(const QString& operation, const AXElementRef& ref, const QString& name,
                               SimulatedElement*& node)
{
    record(operation, ref, name);
    node = resolve(ref);
    if (const auto code = forcedCode(operation, node, name); code != axcode::success) return code;
    if (!node) return axcode::invalidUIElement;
    auto* app = node->application();
    if (app && app->isQuit()) return axcode::invalidUIElement;
    if (app && app->isHung()) return axcode::cannotComplete;
    return axcode::success;
}

std::uint64_t SimulatedDesktop::registerElement(SimulatedElement* element)
{
    const auto id = nextId_++;
    elements_.emplace(id, element);
    return id;
}

std::shared_ptr<SimulatedObserver> SimulatedDesktop::makeObserver(std::int32_t pid, AXObserverCallback callback)
{
    auto observer = std::make_shared<SimulatedObserver>();
    observer->pid = pid;
    observer->callback = std::move(callback);
    observers_.push_back(observer);
    return observer;
}

}  // namespace zorbel::platform
