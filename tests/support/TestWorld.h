#pragma once

#include "Platform/Console.h"
#include "Platform/LogSink.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Services.h"
#include "Platform/Simulated/SimulatedKeyboard.h"
#include "Platform/UserDefaults.h"
#include "Platform/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <memory>

namespace zorbel::testing {

// Everything a unit test runs on: a virtual clock, an in-process notification
// centre, settings in memory, and captured log and console lines.
struct TestWorld {
    TestWorld();
    ~TestWorld();
    TestWorld(const TestWorld&) = delete;
    TestWorld& operator=(const TestWorld&) = delete;

    platform::VirtualScheduler scheduler;
    platform::NotificationCenter notifications;
    platform::MemoryUserDefaultsProvider defaults;
    platform::MemoryLogSink log;
    platform::MemoryConsole console;
    // Input sources and Caps Lock.
    platform::SimulatedKeyboard keyboard;

    // Re-installs the services (after a test swapped one of them).
    void install();
    // Runs jobs due now, then moves the clock and runs what falls due.
    void runFor(double seconds);

    // Hooks for simulated services added by other folders' test support.
    platform::Services extra;
};

// Base fixture: a fresh world per test; shared instances are dropped after
// each test so the next one starts clean.
class WorldTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    TestWorld& world() { return *world_; }

private:
    std::unique_ptr<TestWorld> world_;
};

}  // namespace zorbel::testing
