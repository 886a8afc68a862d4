#include "indicator/BenchmarkDesktop.h"

#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <atspi/atspi.h>
#include <poll.h>

#include <cstdio>

namespace zorbel::integration {

using namespace std::chrono;

BenchmarkDesktop::BenchmarkDesktop() {
  display_ = XOpenDisplay(nullptr);
  int event = 0, error = 0, major = 0, minor = 0;
  if (display_ && !XTestQueryExtension(display_, &event, &error, &major, &minor)) {
    std::fprintf(stderr, "benchmark: the X server has no XTEST extension\n");
    XCloseDisplay(display_);
    display_ = nullptr;
  }
  if (atspi_init() > 1) return;
  auto* listener =
      atspi_event_listener_new(reinterpret_cast<AtspiEventListenerCB>(&BenchmarkDesktop::onCaretMoved), this, nullptr);
  GError* failure = nullptr;
  if (!atspi_event_listener_register(listener, "object:text-caret-moved", &failure)) {
    std::fprintf(stderr, "benchmark: no AT-SPI caret events: %s\n", failure ? failure->message : "?");
    g_clear_error(&failure);
  }
  listener_ = listener;
  auto* textListener =
      atspi_event_listener_new(reinterpret_cast<AtspiEventListenerCB>(&BenchmarkDesktop::onTextChanged), this, nullptr);
  if (!atspi_event_listener_register(textListener, "object:text-changed", &failure)) {
    std::fprintf(stderr, "benchmark: no AT-SPI text events: %s\n", failure ? failure->message : "?");
    g_clear_error(&failure);
  }
  textListener_ = textListener;
}

BenchmarkDesktop::~BenchmarkDesktop() {
  if (listener_) {
    atspi_event_listener_deregister(static_cast<AtspiEventListener*>(listener_), "object:text-caret-moved", nullptr);
    g_object_unref(listener_);
  }
  if (textListener_) {
    atspi_event_listener_deregister(static_cast<AtspiEventListener*>(textListener_), "object:text-changed", nullptr);
    g_object_unref(textListener_);
  }
  if (display_) XCloseDisplay(display_);
}

void BenchmarkDesktop::onCaretMoved(void* event, void* self) {
  auto* desktop = static_cast<BenchmarkDesktop*>(self);
  const auto now = Clock::now();
  if (!desktop->caretEventAt_) desktop->caretEventAt_ = now;
  if (!desktop->applicationEventAt_) desktop->applicationEventAt_ = now;
  g_boxed_free(ATSPI_TYPE_EVENT, event);
}

void BenchmarkDesktop::onTextChanged(void* event, void* self) {
  auto* desktop = static_cast<BenchmarkDesktop*>(self);
  if (!desktop->applicationEventAt_) desktop->applicationEventAt_ = Clock::now();
  g_boxed_free(ATSPI_TYPE_EVENT, event);
}

void BenchmarkDesktop::watch(std::uint64_t window) {
  window_ = window;
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display_, window, &attributes)) {
    Window child;
    XTranslateCoordinates(display_, window, attributes.root, 0, 0, &x_, &y_, &child);
  }
  XSelectInput(display_, window, StructureNotifyMask);
  XFlush(display_);
}

void BenchmarkDesktop::dispatchAccessibility() {
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  busCalls_.drain();
}

std::optional<BenchmarkDesktop::Clock::time_point> BenchmarkDesktop::takeMove() {
  std::optional<Clock::time_point> moved;
  while (XPending(display_)) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == UnmapNotify && event.xunmap.window == window_) ++unmaps_;
    if (event.type != ConfigureNotify || event.xconfigure.window != window_) continue;
    // The window of an override-redirect client is a child of the root: x and y are on the screen.
    if (event.xconfigure.x != x_ || event.xconfigure.y != y_) {
      x_ = event.xconfigure.x;
      y_ = event.xconfigure.y;
      if (!moved) moved = Clock::now();
    }
  }
  return moved;
}

void BenchmarkDesktop::waitForX(microseconds limit) {
  // The accessibility bus too: an event is stamped as it arrives, not at the next turn.
  pollfd descriptors[2] = {{ConnectionNumber(display_), POLLIN, 0}, {-1, POLLIN, 0}};
  if (DBusConnection* bus = atspi_get_a11y_bus()) {
    int fd = -1;
    if (dbus_connection_get_unix_fd(bus, &fd)) descriptors[1].fd = fd;
  }
  const timespec timeout{0, static_cast<long>(duration_cast<nanoseconds>(limit).count())};
  ppoll(descriptors, 2, &timeout, nullptr);
}

std::optional<BenchmarkDesktop::Move> BenchmarkDesktop::pressAndAwaitMove(Key key, milliseconds timeout) {
  dispatchAccessibility();
  takeMove();
  caretEventAt_.reset();
  applicationEventAt_.reset();
  const KeyCode code = XKeysymToKeycode(display_, key == Key::x ? XK_x : XK_BackSpace);
  const auto pressed = Clock::now();
  XTestFakeKeyEvent(display_, code, True, CurrentTime);
  XTestFakeKeyEvent(display_, code, False, CurrentTime);
  XFlush(display_);
  const auto deadline = pressed + timeout;
  while (Clock::now() < deadline) {
    dispatchAccessibility();
    if (const auto moved = takeMove()) {
      const auto ms = [](Clock::duration d) { return duration<double, std::milli>(d).count(); };
      Move move{ms(*moved - pressed), std::nullopt, pressed, *moved, std::nullopt};
      if (caretEventAt_ && *caretEventAt_ <= *moved) move.sinceCaretEvent = ms(*moved - *caretEventAt_);
      if (applicationEventAt_ && *applicationEventAt_ <= *moved) move.applicationEvent = applicationEventAt_;
      return move;
    }
    waitForX(200us);
  }
  return std::nullopt;
}

void BenchmarkDesktop::pause(milliseconds duration) {
  const auto deadline = Clock::now() + duration;
  while (Clock::now() < deadline) {
    dispatchAccessibility();
    takeMove();
    waitForX(1ms);
  }
}

}  // namespace zorbel::integration
