#pragma once

// The X server's stacking order, for checking which window is in front of which.
#include <QtGlobal>

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

}  // namespace zorbel::integration
