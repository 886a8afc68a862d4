#include "indicator/IndicatorChecks.h"

#include "support/DrawnCaret.h"
#include "support/Poll.h"

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
// Antialiasing and colour rounding stay well inside this, a black box does not.
constexpr int kChannelTolerance = 24;

int channelDistance(QRgb a, const int b[3]) {
  return std::max({std::abs(qRed(a) - b[0]), std::abs(qGreen(a) - b[1]), std::abs(qBlue(a) - b[2])});
}

// The fill blended over a pixel, as a compositor shows it.
void fillOver(QRgb below, int out[3]) {
  const int channels[3] = {qRed(below), qGreen(below), qBlue(below)};
  for (int i = 0; i < 3; ++i) out[i] = static_cast<int>(kFillAlpha * kFill[i] + (1 - kFillAlpha) * channels[i] + 0.5);
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
  // Without a compositor a translucent pixel is shown as if over black.
  int over[3], overBlack[3];
  fillOver(before.pixel(centre), over);
  fillOver(qRgb(0, 0, 0), overBlack);
  const QRgb middle = screen.pixel(centre);
  if (channelDistance(middle, over) > kChannelTolerance && channelDistance(middle, overBlack) > kChannelTolerance)
    return "the centre shows " + rgb(middle) + ", not the fill colour over " + rgb(before.pixel(centre));
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

}  // namespace zorbel::integration
