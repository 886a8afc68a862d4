#include "support/DrawnCaret.h"

#include "support/Poll.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cmath>
#include <cstdlib>

namespace zorbel::integration {

// GTK 4 draws its caret one pixel wide in a mid grey (about 120 of 255).
constexpr int kDark = 140;

std::optional<QRect> drawnCaret(const QRectF& near, const QRectF& frame, std::chrono::milliseconds timeout) {
  const QRect region = frame.toAlignedRect();
  std::optional<QRect> found;
  pollUntil(
      [&] {
        const QImage image = QGuiApplication::primaryScreen()
                                 ->grabWindow(0, region.x(), region.y(), region.width(), region.height())
                                 .toImage();
        const int top = std::max(0, static_cast<int>(near.top()) - region.y() - 6);
        const int bottom = std::min(image.height() - 1, static_cast<int>(near.bottom()) - region.y() + 6);
        int bestDistance = 1000;
        for (int dx = -8; dx <= 8; ++dx) {
          const int x = static_cast<int>(near.x()) - region.x() + dx;
          if (x < 0 || x >= image.width()) continue;
          int run = 0, longest = 0, longestEnd = 0;
          for (int y = top; y <= bottom; ++y) {
            run = qGray(image.pixel(x, y)) < kDark ? run + 1 : 0;
            if (run > longest) longest = run, longestEnd = y;
          }
          if (longest >= 0.6 * near.height() && std::abs(dx) < bestDistance) {
            bestDistance = std::abs(dx);
            found = QRect(x + region.x(), longestEnd - longest + 1 + region.y(), 1, longest);
          }
        }
        return found.has_value();
      },
      timeout, std::chrono::milliseconds(60));
  return found;
}

double distanceToCaret(const QPointF& p, const QRect& caret) {
  const double below = p.y() - (caret.y() + caret.height());
  const double dy = p.y() < caret.top() ? caret.top() - p.y() : std::max(0.0, below);
  return std::hypot(p.x() - caret.x(), dy);
}

}  // namespace zorbel::integration
