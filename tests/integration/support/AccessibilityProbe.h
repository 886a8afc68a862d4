#pragma once

// Reads what applications publish on the accessibility desktop (AT-SPI), the way an
// assistive tool sees them. Needs the session bus of the headless desktop.
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace zorbel::integration {

struct FocusedElement {
  QString role;  // AT-SPI role name, e.g. "text"
  QString text;  // empty when the element has no text
  QString name;
};

// One node of an application's accessible tree as a screen reader meets it.
struct AccessibleNode {
  QString role;  // AT-SPI role name, e.g. "push button"
  QString name;
  QString description;
  bool focusable = false;
  bool showing = false;
  bool checked = false;
  bool selected = false;
  QString path;  // the names (or roles) of its ancestors and itself, for failure messages
};

// Whether an application with this process id is on the accessibility desktop.
bool isRegistered(qint64 pid);
// "name (pid)" of every application on the accessibility desktop, for failure messages.
QStringList registeredApplications();
// The element of the application that has the focused state, if any.
std::optional<FocusedElement> focusedElement(qint64 pid);
// Texts of the application's editable text elements, in tree order.
std::optional<QStringList> editableTexts(qint64 pid);
// Every node of the application's tree, depth first (a bounded number of them).
std::optional<std::vector<AccessibleNode>> accessibleTree(qint64 pid);
// Runs the action a screen reader offers as "press" (or "click") on the first node with
// this role and name; false when there is none.
bool pressNode(qint64 pid, const QString& role, const QString& name);

}  // namespace zorbel::integration
