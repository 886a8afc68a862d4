#pragma once

// Drives and inspects the X desktop through xdotool and xwininfo, as a user's input would
// arrive. Each call waits for its tool to finish; false or nullopt means the tool failed.
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QString>

#include <optional>
#include <string>

namespace zorbel::integration {

// Sets the X input focus; works without a window manager, where activation is impossible.
bool focusWindow(quint64 windowId);
// Asks the window manager to activate (focus and raise) the window; waits until it is active.
bool activateWindow(quint64 windowId);
// Asks the window manager to move the window's top-left corner to `screenPoint`.
bool moveWindow(quint64 windowId, QPoint screenPoint);
// Types as a user would; characters missing from the keymap are bound first (makeTypeable).
bool typeText(const QString& text);
// Binds the characters of `text` that no key produces to spare keys, for the rest of the
// session. Needed once per character before typing it into a Qt client.
bool makeTypeable(const QString& text);
// xdotool key sequences such as "Return" or "ctrl+a", several separated by spaces.
bool pressKeys(const QString& keys);
bool clickAt(QPoint screenPoint, int button = 1);
// Presses the left button at `from`, moves to `to` in a few steps, as a hand would, and
// lets go there.
bool dragFrom(QPoint from, QPoint to);
// Turns the mouse wheel over `screenPoint`: `notches` away from the user (up) when positive,
// towards the user (down) when negative.
bool scrollAt(QPoint screenPoint, int notches);
// The window's position on the screen and its size, as the X server has it.
std::optional<QRect> windowGeometry(quint64 windowId);
// Whether the window and all its ancestors are mapped.
std::optional<bool> isViewable(quint64 windowId);
// Whether it is viewable with some of it on the screen: a window kept mapped outside the
// screen is seen nowhere.
std::optional<bool> isOnScreen(quint64 windowId);
// The client window holding the X input focus (a toolkit's inner focus window counts as
// its top-level).
std::optional<quint64> inputFocusWindow();
// The first window whose title is exactly `title`, mapped or not.
std::optional<quint64> windowNamed(const QString& title);
// How many viewable windows have exactly that title.
int viewableWindowsNamed(const QString& title);

// Where this desktop's accessibility bus is, as its launcher says (asking starts a launcher
// and a bus when there is none), and the daemon listening there.
QString accessibilityBusAddress();
std::optional<qint64> accessibilityBusPid();

// Geometry as failure messages show it: "WxH at (x, y)", "(x, y)", "none" for no point.
std::string describe(const QRect& r);
std::string describe(const QPointF& p);
std::string describe(const std::optional<QPointF>& p);

}  // namespace zorbel::integration
