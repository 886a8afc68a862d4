#pragma once

#include "Platform/NotificationCenter.h"

#include <QList>
#include <QMetaType>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace zorbel::platform {

enum class ActivationPolicy { regular = 0, accessory = 1, prohibited = 2 };

// One running application. A back end hands out one object per process for
// as long as it runs, so two references to the same application are the same
// object; the object stays valid (and reports terminated) after the process ends.
class RunningApplication {
public:
    virtual ~RunningApplication() = default;
    virtual std::int32_t processIdentifier() const = 0;
    // A stable identifier such as an application id or executable name.
    virtual std::optional<QString> bundleIdentifier() const = 0;
    virtual std::optional<QString> localizedName() const = 0;
    virtual ActivationPolicy activationPolicy() const = 0;
    virtual bool isTerminated() const = 0;
};
using RunningApplicationRef = std::shared_ptr<RunningApplication>;

// Running applications, the frontmost one, activation and the screens.
class WorkspaceService {
public:
    virtual ~WorkspaceService() = default;

    virtual QList<RunningApplicationRef> runningApplications() = 0;
    // Nothing when no running application has that process identifier.
    virtual RunningApplicationRef applicationForProcessIdentifier(std::int32_t pid) = 0;
    virtual RunningApplicationRef frontmostApplication() = 0;

    // Screen frames with the origin at the bottom left of the first screen
    // and y growing upwards; the first entry is the first screen. Empty when
    // no screen is attached.
    virtual QList<QRectF> screens() = 0;

    // Where the first screen's top-left corner lies in the desktop's own
    // (top-left) coordinates; accessibility geometry is measured from there.
    virtual QPointF firstScreenOrigin() { return {}; }
    // A rectangle in the system's bottom-left coordinates, converted to the
    // desktop's top-left coordinates for placing a window. Nothing when no
    // screen is attached.
    std::optional<QRectF> desktopRectFromCocoa(const QRectF& cocoa);

    // The pointer, in the system's bottom-left coordinates; nothing when the
    // desktop cannot tell.
    virtual std::optional<QPointF> mouseLocation() { return std::nullopt; }
    // The desktop's top-left coordinates of a point in the system's
    // bottom-left ones, and back; nothing when no screen is attached.
    std::optional<QPointF> desktopPointFromCocoa(const QPointF& cocoa);
    std::optional<QPointF> cocoaPointFromDesktop(const QPointF& desktop);

    // Whether a compositing manager blends translucent windows with what
    // lies below them; without one their clear pixels show black. A change
    // is posted as compositingDidChangeNotification.
    virtual bool hasCompositingManager() { return true; }
    // Whether the compositor blurs what lies behind a window that asks for
    // it; only then can glass stay translucent and readable.
    virtual bool offersBlurBehind() { return false; }
    // Asks for the blur behind the whole window (by its native id).
    virtual void requestBlurBehind(std::uint64_t /*window*/) {}
    // Whether other windows cover the window wholly. Watching starts with
    // the first question; every change is posted as
    // windowObscuredChangedNotification with the window under windowKey.
    virtual bool isObscured(std::uint64_t /*window*/) { return false; }

    // Keeps one window of this program (by its native id) above the windows
    // of applications, also where the desktop lets a raised window cover it.
    virtual void keepWindowInFront(std::uint64_t /*window*/) {}
    // The toolkit no longer hears of changes to the window's properties (by its
    // native id), for a window it need not follow (one the window manager never
    // manages): a fade sets the opacity property at every step, and each change
    // would come back as an event that wakes the program a second time.
    virtual void ignorePropertyChanges(std::uint64_t /*window*/) {}

    // Opens an address with the desktop's handler; false when none took it.
    virtual bool openURL(const QString& url) = 0;
    // The same, where the user is told the outcome: the answer comes once it
    // is known (on the main loop, possibly later) and never blocks the caller.
    // A yes given while the handler still starts can be followed by one no,
    // when that handler fails after all.
    virtual void openURLThen(const QString& url, std::function<void(bool taken)> answered)
    {
        answered(openURL(url));
    }

    // Workspace notifications, posted on the main loop. The application
    // concerned is in the user info under applicationKey.
    NotificationCenter& notificationCenter() { return center_; }
    static constexpr const char* didActivateApplicationNotification = "didActivateApplication";
    static constexpr const char* didTerminateApplicationNotification = "didTerminateApplication";
    static constexpr const char* activeSpaceDidChangeNotification = "activeSpaceDidChange";
    static constexpr const char* compositingDidChangeNotification = "compositingDidChange";
    static constexpr const char* applicationKey = "application";
    static constexpr const char* windowObscuredChangedNotification = "windowObscuredChanged";
    static constexpr const char* windowKey = "window";

    // Reads the application out of a workspace notification's user info.
    static RunningApplicationRef applicationFrom(const Notification& notification);

private:
    NotificationCenter center_;
};

}  // namespace zorbel::platform

Q_DECLARE_METATYPE(zorbel::platform::RunningApplicationRef)
