#pragma once

// Reads what applications publish on the accessibility desktop (AT-SPI), the way an
// assistive tool sees them. Needs the session bus of the headless desktop.
#include <QString>
#include <QStringList>

#include <optional>

namespace zorbel::integration {

struct FocusedElement {
  QString role;  // AT-SPI role name, e.g. "text"
  QString text;  // empty when the element has no text
};

// Whether an application with this process id is on the accessibility desktop.
bool isRegistered(qint64 pid);
// "name (pid)" of every application on the accessibility desktop, for failure messages.
QStringList registeredApplications();
// The element of the application that has the focused state, if any.
std::optional<FocusedElement> focusedElement(qint64 pid);
// Texts of the application's editable text elements, in tree order.
std::optional<QStringList> editableTexts(qint64 pid);

}  // namespace zorbel::integration
