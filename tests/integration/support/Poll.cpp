#include "support/Poll.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace zorbel::integration {

bool pollUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
               std::chrono::milliseconds interval) {
  const QDeadlineTimer deadline(timeout);
  while (!done()) {
    if (deadline.hasExpired()) return done();
    QEventLoop loop;
    QTimer::singleShot(std::min(interval, std::chrono::milliseconds(deadline.remainingTime())),
                       &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

void runFor(std::chrono::milliseconds period) { pollUntil([] { return false; }, period); }

}  // namespace zorbel::integration
