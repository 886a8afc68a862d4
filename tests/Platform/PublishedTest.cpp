#include "Platform/Reactive/Published.h"

#include <gtest/gtest.h>

using namespace zorbel::rx;

TEST(Published, DeliversCurrentValueOnSubscribeAndEveryAssignmentBeforeStoring)
{
    Published<int> p(1);
    std::vector<std::pair<int, int>> seen;  // (delivered, stored at delivery)
    auto sub = p.publisher().sink([&](const int& v) { seen.push_back({v, p.get()}); });
    p = 2;
    p = 2;
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 1}, {2, 1}, {2, 2}}));
    sub.cancel();
    p = 3;
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(p.get(), 3);
}

TEST(Published, CancellingDuringDeliveryStopsLaterSubscribersOfTheSameAssignmentOnlyIfCancelled)
{
    Published<int> p(0);
    Cancellable second;
    int firstCalls = 0;
    int secondCalls = 0;
    auto first = p.publisher().sink([&](const int& v) {
        ++firstCalls;
        if (v == 5) second.cancel();
    });
    second = p.publisher().sink([&](const int&) { ++secondCalls; });
    p = 5;
    EXPECT_EQ(firstCalls, 2);
    EXPECT_EQ(secondCalls, 1) << "nothing is delivered after cancel returns";
}

TEST(Cancellable, CancelIsIdempotentAndTheLastCopyCancelsOnDestruction)
{
    int cleanups = 0;
    {
        Cancellable a([&] { ++cleanups; });
        Cancellable b = a;
        a.cancel();
        a.cancel();
        b.cancel();
    }
    EXPECT_EQ(cleanups, 1);
    {
        Cancellable a([&] { ++cleanups; });
        CancellableSet set;
        a.store(set);
    }
    EXPECT_EQ(cleanups, 2);
}

TEST(PassthroughSubject, SendsToCurrentSubscribersAndCompletesOnce)
{
    PassthroughSubject<int> subject;
    std::vector<int> values;
    int completions = 0;
    auto sub = subject.publisher().sink([&](const int& v) { values.push_back(v); }, [&] { ++completions; });
    subject.send(1);
    subject.complete();
    subject.send(2);
    EXPECT_EQ(values, std::vector<int>{1});
    EXPECT_EQ(completions, 1);
    auto late = subject.publisher().sink([](const int&) {}, [&] { ++completions; });
    EXPECT_EQ(completions, 2) << "a completed subject completes new subscribers at once";
}
