#include "indicator/IndicatorChecks.h"

#include "support/DesktopTools.h"
#include "support/DrawnCaret.h"
#include "support/Poll.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace zorbel::integration {
namespace {

// The default style's fill: sRGB (0, 0.4, 1.0) at 90 % opacity.
constexpr double kFillAlpha = 0.9;
const int kFill[3] = {0, 102, 255};
// What a corner may differ from the editor below: a black box differs by far more.
constexpr int kChannelTolerance = 24;
// Colour rounding and antialiasing at the fill's centre.
constexpr double kRounding = 6;

int channelDistance(QRgb a, const int b[3]) {
  return std::max({std::abs(qRed(a) - b[0]), std::abs(qGreen(a) - b[1]), std::abs(qBlue(a) - b[2])});
}

// The fill at 90 % over whatever lies below (the caret may blink there, and without a
// compositor it is black): each channel between the fill over black and over white.
bool showsFill(QRgb pixel) {
  const int channels[3] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
  for (int i = 0; i < 3; ++i) {
    const double overBlack = kFillAlpha * kFill[i], overWhite = overBlack + (1 - kFillAlpha) * 255;
    if (channels[i] < overBlack - kRounding || channels[i] > overWhite + kRounding) return false;
  }
  return true;
}

std::string rgb(QRgb pixel) {
  std::ostringstream out;
  out << "rgb(" << qRed(pixel) << ", " << qGreen(pixel) << ", " << qBlue(pixel) << ")";
  return out.str();
}

}  // namespace

QImage grabScreen() {
  return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

double changedShare(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return 1;
  qint64 changed = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if (std::abs(qRed(p) - qRed(q)) > 40 || std::abs(qGreen(p) - qGreen(q)) > 40 || std::abs(qBlue(p) - qBlue(q)) > 40)
        ++changed;
    }
  return a.isNull() ? 0 : double(changed) / (double(a.width()) * a.height());
}

std::optional<QImage> steadyShot(const QRect& area, double tolerance, std::chrono::milliseconds bound) {
  // The first grab is compared only after the main loop has run once.
  std::optional<QImage> last;
  QImage now;
  const bool steady = pollUntil([&] {
    now = grabScreen().copy(area);
    const bool same = last && changedShare(*last, now) < tolerance;
    last = now;
    return same;
  }, bound, std::chrono::milliseconds(60));
  return steady ? std::optional<QImage>(now) : std::nullopt;
}

QPointF centreOf(const QRect& window) {
  return {window.x() + window.width() / 2.0, window.y() + window.height() / 2.0};
}

std::optional<QPointF> drawnCaretPoint(const QPointF& estimate, const QRect& frame) {
  const auto drawn = drawnCaret(QRectF(estimate.x(), estimate.y() - 9, 0, 18), frame);
  if (!drawn) return std::nullopt;
  return QPointF(drawn->x(), drawn->y() + drawn->height() / 2.0);
}

std::optional<std::string> indicatorPixelsProblem(const QImage& screen, const QImage& before, const QRect& panel) {
  const QPoint centre(panel.x() + panel.width() / 2, panel.y() + panel.height() / 2);
  if (!screen.rect().contains(panel) || !before.rect().contains(panel)) return "the panel is off the screen";
  const QRgb middle = screen.pixel(centre);
  if (!showsFill(middle)) return "the centre shows " + rgb(middle) + ", not the fill colour";
  const QPoint corners[] = {{panel.left() + 1, panel.top() + 1}, {panel.right() - 1, panel.top() + 1},
                            {panel.left() + 1, panel.bottom() - 1}, {panel.right() - 1, panel.bottom() - 1}};
  for (const QPoint& corner : corners) {
    const QRgb was = before.pixel(corner);
    const int expected[3] = {qRed(was), qGreen(was), qBlue(was)};
    if (channelDistance(screen.pixel(corner), expected) > kChannelTolerance) {
      return "the corner at (" + std::to_string(corner.x()) + ", " + std::to_string(corner.y()) + ") shows " +
             rgb(screen.pixel(corner)) + " where the editor showed " + rgb(was);
    }
  }
  return std::nullopt;
}

std::optional<std::string> awaitIndicatorPixels(const QImage& before, const QRect& panel) {
  std::optional<std::string> problem;
  // A compositor repaints on its own schedule.
  pollUntil([&] { return !(problem = indicatorPixelsProblem(grabScreen(), before, panel)); }, std::chrono::seconds(3),
            std::chrono::milliseconds(50));
  return problem;
}

std::optional<QRect> settledWindow(const QString& title, std::chrono::milliseconds quiet,
                                   std::optional<quint64>& id)
{
    using namespace std::chrono_literals;
    QElapsedTimer still;
    std::optional<QRect> last;
    const bool ok = pollUntil(
        [&] {
            if (!id && !(id = windowNamed(title))) return false;
            const auto g = windowGeometry(*id);
            if (!g || isViewable(*id) != true) {
                last.reset();
                return false;
            }
            if (g != last) {
                last = g;
                still.start();
            }
            return still.elapsed() >= quiet.count();
        },
        10s, 30ms);
    return ok ? last : std::nullopt;
}

Hue hueAt(const QImage& screen, QPoint p)
{
    const QRgb c = screen.pixel(p);
    if (qRed(c) > 200 && qGreen(c) < 140 && qBlue(c) < 140) return Hue::red;
    if (qGreen(c) > 150 && qRed(c) < 140 && qBlue(c) < 160) return Hue::green;
    return Hue::other;
}

}  // namespace zorbel::integration
