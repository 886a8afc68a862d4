#include "support/Stacking.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include <poll.h>

namespace zorbel::integration {
namespace {

struct Free {
  void operator()(void* p) const { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, Free>;

// One connection for the whole test program; it asks only, so it never needs events.
xcb_connection_t* connection() {
  static xcb_connection_t* const shared = [] {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    return xcb_connection_has_error(c) ? nullptr : c;
  }();
  return shared;
}

xcb_window_t root(xcb_connection_t* c) { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

Reply<xcb_query_tree_reply_t> tree(xcb_connection_t* c, xcb_window_t window) {
  return Reply<xcb_query_tree_reply_t>(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
}

bool viewable(xcb_connection_t* c, xcb_window_t window) {
  const Reply<xcb_get_window_attributes_reply_t> attributes(
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
  return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

}  // namespace

std::vector<quint64> stackingOrder() {
  std::vector<quint64> order;
  xcb_connection_t* c = connection();
  if (!c) return order;
  const auto children = tree(c, root(c));
  if (!children) return order;
  const xcb_window_t* windows = xcb_query_tree_children(children.get());
  for (int i = 0; i < xcb_query_tree_children_length(children.get()); ++i)
    if (viewable(c, windows[i])) order.push_back(windows[i]);
  return order;
}

std::optional<quint64> topLevelOf(quint64 window) {
  xcb_connection_t* c = connection();
  if (!c) return std::nullopt;
  const xcb_window_t top = root(c);
  auto current = static_cast<xcb_window_t>(window);
  for (int depth = 0; depth < 32; ++depth) {
    const auto up = tree(c, current);
    if (!up) return std::nullopt;
    if (up->parent == top) return current;
    current = up->parent;
  }
  return std::nullopt;
}

bool stackedAbove(quint64 upper, quint64 lower) {
  const auto a = topLevelOf(upper), b = topLevelOf(lower);
  if (!a || !b) return false;
  const auto order = stackingOrder();
  const auto ia = std::find(order.begin(), order.end(), *a), ib = std::find(order.begin(), order.end(), *b);
  return ia != order.end() && ib != order.end() && ia > ib;
}

namespace {
bool restack(quint64 window, std::uint32_t mode) {
  xcb_connection_t* c = connection();
  if (!c) return false;
  const auto cookie = xcb_configure_window_checked(c, static_cast<xcb_window_t>(window),
                                                   XCB_CONFIG_WINDOW_STACK_MODE, &mode);
  const Reply<xcb_generic_error_t> error(xcb_request_check(c, cookie));
  return !error;
}
}  // namespace

bool lowerWindow(quint64 window) { return restack(window, XCB_STACK_MODE_BELOW); }

bool raiseWindow(quint64 window) { return restack(window, XCB_STACK_MODE_ABOVE); }

bool raiseLowestCovered() {
  xcb_connection_t* c = connection();
  if (!c) return false;
  const Reply<xcb_generic_error_t> error(
      xcb_request_check(c, xcb_circulate_window_checked(c, XCB_CIRCULATE_RAISE_LOWEST, root(c))));
  return !error;
}

struct SelfRaisingWindow::State {
  xcb_connection_t* c = nullptr;
  xcb_window_t window = 0;
  std::chrono::milliseconds period{};
  std::atomic<bool> stop{false};
  std::atomic<int> covered{0};
  std::atomic<std::chrono::steady_clock::rep> lastCovered{0};
  std::thread thread;

  void run() {
    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    auto next = std::chrono::steady_clock::now();
    while (!stop) {
      const auto now = std::chrono::steady_clock::now();
      if (now >= next) {
        const std::uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(c, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        xcb_flush(c);
        next = now + period;
      }
      const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count();
      ::poll(&fd, 1, static_cast<int>(std::clamp<long long>(wait, 1, 50)));
      while (const Reply<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
        if ((event->response_type & 0x7f) != XCB_CONFIGURE_NOTIFY) continue;
        const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event.get());
        if (configure->window == window || configure->above_sibling != window) continue;
        ++covered;
        lastCovered = std::chrono::steady_clock::now().time_since_epoch().count();
      }
      if (xcb_connection_has_error(c)) return;
    }
  }
};

SelfRaisingWindow::SelfRaisingWindow(int x, int y, int width, int height, std::chrono::milliseconds period)
    : state_(std::make_unique<State>()) {
  State& s = *state_;
  s.period = period;
  s.lastCovered = std::chrono::steady_clock::now().time_since_epoch().count();
  s.c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(s.c)) return;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(s.c)).data;
  const std::uint32_t rootEvents = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(s.c, screen->root, XCB_CW_EVENT_MASK, &rootEvents);
  s.window = xcb_generate_id(s.c);
  const std::uint32_t background = 0xd08020;
  xcb_create_window(s.c, XCB_COPY_FROM_PARENT, s.window, screen->root, static_cast<std::int16_t>(x),
                    static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, &background);
  const char title[] = "Always in front";
  xcb_change_property(s.c, XCB_PROP_MODE_REPLACE, s.window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      static_cast<std::uint32_t>(std::strlen(title)), title);
  xcb_map_window(s.c, s.window);
  xcb_flush(s.c);
  s.thread = std::thread([&s] { s.run(); });
}

SelfRaisingWindow::~SelfRaisingWindow() {
  state_->stop = true;
  if (state_->thread.joinable()) state_->thread.join();
  if (state_->c) xcb_disconnect(state_->c);
}

std::optional<quint64> SelfRaisingWindow::id() const {
  return state_->window ? std::optional<quint64>(state_->window) : std::nullopt;
}

int SelfRaisingWindow::timesCovered() const { return state_->covered; }

std::chrono::steady_clock::duration SelfRaisingWindow::sinceCovered() const {
  return std::chrono::steady_clock::now().time_since_epoch() -
         std::chrono::steady_clock::duration(state_->lastCovered.load());
}

}  // namespace zorbel::integration
