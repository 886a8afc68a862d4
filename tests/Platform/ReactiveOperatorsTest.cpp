#include "Platform/Reactive/Published.h"
#include "support/TestWorld.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace zorbel::rx;

namespace {

using ReactiveOperators = zorbel::testing::WorldTest;

// What a subscription received: values, and whether it completed.
template <class T>
struct Recorder {
    std::vector<T> values;
    int completions = 0;
    Cancellable subscribe(const Publisher<T>& p)
    {
        return p.sink([this](const T& v) { values.push_back(v); }, [this] { ++completions; });
    }
};

}  // namespace

TEST_F(ReactiveOperators, MapFilterAndRemoveDuplicatesTransformInOrder)
{
    PassthroughSubject<int> subject;
    Recorder<std::string> mapped;
    auto a = mapped.subscribe(subject.publisher()
                                  .filter([](int v) { return v >= 0; })
                                  .removeDuplicates()
                                  .map([](int v) { return std::to_string(v); }));
    Recorder<int> sameParity;
    auto b = sameParity.subscribe(
        subject.publisher().removeDuplicates([](const int& x, const int& y) { return (x - y) % 2 == 0; }));
    for (int v : {1, 1, -1, 2, 2, 1, 3, 5, 4}) subject.send(v);
    subject.complete();
    EXPECT_EQ(mapped.values, (std::vector<std::string>{"1", "2", "1", "3", "5", "4"}))
        << "only consecutive duplicates are dropped";
    EXPECT_EQ(sameParity.values, (std::vector<int>{1, 2, 1, 4}));
    EXPECT_EQ(mapped.completions, 1);
    EXPECT_EQ(sameParity.completions, 1);
}

TEST_F(ReactiveOperators, FirstDeliversOneValueCompletesAndEndsTheUpstream)
{
    PassthroughSubject<int> subject;
    Recorder<int> rec;
    auto sub = rec.subscribe(subject.publisher().first());
    EXPECT_EQ(subject.subscriberCount(), 1u);
    subject.send(7);
    subject.send(8);
    EXPECT_EQ(rec.values, std::vector<int>{7});
    EXPECT_EQ(rec.completions, 1);
    EXPECT_EQ(subject.subscriberCount(), 0u);

    Recorder<int> sync;
    auto s2 = sync.subscribe(Publisher<int>::merge(Publisher<int>::just(1), Publisher<int>::just(2)).first());
    EXPECT_EQ(sync.values, std::vector<int>{1}) << "a value sent while subscribing counts too";
    EXPECT_EQ(sync.completions, 1);

    Recorder<int> none;
    auto s3 = none.subscribe(Publisher<int>::empty().first());
    EXPECT_TRUE(none.values.empty());
    EXPECT_EQ(none.completions, 1);
}

TEST_F(ReactiveOperators, ThrottleBurstSendsAtMostOnePerIntervalAndAlwaysTheLastValue)
{
    PassthroughSubject<int> subject;
    auto& clock = world().scheduler;
    const double start = clock.now();
    std::vector<std::pair<double, int>> seen;  // (time after start, value)
    auto sub = subject.publisher().throttleLatest(0.010).sink(
        [&](const int& v) { seen.push_back({clock.now() - start, v}); });

    for (int v = 1; v <= 10; ++v) {  // one value every 3 ms, from 0 to 27 ms
        subject.send(v);
        clock.advance(0.003);
    }
    clock.advance(0.1);
    std::vector<int> values;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        values.push_back(seen[i].second);
        if (i > 0) {
            EXPECT_GE(seen[i].first - seen[i - 1].first, 0.010 - 1e-9);
        }
    }
    EXPECT_EQ(values, (std::vector<int>{1, 4, 7, 10})) << "first at once, then the latest of each interval";
    ASSERT_FALSE(seen.empty());
    EXPECT_NEAR(seen.front().first, 0.0, 1e-9);
    EXPECT_NEAR(seen.back().first, 0.030, 1e-9);
    EXPECT_EQ(clock.activeJobs(), 0u) << "an interval without values ends the busy spell";

    subject.send(11);
    EXPECT_EQ(seen.back().second, 11) << "after a quiet interval the next value goes out at once";
}

TEST_F(ReactiveOperators, ThrottleWithABurstSendsThatManyAtOnceThenOnePerInterval)
{
    PassthroughSubject<int> subject;
    auto& clock = world().scheduler;
    const double start = clock.now();
    std::vector<std::pair<double, int>> seen;
    auto sub = subject.publisher().throttleLatest(0.010, 3).sink(
        [&](const int& v) { seen.push_back({clock.now() - start, v}); });
    for (int v = 1; v <= 10; ++v) {  // one value every millisecond
        subject.send(v);
        clock.advance(0.001);
    }
    clock.advance(0.1);
    std::vector<int> values;
    for (const auto& [at, v] : seen) values.push_back(v);
    EXPECT_EQ(values, (std::vector<int>{1, 2, 3, 10})) << "three at once, then the latest when one is earned";
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_NEAR(seen[2].first, 0.002, 1e-9);
    EXPECT_NEAR(seen[3].first, 0.010, 1e-9);
    EXPECT_EQ(clock.activeJobs(), 0u);

    seen.clear();
    for (int v = 11; v <= 13; ++v) subject.send(v);
    EXPECT_EQ(seen.size(), 3u) << "a quiet spell earns the whole burst back";
}

TEST_F(ReactiveOperators, LatestOnNextTurnSendsOneValuePerTurnThenCompletes)
{
    auto& clock = world().scheduler;
    PassthroughSubject<int> subject;
    Recorder<int> rec;
    auto sub = rec.subscribe(subject.publisher().latestOnNextTurn());
    subject.send(1);
    subject.send(2);
    subject.send(3);
    EXPECT_TRUE(rec.values.empty()) << "nothing before the next turn";
    clock.advance(0);
    EXPECT_EQ(rec.values, std::vector<int>{3}) << "one value for the turn: the latest";
    subject.send(4);
    subject.complete();
    EXPECT_EQ(rec.completions, 0) << "the kept value goes out first";
    clock.advance(0);
    EXPECT_EQ(rec.values, (std::vector<int>{3, 4}));
    EXPECT_EQ(rec.completions, 1);
    EXPECT_EQ(clock.activeJobs(), 0u);

    PassthroughSubject<int> cancelled;
    Recorder<int> rec2;
    auto sub2 = rec2.subscribe(cancelled.publisher().latestOnNextTurn());
    cancelled.send(1);
    sub2.cancel();
    clock.advance(0.01);
    EXPECT_TRUE(rec2.values.empty()) << "nothing after cancel";
    EXPECT_EQ(cancelled.subscriberCount(), 0u);
}

TEST_F(ReactiveOperators, ThrottleCompletionAndCancellationDuringAnInterval)
{
    auto& clock = world().scheduler;
    PassthroughSubject<int> subject;
    Recorder<int> rec;
    auto sub = rec.subscribe(subject.publisher().throttleLatest(0.010));
    subject.send(1);
    subject.send(2);
    subject.complete();
    EXPECT_EQ(rec.completions, 0) << "the kept value goes out first";
    clock.advance(0.010);
    EXPECT_EQ(rec.values, (std::vector<int>{1, 2}));
    EXPECT_EQ(rec.completions, 1);

    PassthroughSubject<int> quiet;
    Recorder<int> rec2;
    auto sub2 = rec2.subscribe(quiet.publisher().throttleLatest(0.010));
    quiet.send(1);
    quiet.complete();
    EXPECT_EQ(rec2.completions, 1) << "nothing kept: completes at once";
    EXPECT_EQ(clock.activeJobs(), 0u);

    PassthroughSubject<int> cancelled;
    Recorder<int> rec3;
    auto sub3 = rec3.subscribe(cancelled.publisher().throttleLatest(0.010));
    cancelled.send(1);
    cancelled.send(2);
    sub3.cancel();
    cancelled.send(3);
    clock.advance(0.05);
    EXPECT_EQ(rec3.values, std::vector<int>{1});
    EXPECT_EQ(rec3.completions, 0);
    EXPECT_EQ(cancelled.subscriberCount(), 0u);
    EXPECT_EQ(clock.activeJobs(), 0u);
}

TEST_F(ReactiveOperators, FlatMapKeepsEveryInnerStreamUntilCancelledAndCompletesAfterAll)
{
    PassthroughSubject<int> outer;
    std::vector<PassthroughSubject<std::string>> inners(3);
    Recorder<std::string> rec;
    auto sub = rec.subscribe(outer.publisher().flatMap([&](int i) { return inners[i].publisher(); }));
    outer.send(0);
    outer.send(1);
    inners[0].send("a");
    inners[1].send("b");
    inners[0].send("c");
    EXPECT_EQ(rec.values, (std::vector<std::string>{"a", "b", "c"})) << "an earlier inner stream stays live";

    inners[0].complete();
    outer.complete();
    EXPECT_EQ(rec.completions, 0);
    inners[1].complete();
    EXPECT_EQ(rec.completions, 1);

    Recorder<std::string> rec2;
    PassthroughSubject<int> outer2;
    auto sub2 = rec2.subscribe(outer2.publisher().flatMap([&](int i) { return inners[i].publisher(); }));
    outer2.send(2);
    outer2.send(2);
    EXPECT_EQ(inners[2].subscriberCount(), 2u);
    sub2.cancel();
    EXPECT_EQ(inners[2].subscriberCount(), 0u) << "cancelling ends every inner subscription";
    EXPECT_EQ(outer2.subscriberCount(), 0u);
    inners[2].send("late");
    EXPECT_TRUE(rec2.values.empty());
}

TEST_F(ReactiveOperators, SwitchMapKeepsOnlyTheLatestInnerStream)
{
    PassthroughSubject<int> outer;
    std::vector<PassthroughSubject<std::string>> inners(3);
    Recorder<std::string> rec;
    auto sub = rec.subscribe(outer.publisher().switchMap([&](int i) { return inners[i].publisher(); }));
    outer.send(0);
    inners[0].send("a");
    outer.send(1);
    EXPECT_EQ(inners[0].subscriberCount(), 0u) << "the next value ends the earlier inner stream";
    inners[0].send("late");
    inners[1].send("b");
    outer.send(1);
    EXPECT_EQ(inners[1].subscriberCount(), 1u) << "the same inner stream again is subscribed afresh, once";
    inners[1].send("c");
    EXPECT_EQ(rec.values, (std::vector<std::string>{"a", "b", "c"}));

    outer.complete();
    EXPECT_EQ(rec.completions, 0) << "the live inner stream keeps it going";
    inners[1].complete();
    EXPECT_EQ(rec.completions, 1);

    PassthroughSubject<int> outer2;
    auto sub2 = rec.subscribe(outer2.publisher().switchMap([&](int i) { return inners[i].publisher(); }));
    outer2.send(2);
    sub2.cancel();
    EXPECT_EQ(inners[2].subscriberCount(), 0u);
    EXPECT_EQ(outer2.subscriberCount(), 0u);
}

TEST_F(ReactiveOperators, CancellingFromInsideADeliveryStopsEverythingAtOnce)
{
    PassthroughSubject<int> outer;
    PassthroughSubject<int> inner;
    std::vector<int> values;
    Cancellable sub;
    sub = outer.publisher()
              .flatMap([&](int v) { return Publisher<int>::merge(Publisher<int>::just(v), inner.publisher()); })
              .sink([&](const int& v) {
                  values.push_back(v);
                  if (v == 2) sub.cancel();
              });
    outer.send(1);
    outer.send(2);
    outer.send(3);
    inner.send(4);
    EXPECT_EQ(values, (std::vector<int>{1, 2}));
    EXPECT_EQ(inner.subscriberCount(), 0u);
    EXPECT_EQ(outer.subscriberCount(), 0u);
}

TEST_F(ReactiveOperators, MergeInterleavesAndCompletesWhenAllHaveCompleted)
{
    PassthroughSubject<int> a;
    PassthroughSubject<int> b;
    Recorder<int> rec;
    auto sub = rec.subscribe(a.publisher().mergeWith(b.publisher()));
    a.send(1);
    b.send(2);
    a.send(3);
    a.complete();
    b.send(4);
    EXPECT_EQ(rec.completions, 0);
    b.complete();
    EXPECT_EQ(rec.values, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(rec.completions, 1);

    Recorder<int> sync;
    auto s2 = sync.subscribe(Publisher<int>::merge({Publisher<int>::just(5), Publisher<int>::empty()}));
    EXPECT_EQ(sync.values, std::vector<int>{5});
    EXPECT_EQ(sync.completions, 1);
    Recorder<int> none;
    auto s3 = none.subscribe(Publisher<int>::merge(std::vector<Publisher<int>>{}));
    EXPECT_EQ(none.completions, 1);
}

TEST_F(ReactiveOperators, ReceiveOnMainDeliversLaterInOrderAndNotAfterCancel)
{
    PassthroughSubject<int> subject;
    Recorder<int> rec;
    auto sub = rec.subscribe(subject.publisher().receiveOnMain());
    subject.send(1);
    subject.send(2);
    subject.complete();
    EXPECT_TRUE(rec.values.empty()) << "nothing arrives inside the sending call";
    world().scheduler.runPending();
    EXPECT_EQ(rec.values, (std::vector<int>{1, 2}));
    EXPECT_EQ(rec.completions, 1);

    PassthroughSubject<int> other;
    Recorder<int> rec2;
    auto sub2 = rec2.subscribe(other.publisher().receiveOnMain());
    other.send(1);
    sub2.cancel();
    other.send(2);
    world().scheduler.runPending();
    EXPECT_TRUE(rec2.values.empty());
    EXPECT_EQ(world().scheduler.activeJobs(), 0u);
}
