#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include <cstdint>
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
    std::vector<ClientWindow> clientWindows();
    // The window's top-left corner on the root window.
    std::optional<QPoint> windowOrigin(std::uint32_t window);

signals:
    void activeWindowChanged();

private:
    X11Desktop();
    std::uint32_t atom(const char* name);
    QByteArray property(std::uint32_t window, std::uint32_t property, std::uint32_t type, int maxLongs = 1024);
    std::optional<std::uint32_t> cardinal(std::uint32_t window, const char* name, std::uint32_t type);
    QString text(std::uint32_t window, const char* name);
    std::vector<std::uint32_t> topLevelWindows();
    bool viewable(std::uint32_t window);
    void drainEvents();

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace zorbel::platform
