#pragma once

#include <QString>

#include <utility>

namespace zorbel {

// Input-method styling as one feature: bring-up, switch, status.
class InputMethodStyleFeature {
public:
    static constexpr const char* version = "1.2.0";

    // Starts Caps Lock monitoring, refreshes the mappings and, when the stored
    // configuration enables the feature, the style manager's handling; once.
    static void initialize();
    static bool isInitialized();
    static void enable();
    static void disable();
    // (enabled, capsLockIndicatorEnabled) of the stored configuration.
    static std::pair<bool, bool> currentStatus();

    // The start-up job the program runs one second after launch.
    static void initializeAtLaunch();
    // Schedules initializeAtLaunch() on the main loop, delaySeconds from now.
    static void scheduleAtLaunch(double delaySeconds = 1.0);
};

}  // namespace zorbel
