#include "Caret/Core/CancelBag.h"
#include "Caret/Core/CreatePublisher.h"
#include "Caret/Core/TimerPublisher.h"
#include "support/TestWorld.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zorbel;

namespace {

using CreatePublisherTest = zorbel::testing::WorldTest;

// A callback-style source: counts its starts and cleanups and keeps the
// subscriber of its latest start so a test can send through it.
struct Source {
    int starts = 0;
    int cleanups = 0;
    AnySubscriber<int> subscriber;

    CreatePublisher<int> publisher()
    {
        return CreatePublisher<int>([this](AnySubscriber<int> s) {
            ++starts;
            subscriber = s;
            return rx::Cancellable([this] { ++cleanups; });
        });
    }
};

}  // namespace

TEST_F(CreatePublisherTest, SourceStartsOnceOnTheFirstRequestAndNeverWithoutOne)
{
    Source source;
    std::vector<int> values;
    auto subscription = source.publisher().receive({[&](const int& v) { values.push_back(v); }, {}});
    EXPECT_EQ(source.starts, 0) << "no request, no source";
    subscription->request(Demand::max(1));
    subscription->request(Demand::max(1));
    EXPECT_EQ(source.starts, 1);
    source.subscriber.receive(1);
    source.subscriber.receive(2);
    EXPECT_EQ(values, (std::vector<int>{1, 2})) << "the demand is not counted";

    Source idle;
    auto never = idle.publisher().receive({});
    never->cancel();
    never->request(Demand::unlimited());
    EXPECT_EQ(idle.starts, 0) << "a cancelled subscription never starts its source";
    EXPECT_EQ(idle.cleanups, 0);
}

TEST_F(CreatePublisherTest, CancelOrReleaseRunsTheCleanupExactlyOnce)
{
    Source source;
    int received = 0;
    auto subscription = source.publisher().receive({[&](const int&) { ++received; }, {}});
    subscription->request(Demand::unlimited());
    subscription->cancel();
    subscription->cancel();
    EXPECT_EQ(source.cleanups, 1);
    source.subscriber.receive(1);
    EXPECT_EQ(received, 0) << "nothing is delivered after cancel";

    auto released = source.publisher().receive({});
    released->request(Demand::unlimited());
    released.reset();
    EXPECT_EQ(source.cleanups, 2);
    EXPECT_EQ(source.starts, 2);
}

TEST_F(CreatePublisherTest, EachSubscriberStartsItsOwnSourceThroughTheReactiveStream)
{
    Source source;
    rx::Publisher<int> stream = source.publisher();
    std::vector<std::string> seen;
    auto a = stream.sink([&](const int& v) { seen.push_back("a" + std::to_string(v)); });
    auto b = stream.map([](int v) { return v * 10; }).sink([&](const int& v) {
        seen.push_back("b" + std::to_string(v));
    });
    EXPECT_EQ(source.starts, 2) << "subscribing requests at once";
    source.subscriber.receive(1);
    a.cancel();
    EXPECT_EQ(source.cleanups, 1);
    b = rx::Cancellable();
    EXPECT_EQ(source.cleanups, 2);
    EXPECT_EQ(seen, std::vector<std::string>{"b10"});
}

TEST_F(CreatePublisherTest, CancelBagCancelsInOrderAndEmpties)
{
    std::vector<int> order;
    auto bag = std::make_shared<CancelBag>();
    bag->store(rx::Cancellable([&] { order.push_back(1); }));
    bag->store(rx::Cancellable([&] { order.push_back(2); }));
    bag->cancel();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_TRUE(bag->cancellables.empty());
    bag->store(rx::Cancellable([&] { order.push_back(3); }));
    bag.reset();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3})) << "a dropped bag cancels what it holds";
}

TEST_F(CreatePublisherTest, TimerTicksOnlyWhileSubscribed)
{
    auto& clock = world().scheduler;
    auto timer = makeTimerPublisher(0.5);
    EXPECT_EQ(clock.activeJobs(), 0u);
    std::vector<double> ticks;
    const double start = clock.now();
    auto sub = timer.sink([&](const double& t) { ticks.push_back(t - start); });
    clock.advance(1.2);
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_NEAR(ticks[0], 0.5, 1e-9);
    EXPECT_NEAR(ticks[1], 1.0, 1e-9);
    sub.cancel();
    EXPECT_EQ(clock.activeJobs(), 0u);
    clock.advance(1.0);
    EXPECT_EQ(ticks.size(), 2u);
}

// The delayed start used for watching one application: the first tick of a
// timer, received on the main loop, mapped to a CreatePublisher.
TEST_F(CreatePublisherTest, DelayedStartRunsTheSourceAfterTheFirstTickOnly)
{
    auto& clock = world().scheduler;
    Source source;
    auto delayed = [&] {
        return makeTimerPublisher(0.5).first().receiveOnMain().flatMap(
            [&](const double&) { return source.publisher().eraseToAnyPublisher(); });
    };

    auto early = delayed().sink([](const int&) {});
    clock.advance(0.4);
    early.cancel();
    clock.advance(1.0);
    EXPECT_EQ(source.starts, 0) << "cancelled within the delay: the source never starts";
    EXPECT_EQ(clock.activeJobs(), 0u);

    std::vector<int> values;
    auto sub = delayed().sink([&](const int& v) { values.push_back(v); });
    clock.advance(0.6);
    EXPECT_EQ(source.starts, 1);
    EXPECT_EQ(clock.activeJobs(), 0u) << "the timer stops after its first tick";
    source.subscriber.receive(5);
    EXPECT_EQ(values, std::vector<int>{5});
    sub.cancel();
    EXPECT_EQ(source.cleanups, 1);
}
