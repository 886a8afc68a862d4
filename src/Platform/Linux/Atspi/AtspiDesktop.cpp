#include "Platform/Linux/Atspi/AtspiDesktop.h"

#include <atspi/atspi.h>

namespace zorbel::platform::atspi {

std::vector<DesktopApplication> desktopApplications()
{
    std::vector<DesktopApplication> apps;
    auto& runtime = Runtime::instance();
    if (!runtime.available()) return apps;
    atspi_set_timeout(runtime.timeoutMs(0), 0);
    AccPtr desktop = adopt(atspi_get_desktop(0));
    if (!desktop) return apps;
    GError* error = nullptr;
    countRoundTrip();
    const gint count = atspi_accessible_get_child_count(desktop.get(), &error);
    if (error) g_clear_error(&error);
    for (gint i = 0; i < count; ++i) {
        countRoundTrip();
        AccPtr app = adopt(atspi_accessible_get_child_at_index(desktop.get(), i, &error));
        if (error) g_clear_error(&error);
        if (!app) continue;
        auto* object = ATSPI_OBJECT(app.get());
        if (!object->app || !object->app->bus) continue;
        if (auto pid = runtime.pidOf(app.get())) apps.push_back({app, *pid});
    }
    return apps;
}

std::vector<AccPtr> applicationsOf(std::int32_t pid)
{
    std::vector<AccPtr> roots;
    for (auto& app : desktopApplications())
        if (app.pid == pid) roots.push_back(app.root);
    return roots;
}

}  // namespace zorbel::platform::atspi
