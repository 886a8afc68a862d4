#include "Platform/Linux/Atspi/AtspiGeometry.h"

#include "Platform/Linux/X11Desktop.h"

#include <QGuiApplication>
#include <QScreen>

#include <atspi/atspi.h>

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

// Where a toolkit that draws its own decorations (GTK 4) starts its window
// coordinates inside its X window: after the margin it announces, else (no
// compositor, no announcement) after an even border around the frame the
// toolkit reports.
QPoint decorationInset(const AccPtr& window, float timeout, std::uint32_t xWindow)
{
    auto& x11 = X11Desktop::instance();
    if (const auto extents = x11.frameExtents(xWindow)) return QPoint(extents->left(), extents->top());
    QRect frame;
    const AXCode code = bounded(window.get(), timeout, [&](GError** error) {
        AtspiRect* rect = atspi_component_get_extents(ATSPI_COMPONENT(window.get()), ATSPI_COORD_TYPE_WINDOW, error);
        if (!rect) return false;
        frame = QRect(rect->x, rect->y, rect->width, rect->height);
        g_free(rect);
        return true;
    });
    const auto size = x11.windowSize(xWindow);
    if (code != axcode::success || !size || frame.isEmpty()) return {};
    const QSize border = *size - frame.size();
    constexpr int largest = 64;
    if (border.width() < 0 || border.height() < 0 || border.width() > largest || border.height() > largest) return {};
    return QPoint(border.width() / 2, border.height() / 2);
}

std::optional<QPoint> windowOriginOf(const Node& node)
{
    AccPtr window;
    if (node.window(window) || !window) return std::nullopt;
    QString title;
    Node(window.get(), node.timeout()).name(title);
    const auto pid = Runtime::instance().pidOf(node.accessible());
    if (!pid) return std::nullopt;
    auto& x11 = X11Desktop::instance();
    std::optional<std::uint32_t> match;
    int ofProcess = 0;
    for (const auto& client : x11.clientWindows()) {
        if (client.pid != *pid) continue;
        ++ofProcess;
        if (client.title == title || !match) match = client.id;
    }
    if (!match || (ofProcess > 1 && title.isEmpty())) return std::nullopt;
    const auto origin = x11.windowOrigin(*match);
    if (!origin) return std::nullopt;
    return *origin + decorationInset(window, node.timeout(), *match);
}

// GTK 4 answers screen coordinates with window coordinates (or refuses them).
bool answersWindowCoordinatesOnly(const Node& node)
{
    const QString toolkit = Runtime::instance().toolkitOf(node.accessible());
    return toolkit.startsWith(QLatin1String("GTK 4"), Qt::CaseInsensitive);
}

AXCode windowBox(const Node& node, const Query& query, QRectF& box)
{
    const Answer window = ask(node, ATSPI_COORD_TYPE_WINDOW, query);
    if (window.code == axcode::invalidUIElement || window.code == axcode::cannotComplete) return window.code;
    if (window.code != axcode::success || !usableBox(window.box)) return axcode::noValue;
    const auto origin = windowOriginOf(node);
    if (!origin) return axcode::noValue;
    box = toAX(window.box.translated(*origin));
    return axcode::success;
}

AXCode boxWithQuirks(const Node& node, const Query& query, QRectF& box)
{
    if (answersWindowCoordinatesOnly(node)) return windowBox(node, query, box);
    Answer screen = ask(node, ATSPI_COORD_TYPE_SCREEN, query);
    if (screen.code == axcode::success && screen.box.isNull() && screen.box.x() == 0 && screen.box.y() == 0)
        screen = ask(node, ATSPI_COORD_TYPE_SCREEN, query);
    if (screen.code == axcode::invalidUIElement || screen.code == axcode::cannotComplete ||
        screen.code == axcode::apiDisabled)
        return screen.code;
    const QString bus = busName(node.accessible());
    if (screen.code == axcode::success && usableBox(screen.box)) {
        screenCoordinateApps().insert(bus);
        box = toAX(screen.box);
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

QRectF toAX(const QRect& root) { return QRectF(root.translated(-axOrigin())); }

bool usableBox(const QRect& box)
{
    if (box.height() <= 0 || box.width() < 0) return false;
    return !(box.x() == 0 && box.y() == 0 && box.width() == 0);
}

AXCode elementExtents(const Node& node, QRectF& box)
{
    if (!node.hasComponent()) return node.missingInterface();
    AtspiAccessible* accessible = node.accessible();
    return boxWithQuirks(
        node,
        [accessible](AtspiCoordType type, GError** error) {
            return atspi_component_get_extents(ATSPI_COMPONENT(accessible), type, error);
        },
        box);
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
// the field's left edge, while the text is drawn after the frame and the
// margin (2 + 2 px in Qt's own styles). Found once per field.
QPointF textLayoutInset(const Node& node)
{
    static std::map<QString, QPointF> insets;
    const QString key = busName(node.accessible()) + objectPath(node.accessible());
    if (auto it = insets.find(key); it != insets.end()) return it->second;
    QPointF inset;
    RoleFacts facts;
    QRectF first;
    QRectF frame;
    if (!Runtime::instance().toolkitOf(node.accessible()).startsWith(QLatin1String("Qt")) ||
        node.roleFacts(facts) != axcode::success || axRole(facts) != QLatin1String("AXTextField"))
        return insets[key] = inset;
    if (rawCharacterExtents(node, 0, first) == axcode::success && elementExtents(node, frame) == axcode::success &&
        std::abs(first.x() - frame.x()) < 0.5)
        inset = QPointF(4, 0);
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
