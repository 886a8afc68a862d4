// Figures for the caret tracker, printed rather than asserted: the cost of a
// burst of clicks on the simulated desktop (virtual clock), and the time of
// one lookup. Built with the tests but not run by CTest:
//   build/tests/Caret/zorbel_caret_benchmark
#include "CaretDesktopTest.h"
#include "Caret/Managers/PerfectCaretTracker.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

using namespace zorbel;

namespace {

class CaretTrackerBenchmark : public zorbel::testing::CaretDesktopTest {
protected:
    std::size_t lookups(const platform::SimulatedApplication& app)
    {
        const auto& calls = desktop().calls();
        return static_cast<std::size_t>(std::count_if(calls.begin(), calls.end(), [&](const auto& call) {
            return call.name == QLatin1String("AXFocusedUIElement") && call.element == app.element().id();
        }));
    }
};

}  // namespace

TEST_F(CaretTrackerBenchmark, BurstOfClicksAndLookupCost)
{
    activate(*editor, *editor->first);
    PerfectCaretTracker tracker;
    int publications = 0;
    auto sub = tracker.currentCaretPositionPublisher().sink([&](const auto&) { ++publications; });
    int posts = 0;
    auto token = world().notifications.addObserver("functionKeyEvent", [&](const auto&) { ++posts; });
    tracker.startTracking();
    world().runFor(1.0);
    std::printf("idle after start: %zu scheduled jobs\n", world().scheduler.activeJobs());

    constexpr int kClicks = 100;
    desktop().clearCalls();
    publications = 0;
    for (int i = 0; i < kClicks; ++i) {
        editor->first->setLayout({QPointF(100 + i, 200), 8, 16, false});  // the caret moves 1 pt per click
        mouse().click();
        world().runFor(0.003);
    }
    world().runFor(1.0);
    const auto lookupCount = lookups(*editor->app);
    const auto calls = desktop().calls().size();
    std::printf("burst of %d clicks 3 ms apart (%.0f ms): %zu lookups, %zu accessibility calls "
                "(%.1f per lookup), %d points published, %d functionKeyEvent posts\n",
                kClicks, (kClicks - 1) * 3.0, lookupCount, calls,
                static_cast<double>(calls) / static_cast<double>(std::max<std::size_t>(lookupCount, 1)), publications,
                posts);
    std::printf("idle after the burst: %zu scheduled jobs\n", world().scheduler.activeJobs());

    constexpr int kRounds = 20000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kRounds; ++i) (void)tracker.getCaretPosition();
    std::printf("one lookup on the simulated desktop: %.2f us\n",
                static_cast<double>(timer.nsecsElapsed()) / 1000.0 / kRounds);
}
