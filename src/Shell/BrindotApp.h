#pragma once

namespace zorbel {

// The application: makes the long-lived managers at launch (so all of them
// exist before the first delayed job) and schedules the delayed start-up
// jobs: input-method styling after 1.0 s, the update checker after 2.0 s,
// and a background update check 30.0 s after that.
class BrindotApp {
public:
    BrindotApp();

    static constexpr double inputMethodStyleDelay = 1.0;
    static constexpr double updateFeatureDelay = 2.0;
    static constexpr double backgroundCheckDelay = 30.0;

    static void initializeInputMethodStyleAtLaunch();
    static void initializeUpdateFeature();
    static void checkForUpdatesInBackgroundTask();

private:
    static void createStateObjects();
};

}  // namespace zorbel
