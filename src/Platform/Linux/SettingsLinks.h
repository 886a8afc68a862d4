#pragma once

#include <QString>

namespace zorbel::platform {

// Opens the desktop's own settings page for a system-settings address of the
// program ("x-apple.systempreferences:...Privacy_Accessibility" is the
// accessibility page, "...LoginItems..." the startup-applications page). False
// when the address names no known page or this desktop has no settings
// program for it.
bool openSettingsLink(const QString& url);

}  // namespace zorbel::platform
