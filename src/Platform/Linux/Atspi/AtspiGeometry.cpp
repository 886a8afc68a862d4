#include "Platform/Linux/Atspi/AtspiGeometry.h"

#include "Platform/Linux/Atspi/AtspiFacts.h"
#include "Platform/Linux/Atspi/AtspiScale.h"
#include "Platform/Linux/ScreenPixels.h"
#include "Platform/Linux/X11Desktop.h"

#include <QGuiApplication>
#include <QScreen>

#include <atspi/atspi.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <set>

namespace zorbel::platform::atspi {

namespace {
using Query = std::function<AtspiRect*(AtspiCoordType, GError**)>;

struct Answer {
    AXCode code = axcode::noValue;
    QRect box;
};

// Applications that answered screen coordinates once; they are never asked
// in window coordinates.
std::set<QString>& screenCoordinateApps()
{
    static std::set<QString> apps;
    return apps;
}

Answer ask(const Node& node, AtspiCoordType type, const Query& query)
{
    Answer answer;
    answer.code = bounded(node.accessible(), node.timeout(), [&](GError** error) {
        AtspiRect* rect = query(type, error);
        if (!rect) return false;
        answer.box = QRect(rect->x, rect->y, rect->width, rect->height);
        g_free(rect);
        return true;
    });
    return answer;
}

QRectF scaled(const QRect& box, double scale)
{
    return QRectF(box.x() * scale, box.y() * scale, box.width() * scale, box.height() * scale);
}

// Where a toolkit that draws its own decorations (GTK 4) starts its window
// coordinates inside its X window, in pixels: after the margin it announces,
// else (no compositor, no announcement) after an even border around the
// frame the toolkit reports.
QPointF decorationInset(const AccPtr& window, float timeout, std::uint32_t xWindow, double scale)
{
    auto& x11 = X11Desktop::instance();
    if (const auto extents = x11.frameExtents(xWindow)) return QPoint(extents->left(), extents->top());
    const auto size = x11.windowSize(xWindow);
    if (!size) return {};
    const auto frame = reportedWindowSize(window, timeout, *size);
    if (!frame) return {};
    const QSizeF border = QSizeF(*size) - QSizeF(*frame) * scale;
    const double largest = 64 * scale;
    if (border.width() < 0 || border.height() < 0 || border.width() > largest || border.height() > largest) return {};
    return QPointF(border.width() / 2, border.height() / 2);
}

// The top-left corner of the node's window coordinates on the X screen, in pixels.
std::optional<QPointF> windowOriginOf(const Node& node, double scale)
{
    AccPtr window;
    if (node.window(window) || !window) return std::nullopt;
    const auto xWindow = clientWindowOf(window, node.timeout());
    if (!xWindow) return std::nullopt;
    const auto origin = X11Desktop::instance().windowOrigin(*xWindow);
    if (!origin) return std::nullopt;
    return QPointF(*origin) + decorationInset(window, node.timeout(), *xWindow, scale);
}

AXCode windowBox(const Node& node, const Query& query, QRectF& box)
{
    const Answer window = ask(node, ATSPI_COORD_TYPE_WINDOW, query);
    if (window.code == axcode::invalidUIElement || window.code == axcode::cannotComplete) return window.code;
    if (window.code != axcode::success || !usableBox(window.box)) return axcode::noValue;
    const double scale = applicationScale(node).factor;
    const auto origin = windowOriginOf(node, scale);
    if (!origin) return axcode::noValue;
    box = toAX(scaled(window.box, scale).translated(*origin));
    return axcode::success;
}

QString keyOf(AtspiAccessible* accessible) { return busName(accessible) + objectPath(accessible); }

// The nearest root pane holding the node (none: null), remembered per node.
AccPtr rootPaneOf(const Node& node)
{
    static std::map<QString, AccPtr> panes;
    const QString key = keyOf(node.accessible());
    if (auto it = panes.find(key); it != panes.end()) return it->second;
    AccPtr pane;
    AccPtr current = retain(node.accessible());
    for (int depth = 0; depth < 64 && current; ++depth) {
        Node up(current.get(), node.timeout());
        int role = 0;
        AccPtr parent;
        if (up.role(role) || up.parent(parent)) return {};
        if (role == ATSPI_ROLE_ROOT_PANE && parent) {
            pane = current;
            break;
        }
        current = parent;
    }
    if (panes.size() > 1024) panes.clear();
    return panes[key] = pane;
}

// The object that lists `pane` among its children, looked for a few levels
// below the application's windows: LibreOffice names as the root pane's
// parent a window object of its own (which has no parent), while a panel
// below the menu bar holds it.
AccPtr holderOf(const AccPtr& pane, float timeout)
{
    AccPtr application;
    if (Node(pane.get(), timeout).application(application) || !application) return {};
    std::vector<std::pair<AccPtr, int>> queue{{application, 0}};
    constexpr int deepest = 5;
    constexpr std::size_t most = 48;
    for (std::size_t i = 0; i < queue.size() && i < most; ++i) {
        const auto [current, depth] = queue[i];
        std::vector<AccPtr> children;
        if (Node(current.get(), timeout).children(children)) return {};
        for (const AccPtr& child : children) {
            if (sameObject(child.get(), pane.get())) return current;
            if (depth + 1 < deepest) queue.emplace_back(child, depth + 1);
        }
    }
    return {};
}

// LibreOffice places its content (a root pane) as though it began where its
// window's client area does, while GTK draws its menu bar above it: the pane
// reports the size of the panel that holds it but not that panel's corner,
// and so is everything inside placed. The distance to the panel's corner, in
// the application's units, is measured once a second.
QPoint misplacedContentShift(const Node& node)
{
    const AccPtr pane = rootPaneOf(node);
    if (!pane) return {};
    struct Shift {
        std::chrono::steady_clock::time_point at;
        AccPtr holder;
        QPoint by;
    };
    static std::map<QString, Shift> shifts;
    const auto now = std::chrono::steady_clock::now();
    Shift& shift = shifts[keyOf(pane.get())];
    if (now - shift.at < std::chrono::seconds(1)) return shift.by;
    shift.at = now;
    shift.by = QPoint();
    if (!shift.holder) shift.holder = holderOf(pane, node.timeout());
    if (!shift.holder) return {};
    auto extents = [](AtspiAccessible* accessible) {
        return [accessible](AtspiCoordType type, GError** error) {
            return atspi_component_get_extents(ATSPI_COMPONENT(accessible), type, error);
        };
    };
    const Answer inner = ask(Node(pane.get(), node.timeout()), ATSPI_COORD_TYPE_SCREEN, extents(pane.get()));
    const Answer outer =
        ask(Node(shift.holder.get(), node.timeout()), ATSPI_COORD_TYPE_SCREEN, extents(shift.holder.get()));
    if (inner.code || outer.code || inner.box.size() != outer.box.size() || !usableBox(inner.box)) return {};
    shift.by = outer.box.topLeft() - inner.box.topLeft();
    return shift.by;
}

AXCode boxWithQuirks(const Node& node, const Query& query, QRectF& box)
{
    // GTK 4 answers screen coordinates with window coordinates (or refuses them).
    if (isGtk4(node)) return windowBox(node, query, box);
    Answer screen = ask(node, ATSPI_COORD_TYPE_SCREEN, query);
    if (screen.code == axcode::success && screen.box.isNull() && screen.box.x() == 0 && screen.box.y() == 0)
        screen = ask(node, ATSPI_COORD_TYPE_SCREEN, query);
    if (screen.code == axcode::invalidUIElement || screen.code == axcode::cannotComplete ||
        screen.code == axcode::apiDisabled)
        return screen.code;
    const QString bus = busName(node.accessible());
    if (screen.code == axcode::success && usableBox(screen.box)) {
        screenCoordinateApps().insert(bus);
        box = toAX(applicationScale(node).toPixels(screen.box.translated(misplacedContentShift(node))));
        return axcode::success;
    }
    if (screenCoordinateApps().count(bus)) return axcode::noValue;
    return windowBox(node, query, box);
}
}  // namespace

QPoint axOrigin()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return {};
    const auto screens = QGuiApplication::screens();
    return screens.isEmpty() ? QPoint() : screens.constFirst()->geometry().topLeft();
}

QRectF toAX(const QRectF& pixels) { return programFromPixels(pixels, programScreens()).translated(-axOrigin()); }

QPoint toApplication(const Node& node, const QPointF& point)
{
    const QPointF pixels = pixelsFromProgram(point + axOrigin(), programScreens());
    return applicationScale(node).toUnits(pixels).toPoint();
}

QPointF toAXDistance(const Node& node, const QPointF& distance)
{
    const auto screens = programScreens();
    const double ratio = screens.isEmpty() ? 1.0 : screens.constFirst().ratio;
    return distance * applicationScale(node).factor / ratio;
}

bool isGtk4(const Node& node)
{
    const QString toolkit = Runtime::instance().toolkitOf(node.accessible());
    return toolkit.startsWith(QLatin1String("GTK 4"), Qt::CaseInsensitive);
}

bool isQt(const Node& node)
{
    return Runtime::instance().toolkitOf(node.accessible()).startsWith(QLatin1String("Qt"));
}

bool usableBox(const QRect& box)
{
    if (box.height() <= 0 || box.width() < 0) return false;
    return !(box.x() == 0 && box.y() == 0 && box.width() == 0);
}

std::pair<std::uint32_t, std::uint64_t> placeOf(const Node& node)
{
    AccPtr window;
    if (node.window(window) || !window) return {};
    const auto xWindow = clientWindowOf(window, node.timeout());
    if (!xWindow) return {};
    return {*xWindow, X11Desktop::instance().geometryChanges(*xWindow).count};
}

AXCode elementExtents(const Node& node, QRectF& box)
{
    if (!node.hasComponent()) return node.missingInterface();
    AtspiAccessible* accessible = node.accessible();
    // One lookup needs the element's box several times (its caret placed in
    // an empty field, its position and size); the answer of this turn of
    // the main loop serves them all, and one kept from earlier serves while
    // nothing says the element or its window moved; while the application
    // could still be asked.
    auto& facts = ObjectFacts::instance();
    if (const auto known = facts.moment(accessible).extents) {
        if (AXCode code = ObjectFacts::admission(accessible)) return code;
        box = *known;
        return axcode::success;
    }
    const auto [xWindow, xChanges] = placeOf(node);
    if (ObjectFacts::admission(accessible) == axcode::success) {
        if (const auto kept = facts.keptExtents(accessible, xWindow, xChanges)) {
            box = *kept;
            facts.moment(accessible).extents = box;
            return axcode::success;
        }
    }
    const AXCode code = boxWithQuirks(
        node,
        [accessible](AtspiCoordType type, GError** error) {
            return atspi_component_get_extents(ATSPI_COMPONENT(accessible), type, error);
        },
        box);
    if (code != axcode::success) return code;
    auto& moment = facts.moment(accessible);
    moment.extents = box;
    moment.extentsAsked = true;
    // A toolkit may answer its old place just after its window moved.
    constexpr auto settle = std::chrono::milliseconds(250);
    const auto changed = xWindow ? X11Desktop::instance().geometryChanges(xWindow) : X11Desktop::GeometryChanges{};
    if (xWindow && changed.count == xChanges && std::chrono::steady_clock::now() - changed.at >= settle)
        facts.keepExtents(accessible, box, xWindow, xChanges);
    return code;
}

namespace {
AXCode rawCharacterExtents(const Node& node, int offset, QRectF& box)
{
    AtspiAccessible* accessible = node.accessible();
    return boxWithQuirks(
        node,
        [accessible, offset](AtspiCoordType type, GError** error) {
            return atspi_text_get_character_extents(ATSPI_TEXT(accessible), offset, type, error);
        },
        box);
}

// Qt's single-line fields give character boxes from the start of their text
// layout, not from where they draw it: the first character's box sits on
// the field's top-left corner, while the text is drawn after the frame and
// the margin (2 + 2 px in Qt's own styles) and centred from top to bottom.
// Found once per field, once it holds a character to measure.
QPointF textLayoutInset(const Node& node)
{
    static std::map<QString, QPointF> insets;
    const QString key = busName(node.accessible()) + objectPath(node.accessible());
    if (auto it = insets.find(key); it != insets.end()) return it->second;
    QPointF inset;
    RoleFacts facts;
    QRectF first;
    QRectF frame;
    if (!isQt(node) || node.roleFacts(facts) != axcode::success || axRole(facts) != QLatin1String("AXTextField"))
        return insets[key] = inset;
    if (rawCharacterExtents(node, 0, first) != axcode::success || elementExtents(node, frame) != axcode::success)
        return inset;
    if (std::abs(first.x() - frame.x()) < 0.5) {
        inset.setX(toAXDistance(node, QPointF(4, 0)).x());
        if (std::abs(first.y() - frame.y()) < 0.5 && first.height() < frame.height())
            inset.setY((frame.height() - first.height()) / 2);
    }
    if (insets.size() > 256) insets.clear();
    return insets[key] = inset;
}
}  // namespace

// A browser may answer the whole field for a character of an empty field.
// A character is seldom wider than tall, so only such a box is compared
// with the element's own.
bool isWholeElement(const Node& node, const QRectF& box)
{
    if (box.width() <= box.height()) return false;
    QRectF frame;
    return elementExtents(node, frame) == axcode::success && frame == box;
}

AXCode characterExtents(const Node& node, int offset, QRectF& box)
{
    const AXCode code = rawCharacterExtents(node, offset, box);
    if (code != axcode::success) return code;
    if (isWholeElement(node, box)) return axcode::noValue;
    box.translate(textLayoutInset(node));
    return code;
}

AXCode flatCharacterCorner(const Node& node, int offset, const QRectF& frame, QPointF& corner)
{
    if (isGtk4(node)) return axcode::noValue;
    AtspiAccessible* accessible = node.accessible();
    const Answer answer =
        ask(node, ATSPI_COORD_TYPE_SCREEN, [accessible, offset](AtspiCoordType type, GError** error) {
            return atspi_text_get_character_extents(ATSPI_TEXT(accessible), offset, type, error);
        });
    if (answer.code) return answer.code;
    const QRect& box = answer.box;
    if (box.height() > 0 || (box.x() == 0 && box.y() == 0) || (box.x() < 0 && box.y() < 0)) return axcode::noValue;
    corner = toAX(applicationScale(node).toPixels(QRectF(box.topLeft(), QSizeF()))).topLeft();
    // Sideways the corners may run past the element's edges (measured from
    // elsewhere, or scrolled); their tops are the lines' own.
    return corner.y() >= frame.top() && corner.y() <= frame.bottom() ? axcode::success : axcode::noValue;
}

AXCode rangeExtents(const Node& node, int start, int end, QRectF& box)
{
    AtspiAccessible* accessible = node.accessible();
    return boxWithQuirks(
        node,
        [accessible, start, end](AtspiCoordType type, GError** error) {
            return atspi_text_get_range_extents(ATSPI_TEXT(accessible), start, end, type, error);
        },
        box);
}

}  // namespace zorbel::platform::atspi
