#include "support/DesktopTools.h"

#include <QProcess>
#include <QRegularExpression>

#include <cstdlib>
#include <sstream>

namespace zorbel::integration {
namespace {

constexpr int kToolTimeoutMs = 10'000;

std::optional<QString> run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(kToolTimeoutMs)) {
    process.kill();
    process.waitForFinished();
    return std::nullopt;
  }
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
    return std::nullopt;
  return QString::fromUtf8(process.readAllStandardOutput());
}

bool xdotool(const QStringList& arguments) {
  return run(QStringLiteral("xdotool"), arguments).has_value();
}

std::optional<int> field(const QString& report, const QString& label) {
  const QRegularExpression pattern(QRegularExpression::escape(label) + QStringLiteral(":\\s*(-?\\d+)"));
  const auto match = pattern.match(report);
  if (!match.hasMatch()) return std::nullopt;
  return match.captured(1).toInt();
}

bool pointAt(QPoint screenPoint) {
  // "mousemove --sync" waits for the pointer to move, forever when it is already there.
  const auto location = run(QStringLiteral("xdotool"), {"getmouselocation"});  // "x:12 y:34 screen:0 window:56"
  if (location && field(*location, "x") == screenPoint.x() && field(*location, "y") == screenPoint.y()) return true;
  return xdotool({"mousemove", "--sync", QString::number(screenPoint.x()), QString::number(screenPoint.y())});
}

}  // namespace

bool focusWindow(quint64 windowId) {
  return xdotool({"windowfocus", "--sync", QString::number(windowId)});
}

bool activateWindow(quint64 windowId) {
  return xdotool({"windowactivate", "--sync", QString::number(windowId)});
}

bool moveWindow(quint64 windowId, QPoint screenPoint) {
  return xdotool({"windowmove", QString::number(windowId), QString::number(screenPoint.x()),
                  QString::number(screenPoint.y())});
}

bool typeText(const QString& text) { return makeTypeable(text) && xdotool({"type", "--", text}); }

bool pressKeys(const QString& keys) {
  return xdotool(QStringList{"key", "--"} + keys.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

bool clickAt(QPoint screenPoint, int button) {
  return pointAt(screenPoint) && xdotool({"click", QString::number(button)});
}

bool dragFrom(QPoint from, QPoint to) {
  if (!pointAt(from) || !xdotool({"mousedown", "1"})) return false;
  constexpr int steps = 4;
  bool moved = true;
  QPoint previous = from;
  for (int i = 1; i <= steps && moved; ++i) {
    const QPoint at = from + (to - from) * i / steps;
    // xdotool's --sync waits for a move, which never comes when the pointer is there already.
    if (at != previous) moved = xdotool({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y())});
    previous = at;
  }
  // The button is let go even when a move failed, so no later test finds it held.
  return xdotool({"mouseup", "1"}) && moved;
}

bool scrollAt(QPoint screenPoint, int notches) {
  if (notches == 0) return true;
  const QString button = notches > 0 ? QStringLiteral("4") : QStringLiteral("5");
  return pointAt(screenPoint) &&
         xdotool({"click", "--repeat", QString::number(std::abs(notches)), "--delay", "30", button});
}

std::optional<QRect> windowGeometry(quint64 windowId) {
  const auto report = run(QStringLiteral("xwininfo"), {"-id", QString::number(windowId)});
  if (!report) return std::nullopt;
  const auto x = field(*report, "Absolute upper-left X"), y = field(*report, "Absolute upper-left Y");
  const auto width = field(*report, "Width"), height = field(*report, "Height");
  if (!x || !y || !width || !height) return std::nullopt;
  return QRect(*x, *y, *width, *height);
}

std::optional<bool> isViewable(quint64 windowId) {
  const auto report = run(QStringLiteral("xwininfo"), {"-id", QString::number(windowId)});
  if (!report || !report->contains(QStringLiteral("Map State:"))) return std::nullopt;
  return report->contains(QStringLiteral("Map State: IsViewable"));
}

std::optional<bool> isOnScreen(quint64 windowId) {
  const auto report = run(QStringLiteral("xwininfo"), {"-id", QString::number(windowId)});
  const auto root = run(QStringLiteral("xwininfo"), {"-root"});
  if (!report || !root || !report->contains(QStringLiteral("Map State:"))) return std::nullopt;
  if (!report->contains(QStringLiteral("Map State: IsViewable"))) return false;
  const auto x = field(*report, "Absolute upper-left X"), y = field(*report, "Absolute upper-left Y");
  const auto width = field(*report, "Width"), height = field(*report, "Height");
  const auto rootWidth = field(*root, "Width"), rootHeight = field(*root, "Height");
  if (!x || !y || !width || !height || !rootWidth || !rootHeight) return std::nullopt;
  return QRect(*x, *y, *width, *height).intersects(QRect(0, 0, *rootWidth, *rootHeight));
}

std::optional<quint64> inputFocusWindow() {
  const auto id = run(QStringLiteral("xdotool"), {"getwindowfocus"});
  bool ok = false;
  const quint64 window = id ? id->trimmed().toULongLong(&ok) : 0;
  return ok ? std::optional<quint64>(window) : std::nullopt;
}

std::optional<quint64> windowNamed(const QString& title) {
  const QString pattern = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
  const auto ids = run(QStringLiteral("xdotool"), {"search", "--name", pattern});
  bool ok = false;
  const quint64 window = ids ? ids->section(QLatin1Char('\n'), 0, 0).toULongLong(&ok) : 0;
  return ok ? std::optional<quint64>(window) : std::nullopt;
}

int viewableWindowsNamed(const QString& title) {
  const QString pattern = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
  const auto ids = run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", pattern});
  return ids ? int(ids->split(QLatin1Char('\n'), Qt::SkipEmptyParts).size()) : 0;
}

QString accessibilityBusAddress() {
  const auto reply = run(QStringLiteral("dbus-send"), {"--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                                                       "org.a11y.Bus.GetAddress"});
  const auto match = QRegularExpression(QStringLiteral("unix:path=[^\"]+")).match(reply.value_or(QString()));
  return match.hasMatch() ? match.captured(0) : QString();
}

std::optional<qint64> accessibilityBusPid() {
  const QString path = accessibilityBusAddress().section(',', 0, 0);
  if (path.isEmpty()) return std::nullopt;
  const auto found = run(QStringLiteral("pgrep"), {"-f", "--", "--address=" + path + "$"});
  bool ok = false;
  const qint64 pid = found ? found->section(QLatin1Char('\n'), 0, 0).toLongLong(&ok) : 0;
  return ok ? std::optional<qint64>(pid) : std::nullopt;
}

std::string describe(const QRect& r) {
  std::ostringstream out;
  out << r.width() << "x" << r.height() << " at (" << r.x() << ", " << r.y() << ")";
  return out.str();
}

std::string describe(const QPointF& p) {
  std::ostringstream out;
  out << "(" << p.x() << ", " << p.y() << ")";
  return out.str();
}

std::string describe(const std::optional<QPointF>& p) { return p ? describe(*p) : "none"; }

}  // namespace zorbel::integration
