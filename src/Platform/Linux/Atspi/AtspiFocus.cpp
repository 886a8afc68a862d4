#include "Platform/Linux/Atspi/AtspiFocus.h"

#include "Platform/Linux/Atspi/AtspiDesktop.h"
#include "Platform/Linux/Atspi/AtspiNode.h"
#include "Platform/Linux/X11Desktop.h"

#include <atspi/atspi.h>

namespace zorbel::platform::atspi {

namespace {
constexpr int searchLimit = 3000;

bool isFailure(AXCode code) { return code == axcode::cannotComplete || code == axcode::apiDisabled; }

// Depth first through what is showing; containers that manage their own
// descendants (long lists and tables) are not entered.
AXCode searchFocused(const AccPtr& root, float timeout, int& budget, AccPtr& found)
{
    std::vector<AccPtr> stack{root};
    while (!stack.empty() && budget-- > 0) {
        AccPtr current = std::move(stack.back());
        stack.pop_back();
        Node node(current.get(), timeout);
        AtspiStateSet* states = nullptr;
        AXCode code = bounded(current.get(), timeout, [&](GError**) {
            states = atspi_accessible_get_state_set(current.get());
            return states != nullptr;
        });
        if (isFailure(code)) return code;
        if (!states) continue;
        const bool focused = atspi_state_set_contains(states, ATSPI_STATE_FOCUSED);
        const bool showing = atspi_state_set_contains(states, ATSPI_STATE_SHOWING);
        const bool manages = atspi_state_set_contains(states, ATSPI_STATE_MANAGES_DESCENDANTS);
        g_object_unref(states);
        if (focused && current != root) {
            found = current;
            return axcode::success;
        }
        if ((!showing && current != root) || manages) continue;
        std::vector<AccPtr> children;
        if (isFailure(code = node.children(children))) return code;
        for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back(*it);
    }
    return axcode::noValue;
}

bool stillFocused(const AccPtr& element, float timeout)
{
    bool has = false;
    return Node(element.get(), timeout).hasState(ATSPI_STATE_FOCUSED, has) == axcode::success && has;
}
}  // namespace

FocusTracker& FocusTracker::instance()
{
    static FocusTracker* tracker = new FocusTracker();
    return *tracker;
}

FocusTracker::FocusTracker()
{
    EventHub::instance().subscribe([this](EventRecord& record) { handle(record); });
}

void FocusTracker::handle(EventRecord& record)
{
    if (record.type.startsWith(QLatin1String("object:state-changed:focused"))) handleFocus(record);
    else if (record.type.startsWith(QLatin1String("window:"))) handleWindow(record);
}

void FocusTracker::handleFocus(EventRecord& record)
{
    AccPtr& current = focused_[record.pid];
    if (record.detail1 == 0) {
        if (sameObject(current.get(), record.source.get())) current.reset();
        if (sameObject(desktopFocus_.get(), record.source.get())) desktopFocus_.reset();
        return;
    }
    record.duplicate = sameObject(current.get(), record.source.get()) &&
                       sameObject(desktopFocus_.get(), record.source.get());
    current = record.source;
    desktopFocus_ = record.source;
    if (lastActivePid_ != record.pid) {
        lastActivePid_ = record.pid;
        emit activatedByEvent(record.pid);
    }
}

void FocusTracker::handleWindow(EventRecord& record)
{
    if (record.type.startsWith(QLatin1String("window:activate"))) {
        activeWindows_[record.pid] = record.source;
        if (lastActivePid_ != record.pid) {
            lastActivePid_ = record.pid;
            emit activatedByEvent(record.pid);
        }
    } else if (record.type.startsWith(QLatin1String("window:deactivate")) ||
               record.type.startsWith(QLatin1String("window:destroy"))) {
        // A late deactivation of a window that is no longer the active one
        // changes nothing.
        AccPtr& active = activeWindows_[record.pid];
        if (sameObject(active.get(), record.source.get())) active.reset();
    }
}

std::int32_t FocusTracker::frontmostPid()
{
    auto& x11 = X11Desktop::instance();
    if (x11.hasWindowManager()) {
        if (auto pid = x11.activeWindowPid()) return *pid;
    } else if (auto pid = x11.focusedWindowPid()) {
        return *pid;
    }
    return lastActivePid_;
}

AccPtr FocusTracker::activeWindow(std::int32_t pid, float timeout)
{
    auto it = activeWindows_.find(pid);
    if (it != activeWindows_.end() && it->second) {
        bool active = false;
        if (Node(it->second.get(), timeout).hasState(ATSPI_STATE_ACTIVE, active) == axcode::success && active)
            return it->second;
    }
    for (const AccPtr& app : applicationsOf(pid)) {
        std::vector<AccPtr> windows;
        if (Node(app.get(), timeout).children(windows)) continue;
        for (const AccPtr& window : windows) {
            bool active = false;
            if (Node(window.get(), timeout).hasState(ATSPI_STATE_ACTIVE, active) == axcode::success && active) {
                activeWindows_[pid] = window;
                return window;
            }
        }
    }
    return {};
}

AXCode FocusTracker::focusedElement(std::int32_t pid, float timeout, AccPtr& focused)
{
    auto it = focused_.find(pid);
    if (it != focused_.end() && it->second && stillFocused(it->second, timeout)) {
        focused = it->second;
        return axcode::success;
    }
    int budget = searchLimit;
    AXCode result = axcode::noValue;
    if (AccPtr window = activeWindow(pid, timeout)) {
        result = searchFocused(window, timeout, budget, focused);
    } else {
        for (const AccPtr& app : applicationsOf(pid)) {
            result = searchFocused(app, timeout, budget, focused);
            if (result != axcode::noValue) break;
        }
    }
    if (result == axcode::success) focused_[pid] = focused;
    return result;
}

AXCode FocusTracker::desktopFocusedElement(float timeout, AccPtr& focused)
{
    const std::int32_t front = frontmostPid();
    if (desktopFocus_ && stillFocused(desktopFocus_, timeout)) {
        const auto pid = Runtime::instance().pidOf(desktopFocus_.get());
        if (!front || (pid && *pid == front)) {
            focused = desktopFocus_;
            return axcode::success;
        }
    }
    if (!front) return axcode::noValue;
    return focusedElement(front, timeout, focused);
}

}  // namespace zorbel::platform::atspi
