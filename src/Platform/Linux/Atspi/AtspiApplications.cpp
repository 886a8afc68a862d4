#include "Platform/Linux/Atspi/AtspiApplications.h"

#include <atspi/atspi.h>
#include <dbus/dbus.h>

#include <sys/time.h>

#include <unordered_set>

namespace zorbel::platform::atspi::applications {

namespace {
// Each holds a reference of ours; libatspi never lets go of them either.
std::unordered_set<AtspiApplication*> g_known;
// The connection applications are renewed on; null before any reconnection.
DBusConnection* g_renewedOn = nullptr;

bool belongsToEarlierBus(const AtspiApplication* app)
{
    return !app->bus || !dbus_connection_get_is_connected(app->bus);
}

// What libatspi does for an application it has not met: the shared
// connection, an empty object table, nothing known about it yet.
void renew(AtspiApplication* app, DBusConnection* bus)
{
    // Drops its objects (each then reads as gone) and any connection of its own.
    if (app->bus || app->hash || app->root) g_object_run_dispose(G_OBJECT(app));
    app->bus = dbus_connection_ref(bus);
    app->hash = g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_object_unref);
    app->cache = ATSPI_CACHE_UNDEFINED;
    g_clear_pointer(&app->toolkit_name, g_free);
    g_clear_pointer(&app->toolkit_version, g_free);
    g_clear_pointer(&app->atspi_version, g_free);
    gettimeofday(&app->time_added, nullptr);
}

void rememberApplication(AtspiApplication* app)
{
    if (!app || !g_known.insert(app).second) return;
    g_object_ref(app);
    if (g_renewedOn && belongsToEarlierBus(app)) renew(app, g_renewedOn);
}
}  // namespace

void remember(AtspiAccessible* accessible)
{
    if (auto* object = ATSPI_OBJECT(accessible)) rememberApplication(object->app);
}

void rememberDesktop()
{
    AtspiAccessible* desktop = atspi_get_desktop(0);
    if (!desktop) return;
    remember(desktop);
    for (guint i = 0; desktop->children && i < desktop->children->len; ++i) {
        auto* child = static_cast<AtspiAccessible*>(g_ptr_array_index(desktop->children, i));
        if (child) remember(child);
    }
    g_object_unref(desktop);
}

void renewAll(DBusConnection* bus)
{
    g_renewedOn = bus;
    for (AtspiApplication* app : g_known) renew(app, bus);
}

}  // namespace zorbel::platform::atspi::applications
