#include "Platform/QtScheduler.h"
#include "Platform/VirtualScheduler.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

using zorbel::platform::QtScheduler;
using zorbel::platform::VirtualScheduler;

TEST(VirtualScheduler, RunsJobsInDueOrderAndOnlyWhenTheClockReachesThem)
{
    VirtualScheduler s;
    std::vector<std::string> log;
    s.after(0.2, [&] { log.push_back("b"); });
    s.after(0.1, [&] { log.push_back("a"); });
    s.post([&] { log.push_back("now"); });
    EXPECT_TRUE(log.empty()) << "nothing runs inside the scheduling call";
    s.runPending();
    EXPECT_EQ(log, (std::vector<std::string>{"now"}));
    s.advance(0.15);
    EXPECT_EQ(log, (std::vector<std::string>{"now", "a"}));
    s.advance(0.05);
    EXPECT_EQ(log, (std::vector<std::string>{"now", "a", "b"}));
}

TEST(VirtualScheduler, RepeatingTimerTicksUntilCancelledAndJobsScheduledByJobsRun)
{
    VirtualScheduler s;
    int ticks = 0;
    auto timer = s.every(0.1, [&] { ++ticks; });
    s.advance(0.35);
    EXPECT_EQ(ticks, 3);
    timer->cancel();
    s.advance(1.0);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(s.activeJobs(), 0u);

    bool nested = false;
    s.post([&] { s.post([&] { nested = true; }); });
    s.runPending();
    EXPECT_TRUE(nested);
}

TEST(VirtualScheduler, DroppedHandleStillRunsAndCancelledJobDoesNot)
{
    VirtualScheduler s;
    int runs = 0;
    { s.after(0.1, [&] { ++runs; }); }
    auto cancelled = s.after(0.1, [&] { runs += 100; });
    cancelled->cancel();
    s.advance(0.2);
    EXPECT_EQ(runs, 1);
}

TEST(QtScheduler, RunsPostedDelayedAndRepeatingJobsOnTheEventLoop)
{
    QtScheduler s;
    bool posted = false;
    bool delayed = false;
    int ticks = 0;
    s.post([&] { posted = true; });
    s.after(0.02, [&] { delayed = true; });
    auto repeating = s.every(0.01, [&] {
        if (++ticks == 3) QCoreApplication::instance()->exit(0);
    });
    auto cancelled = s.after(0.001, [&] { ADD_FAILURE() << "cancelled job ran"; });
    cancelled->cancel();
    EXPECT_FALSE(posted);
    QElapsedTimer guard;
    guard.start();
    while ((!delayed || ticks < 3) && guard.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    repeating->cancel();
    EXPECT_TRUE(posted);
    EXPECT_TRUE(delayed);
    EXPECT_GE(ticks, 3);
}
