#include "Platform/Accessibility.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "support/SimulatedDesktopTest.h"

using namespace zorbel::platform;
using zorbel::testing::SimulatedDesktopTest;

class SimulatedDesktopBehaviourTest : public SimulatedDesktopTest {
protected:
    void SetUp() override
    {
        SimulatedDesktopTest::SetUp();
        app = &addApplication(42, "org.example.editor", "Editor");
        window = &app->addWindow("Editor", QRectF(0, 0, 500, 400));
        text = &window->addTextArea(QRectF(10, 20, 300, 200), "abc\n");
    }

    AXValue bounds(AXRange range, AXCode expected = axcode::success)
    {
        AXValue value;
        EXPECT_EQ(accessibility().parameterizedAttributeValue(text->ref(), "AXBoundsForRange", range, value), expected);
        return value;
    }
    AccessibilityService& accessibility() { return desktop().accessibility(); }

    SimulatedApplication* app = nullptr;
    SimulatedElement* window = nullptr;
    SimulatedElement* text = nullptr;
};

TEST_F(SimulatedDesktopBehaviourTest, CharacterBoxesFollowTheGridLikeAToolkit)
{
    EXPECT_EQ(bounds({1, 1}), AXValue(QRectF(18, 20, 8, 16)));
    EXPECT_EQ(bounds({0, 3}), AXValue(QRectF(10, 20, 24, 16))) << "a range unites its boxes";
    EXPECT_EQ(bounds({3, 1}), AXValue(QRectF(34, 20, 8, 16))) << "the line feed has a box too";
    EXPECT_EQ(bounds({4, 1}), AXValue(QRectF(10, 36, 0, 16))) << "after a final line feed: next line, zero width";
    text->setText("abc");
    EXPECT_EQ(bounds({3, 1}), AXValue(QRectF(34, 20, 0, 16))) << "at the end: a zero-width box at the caret";
    bounds({4, 1}, axcode::illegalArgument);
    bounds({-1, 1}, axcode::illegalArgument);

    text->setLayout({QPointF(10, 20), 8, 16, true});
    EXPECT_EQ(bounds({3, 1}), AXValue(QRectF(0, 0, 0, 0))) << "Qt's empty box at the end";
    EXPECT_EQ(bounds({2, 1}), AXValue(QRectF(26, 20, 8, 16)));
}

TEST_F(SimulatedDesktopBehaviourTest, LineQueriesCountLineFeeds)
{
    text->setText("ab\ncd\nef");
    text->setCaret(4);
    AXValue value;
    EXPECT_EQ(accessibility().attributeValue(text->ref(), "AXInsertionPointLineNumber", value), axcode::success);
    EXPECT_EQ(value, AXValue(1));
    EXPECT_EQ(accessibility().parameterizedAttributeValue(text->ref(), "AXRangeForLine", 2, value), axcode::success);
    EXPECT_EQ(value, AXValue(AXRange{6, 2}));
    EXPECT_EQ(accessibility().parameterizedAttributeValue(text->ref(), "AXRangeForLine", 3, value),
              axcode::illegalArgument);
    EXPECT_EQ(accessibility().parameterizedAttributeValue(text->ref(), "AXStringForRange", AXRange{1, 3}, value),
              axcode::success);
    EXPECT_EQ(value, AXValue("b\nc"));
    text->setVisibleRange(AXRange{3, 2});
    EXPECT_EQ(accessibility().attributeValue(text->ref(), "AXVisibleCharacterRange", value), axcode::success);
    EXPECT_EQ(value, AXValue(AXRange{3, 2}));
}

TEST_F(SimulatedDesktopBehaviourTest, TextMarkersAnswerOnlyWhereTheApplicationHasThem)
{
    AXValue marker;
    EXPECT_EQ(accessibility().attributeValue(text->ref(), "AXSelectedTextMarkerRange", marker),
              axcode::attributeUnsupported);
    app->setTextMarkers(true);
    text->setCaret(1);
    ASSERT_EQ(accessibility().attributeValue(text->ref(), "AXSelectedTextMarkerRange", marker), axcode::success);
    AXValue box;
    ASSERT_EQ(accessibility().parameterizedAttributeValue(text->ref(), "AXBoundsForTextMarkerRange", marker, box),
              axcode::success);
    EXPECT_EQ(box, AXValue(QRectF(18, 20, 8, 16)));
}

TEST_F(SimulatedDesktopBehaviourTest, HitTestingPrefersTheFrontmostApplicationsDeepestElement)
{
    auto& other = addApplication(43, "org.example.other", "Other");
    auto& otherText = other.addWindow("Other", QRectF(0, 0, 500, 400)).addTextField(QRectF(10, 20, 100, 20));
    AXElementRef hit;
    const auto systemWide = accessibility().systemWideElement();
    ASSERT_EQ(accessibility().elementAtPosition(systemWide, 15, 25, hit), axcode::success);
    EXPECT_EQ(hit, text->ref());
    desktop().activate(other);
    ASSERT_EQ(accessibility().elementAtPosition(systemWide, 15, 25, hit), axcode::success);
    EXPECT_EQ(hit, otherText.ref());
    EXPECT_EQ(accessibility().elementAtPosition(systemWide, 900, 900, hit), axcode::noValue);
}

TEST_F(SimulatedDesktopBehaviourTest, ForcedCodesApplyToWhatTheyMatchAndCallsAreCounted)
{
    AXValue value;
    desktop().forceResult(axcode::cannotComplete, *text, "AXValue");
    EXPECT_EQ(accessibility().attributeValue(text->ref(), "AXValue", value), axcode::cannotComplete);
    EXPECT_EQ(accessibility().attributeValue(text->ref(), "AXRole", value), axcode::success);
    EXPECT_EQ(accessibility().attributeValue(window->ref(), "AXValue", value), axcode::attributeUnsupported);
    desktop().forceResult(axcode::apiDisabled);
    std::int32_t pid = 0;
    EXPECT_EQ(accessibility().pid(window->ref(), pid), axcode::apiDisabled);
    desktop().clearForcedResults();
    EXPECT_EQ(accessibility().pid(window->ref(), pid), axcode::success);

    EXPECT_EQ(desktop().callCount("attributeValue"), 3);
    EXPECT_EQ(desktop().callCount("attributeValue", "AXValue"), 2);
    EXPECT_EQ(desktop().callCount("pid"), 2);
}

TEST_F(SimulatedDesktopBehaviourTest, WorkspaceChangesArriveOnTheNextTurn)
{
    std::vector<QString> seen;
    auto token = desktop().workspace().notificationCenter().addObserver({}, [&](const Notification& n) {
        seen.push_back(n.name + ":" + QString::number(WorkspaceService::applicationFrom(n)->processIdentifier()));
    });
    desktop().activate(*app);
    EXPECT_EQ(desktop().workspace().frontmostApplication(), app->running());
    EXPECT_TRUE(seen.empty());
    deliver();
    app->quit();
    deliver();
    EXPECT_EQ(seen, (std::vector<QString>{"didActivateApplication:42", "didTerminateApplication:42"}));
    EXPECT_EQ(desktop().workspace().frontmostApplication(), nullptr);
    EXPECT_TRUE(desktop().workspace().runningApplications().isEmpty());
}

TEST_F(SimulatedDesktopBehaviourTest, ApplicationsExposeTheirAccessibilitySwitches)
{
    const auto element = app->element().ref();
    bool settable = false;
    ASSERT_EQ(accessibility().isAttributeSettable(element, "AXEnhancedUserInterface", settable), axcode::success);
    EXPECT_TRUE(settable);
    EXPECT_EQ(accessibility().setAttributeValue(element, "AXManualAccessibility", true), axcode::success);
    AXValue value;
    ASSERT_EQ(accessibility().attributeValue(element, "AXManualAccessibility", value), axcode::success);
    EXPECT_EQ(value, AXValue(true));
    EXPECT_EQ(accessibility().setAttributeValue(window->ref(), "AXTitle", "x"), axcode::illegalArgument);
}

TEST_F(SimulatedDesktopBehaviourTest, TheSystemWideFocusFollowsTheFrontmostApplication)
{
    AXValue value;
    const auto systemWide = accessibility().systemWideElement();
    EXPECT_EQ(accessibility().attributeValue(systemWide, "AXFocusedUIElement", value), axcode::noValue);
    desktop().activate(*app);
    desktop().focus(*text);
    ASSERT_EQ(accessibility().attributeValue(systemWide, "AXFocusedUIElement", value), axcode::success);
    EXPECT_EQ(value, AXValue(text->ref()));
    app->hang();
    EXPECT_EQ(accessibility().attributeValue(systemWide, "AXFocusedUIElement", value), axcode::cannotComplete);
}
