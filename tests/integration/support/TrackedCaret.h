#pragma once

// The caret tracker running on the real desktop, with what it published last. Header only:
// its users link zorbel_linux.
#include "Caret/Managers/PerfectCaretTracker.h"
#include "Platform/Services.h"
#include "support/Poll.h"

#include <QElapsedTimer>

#include <optional>

namespace zorbel::integration {

class TrackedCaret {
 public:
  TrackedCaret() {
    subscription_ = tracker_.currentCaretPositionPublisher().sink([this](const std::optional<QPointF>& p) {
      latest_ = p;
      ++publications_;
      sinceChange_.start();
    });
    tracker_.startTracking();
  }
  ~TrackedCaret() { subscription_.cancel(); }
  TrackedCaret(const TrackedCaret&) = delete;
  TrackedCaret& operator=(const TrackedCaret&) = delete;

  const std::optional<QPointF>& latest() const { return latest_; }
  int publications() const { return publications_; }

  // The published point once it has stayed put for `quietMs` after the call (what the user
  // just did takes a moment to be noticed), on the X screen.
  std::optional<QPointF> settledPoint(qint64 quietMs = 600) {
    QElapsedTimer sinceCall;
    sinceCall.start();
    pollUntil(
        [&] {
          return sinceCall.elapsed() >= quietMs && sinceChange_.isValid() && sinceChange_.elapsed() >= quietMs;
        },
        std::chrono::seconds(8));
    if (!latest_) return std::nullopt;
    const auto onScreen = platform::workspace().desktopRectFromCocoa(QRectF(*latest_, QSizeF()));
    return onScreen ? std::optional<QPointF>(onScreen->topLeft()) : std::nullopt;
  }

 private:
  PerfectCaretTracker tracker_;
  rx::Cancellable subscription_;
  std::optional<QPointF> latest_;
  int publications_ = 0;
  QElapsedTimer sinceChange_;
};

}  // namespace zorbel::integration
