#include "Platform/Linux/LinuxWorkspace.h"

#include "Platform/Linux/DesktopOpener.h"
#include "Platform/Linux/SettingsLinks.h"

#include "Platform/Linux/Atspi/AtspiDesktop.h"
#include "Platform/Linux/Atspi/AtspiFocus.h"
#include "Platform/Linux/Atspi/AtspiGeometry.h"
#include "Platform/Linux/Atspi/AtspiNode.h"
#include "Platform/Linux/X11Desktop.h"

#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <atspi/atspi.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>


namespace zorbel::platform {

LinuxWorkspace::LinuxWorkspace()
{
    auto& focus = atspi::FocusTracker::instance();
    atspi::EventHub::instance().start();
    connect(&focus, &atspi::FocusTracker::activatedByEvent, this, [this] { frontmostMayHaveChanged(); });
    auto& x11 = X11Desktop::instance();
    // The frontmost application read a moment ago (by a lookup that ran just before this
    // event was taken) may already be the old one.
    connect(&x11, &X11Desktop::activeWindowChanged, this, [this, &focus] {
        focus.forgetFrontmost();
        frontmostMayHaveChanged();
    });
    connect(&x11, &X11Desktop::currentDesktopChanged, this,
            [this] { post(activeSpaceDidChangeNotification, nullptr); });
    connect(&x11, &X11Desktop::windowObscuredChanged, this, [this](std::uint32_t window, bool) {
        notificationCenter().post(QString::fromLatin1(windowObscuredChangedNotification), {},
                                  {{QString::fromLatin1(windowKey), QVariant::fromValue(quint64(window))}});
    });
    connect(&x11, &X11Desktop::compositingChanged, this,
            [this] { post(compositingDidChangeNotification, nullptr); });
    // A process outlives its windows by a moment while it exits.
    connect(&x11, &X11Desktop::clientWindowGone, this, [this](std::uint32_t, std::int32_t pid) {
        mayHaveTerminated(pid);
        for (int ms : {50, 200, 450}) QTimer::singleShot(ms, this, [this, pid] { mayHaveTerminated(pid); });
    });
    // An application brought to the front while the accessibility bus is
    // gone cannot be observed: it is announced once a bus answers again.
    atspi::Runtime::instance().onBusChange([this](bool up) {
        if (up) frontmostMayHaveChanged();
    });
    frontmostPid_ = focus.frontmostPid();
}

std::map<std::int32_t, LinuxRunningApplication::Facts> LinuxWorkspace::scan()
{
    std::map<std::int32_t, Facts> found;
    for (const auto& app : atspi::desktopApplications()) {
        Facts& facts = found[app.pid];
        QString name;
        if (atspi::Node(app.root.get(), 0).name(name) == axcode::success) facts.localizedName = name;
        gint windows = 0;
        atspi::bounded(app.root.get(), 0, [&](GError** error) {
            windows = atspi_accessible_get_child_count(app.root.get(), error);
            return true;
        });
        facts.hasWindows = windows > 0;
    }
    for (const auto& window : X11Desktop::instance().clientWindows()) {
        Facts& facts = found[window.pid];
        facts.hasWindows = true;
        if (facts.bundleIdentifier.isEmpty())
            facts.bundleIdentifier = !window.applicationId.isEmpty() ? window.applicationId : window.instanceName;
        if (facts.localizedName.isEmpty()) facts.localizedName = window.className;
    }
    for (auto& [pid, facts] : found) {
        const QString executable = LinuxRunningApplication::executableName(pid);
        if (facts.bundleIdentifier.isEmpty()) facts.bundleIdentifier = executable;
        if (facts.localizedName.isEmpty()) facts.localizedName = executable;
    }
    return found;
}

RunningApplicationRef LinuxWorkspace::remember(std::int32_t pid, const Facts& facts)
{
    const auto start = LinuxRunningApplication::processStartTime(pid);
    if (!start) return nullptr;
    for (const auto& app : apps_) {
        if (app->processIdentifier() == pid && app->startTime() == *start) {
            app->update(facts);
            return app;
        }
    }
    auto app = std::make_shared<LinuxRunningApplication>(pid, *start, facts);
    apps_.push_back(app);
    return app;
}

QList<RunningApplicationRef> LinuxWorkspace::runningApplications()
{
    QList<RunningApplicationRef> list;
    std::erase_if(apps_, [](const auto& app) { return app->isTerminated(); });
    for (const auto& [pid, facts] : scan()) remember(pid, facts);
    for (const auto& app : apps_) list << app;
    return list;
}

RunningApplicationRef LinuxWorkspace::applicationForProcessIdentifier(std::int32_t pid)
{
    for (const auto& app : apps_)
        if (app->processIdentifier() == pid && !app->isTerminated()) return app;
    const auto found = scan();
    auto it = found.find(pid);
    return it == found.end() ? nullptr : remember(pid, it->second);
}

RunningApplicationRef LinuxWorkspace::frontmostApplication()
{
    // A change no event told of is announced once it is seen.
    frontmostMayHaveChanged();
    const std::int32_t pid = atspi::FocusTracker::instance().frontmostPid();
    return pid > 0 ? applicationForProcessIdentifier(pid) : nullptr;
}

void LinuxWorkspace::frontmostMayHaveChanged()
{
    // The program's own windows are announced too: the caret tracker then looks away from the
    // application it marked, and the return to that same application is a switch of its own.
    const std::int32_t pid = atspi::FocusTracker::instance().frontmostPid();
    if (pid <= 0 || pid == frontmostPid_) return;
    if (atspi::Runtime::instance().busLost()) return;
    frontmostPid_ = pid;
    RunningApplicationRef app = applicationForProcessIdentifier(pid);
    if (app) post(didActivateApplicationNotification, app);
}

void LinuxWorkspace::mayHaveTerminated(std::int32_t pid)
{
    std::vector<std::shared_ptr<LinuxRunningApplication>> ended;
    std::erase_if(apps_, [&](const auto& app) {
        const bool gone = app->processIdentifier() == pid && app->isTerminated();
        if (gone) ended.push_back(app);
        return gone;
    });
    if (pid == frontmostPid_ && !ended.empty()) frontmostPid_ = 0;
    for (const auto& app : ended) post(didTerminateApplicationNotification, app);
}

void LinuxWorkspace::post(const char* notification, const RunningApplicationRef& app)
{
    QVariantMap info;
    if (app) info.insert(QString::fromLatin1(applicationKey), QVariant::fromValue(app));
    notificationCenter().post(QString::fromLatin1(notification), {}, info);
}

QList<QRectF> cocoaScreenFrames(const QList<QRect>& geometries)
{
    QList<QRectF> frames;
    if (geometries.isEmpty()) return frames;
    const QRect first = geometries.constFirst();
    for (const QRect& g : geometries) {
        const double bottom = static_cast<double>(g.y()) + g.height();
        frames << QRectF(g.x() - first.x(), static_cast<double>(first.y()) + first.height() - bottom, g.width(),
                         g.height());
    }
    return frames;
}

QList<QRectF> LinuxWorkspace::screens()
{
    QList<QRect> geometries;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        for (const QScreen* screen : QGuiApplication::screens()) geometries << screen->geometry();
    }
    return cocoaScreenFrames(geometries);
}

QPointF LinuxWorkspace::firstScreenOrigin() { return atspi::axOrigin(); }

std::optional<QPointF> LinuxWorkspace::mouseLocation()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return std::nullopt;
    return cocoaPointFromDesktop(QPointF(QCursor::pos()));
}

bool LinuxWorkspace::hasCompositingManager() { return X11Desktop::instance().hasCompositingManager(); }

bool LinuxWorkspace::offersBlurBehind() { return X11Desktop::instance().offersBlurBehind(); }

void LinuxWorkspace::requestBlurBehind(std::uint64_t window)
{
    X11Desktop::instance().requestBlurBehind(static_cast<std::uint32_t>(window));
}

bool LinuxWorkspace::isObscured(std::uint64_t window)
{
    auto& x11 = X11Desktop::instance();
    x11.watchVisibility(static_cast<std::uint32_t>(window));
    return x11.isObscured(static_cast<std::uint32_t>(window));
}

void LinuxWorkspace::keepWindowInFront(std::uint64_t window)
{
    X11Desktop::instance().keepAbove(static_cast<std::uint32_t>(window));
}

// Through the toolkit's own connection: an event mask belongs to the client that selected it.
void LinuxWorkspace::ignorePropertyChanges(std::uint64_t window)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || !window) return;
    const auto id = static_cast<xcb_window_t>(window);
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id), nullptr), &std::free);
    if (!attributes || !(attributes->your_event_mask & XCB_EVENT_MASK_PROPERTY_CHANGE)) return;
    const std::uint32_t mask = attributes->your_event_mask & ~std::uint32_t{XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_change_window_attributes(connection, id, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
}

bool LinuxWorkspace::openURL(const QString& url)
{
    // System-settings addresses open the desktop's own settings page.
    if (url.startsWith(QLatin1String("x-apple.systempreferences:"))) return openSettingsLink(url);
    const QUrl address(url);
    if (!address.isValid() || address.isEmpty()) return false;
    return QDesktopServices::openUrl(address);
}

void LinuxWorkspace::openURLThen(const QString& url, std::function<void(bool taken)> answered)
{
    // Settings programs are started directly, so starting is the answer.
    if (url.startsWith(QLatin1String("x-apple.systempreferences:"))) {
        answered(openSettingsLink(url));
        return;
    }
    openWithDesktop(url, std::move(answered));
}

}  // namespace zorbel::platform
