#include "Platform/Linux/Atspi/AtspiScale.h"

#include "Platform/Linux/Atspi/AtspiFacts.h"
#include "Platform/Linux/X11Desktop.h"

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
    double scale = 1;
    bool known = false;
    Clock::time_point checked{};
    Clock::time_point retryAt{};
    // Another scale seen since, not yet confirmed.
    double candidate = 0;
    Clock::time_point candidateSince{};
};

std::map<QString, Measured>& measuredApplications()
{
    static std::map<QString, Measured> applications;
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

std::optional<Measured> measure(const Node& node)
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
    QSize drawn = *xSize;
    if (const auto margin = x11.frameExtents(*xWindow))
        drawn -= QSize(margin->left() + margin->right(), margin->top() + margin->bottom());
    constexpr int smallest = 32;
    if (reported->width() < smallest || reported->height() < smallest || drawn.width() < smallest ||
        drawn.height() < smallest)
        return std::nullopt;
    const auto scale = scaleFromRatios(static_cast<double>(drawn.width()) / reported->width(),
                                       static_cast<double>(drawn.height()) / reported->height());
    if (!scale) return std::nullopt;
    Measured measured;
    measured.xWindow = *xWindow;
    measured.xSize = *xSize;
    measured.scale = *scale;
    measured.known = true;
    measured.checked = Clock::now();
    return measured;
}
}  // namespace

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
    const AXCode code = bounded(window.get(), timeout, [&](GError** error) {
        AtspiRect* rect = atspi_component_get_extents(ATSPI_COMPONENT(window.get()), ATSPI_COORD_TYPE_WINDOW, error);
        if (!rect) return false;
        size = QSize(rect->width, rect->height);
        g_free(rect);
        return true;
    });
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

double applicationScale(const Node& node)
{
    auto& x11 = X11Desktop::instance();
    if (!x11.connected() || !node.accessible()) return 1;
    const auto now = Clock::now();
    auto& applications = measuredApplications();
    const QString bus = busName(node.accessible());
    if (auto it = applications.find(bus); it != applications.end()) {
        Measured& known = it->second;
        // One lookup asks for several boxes: the X window is compared once.
        constexpr auto recheck = std::chrono::milliseconds(100);
        if (!known.xWindow && now < known.retryAt) return known.scale;
        if (known.xWindow && now - known.checked < recheck) return known.scale;
        if (known.xWindow && x11.windowSize(known.xWindow) == known.xSize) {
            known.checked = now;
            return known.scale;
        }
    } else if (applications.size() > 64) {
        applications.clear();
    }
    Measured& entry = applications[bus];
    const auto fresh = measure(node);
    if (!fresh) {
        // The last scale known holds until a measurement succeeds.
        entry.xWindow = 0;
        entry.retryAt = now + std::chrono::seconds(3);
        return entry.scale;
    }
    // A toolkit may still answer its old size just after a resize (a window
    // that doubles its width would seem to double its scale): a new scale
    // counts once it is seen again a moment later.
    if (entry.known && fresh->scale != entry.scale) {
        if (entry.candidate != fresh->scale) {
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
