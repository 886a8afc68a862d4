#pragma once

#include <QObject>
#include <QPoint>
#include <QMargins>
#include <QRect>
#include <QString>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <optional>
#include <vector>

struct xcb_connection_t;
class QSocketNotifier;

namespace zorbel::platform {

// One top-level client window of the X server.
struct ClientWindow {
    std::uint32_t id = 0;
    std::int32_t pid = 0;
    QString title;
    QString instanceName;  // WM_CLASS, first part
    QString className;     // WM_CLASS, second part
    QString applicationId; // _GTK_APPLICATION_ID
};

// The X server as far as the platform layer needs it: the client windows and
// their processes, the window manager's active window, window origins.
// Without a display everything answers nothing.
class X11Desktop final : public QObject {
    Q_OBJECT
public:
    static X11Desktop& instance();
    ~X11Desktop() override;

    bool connected() const { return connection_ != nullptr; }
    // A window manager that keeps _NET_ACTIVE_WINDOW.
    bool hasWindowManager();
    std::optional<std::int32_t> activeWindowPid();
    // The process of the top-level window holding the X input focus.
    std::optional<std::int32_t> focusedWindowPid();
    // (These three are read once and kept until an event says the window
    // manager, the active window, the focus or a window's process changed.)
    // Read once and then kept until an event says the list or a window's
    // process, title or class changed.
    std::vector<ClientWindow> clientWindows();
    // The window's top-left corner on the root window.
    std::optional<QPoint> windowOrigin(std::uint32_t window);
    QString windowTitle(std::uint32_t window);
    // The window's size as the X server has it.
    std::optional<QSize> windowSize(std::uint32_t window);
    // The invisible margin (shadow, resize border) a toolkit that draws its
    // own decorations keeps around the window, as it announces it
    // (_GTK_FRAME_EXTENTS: left, right, top, bottom).
    std::optional<QMargins> frameExtents(std::uint32_t window);
    // (Of a client window these three are read once and kept until one of
    // its structure events or a change of _GTK_FRAME_EXTENTS; a window
    // manager tells a client of each move of its frame.)
    // How often a client window's place or size has changed since it was
    // first asked about, and when it last did: what was measured against
    // it holds while the count stays.
    struct GeometryChanges {
        std::uint64_t count = 0;
        std::chrono::steady_clock::time_point at;
    };
    GeometryChanges geometryChanges(std::uint32_t window);
    // A compositing manager owns the screen's _NET_WM_CM_S selection; known
    // from the selection's owner changes (XFixes), so asking costs nothing.
    bool hasCompositingManager();
    // The compositor announces that it blurs what lies behind windows that
    // ask for it (_KDE_NET_WM_BLUR_BEHIND_REGION on the root window).
    bool offersBlurBehind();
    // Asks the compositor to blur everything behind the window.
    void requestBlurBehind(std::uint32_t window);
    // Reports when the window becomes wholly covered by others or shows again
    // (windowObscuredChanged): from the server's visibility events, and from
    // the windows stacked above it, as under a compositor the server calls
    // every window unobscured.
    void watchVisibility(std::uint32_t window);
    bool isObscured(std::uint32_t window) const;

    // Keeps a window that bypasses the window manager above the top-level
    // windows of applications: fluxbox, icewm and a bare X server put a
    // raised window above such windows. It is raised again, without a round
    // trip, whenever another top-level window comes to stand above it (raised
    // again and again, restacked, circulated) or is newly mapped.
    // 0 keeps none.
    void keepAbove(std::uint32_t window);

    // Reports moves and resizes of the process's present client windows
    // (toolkits do not tell AT-SPI when a window only moves).
    void watchWindowsOf(std::int32_t pid);

signals:
    // The window manager's active window or the X input focus changed.
    void activeWindowChanged();
    // The window manager shows another workspace (virtual desktop).
    void currentDesktopChanged();
    // A client window of the process went away (closed, or its process ended).
    void clientWindowGone(std::uint32_t window, std::int32_t pid);
    void windowConfigured(std::uint32_t window, std::int32_t pid, const QRect& geometry);
    // The id may come back for another window: the X server hands a new client the id
    // range of one that left.
    void windowDestroyed(std::uint32_t window);
    void windowObscuredChanged(std::uint32_t window, bool obscured);
    // A compositing manager started or quit.
    void compositingChanged(bool compositing);

private:
    X11Desktop();
    std::uint32_t atom(const char* name);
    QByteArray property(std::uint32_t window, std::uint32_t property, std::uint32_t type, int maxLongs = 1024);
    std::optional<std::uint32_t> cardinal(std::uint32_t window, const char* name, std::uint32_t type);
    QString text(std::uint32_t window, const char* name);
    std::vector<std::uint32_t> topLevelWindows();
    bool viewable(std::uint32_t window);
    void drainEvents();
    // Events an earlier reply read off the socket wait in xcb's queue, where
    // the socket notifier does not see them: they are taken before the main
    // loop sleeps.
    void drainQueuedEvents();
    void handle(const void* event, bool& activeChanged, bool& clientsChanged);
    // Whether the event may change what clientWindows() answers.
    bool changesClients(const void* event) const;
    // Whether it may change the window manager, its active window or the focus.
    bool changesFront(const void* event) const;
    void takeIn(const void* event);
    // Reads what the server has sent so far without handling it, so that the
    // kept client windows are not older than what arrived; it is handled
    // before the main loop sleeps (a lookup must not run the workspace's
    // reactions).
    void takeInPending();
    std::vector<ClientWindow> readClientWindows();
    bool readHasWindowManager();
    std::optional<std::int32_t> readActiveWindowPid();
    std::optional<std::int32_t> readFocusedWindowPid();
    void clientsMayHaveGone();
    void configured(const void* event);
    // Follows the owner of the compositing manager's selection.
    void watchCompositor();
    void raiseKeptWindow();
    // Raises the kept window over one that came to stand above it, unless
    // that window keeps putting itself back on top.
    void raiseKeptWindowOver(std::uint32_t window);
    // Whether a top-level window is (or frames) an application's window,
    // rather than a menu or tooltip.
    // Nothing for whether it bypasses the window manager: it is asked.
    bool holdsApplication(std::uint32_t window, std::optional<bool> overrideRedirect);
    // Asks for our events on a top-level window (focus, and with watch its geometry).
    void listenTo(std::uint32_t window, bool watch);
    void addEventMask(std::uint32_t window, std::uint32_t mask);
    bool coveredByWindowsAbove(std::uint32_t window);
    void recheckCovered();
    std::uint32_t topLevelOf(std::uint32_t window);
    // Whether the window's geometry may be kept: a client window, whose
    // structure events are asked for before anything of it is read.
    bool keepsGeometry(std::uint32_t window);
    void forgetGeometry(std::uint32_t window);

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    int screenNumber_ = 0;
    QSocketNotifier* notifier_ = nullptr;
    std::map<std::uint32_t, std::int32_t> watched_;
    std::map<std::uint32_t, std::uint32_t> masks_;
    std::map<std::uint32_t, std::int32_t> clients_;
    // Wholly covered, as the server's visibility events say and as the
    // windows stacked above cover it.
    struct Obscured {
        bool byServer = false;
        bool byStacking = false;
    };
    std::map<std::uint32_t, Obscured> obscured_;
    bool stackingChanged_ = false;
    std::uint32_t activeAtom_ = 0;
    std::uint32_t clientListAtom_ = 0;
    std::uint32_t currentDesktopAtom_ = 0;
    std::uint32_t supportingCheckAtom_ = 0;
    std::uint32_t supportedAtom_ = 0;
    // Atoms never change on a server: each is asked once.
    std::map<std::string, std::uint32_t> atoms_;
    std::optional<std::vector<ClientWindow>> clientWindows_;
    struct Front {
        std::optional<bool> windowManager;
        std::optional<std::optional<std::int32_t>> activePid, focusedPid;
    } front_;
    std::vector<std::uint32_t> clientPropertyAtoms_;
    std::vector<std::unique_ptr<void, decltype(&std::free)>> pending_;
    std::uint32_t compositorSelection_ = 0;
    // XFixes' first event code; 0 without the extension.
    std::uint8_t xfixesEvent_ = 0;
    bool compositing_ = true;
    std::uint32_t kept_ = 0;
    struct Geometry {
        std::optional<QPoint> origin;
        std::optional<QSize> size;
        std::optional<std::optional<QMargins>> frameExtents;
    };
    std::map<std::uint32_t, Geometry> geometry_;
    std::map<std::uint32_t, GeometryChanges> geometryChanges_;
    std::uint32_t frameExtentsAtom_ = 0;
    // The window each top-level window was last seen stacked right above.
    std::map<std::uint32_t, std::uint32_t> siblingBelow_;
    // A top-level window the kept one was raised over: how it answered.
    struct Contender {
        std::optional<std::chrono::steady_clock::time_point> answered;  // the kept window's last raise over it
        int comebacks = 0;  // times in a row it came back over the kept window at once
        std::chrono::milliseconds backOff{0};  // while it fights: how long the kept window stays under it
        bool probing = false;  // the last raise over it ended a back-off
    };
    std::map<std::uint32_t, Contender> contenders_;
    // Whether a mapped window that bypasses the window manager holds an application's window.
    std::map<std::uint32_t, bool> holdsApplication_;
};

}  // namespace zorbel::platform
