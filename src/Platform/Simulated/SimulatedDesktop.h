#pragma once

#include "Platform/Accessibility.h"
#include "Platform/Simulated/SimulatedApplication.h"
#include "Platform/Simulated/SimulatedElement.h"
#include "Platform/Workspace.h"

#include <QList>
#include <QRectF>
#include <QStringList>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <set>
#include <utility>
#include <vector>

namespace zorbel::platform {

class SimulatedAccessibility;
class SimulatedWorkspace;

// Which calls a forced result code applies to; an empty field matches any.
// `operation` is the AccessibilityService operation's name ("attributeValue",
// "createObserver"...), `name` the attribute, action or notification name.
// A rule with a name also applies to that entry of a multiple-attribute
// answer, which then holds an error marker.
struct ForcedResult {
    QString operation;
    const SimulatedElement* element = nullptr;
    QString name;
};

// One call made to the simulated accessibility service.
struct SimulatedCall {
    QString operation;
    std::uint64_t element = 0;  // 0: no element, or one of no application
    QString name;                // attribute, action or notification; names of a multiple read joined by ","
};

// An observer of the simulated accessibility service.
struct SimulatedObserver final : AXObserverData {
    std::int32_t pid = 0;
    AXObserverCallback callback;
    bool delivering = true;
    std::set<std::pair<std::uint64_t, QString>> registrations;  // element id, notification
};

// A scriptable desktop in memory: applications with windows and text
// elements, focus, activation, notifications, quitting and hanging
// processes, forced result codes and a record of every call. Serves the
// accessibility and workspace interfaces; notifications reach observers and
// workspace observers on the scheduler's next turn.
class SimulatedDesktop {
public:
    SimulatedDesktop();
    ~SimulatedDesktop();
    SimulatedDesktop(const SimulatedDesktop&) = delete;
    SimulatedDesktop& operator=(const SimulatedDesktop&) = delete;

    AccessibilityService& accessibility();
    WorkspaceService& workspace();

    // Processes.
    SimulatedApplication& addApplication(const ApplicationInfo& info);
    // The running application with that pid, else the last one that had it.
    SimulatedApplication* application(std::int32_t pid) const;
    std::vector<SimulatedApplication*> runningApplications() const;
    SimulatedElement& systemWide() { return *systemWide_; }

    // Makes the application frontmost and posts the workspace's
    // did-activate notification.
    void activate(SimulatedApplication& application);
    SimulatedApplication* frontmost() const { return frontmost_; }
    // Gives the element keyboard focus inside its application (which stays
    // in the background unless activated) and announces
    // "AXFocusedUIElementChanged".
    void focus(SimulatedElement& element);
    // Ends the process: its elements become invalid, it leaves the running
    // list, and the did-terminate notification is posted.
    void quit(SimulatedApplication& application);

    // Notifications: posted ones reach the observers of the element's
    // process that registered the name on the element or on the application
    // element; broadcast ones reach every observer of the process, whatever
    // it registered (like a back end passing on names it does not know).
    void postNotification(const SimulatedElement& element, const QString& name, const AXValue& info = {});
    void broadcastNotification(const SimulatedElement& element, const QString& name, const AXValue& info = {});

    // Makes matching calls answer a failure code instead of their result:
    // every call, the calls of one operation, or those about one element
    // (and one name).
    void forceResult(AXCode code, const ForcedResult& match = {});
    void forceResult(AXCode code, const QString& operation) { forceResult(code, ForcedResult{operation, nullptr, {}}); }
    void forceResult(AXCode code, const SimulatedElement& element, const QString& name = {})
    {
        forceResult(code, ForcedResult{{}, &element, name});
    }
    void clearForcedResults() { forced_.clear(); }

    // Calls made so far (those of one operation, and with a name only those
    // about that name).
    int callCount(const QString& operation, const QString& name = {}) const;
    const std::vector<SimulatedCall>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }

    // Screens (Cocoa frames; the first is the primary screen), trust and
    // opened addresses.
    void setScreens(const QList<QRectF>& screens) { screens_ = screens; }
    QList<QRectF> screens() const { return screens_; }
    void setCompositing(bool compositing) { compositing_ = compositing; }
    // The pointer (Cocoa coordinates); nothing until set.
    void setMouseLocation(std::optional<QPointF> location) { mouseLocation_ = location; }
    std::optional<QPointF> mouseLocation() const { return mouseLocation_; }
    bool isCompositing() const { return compositing_; }
    // Whether the compositor blurs behind windows that ask; the windows that asked.
    bool blursBehind = false;
    std::vector<std::uint64_t> blurRequests;
    // Windows wholly covered by others; a change is announced by setObscured.
    std::set<std::uint64_t> obscuredWindows;
    void setObscured(std::uint64_t window, bool obscured);
    void setTrusted(bool trusted) { trusted_ = trusted; }
    bool isTrusted() const { return trusted_; }
    int trustPrompts() const { return trustPrompts_; }
    void noteTrustCheck(bool prompt);
    QStringList openedURLs;
    // Whether some program takes the addresses asked to be opened.
    bool opensURLs = true;
    // The program that took an address fails this many seconds later, while
    // it still starts.
    std::optional<double> openedURLFailsAfter;

    // For the services.
    AXElementRef refFor(const SimulatedElement* element) const;
    AXElementRef applicationRef(std::int32_t pid) const;
    SimulatedElement* resolve(const AXElementRef& ref) const;
    // Records the call, then answers a forced code, InvalidUIElement for a
    // gone element, CannotComplete for a hung process, or success with the
    // element in `node`.
    AXCode admit(const QString& operation, const AXElementRef& ref, const QString& name, SimulatedElement*& node);
    void record(const QString& operation, const AXElementRef& ref, const QString& name);
    AXCode forcedCode(const QString& operation, const SimulatedElement* element, const QString& name) const;
    std::uint64_t registerElement(SimulatedElement* element);
    std::shared_ptr<SimulatedObserver> makeObserver(std::int32_t pid, AXObserverCallback callback);

private:
    void deliver(const SimulatedElement& element, const QString& name, const AXValue& info, bool registeredOnly);
    void postWorkspaceNotification(const char* name, const RunningApplicationRef& application);

    std::uint64_t nextId_ = 1;
    std::map<std::uint64_t, SimulatedElement*> elements_;
    std::unique_ptr<SimulatedElement> systemWide_;
    std::vector<std::unique_ptr<SimulatedApplication>> applications_;
    SimulatedApplication* frontmost_ = nullptr;
    std::vector<std::weak_ptr<SimulatedObserver>> observers_;
    std::vector<std::pair<ForcedResult, AXCode>> forced_;
    std::vector<SimulatedCall> calls_;
    QList<QRectF> screens_{QRectF(0, 0, 1920, 1080)};
    bool trusted_ = true;
    bool compositing_ = true;
    std::optional<QPointF> mouseLocation_;
    int trustPrompts_ = 0;
    std::unique_ptr<SimulatedAccessibility> accessibility_;
    std::unique_ptr<SimulatedWorkspace> workspace_;
    // Jobs posted on the scheduler hold this weakly and do nothing once the
    // desktop is gone.
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
};

}  // namespace zorbel::platform
