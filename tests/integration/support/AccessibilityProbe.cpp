#include "support/AccessibilityProbe.h"

#include <atspi/atspi.h>

#include <functional>
#include <memory>

namespace zorbel::integration {
namespace {

struct Unref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using Ref = std::unique_ptr<T, Unref>;

// A node limit keeps a runaway tree (a huge list) from stalling a test.
constexpr int kMaxNodes = 2000;

bool ensureInitialized() {
  static const bool initialized = [] {
    const int result = atspi_init();  // 0 = done now, 1 = was already
    // Short call timeouts: a hung client should fail a test, not stall it.
    atspi_set_timeout(2000, 10000);
    return result == 0 || result == 1;
  }();
  return initialized;
}

QString takeString(gchar* text) {
  const QString result = QString::fromUtf8(text ? text : "");
  g_free(text);
  return result;
}

// libatspi caches children and states; event-driven refresh is not wired up here.
Ref<AtspiAccessible> freshChild(AtspiAccessible* parent, int index) {
  GError* error = nullptr;
  Ref<AtspiAccessible> child(atspi_accessible_get_child_at_index(parent, index, &error));
  g_clear_error(&error);
  if (child) atspi_accessible_clear_cache(child.get());
  return child;
}

int childCount(AtspiAccessible* node) {
  GError* error = nullptr;
  const int count = atspi_accessible_get_child_count(node, &error);
  g_clear_error(&error);
  return count < 0 ? 0 : count;
}

template <typename Visit>
void forEachApplication(Visit visit) {
  if (!ensureInitialized()) return;
  Ref<AtspiAccessible> desktop(atspi_get_desktop(0));
  atspi_accessible_clear_cache(desktop.get());
  for (int i = 0, n = childCount(desktop.get()); i < n; ++i) {
    Ref<AtspiAccessible> app = freshChild(desktop.get(), i);
    if (!app) continue;
    GError* error = nullptr;
    const guint pid = atspi_accessible_get_process_id(app.get(), &error);
    const bool known = !error;
    g_clear_error(&error);
    if (known && visit(app.get(), static_cast<qint64>(pid))) return;
  }
}

Ref<AtspiAccessible> applicationOf(qint64 pid) {
  Ref<AtspiAccessible> found;
  forEachApplication([&](AtspiAccessible* app, qint64 appPid) {
    if (appPid == pid) found.reset(ATSPI_ACCESSIBLE(g_object_ref(app)));
    return bool(found);
  });
  return found;
}

// Depth-first, stopping when `visit` returns true.
bool walk(AtspiAccessible* node, const std::function<bool(AtspiAccessible*)>& visit, int& budget) {
  if (--budget < 0) return false;
  if (visit(node)) return true;
  for (int i = 0, n = childCount(node); i < n; ++i) {
    Ref<AtspiAccessible> child = freshChild(node, i);
    if (child && walk(child.get(), visit, budget)) return true;
  }
  return false;
}

bool hasState(AtspiAccessible* node, AtspiStateType state) {
  Ref<AtspiStateSet> states(atspi_accessible_get_state_set(node));
  return states && atspi_state_set_contains(states.get(), state);
}

std::optional<QString> textOf(AtspiAccessible* node) {
  Ref<AtspiText> text(atspi_accessible_get_text_iface(node));
  if (!text) return std::nullopt;
  GError* error = nullptr;
  const int length = atspi_text_get_character_count(text.get(), &error);
  g_clear_error(&error);
  QString result = takeString(atspi_text_get_text(text.get(), 0, length, &error));
  if (error) {
    g_clear_error(&error);
    return std::nullopt;
  }
  return result;
}

QString roleOf(AtspiAccessible* node) {
  GError* error = nullptr;
  const QString role = takeString(atspi_accessible_get_role_name(node, &error));
  g_clear_error(&error);
  return role;
}

QString nameOf(AtspiAccessible* node) {
  GError* error = nullptr;
  const QString name = takeString(atspi_accessible_get_name(node, &error));
  g_clear_error(&error);
  return name;
}

// Depth first with each node's path of names; stops when `visit` returns true.
bool walkWithPath(AtspiAccessible* node, const QString& parentPath,
                  const std::function<bool(AtspiAccessible*, const QString&)>& visit, int& budget) {
  if (--budget < 0) return false;
  const QString name = nameOf(node);
  const QString shown = name.isEmpty() ? QLatin1Char('<') + roleOf(node) + QLatin1Char('>') : name;
  const QString path = parentPath + QStringLiteral(" / ") + shown;
  if (visit(node, path)) return true;
  for (int i = 0, n = childCount(node); i < n; ++i) {
    Ref<AtspiAccessible> child = freshChild(node, i);
    if (child && walkWithPath(child.get(), path, visit, budget)) return true;
  }
  return false;
}

}  // namespace

bool isRegistered(qint64 pid) { return bool(applicationOf(pid)); }

QStringList registeredApplications() {
  QStringList names;
  forEachApplication([&](AtspiAccessible* app, qint64 pid) {
    GError* error = nullptr;
    names << QStringLiteral("%1 (%2)").arg(takeString(atspi_accessible_get_name(app, &error))).arg(pid);
    g_clear_error(&error);
    return false;
  });
  return names;
}

std::optional<FocusedElement> focusedElement(qint64 pid) {
  Ref<AtspiAccessible> app = applicationOf(pid);
  if (!app) return std::nullopt;
  std::optional<FocusedElement> found;
  int budget = kMaxNodes;
  walk(app.get(), [&](AtspiAccessible* node) {
    if (!hasState(node, ATSPI_STATE_FOCUSED)) return false;
    GError* error = nullptr;
    found = FocusedElement{takeString(atspi_accessible_get_role_name(node, &error)),
                           textOf(node).value_or(QString()), nameOf(node)};
    g_clear_error(&error);
    return true;
  }, budget);
  return found;
}

std::optional<QStringList> editableTexts(qint64 pid) {
  Ref<AtspiAccessible> app = applicationOf(pid);
  if (!app) return std::nullopt;
  QStringList texts;
  int budget = kMaxNodes;
  walk(app.get(), [&](AtspiAccessible* node) {
    if (hasState(node, ATSPI_STATE_EDITABLE)) {
      if (auto text = textOf(node)) texts << *text;
    }
    return false;
  }, budget);
  return texts;
}

std::optional<std::vector<AccessibleNode>> accessibleTree(qint64 pid) {
  Ref<AtspiAccessible> app = applicationOf(pid);
  if (!app) return std::nullopt;
  std::vector<AccessibleNode> nodes;
  int budget = kMaxNodes;
  walkWithPath(app.get(), QString(), [&](AtspiAccessible* node, const QString& path) {
    AccessibleNode n;
    n.role = roleOf(node);
    n.name = nameOf(node);
    GError* error = nullptr;
    n.description = takeString(atspi_accessible_get_description(node, &error));
    g_clear_error(&error);
    n.focusable = hasState(node, ATSPI_STATE_FOCUSABLE);
    n.showing = hasState(node, ATSPI_STATE_SHOWING);
    n.checked = hasState(node, ATSPI_STATE_CHECKED);
    n.selected = hasState(node, ATSPI_STATE_SELECTED);
    n.path = path;
    nodes.push_back(n);
    return false;
  }, budget);
  return nodes;
}

bool pressNode(qint64 pid, const QString& role, const QString& name) {
  Ref<AtspiAccessible> app = applicationOf(pid);
  if (!app) return false;
  bool pressed = false;
  int budget = kMaxNodes;
  walk(app.get(), [&](AtspiAccessible* node) {
    if (roleOf(node) != role || nameOf(node) != name) return false;
    Ref<AtspiAction> action(atspi_accessible_get_action_iface(node));
    if (!action) return false;
    GError* error = nullptr;
    const int count = atspi_action_get_n_actions(action.get(), &error);
    g_clear_error(&error);
    for (int i = 0; i < count; ++i) {
      const QString actionName = takeString(atspi_action_get_action_name(action.get(), i, &error)).toLower();
      g_clear_error(&error);
      if (actionName != QLatin1String("press") && actionName != QLatin1String("click")) continue;
      pressed = atspi_action_do_action(action.get(), i, &error);
      g_clear_error(&error);
      return true;
    }
    return false;
  }, budget);
  return pressed;
}

}  // namespace zorbel::integration
