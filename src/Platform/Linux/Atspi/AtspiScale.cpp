#include "Platform/Linux/Atspi/AtspiScale.h"

#include "Platform/Linux/Atspi/AtspiFacts.h"
#include "Platform/Linux/Atspi/AtspiGeometry.h"
#include "Platform/Linux/ScreenPixels.h"
#include "Platform/Linux/X11Desktop.h"

#include <QLineF>

#include <atspi/atspi.h>

#include <array>
#include <chrono>
#include <cmath>
#include <map>

namespace zorbel::platform::atspi {

namespace {
using Clock = std::chrono::steady_clock;

// A toolkit may still answer its old size just after a resize: an answer
// counts once the X size has held this long.
constexpr auto settle = std::chrono::milliseconds(250);

// What one application's scale was measured from, and when its X window's
// size was last compared.
struct Measured {
    std::uint32_t xWindow = 0;
    QSize xSize;
    // Where the X window stood, where more than one screen makes it matter.
    std::optional<QPoint> xOrigin;
    ApplicationScale scale;
    // How the application counts on a screen other than the first; learnt
    // once, kept across measurements.
    ScreenOrigins origins = ScreenOrigins::unknown;
    // Measured while the way of counting was needed and could not be told:
    // measured again at the next check.
    bool undecided = false;
    bool known = false;
    Clock::time_point checked{};
    Clock::time_point retryAt{};
    // Another scale seen since, not yet confirmed.
    ApplicationScale candidate;
    Clock::time_point candidateSince{};
};

std::map<QString, Measured>& measuredApplications()
{
    static std::map<QString, Measured> applications;
    // A window that moved or changed size is compared at the next lookup,
    // which that move itself may have caused.
    static const auto watch = QObject::connect(
        &X11Desktop::instance(), &X11Desktop::windowConfigured, [](std::uint32_t window, std::int32_t, const QRect&) {
            for (auto& [bus, measured] : applications)
                if (measured.xWindow == window) measured.checked = {};
        });
    (void)watch;
    return applications;
}

// A window of the node's application: the one holding it, or (the node is
// the application itself) its first.
AccPtr someWindowOf(const Node& node)
{
    AccPtr window;
    if (node.window(window) == axcode::success && window) return window;
    std::vector<AccPtr> children;
    if (node.children(children) == axcode::success && !children.empty()) return children.front();
    return {};
}

bool operator==(const ApplicationScale& a, const ApplicationScale& b)
{
    return a.factor == b.factor && a.offset == b.offset && a.screens == b.screens;
}

// The screens in pixels; none with a single screen at the root's corner,
// where every way of counting agrees.
QList<QRectF> pixelScreens()
{
    const QList<ScreenScale> screens = programScreens();
    if (screens.size() < 2 && (screens.isEmpty() || screens.constFirst().geometry.topLeft().isNull())) return {};
    QList<QRectF> pixels;
    for (const ScreenScale& screen : screens)
        pixels.append(QRectF(screen.geometry.topLeft(), QSizeF(screen.geometry.size()) * screen.ratio));
    return pixels;
}

std::optional<QRectF> screenHolding(const QPointF& point, const QList<QRectF>& screens)
{
    for (const QRectF& screen : screens)
        if (screen.contains(point)) return screen;
    return std::nullopt;
}

// The window's top-left corner in the application's screen coordinates,
// asked afresh: windows move without telling.
std::optional<QPointF> reportedWindowPosition(const AccPtr& window, float timeout)
{
    QPointF position;
    const AXCode code = bounded(window.get(), timeout, [&](GError** error) {
        AtspiRect* rect = atspi_component_get_extents(ATSPI_COMPONENT(window.get()), ATSPI_COORD_TYPE_SCREEN, error);
        if (!rect) return false;
        position = QPointF(rect->x, rect->y);
        const bool usable = rect->width > 0 && rect->height > 0;
        g_free(rect);
        return usable;
    });
    if (code != axcode::success) return std::nullopt;
    return position;
}

std::optional<Measured> measure(const Node& node, ScreenOrigins origins)
{
    const AccPtr window = someWindowOf(node);
    if (!window) return std::nullopt;
    const auto xWindow = clientWindowOf(window, node.timeout());
    if (!xWindow) return std::nullopt;
    auto& x11 = X11Desktop::instance();
    const auto xSize = x11.windowSize(*xWindow);
    if (!xSize) return std::nullopt;
    const auto reported = reportedWindowSize(window, node.timeout(), *xSize);
    if (!reported) return std::nullopt;
    const auto scale = scaleOfWindow(*xSize, x11.frameExtents(*xWindow), *reported);
    if (!scale) return std::nullopt;
    Measured measured;
    measured.xWindow = *xWindow;
    measured.xSize = *xSize;
    measured.scale.factor = *scale;
    measured.origins = origins;
    const QList<QRectF> screens = pixelScreens();
    const auto xOrigin = screens.isEmpty() ? std::nullopt : x11.windowOrigin(*xWindow);
    // Window coordinates (GTK 4) are placed from the X window itself.
    if (xOrigin && *scale != 1 && !isGtk4(node)) {
        measured.xOrigin = xOrigin;
        const QRectF placed(*xOrigin, *xSize);
        const auto own = screenOfWindow(placed, screens);
        // The window's corner is counted from the screen that holds it.
        const auto cornersScreen = screenHolding(placed.topLeft(), screens);
        const QPointF corner = cornersScreen ? cornersScreen->topLeft() : own ? own->topLeft() : QPointF();
        if (measured.origins == ScreenOrigins::unknown && !corner.isNull()) {
            if (const auto position = reportedWindowPosition(window, node.timeout()))
                measured.origins = screenOriginsFrom(*position, *xOrigin, *scale, corner);
            measured.undecided = measured.origins == ScreenOrigins::unknown;
        }
        if (measured.origins == ScreenOrigins::eachScreen) {
            measured.scale.screens = screens;
            if (own) measured.scale.offset = own->topLeft() * (1 - *scale);
        }
    }
    measured.known = true;
    measured.checked = Clock::now();
    return measured;
}
}  // namespace

std::optional<double> scaleOfWindow(const QSize& xSize, const std::optional<QMargins>& frame, const QSize& reported)
{
    QSize drawn = xSize;
    if (frame) drawn -= QSize(frame->left() + frame->right(), frame->top() + frame->bottom());
    constexpr int smallest = 32;
    if (reported.width() < smallest || reported.height() < smallest || drawn.width() < smallest ||
        drawn.height() < smallest)
        return std::nullopt;
    return scaleFromRatios(static_cast<double>(drawn.width()) / reported.width(),
                           static_cast<double>(drawn.height()) / reported.height());
}

std::optional<std::uint32_t> clientWindowOf(const AccPtr& window, float timeout)
{
    QString title;
    Node(window.get(), timeout).name(title);
    const auto pid = Runtime::instance().pidOf(window.get());
    if (!pid) return std::nullopt;
    std::optional<std::uint32_t> match;
    int ofProcess = 0;
    for (const auto& client : X11Desktop::instance().clientWindows()) {
        if (client.pid != *pid) continue;
        ++ofProcess;
        if (client.title == title || !match) match = client.id;
    }
    if (ofProcess > 1 && title.isEmpty()) return std::nullopt;
    return match;
}

std::optional<QSize> reportedWindowSize(const AccPtr& window, float timeout, const QSize& xSize)
{
    // A window's size in its own coordinates changes only with its X window
    // or with an event of it (bounds, state, activation); an answer counts
    // once the X size has held a moment.
    auto& facts = ObjectFacts::instance();
    const AXCode admitted = ObjectFacts::admission(window.get());
    if (admitted != axcode::success) return std::nullopt;
    const auto now = Clock::now();
    auto& known = facts.remember(window.get());
    if (known.windowSizeAtX != xSize) {
        known.windowSize.reset();
        known.windowSizeAtX = xSize;
        known.xSizeSince = now;
    }
    if (known.windowSize) return known.windowSize;
    QSize size;
    const auto ask = [&](AtspiCoordType type) {
        return bounded(window.get(), timeout, [&](GError** error) {
            AtspiRect* rect = atspi_component_get_extents(ATSPI_COMPONENT(window.get()), type, error);
            if (!rect) return false;
            size = QSize(rect->width, rect->height);
            g_free(rect);
            return true;
        });
    };
    AXCode code = axcode::noValue;
    if (!isGtk4(Node(window.get(), timeout))) code = ask(ATSPI_COORD_TYPE_SCREEN);
    if (code == axcode::invalidUIElement || code == axcode::cannotComplete) return std::nullopt;
    if (code != axcode::success || size.isEmpty()) code = ask(ATSPI_COORD_TYPE_WINDOW);
    if (code != axcode::success || size.isEmpty()) return std::nullopt;
    // The call ran libatspi's loop: events taken in may have replaced the facts.
    auto& after = facts.remember(window.get());
    if (after.windowSizeAtX == xSize && now - after.xSizeSince >= settle) after.windowSize = size;
    return size;
}

std::optional<double> scaleFromRatios(double width, double height)
{
    if (!std::isfinite(width) || !std::isfinite(height) || width < 0.5 || width > 4.5) return std::nullopt;
    constexpr std::array<double, 8> factors{1, 1.25, 1.5, 1.75, 2, 2.5, 3, 4};
    double nearest = factors.front();
    for (double factor : factors)
        if (std::abs(width / factor - 1) < std::abs(width / nearest - 1)) nearest = factor;
    const double off = std::abs(width / nearest - 1);
    // A few pixels of border (GTK 4 without a compositor) leave the ratio
    // near a factor; QT_SCALE_FACTOR=1.3 is exact and off the list.
    if (off <= 0.02) return nearest;
    if (std::abs(width - height) <= 0.01 * width) return width;
    if (off <= 0.06) return nearest;
    return std::nullopt;
}

QRectF ApplicationScale::toPixels(const QRectF& units) const
{
    QPointF from = offset;
    for (const QRectF& screen : screens) {
        if (QRectF(screen.topLeft(), screen.size() / factor).contains(units.topLeft())) {
            from = screen.topLeft() * (1 - factor);
            break;
        }
    }
    return QRectF(units.topLeft() * factor + from, units.size() * factor);
}

QPointF ApplicationScale::toUnits(const QPointF& pixels) const
{
    const auto screen = screenHolding(pixels, screens);
    return (pixels - (screen ? screen->topLeft() * (1 - factor) : offset)) / factor;
}

std::optional<QRectF> screenOfWindow(const QRectF& window, const QList<QRectF>& screens)
{
    if (const auto middle = screenHolding(window.center(), screens)) return middle;
    std::optional<QRectF> largest;
    double most = 0;
    for (const QRectF& screen : screens) {
        const QRectF part = screen.intersected(window);
        const double area = part.width() * part.height();
        if (area > most) {
            most = area;
            largest = screen;
        }
    }
    return largest;
}

ScreenOrigins screenOriginsFrom(const QPointF& units, const QPointF& pixels, double factor, const QPointF& corner)
{
    // A window manager's frame may lie between the two; a toolkit that has
    // not yet heard of its window's move answers far off either way.
    constexpr double close = 64;
    const double fromRoot = QLineF(units * factor, pixels).length();
    const double fromCorner = QLineF(corner + (units - corner) * factor, pixels).length();
    if (fromRoot <= close && fromCorner > 2 * close) return ScreenOrigins::root;
    if (fromCorner <= close && fromRoot > 2 * close) return ScreenOrigins::eachScreen;
    return ScreenOrigins::unknown;
}

ApplicationScale applicationScale(const Node& node)
{
    auto& x11 = X11Desktop::instance();
    if (!x11.connected() || !node.accessible()) return {};
    const auto now = Clock::now();
    auto& applications = measuredApplications();
    const QString bus = busName(node.accessible());
    if (auto it = applications.find(bus); it != applications.end()) {
        Measured& known = it->second;
        // One lookup asks for several boxes: the X window is compared once.
        constexpr auto recheck = std::chrono::milliseconds(100);
        if (!known.xWindow && now < known.retryAt) return known.scale;
        if (known.xWindow && !known.undecided && now - known.checked < recheck) return known.scale;
        if (known.xWindow && !known.undecided && x11.windowSize(known.xWindow) == known.xSize &&
            (!known.xOrigin || x11.windowOrigin(known.xWindow) == known.xOrigin)) {
            known.checked = now;
            return known.scale;
        }
    } else if (applications.size() > 64) {
        applications.clear();
    }
    Measured& entry = applications[bus];
    const auto fresh = measure(node, entry.origins);
    if (!fresh) {
        // The last scale known holds until a measurement succeeds.
        entry.xWindow = 0;
        entry.retryAt = now + std::chrono::seconds(3);
        return entry.scale;
    }
    // A toolkit may still answer its old size just after a resize (a window
    // that doubles its width would seem to double its scale): a new scale
    // counts once it is seen again a moment later.
    // A window moved to another screen takes that screen's corner at once.
    if (entry.known && fresh->scale.factor != entry.scale.factor) {
        if (!(entry.candidate == fresh->scale)) {
            entry.candidate = fresh->scale;
            entry.candidateSince = now;
        }
        if (now - entry.candidateSince < settle) {
            entry.checked = now;
            return entry.scale;
        }
    }
    entry = *fresh;
    return entry.scale;
}

}  // namespace zorbel::platform::atspi
