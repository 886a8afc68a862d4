#include "Platform/NotificationCenter.h"

#include <gtest/gtest.h>

using zorbel::platform::Notification;
using zorbel::platform::NotificationCenter;
using zorbel::platform::NotificationToken;

TEST(NotificationCenter, DeliversSynchronouslyInRegistrationOrderWithObjectAndUserInfo)
{
    NotificationCenter center;
    QStringList order;
    auto a = center.addObserver("ping", [&](const Notification& n) {
        order << "a:" + n.object.toString() + ":" + n.userInfo.value("k").toString();
    });
    auto b = center.addObserver("ping", [&](const Notification&) { order << "b"; });
    auto other = center.addObserver("pong", [&](const Notification&) { order << "pong"; });
    center.post("ping", QString("obj"), {{"k", 7}});
    EXPECT_EQ(order, (QStringList{"a:obj:7", "b"}));
}

TEST(NotificationCenter, ObserversRemovedOrAddedDuringDeliveryAreHandledSafely)
{
    NotificationCenter center;
    int calls = 0;
    NotificationToken second;
    NotificationToken added;
    auto first = center.addObserver("x", [&](const Notification&) {
        ++calls;
        second.remove();  // removed before its turn: must not be called
        if (!added.isActive()) added = center.addObserver("x", [&](const Notification&) { calls += 100; });
    });
    second = center.addObserver("x", [&](const Notification&) { calls += 10; });
    center.post("x");
    EXPECT_EQ(calls, 1) << "a removed observer was called, or a new one joined the running post";
    center.post("x");
    EXPECT_EQ(calls, 1 + 1 + 100);
}

TEST(NotificationCenter, ObserverMayRemoveItselfAndTokenEndsObservationWhenDestroyed)
{
    NotificationCenter center;
    int calls = 0;
    NotificationToken self;
    self = center.addObserver("x", [&](const Notification&) {
        ++calls;
        self.remove();
    });
    {
        auto scoped = center.addObserver("x", [&](const Notification&) { calls += 10; });
        center.post("x");
    }
    center.post("x");
    EXPECT_EQ(calls, 11);
    EXPECT_EQ(center.observerCount("x"), 0u);
}
