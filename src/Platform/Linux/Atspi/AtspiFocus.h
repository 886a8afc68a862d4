#pragma once

#include "Platform/Linux/Atspi/AtspiEvents.h"

#include <QObject>

#include <chrono>
#include <map>

namespace zorbel::platform::atspi {

// The focused element of the desktop and of each application, and the active
// window, kept from focus, caret and window events. Toolkits repeat focus
// events (those are marked duplicate) and a window's deactivation may arrive
// after the next window's activation (it is ignored then). A caret event is
// evidence of focus too: GTK 4 sends no focus event, and Qt leaves FOCUSED on
// a page tab beside the text edit that holds the caret. Where no event told,
// the focused element is searched for in the application's windows.
class FocusTracker final : public QObject {
    Q_OBJECT
public:
    static FocusTracker& instance();

    // The frontmost application: the window manager's active window where
    // one keeps it, else the window with the X input focus, else the last
    // application that activated a window or took the focus. 0 when unknown.
    std::int32_t frontmostPid();
    // The window manager's active window changed: the frontmost application
    // is asked afresh.
    void forgetFrontmost() { frontmostAt_ = {}; }
    AXCode focusedElement(std::int32_t pid, float timeout, AccPtr& focused);
    AXCode desktopFocusedElement(float timeout, AccPtr& focused);
    AccPtr activeWindow(std::int32_t pid, float timeout);

signals:
    // The frontmost application as far as AT-SPI events tell.
    void activatedByEvent(std::int32_t pid);

private:
    FocusTracker();
    void handle(EventRecord& record);
    void handleFocus(EventRecord& record);
    void handleWindow(EventRecord& record);

    // An element some event pointed at, and how recent that event is.
    struct Evidence {
        AccPtr element;
        std::uint64_t order = 0;
    };
    bool pickEvidence(std::int32_t pid, float timeout, AccPtr& focused);
    std::int32_t askFrontmostPid();

    std::uint64_t events_ = 0;
    std::map<std::int32_t, Evidence> focused_;
    std::map<std::int32_t, Evidence> carets_;
    std::map<std::int32_t, AccPtr> activeWindows_;
    // The latest active descendant each container that manages its
    // descendants announced, by its bus name and path.
    std::map<QString, AccPtr> activeDescendants_;
    AccPtr desktopFocus_;
    std::int32_t lastActivePid_ = 0;
    std::int32_t frontmost_ = 0;
    std::chrono::steady_clock::time_point frontmostAt_{};
};

}  // namespace zorbel::platform::atspi
