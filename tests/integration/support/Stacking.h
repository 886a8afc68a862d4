#pragma once

// The X server's stacking order, for checking which window is in front of which.
#include <QtGlobal>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

namespace zorbel::integration {

// The viewable children of the root window, bottom first (window manager frames, windows
// that bypass the window manager, and without a window manager the clients themselves).
std::vector<quint64> stackingOrder();
// The child of the root window that holds `window`: its frame, or the window itself.
std::optional<quint64> topLevelOf(quint64 window);
// Whether the top level of `upper` is stacked above the top level of `lower`.
bool stackedAbove(quint64 upper, quint64 lower);
// Puts the window at the bottom of the stack, as other windows coming up over it would.
bool lowerWindow(quint64 window);
// Puts the window at the top of the stack, as a window manager raising it would.
bool raiseWindow(quint64 window);
// Raises the lowest child of the root window that another one covers (XCirculateSubwindowsUp).
bool raiseLowestCovered();

// A window that keeps itself on top as some do (a clock, a monitor that stays in front): it
// raises itself every `period`, on a connection and a thread of its own, and counts how often
// another window came to stand right above it.
class SelfRaisingWindow {
 public:
  SelfRaisingWindow(int x, int y, int width, int height, std::chrono::milliseconds period);
  ~SelfRaisingWindow();
  SelfRaisingWindow(const SelfRaisingWindow&) = delete;
  SelfRaisingWindow& operator=(const SelfRaisingWindow&) = delete;

  // Nothing when it could not be made.
  std::optional<quint64> id() const;
  int timesCovered() const;
  // Since it was last covered, or since it was made.
  std::chrono::steady_clock::duration sinceCovered() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace zorbel::integration
