#include "CaretDesktopTest.h"
#include "Caret/Managers/PerfectCaretTracker.h"
#include "Platform/Simulated/SimulatedAccessibility.h"
#include "support/AXPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace zorbel;
using platform::SimulatedApplication;

namespace {

// Caret points of the fields of CaretDesktopTest (caret after the fifth
// character: the left edge of the fifth box, halfway up), in Cocoa space.
const QPointF kEditorFirst(132, 872);
const QPointF kEditorSecond(132, 832);
const QPointF kNotesFirst(132, 572);

// Notes when each caret lookup asks an application for its focused element.
class LookupClock : public platform::SimulatedAccessibility {
public:
    LookupClock(platform::SimulatedDesktop& desktop, const platform::Scheduler& clock)
        : SimulatedAccessibility(desktop), clock_(clock)
    {
    }
    platform::AXCode attributeValue(const platform::AXElementRef& element, const QString& attribute,
                                    platform::AXValue& value) override
    {
        const auto* node = desktop().resolve(element);
        if (attribute == QLatin1String("AXFocusedUIElement") && node && node->role() == QLatin1String("AXApplication")) {
            lookups.push_back(clock_.now());
            if (refusals > 0) {
                --refusals;
                return platform::axcode::cannotComplete;
            }
        }
        return SimulatedAccessibility::attributeValue(element, attribute, value);
    }
    std::vector<double> lookups;
    // How many times the focused element is still refused (an application still starting).
    int refusals = 0;

private:
    const platform::Scheduler& clock_;
};

struct Post {
    double time;
    QVariantMap userInfo;
};

class PerfectCaretTrackerTest : public zorbel::testing::CaretDesktopTest {
protected:
    void SetUp() override
    {
        CaretDesktopTest::SetUp();
        clock_ = std::make_unique<LookupClock>(desktop(), world().scheduler);
        installAccessibility(*clock_);
        tracker = std::make_unique<PerfectCaretTracker>();
        positionSub_ = tracker->currentCaretPositionPublisher().sink(
            [this](const std::optional<QPointF>& p) { published.push_back(p); });
        published.clear();
        postToken_ = world().notifications.addObserver("functionKeyEvent", [this](const platform::Notification& n) {
            posts.push_back({world().scheduler.now(), n.userInfo});
        });
    }
    void TearDown() override
    {
        positionSub_.cancel();
        tracker.reset();
        CaretDesktopTest::TearDown();
    }

    double now() const { return const_cast<PerfectCaretTrackerTest*>(this)->world().scheduler.now(); }
    std::vector<double>& lookups() { return clock_->lookups; }
    int& refusals() { return clock_->refusals; }
    int liveRegistrations() { return desktop().callCount("addNotification") - desktop().callCount("removeNotification"); }
    // The caret moves without announcing it (a click then finds it).
    static void shift(platform::SimulatedElement& field, double dx)
    {
        const auto frame = *field.frame();
        field.setLayout({QPointF(frame.x() + dx, frame.y()), 8, 16, false});
    }

    std::unique_ptr<PerfectCaretTracker> tracker;
    std::vector<std::optional<QPointF>> published;
    std::vector<Post> posts;

private:
    std::unique_ptr<LookupClock> clock_;
    rx::Cancellable positionSub_;
    platform::NotificationToken postToken_;
};

}  // namespace

TEST_F(PerfectCaretTrackerTest, StartLooksUpAtOnceObservesTheFrontmostApplicationAndThenIdles)
{
    activate(*editor, *editor->first);
    tracker->startTracking();
    EXPECT_TRUE(tracker->isTracking());
    EXPECT_EQ(published, (std::vector<std::optional<QPointF>>{kEditorFirst}));
    EXPECT_LE(world().scheduler.activeJobs(), 2u) << "only the half-second wait before observing (and re-reading)";

    world().runFor(0.6);
    EXPECT_EQ(liveRegistrations(), 4) << "the frontmost application is observed from the start";
    desktop().focus(*editor->second);
    world().runFor(0.05);
    EXPECT_EQ(published.back(), kEditorSecond);

    world().runFor(1.0);
    EXPECT_EQ(world().scheduler.activeJobs(), 0u) << "no timer runs while nothing happens";
    EXPECT_EQ(mouse().monitorCount(platform::GlobalEventType::leftMouseDown), 1);
}

// Typing before the observation begins sends notifications nobody hears; the
// caret is read again when it begins, so the point is not left stale.
TEST_F(PerfectCaretTrackerTest, TheCaretIsReadAgainWhenTheObservationBegins)
{
    activate(*editor, *editor->first);
    tracker->startTracking();
    world().runFor(0.2);
    shift(*editor->first, 30);
    world().runFor(0.4);
    ASSERT_FALSE(published.empty());
    EXPECT_EQ(published.back(), kEditorFirst + QPointF(30, 0));
}

// A keystroke announces a caret move and a selection change at once: one lookup,
// which sees both. One whose events come in two batches, and the keystroke
// after it, are looked up at once too, not at the end of a throttle interval.
TEST_F(PerfectCaretTrackerTest, KeystrokesAreLookedUpAtOnceWithOneLookupPerBatch)
{
    activate(*editor, *editor->first);
    tracker->startTracking();
    world().runFor(1.0);
    lookups().clear();
    std::vector<double> batches;
    for (int key = 1; key <= 2; ++key) {
        shift(*editor->first, 8 * key);
        batches.push_back(now());
        desktop().postNotification(*editor->first, QStringLiteral("AXSelectedTextChanged"));
        desktop().postNotification(*editor->first, QStringLiteral("AXSelectedTextChanged"));
        world().runFor(0.001);
        EXPECT_EQ(published.back(), kEditorFirst + QPointF(8 * key, 0)) << "keystroke " << key;
        if (key == 1) {  // a late second batch of the same keystroke
            batches.push_back(now());
            desktop().postNotification(*editor->first, QStringLiteral("AXSelectedTextChanged"));
            world().runFor(0.002);
        }
    }
    world().runFor(0.05);
    EXPECT_EQ(lookups(), batches) << "one lookup per batch, each at once";
}

TEST_F(PerfectCaretTrackerTest, ClickBurstIsThrottledAndEveryClickIsAnnounced)
{
    // What is said per event is printed in debug mode only.
    world().defaults.standard().setBool("BrindotDebugMode", true);
    activate(*editor, *editor->first);
    tracker->startTracking();
    world().runFor(1.0);
    lookups().clear();
    std::vector<double> clicks;
    for (int i = 0; i < 20; ++i) {
        if (i == 19) shift(*editor->first, 40);  // the caret moves before the last click
        clicks.push_back(now());
        mouse().click();
        world().runFor(0.003);
    }
    world().runFor(0.5);

    ASSERT_FALSE(lookups().empty());
    // A few at once, then one per 10 ms: n + 1 lookups span at least (n - 2) * 10 ms.
    for (std::size_t i = 0; i < lookups().size(); ++i)
        for (std::size_t n = 3; i + n < lookups().size(); ++n)
            EXPECT_GE(lookups()[i + n] - lookups()[i], (double(n) - 2) * 0.010 - 1e-9) << "lookups " << i << "+" << n;
    // ... and no fewer: while clicks keep coming, one lookup each interval.
    for (std::size_t i = 0; i + 1 < lookups().size() && lookups()[i + 1] <= clicks.back(); ++i)
        EXPECT_LE(lookups()[i + 1] - lookups()[i], 0.010 + 1e-9) << "lookups " << i << " and " << i + 1;
    EXPECT_LE(lookups().size(), 10u);
    EXPECT_GE(lookups().back(), clicks.back()) << "the last click leads to a lookup";
    EXPECT_EQ(published.back(), QPointF(kEditorFirst.x() + 40, kEditorFirst.y()));

    ASSERT_EQ(posts.size(), clicks.size());
    for (std::size_t i = 0; i < clicks.size(); ++i) {
        EXPECT_NEAR(posts[i].time - clicks[i], 0.15, 1e-9);
        EXPECT_EQ(posts[i].userInfo, (QVariantMap{{"source", "mouseClick"}}));
    }
    EXPECT_EQ(world().console.count("[PerfectCaretTracker] Posting functionKeyEvent for mouse click"), 20);
}

TEST_F(PerfectCaretTrackerTest, DeadBandDropsMovesUnderOnePoint)
{
    activate(*editor, *editor->first);
    tracker->startTracking();
    shift(*editor->first, 0.5);
    mouse().click();
    world().runFor(0.05);
    EXPECT_EQ(published.size(), 1u) << "0.5 pt is no move";
    shift(*editor->first, 1.0);
    mouse().click();
    world().runFor(0.05);
    EXPECT_EQ(published.back(), QPointF(kEditorFirst.x() + 1.0, kEditorFirst.y())) << "1.0 pt from the last point is";
    EXPECT_EQ(published.size(), 2u);
}

TEST_F(PerfectCaretTrackerTest, StopClearsAndAStartPublishesAgain)
{
    activate(*editor, *editor->first);
    tracker->startTracking();
    tracker->stopTracking();
    EXPECT_FALSE(tracker->isTracking());
    EXPECT_EQ(published, (std::vector<std::optional<QPointF>>{kEditorFirst, std::nullopt}));
    EXPECT_EQ(mouse().monitorCount(platform::GlobalEventType::leftMouseDown), 0);

    mouse().click();
    desktop().focus(*editor->second);
    world().runFor(1.0);
    EXPECT_TRUE(posts.empty()) << "clicks after the stop are not announced";
    EXPECT_EQ(published.size(), 2u);
    EXPECT_EQ(liveRegistrations(), 0);

    tracker->startTracking();
    EXPECT_EQ(published.back(), kEditorSecond) << "published again right after the start";
}

TEST_F(PerfectCaretTrackerTest, NothingIsPublishedAfterStopButScheduledPostsStillRun)
{
    activate(*editor, *editor->first);
    tracker->startTracking();
    // Stops right after the tracker has handled the switch, while its
    // lookup waits on the main loop.
    auto stopper = platform::workspace().notificationCenter().addObserver(
        platform::WorkspaceService::didActivateApplicationNotification,
        [this](const platform::Notification&) { tracker->stopTracking(); });
    mouse().click();
    world().runFor(0.001);  // the click's lookup, on the next turn
    desktop().focus(*notes->first);
    desktop().activate(*notes->app);
    world().runFor(1.0);
    EXPECT_EQ(published, (std::vector<std::optional<QPointF>>{kEditorFirst, std::nullopt}));
    ASSERT_EQ(posts.size(), 2u) << "the click's and the switch's posts";
    EXPECT_EQ(posts[1].userInfo["source"], "applicationSwitch");
    EXPECT_EQ(liveRegistrations(), 0);
}

// The log says once why the indicator went, not at every lookup that finds no text.
TEST_F(PerfectCaretTrackerTest, FocusOnAButtonPublishesNoneOnce)
{
    world().defaults.standard().setBool("BrindotDebugMode", true);
    auto& button = editor->window->addButton(QStringLiteral("OK"), QRectF(100, 300, 60, 20));
    activate(*editor, *editor->first);
    tracker->startTracking();
    world().runFor(0.6);
    desktop().focus(button);
    world().runFor(0.05);
    EXPECT_EQ(published, (std::vector<std::optional<QPointF>>{kEditorFirst, std::nullopt}));
    mouse().click();
    world().runFor(0.05);
    mouse().click();
    world().runFor(0.05);
    EXPECT_EQ(published.size(), 2u);
    EXPECT_EQ(world().log.linesContaining("is in front and offers no accessible text (its focused element takes no text)").size(), 1)
        << world().log.lines().join('\n').toStdString();
}

// An application that cannot answer yet (still setting up its document) and announces
// nothing once it can is asked again, a few times a second, for a bounded while.
TEST_F(PerfectCaretTrackerTest, AnApplicationThatCannotAnswerYetIsAskedAgainForAWhile)
{
    activate(*editor, *editor->first);
    refusals() = 4;
    tracker->startTracking();
    world().runFor(3.0);
    EXPECT_EQ(published, (std::vector<std::optional<QPointF>>{kEditorFirst})) << "found without an event";

    // One that never answers is asked a bounded number of times, and then left alone.
    desktop().focus(*editor->second);
    world().runFor(0.05);
    lookups().clear();
    refusals() = 1000;
    mouse().click();
    world().runFor(30.0);
    EXPECT_GE(lookups().size(), 10u);
    EXPECT_LE(lookups().size(), 25u);
    for (std::size_t i = 2; i < lookups().size(); ++i)
        EXPECT_GE(lookups()[i] - lookups()[i - 2], 0.9) << "at most a few lookups a second, at lookup " << i;
    EXPECT_EQ(world().scheduler.activeJobs(), 0u) << "no timer runs once it has been given up";
    EXPECT_EQ(published.back(), std::nullopt);
}

TEST_F(PerfectCaretTrackerTest, ApplicationSwitchLooksUpObservesAndAnnounces)
{
    // What is said per event is printed in debug mode only.
    world().defaults.standard().setBool("BrindotDebugMode", true);
    activate(*editor, *editor->first);
    tracker->startTracking();
    const double switched = now();
    activate(*notes, *notes->first);
    EXPECT_EQ(published.back(), kNotesFirst);
    EXPECT_EQ(world().console.count("[PerfectCaretTracker] Application switched to: Notes"), 1);
    world().runFor(0.6);
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_NEAR(posts[0].time - switched, 0.2, 1e-9);
    EXPECT_EQ(posts[0].userInfo, (QVariantMap{{"source", "applicationSwitch"}, {"appName", "Notes"}}));
    EXPECT_EQ(world().console.count("[PerfectCaretTracker] Posting functionKeyEvent for app switch"), 1);

    auto& nameless = desktop().addApplication({60, QStringLiteral("org.example.nameless"), std::nullopt});
    desktop().activate(nameless);
    world().runFor(0.3);
    EXPECT_EQ(world().console.count("[PerfectCaretTracker] Application switched to: Unknown"), 1);
    EXPECT_EQ(posts.back().userInfo["appName"], "Unknown");
    EXPECT_EQ(published.back(), std::nullopt) << "nothing focused there";
}

TEST_F(PerfectCaretTrackerTest, EnhancedAccessibilityOutsideTheSystemFamily)
{
    auto offer = [](SimulatedApplication& app) {
        for (const auto& name : {QStringLiteral("AXEnhancedUserInterface"), QStringLiteral("AXManualAccessibility")})
            app.element().setAttribute(name, false).setSettable(name, true);
    };
    auto& system = addTextApplication(70, QStringLiteral("com.apple.TextEdit"), QStringLiteral("TextEdit"), 2);
    offer(*system.app);
    offer(*editor->app);
    tracker->startTracking();
    activate(*editor, *editor->first);
    EXPECT_EQ(desktop().callCount("setAttributeValue", "AXEnhancedUserInterface"), 1);
    EXPECT_EQ(desktop().callCount("setAttributeValue", "AXManualAccessibility"), 1);

    desktop().clearCalls();
    activate(system, *system.first);
    world().runFor(1.0);
    const auto onSystemApp = [&](const char* operation) {
        return std::count_if(desktop().calls().begin(), desktop().calls().end(), [&](const auto& call) {
            return call.operation == operation && call.element == system.app->element().id();
        });
    };
    EXPECT_EQ(onSystemApp("isAttributeSettable"), 0);
    EXPECT_EQ(onSystemApp("setAttributeValue"), 0);
    EXPECT_EQ(onSystemApp("addNotification"), 4) << "but it is observed";
    EXPECT_EQ(published.back(), QPointF(132, 272)) << "its caret is still looked up";
}

TEST_F(PerfectCaretTrackerTest, OnlyTheActiveApplicationIsObserved)
{
    activate(*editor, *editor->first);
    tracker->startTracking();
    world().runFor(0.6);
    for (int round = 0; round < 3; ++round) {
        activate(*notes, *notes->first);
        world().runFor(0.6);
        activate(*editor, *editor->first);
        world().runFor(0.6);
        EXPECT_EQ(liveRegistrations(), 4) << "one application's four registrations, round " << round;
    }
    activate(*notes, *notes->first);
    world().runFor(0.6);
    lookups().clear();
    const auto before = published.size();
    desktop().focus(*editor->second);
    editor->second->setCaret(1);
    world().runFor(0.1);
    EXPECT_TRUE(lookups().empty()) << "a background application triggers no lookups";
    EXPECT_EQ(published.size(), before);
}
