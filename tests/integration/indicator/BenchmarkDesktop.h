#pragma once

// The benchmark's own view of the X server and the accessibility bus: it presses keys
// through XTest, sees the indicator's window move through ConfigureNotify, and sees
// caret events through its own AT-SPI listener, each stamped when it arrives, and counts
// the bus calls of the program as a monitor of the accessibility bus.
#include "indicator/BusCallCounter.h"

#include <chrono>
#include <cstdint>
#include <optional>

struct _XDisplay;

namespace zorbel::integration {

class BenchmarkDesktop {
 public:
  BenchmarkDesktop();
  ~BenchmarkDesktop();
  BenchmarkDesktop(const BenchmarkDesktop&) = delete;
  BenchmarkDesktop& operator=(const BenchmarkDesktop&) = delete;

  bool connected() const { return display_ != nullptr; }
  // Follows the window's moves from now on.
  void watch(std::uint64_t window);

  enum class Key { x, erase };
  using Clock = std::chrono::steady_clock;
  struct Move {
    double sincePress;                      // ms
    std::optional<double> sinceCaretEvent;  // ms; none when no caret event came first
    Clock::time_point pressed, moved;
    // The first caret or text event of the application after the press, as this
    // process heard it.
    std::optional<Clock::time_point> applicationEvent;
  };
  // Presses and releases the key, then waits for the watched window to move.
  std::optional<Move> pressAndAwaitMove(Key key, std::chrono::milliseconds timeout);
  // Lets time pass while taking in (and dropping) what arrives.
  void pause(std::chrono::milliseconds duration);
  // How often the watched window was unmapped so far: each is a flicker while typing.
  int unmaps() const { return unmaps_; }
  // The accessibility bus calls of the process it follows.
  BusCallCounter& busCalls() { return busCalls_; }

 private:
  void dispatchAccessibility();
  // The time the watched window was seen at a new position, if it was.
  std::optional<Clock::time_point> takeMove();
  void waitForX(std::chrono::microseconds limit);
  static void onCaretMoved(void* event, void* self);
  static void onTextChanged(void* event, void* self);

  _XDisplay* display_ = nullptr;
  std::uint64_t window_ = 0;
  int x_ = 0, y_ = 0;
  int unmaps_ = 0;
  void* listener_ = nullptr;
  void* textListener_ = nullptr;
  std::optional<Clock::time_point> caretEventAt_;
  std::optional<Clock::time_point> applicationEventAt_;
  BusCallCounter busCalls_;
};

}  // namespace zorbel::integration
