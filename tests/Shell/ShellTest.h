#pragma once

#include "Platform/Simulated/SimulatedShell.h"
#include "support/TestWorld.h"

namespace zorbel::testing {

// A world with a simulated tray, alerts, desktop notifications and HTTP, on
// top of the given fixture's world.
template <class Base>
class ShellTestOn : public Base {
protected:
    using Base::world;
    void SetUp() override
    {
        Base::SetUp();
        world().extra.shell = &shell;
        world().extra.userNotifications = &userNotifications;
        world().extra.http = &http;
        world().install();
    }
    platform::MemoryUserDefaults& suite() { return world().defaults.memorySuite("quellan.brindot"); }
    platform::MemoryUserDefaults& standard() { return world().defaults.standard(); }
    // Every object posted under the name from now on.
    struct Posts {
        std::vector<QVariant> objects;
        platform::NotificationToken token;
    };
    std::unique_ptr<Posts> observe(const QString& name)
    {
        auto posts = std::make_unique<Posts>();
        posts->token = world().notifications.addObserver(
            name, [p = posts.get()](const platform::Notification& n) { p->objects.push_back(n.object); });
        return posts;
    }

    platform::SimulatedShellService shell;
    platform::SimulatedUserNotifications userNotifications;
    platform::SimulatedHttp http;
};
using ShellTest = ShellTestOn<WorldTest>;

}  // namespace zorbel::testing
