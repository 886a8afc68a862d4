#include "Platform/Linux/Atspi/AtspiFocus.h"

#include "Platform/Linux/Atspi/AtspiDesktop.h"
#include "Platform/Linux/Atspi/AtspiNode.h"
#include "Platform/Linux/X11Desktop.h"

#include <atspi/atspi.h>

#include <array>

namespace zorbel::platform::atspi {

namespace {
constexpr int searchLimit = 3000;

bool isFailure(AXCode code) { return code == axcode::cannotComplete || code == axcode::apiDisabled; }

using Descendants = std::map<QString, AccPtr>;

QString objectKey(AtspiAccessible* accessible) { return busName(accessible) + objectPath(accessible); }

// The one descendant of a container that manages its descendants (a long
// list, a table, a word processor's document) that the search visits: the
// one it last announced as active, else, in an editable container, the
// first that says FOCUSED, found by the application itself. Lists and
// tables, which may hold many thousands of rows, are not asked to search
// themselves: they never hold the text the user types into.
AXCode focusedDescendant(const AccPtr& container, bool editable, float timeout, const Descendants& active,
                         AccPtr& found)
{
    if (auto it = active.find(objectKey(container.get())); it != active.end() && it->second) {
        found = it->second;
        return axcode::success;
    }
    if (!editable) return axcode::noValue;
    AtspiCollection* collection = nullptr;
    AXCode code = bounded(container.get(), timeout, [&](GError**) {
        collection = atspi_accessible_get_collection_iface(container.get());
        return true;
    });
    if (code || !collection) return code ? code : axcode::noValue;
    AtspiStateSet* focused = atspi_state_set_new(nullptr);
    atspi_state_set_add(focused, ATSPI_STATE_FOCUSED);
    AtspiMatchRule* rule = atspi_match_rule_new(focused, ATSPI_Collection_MATCH_ALL, nullptr,
                                                ATSPI_Collection_MATCH_NONE, nullptr, ATSPI_Collection_MATCH_NONE,
                                                nullptr, ATSPI_Collection_MATCH_NONE, FALSE);
    GArray* matches = nullptr;
    code = bounded(container.get(), timeout, [&](GError** error) {
        matches = atspi_collection_get_matches(collection, rule, ATSPI_Collection_SORT_ORDER_CANONICAL, 1, TRUE, error);
        return matches != nullptr;
    });
    if (matches && matches->len > 0) found = adopt(g_array_index(matches, AtspiAccessible*, 0));
    for (guint i = 1; matches && i < matches->len; ++i) g_object_unref(g_array_index(matches, AtspiAccessible*, i));
    if (matches) g_array_free(matches, TRUE);
    g_object_unref(rule);
    g_object_unref(focused);
    g_object_unref(collection);
    if (code) return code;
    return found ? axcode::success : axcode::noValue;
}

// Depth first through what is shown: GTK 4 never sets SHOWING below the
// window, so a visible node counts too. A container that manages its own
// descendants is entered through its focused or active descendant only.
// Where several nodes say FOCUSED (Qt puts it on a page tab and on the text
// edit that holds the caret), the first that takes text wins over the first
// of the others.
AXCode searchFocused(const AccPtr& root, float timeout, const Descendants& active, int& budget, AccPtr& found)
{
    std::vector<AccPtr> stack{root};
    AccPtr other;
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
        const bool shown = atspi_state_set_contains(states, ATSPI_STATE_SHOWING) ||
                           atspi_state_set_contains(states, ATSPI_STATE_VISIBLE);
        const bool manages = atspi_state_set_contains(states, ATSPI_STATE_MANAGES_DESCENDANTS);
        const bool editable = atspi_state_set_contains(states, ATSPI_STATE_EDITABLE);
        g_object_unref(states);
        if (focused && current != root) {
            if (node.takesText()) {
                found = current;
                return axcode::success;
            }
            if (!other) other = current;
        }
        if (!shown && current != root) continue;
        if (manages) {
            AccPtr descendant;
            if (isFailure(code = focusedDescendant(current, editable, timeout, active, descendant))) return code;
            if (descendant) stack.push_back(std::move(descendant));
            continue;
        }
        std::vector<AccPtr> children;
        if (isFailure(code = node.children(children))) return code;
        for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back(*it);
    }
    if (!other) return axcode::noValue;
    found = other;
    return axcode::success;
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
    // Objects of a lost bus never answer again.
    Runtime::instance().onBusChange([this](bool) {
        focused_.clear();
        carets_.clear();
        activeWindows_.clear();
        activeDescendants_.clear();
        desktopFocus_.reset();
    });
}

void FocusTracker::handle(EventRecord& record)
{
    if (record.type.startsWith(QLatin1String("object:state-changed:focused"))) handleFocus(record);
    else if (record.type.startsWith(QLatin1String("window:"))) handleWindow(record);
    else if (record.type.startsWith(QLatin1String("object:text-caret-moved")))
        carets_[record.pid] = Evidence{record.source, ++events_};
    else if (record.type.startsWith(QLatin1String("object:active-descendant-changed"))) {
        constexpr std::size_t most = 256;
        if (activeDescendants_.size() >= most) activeDescendants_.clear();
        activeDescendants_[objectKey(record.source.get())] = record.child;
    }
}

void FocusTracker::handleFocus(EventRecord& record)
{
    Evidence& current = focused_[record.pid];
    if (record.detail1 == 0) {
        if (sameObject(current.element.get(), record.source.get())) current = {};
        if (sameObject(desktopFocus_.get(), record.source.get())) desktopFocus_.reset();
        return;
    }
    record.duplicate = sameObject(current.element.get(), record.source.get()) &&
                       sameObject(desktopFocus_.get(), record.source.get());
    if (!record.duplicate || !current.order) current = Evidence{record.source, ++events_};
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
    // Asked several times by one lookup; each answer costs X round trips.
    constexpr auto fresh = std::chrono::milliseconds(5);
    const auto now = std::chrono::steady_clock::now();
    if (now - frontmostAt_ < fresh) return frontmost_;
    frontmost_ = askFrontmostPid();
    frontmostAt_ = now;
    return frontmost_;
}

std::int32_t FocusTracker::askFrontmostPid()
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

// The element of the latest focus or caret event that still has the focus.
// Where the focus event names something that takes no text (a page tab)
// while the element of an older caret event still says FOCUSED, the caret's
// element wins.
bool FocusTracker::pickEvidence(std::int32_t pid, float timeout, AccPtr& focused)
{
    const Evidence focus = focused_.count(pid) ? focused_[pid] : Evidence{};
    const Evidence caret = carets_.count(pid) ? carets_[pid] : Evidence{};
    const bool caretFirst = caret.element && (caret.order > focus.order || !focus.element ||
                                              !Node(focus.element.get(), timeout).takesText());
    for (const AccPtr& candidate : caretFirst ? std::array{caret.element, focus.element}
                                              : std::array{focus.element, caret.element}) {
        if (candidate && stillFocused(candidate, timeout)) {
            focused = candidate;
            return true;
        }
    }
    return false;
}

AXCode FocusTracker::focusedElement(std::int32_t pid, float timeout, AccPtr& focused)
{
    if (pickEvidence(pid, timeout, focused)) return axcode::success;
    int budget = searchLimit;
    AXCode result = axcode::noValue;
    if (AccPtr window = activeWindow(pid, timeout)) {
        result = searchFocused(window, timeout, activeDescendants_, budget, focused);
    } else {
        for (const AccPtr& app : applicationsOf(pid)) {
            result = searchFocused(app, timeout, activeDescendants_, budget, focused);
            if (result != axcode::noValue) break;
        }
    }
    if (result == axcode::success) focused_[pid] = Evidence{focused, ++events_};
    return result;
}

AXCode FocusTracker::desktopFocusedElement(float timeout, AccPtr& focused)
{
    if (const std::int32_t front = frontmostPid()) return focusedElement(front, timeout, focused);
    if (!desktopFocus_ || !stillFocused(desktopFocus_, timeout)) return axcode::noValue;
    focused = desktopFocus_;
    return axcode::success;
}

}  // namespace zorbel::platform::atspi
