#include "support/Stacking.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

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

}  // namespace zorbel::integration
