#include "support/TestWorld.h"

namespace zorbel::testing {

TestWorld::TestWorld() { install(); }

TestWorld::~TestWorld() { platform::installServices({}); }

void TestWorld::install()
{
    platform::Services s = extra;
    s.scheduler = &scheduler;
    s.notifications = &notifications;
    s.defaults = &defaults;
    s.log = &log;
    s.console = &console;
    if (!s.inputSources) s.inputSources = &keyboard;
    if (!s.keyboardState) s.keyboardState = &keyboard;
    platform::installServices(s);
}

void TestWorld::runFor(double seconds)
{
    scheduler.runPending();
    scheduler.advance(seconds);
}

void WorldTest::SetUp() { world_ = std::make_unique<TestWorld>(); }

void WorldTest::TearDown()
{
    resetSharedInstances();
    world_.reset();
}

}  // namespace zorbel::testing
