#include "Caret/Core/ConfigManager.h"
#include "Caret/Managers/BrindotManager.h"
#include "Caret/Managers/PerfectCaretManager.h"
#include "Caret/Managers/PerfectCaretTracker.h"
#include "Caret/Styles/BrindotStyleManager.h"
#include "Caret/UI/PerfectCaretView.h"
#include "Caret/UI/PerfectCaretWindowController.h"
#include "CaretDesktopTest.h"

#include <QWidget>

using namespace zorbel;
using zorbel::testing::CaretDesktopTest;

namespace {

BrindotStyle styleAt(BrindotRelativePosition where, double size, double dx, double dy)
{
    BrindotStyle s;
    s.size = size;
    s.position.relativePosition = where;
    s.position.horizontalOffset = dx;
    s.position.verticalOffset = dy;
    return s;
}

}  // namespace

class IndicatorManagersTest : public CaretDesktopTest {
protected:
    void SetUp() override
    {
        CaretDesktopTest::SetUp();
        world().defaults.standard().setBool("BrindotDebugMode", true);
    }
    QStringList logLines(const QString& text) { return world().log.linesContaining(text); }
};

TEST_F(IndicatorManagersTest, IndicatorSitsOnTheChosenSideOfTheCaretPlusOffsets)
{
    using P = BrindotRelativePosition;
    struct Case {
        P where;
        QPointF expected;
    };
    // Size 10: half the size plus 10 is 15; offsets -3 and -3; caret (100, 200).
    const Case cases[] = {
        {P::topLeft, {82, 212}},  {P::top, {97, 212}},    {P::topRight, {112, 212}},
        {P::left, {82, 197}},     {P::center, {97, 197}}, {P::right, {112, 197}},
        {P::bottomLeft, {82, 182}}, {P::bottom, {97, 182}}, {P::bottomRight, {112, 182}},
    };
    PerfectCaretManager manager;
    for (const auto& c : cases) {
        BrindotStyleManager::shared().setCurrentStyle(styleAt(c.where, 10, -3, -3));
        EXPECT_EQ(manager.indicatorPosition({100, 200}), c.expected) << rawValue(c.where).toStdString();
    }
    BrindotStyleManager::shared().setCurrentStyle(styleAt(P::bottomLeft, 20, 0, 0));
    EXPECT_EQ(manager.indicatorPosition({100, 200}), QPointF(80, 180));
}

// A small screen (1024 x 768) beside a second one; the default indicator (size 10, border 2)
// is a 16-point panel, 15 points right of and above the caret.
TEST_F(IndicatorManagersTest, IndicatorStaysWhollyOnTheCaretsScreenOnTheCaretsOtherSide)
{
    using P = BrindotRelativePosition;
    desktop().setScreens({QRectF(0, 0, 1024, 768), QRectF(1024, 0, 1280, 1024)});
    PerfectCaretManager manager;
    deliver();
    const QSizeF panel = manager.windowController().panelSize();
    ASSERT_EQ(panel, QSizeF(16, 16));
    const auto onScreen = [&](const QPointF& centre, const QRectF& screen) {
        return screen.contains(QRectF(centre - QPointF(8, 8), panel));
    };
    struct Case {
        P where;
        QPointF caret, expected;
        const char* why;
    };
    const Case cases[] = {
        {P::topRight, {500, 400}, {515, 415}, "where it fits, the style's place"},
        {P::topRight, {500, 760}, {515, 745}, "by the top edge: below the caret"},
        {P::topRight, {1020, 400}, {1005, 415}, "by the right edge: left of it, not onto the next screen"},
        {P::topRight, {1020, 760}, {1005, 745}, "in the corner: both"},
        {P::bottomLeft, {3, 3}, {18, 18}, "bottom left in the bottom-left corner: top right"},
        {P::center, {2, 400}, {8, 400}, "no other side: pushed in"},
        {P::topRight, {2300, 1020}, {2285, 1005}, "the second screen's own edges"},
    };
    for (const auto& c : cases) {
        BrindotStyleManager::shared().setCurrentStyle(styleAt(c.where, 10, 0, 0));
        const QPointF placed = manager.indicatorPosition(c.caret);
        EXPECT_EQ(placed, c.expected) << c.why;
        const QRectF screen = c.caret.x() < 1024 ? QRectF(0, 0, 1024, 768) : QRectF(1024, 0, 1280, 1024);
        EXPECT_TRUE(onScreen(placed, screen)) << c.why;
    }
    BrindotStyleManager::shared().setCurrentStyle(styleAt(P::topRight, 10, 0, 0));
    EXPECT_EQ(manager.indicatorPosition({-50, 900}), QPointF(-35, 915)) << "a caret on no screen: the style's place";

    // A maximised editor whose first line touches the top of the screen: the panel stood
    // 4 pixels above the screen; now it is wholly on it, below the caret.
    auto& app = addApplication(43, QStringLiteral("org.example.maximised"), QStringLiteral("Maximised"));
    auto& field = app.addWindow(QStringLiteral("Maximised"), QRectF(0, 0, 1024, 768))
                      .addTextField(QRectF(0, 2, 1024, 20), QStringLiteral("hello"));
    manager.enable();
    desktop().focus(field);
    desktop().activate(app);
    deliver();
    world().runFor(0.05);
    const auto caret = manager.caretTracker().currentCaretPosition();
    ASSERT_TRUE(caret);
    EXPECT_EQ(manager.windowController().frame().center(), *caret + QPointF(15, -15));
    const QRect placed = manager.windowController().window()->geometry();
    EXPECT_GE(placed.top(), 0) << placed.top();
    EXPECT_TRUE(QRect(0, 0, 1024, 768).contains(placed));
}

TEST_F(IndicatorManagersTest, PanelIsCentredOnTheIndicatorAndPlacedInDesktopCoordinates)
{
    PerfectCaretWindowController controller;
    BrindotStyle circle;
    circle.shape = BrindotShape::circle;
    circle.size = 10;
    circle.borderWidth = 2;
    controller.updateStyle(circle);
    controller.show({500, 300});
    EXPECT_EQ(controller.frame(), QRectF(492, 292, 16, 16));
    // The one screen is 1080 high: the panel's top edge is 1080 - 308 from the top.
    EXPECT_EQ(controller.window()->geometry(), QRect(492, 772, 16, 16));
    EXPECT_TRUE(controller.isVisible());
    EXPECT_EQ(controller.caretView()->geometry(), QRect(0, 0, 16, 16)) << "the view fills the panel";
    EXPECT_EQ(logLines("Perfect caret shown at: (500.0, 300.0) with frame: (492.0, 292.0, 16.0, 16.0)").size(), 1);
    EXPECT_FALSE(controller.window()->isActiveWindow());
    EXPECT_TRUE(controller.window()->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(controller.window()->windowFlags() & Qt::WindowTransparentForInput);
    EXPECT_TRUE(controller.window()->windowFlags() & Qt::WindowDoesNotAcceptFocus);
}

TEST_F(IndicatorManagersTest, MoveWhileVisibleJumpsAtOnceAndFlashesAfterTheAnimation)
{
    PerfectCaretWindowController controller;
    controller.setBlinkingEnabled(true);
    controller.show({500, 300});
    world().runFor(1.0);  // let the restyle flash from the stored style run out
    controller.show({540, 300});
    EXPECT_EQ(controller.frame().center(), QPointF(540, 300));
    auto* view = controller.caretView();
    EXPECT_FALSE(view->isFlashEffect());
    world().runFor(0.1);
    EXPECT_TRUE(view->isFlashEffect()) << "the flash starts when the 0.1 s move ends";
    world().runFor(0.1);
    EXPECT_DOUBLE_EQ(view->currentOpacity(), 0.3);
    world().runFor(0.1);
    EXPECT_DOUBLE_EQ(view->currentOpacity(), 1.0);
    world().runFor(0.1);
    EXPECT_FALSE(view->isFlashEffect());
}

TEST_F(IndicatorManagersTest, HideIsLoggedOnceAndSpaceChangesOnlyRaiseAVisiblePanel)
{
    PerfectCaretWindowController controller;
    controller.hide();
    EXPECT_TRUE(logLines("Perfect caret hidden").isEmpty());
    controller.handleSpaceChange();
    EXPECT_TRUE(logLines("refreshed after space change").isEmpty());
    controller.show({100, 100});
    controller.hide();
    controller.hide();
    EXPECT_EQ(logLines("Perfect caret hidden").size(), 1);
    EXPECT_FALSE(controller.window()->isVisible());
    controller.show({100, 100});
    desktop().activate(*notes->app);
    deliver();
    deliver();
    EXPECT_EQ(logLines("brindot window refreshed after space change").size(), 1);
}

TEST_F(IndicatorManagersTest, RestyleKeepsThePanelCentredAndSizedForShapeAndShadow)
{
    PerfectCaretWindowController controller;
    controller.show({300, 300});
    BrindotStyle glow;
    glow.shape = BrindotShape::circle;
    glow.size = 20;
    glow.borderWidth = 2;
    glow.shadowEnabled = true;
    glow.shadowRadius = 5;
    glow.shadowOpacity = 1;
    controller.updateStyle(glow);
    // Margin 1 + 9 + 2 = 12 on each side.
    EXPECT_EQ(controller.frame(), QRectF(278, 278, 44, 44));
}

TEST_F(IndicatorManagersTest, StoredNumbersOutOfRangeAreBoundedWhereUsedAndNamedOnce)
{
    BrindotStyle hostile;
    hostile.shape = BrindotShape::rectangle;
    hostile.size = 1e308;
    hostile.borderWidth = 1e300;
    hostile.shadowEnabled = true;
    hostile.shadowRadius = 1e6;
    hostile.shadowOpacity = 7;
    hostile.fillColor = {5, -1, 0.5, 2};
    hostile.position.horizontalOffset = 1e300;
    hostile.position.verticalOffset = -1e300;
    BrindotStyleManager::shared().setCurrentStyle(hostile);
    PerfectCaretWindowController controller;
    for (int i = 0; i < 2; ++i) controller.updateStyle(hostile);
    controller.show({300, 300});
    EXPECT_EQ(controller.frame().size(), QSizeF(404, 404)) << "200 + 2 × (10 + 90 + 2)";
    EXPECT_EQ(PerfectCaretStyle(hostile).color, QColor::fromRgbF(1, 0, 0.5f, 1));
    EXPECT_EQ(BrindotStyleManager::shared().currentStyle().size, 1e308) << "the stored value stays";

    PerfectCaretManager manager;
    deliver();
    const QPointF placed = manager.indicatorPosition({1900, 20});
    EXPECT_EQ(placed, QPointF(1590, 202)) << "offsets bounded, the 404-point panel kept on the caret's screen";
    for (const char* field : {"size", "borderWidth", "shadowRadius", "shadowOpacity", "fillColor.red",
                              "fillColor.alpha", "position.horizontalOffset", "position.verticalOffset"})
        EXPECT_EQ(logLines(QStringLiteral("Stored style value %1 = ").arg(field)).size(), 1) << field;
}

TEST_F(IndicatorManagersTest, CaretManagerShowsFollowsAndHidesThePanel)
{
    PerfectCaretManager manager;
    manager.enable();
    manager.enable();
    EXPECT_EQ(logLines("Enabling perfect caret").size(), 1);
    activate(*editor, *editor->first);
    world().runFor(0.05);
    ASSERT_TRUE(manager.currentPosition());
    EXPECT_TRUE(manager.windowController().isVisible());
    // The default style, top right of the caret: 10 / 2 + 10 - 3 = 12 right and 12 up.
    ASSERT_EQ(BrindotStyleManager::shared().currentStyle(), BrindotStyle::defaultStyle());
    EXPECT_EQ(manager.currentPosition(), *manager.caretTracker().currentCaretPosition() + QPointF(12, 12));

    manager.handleCaretPositionChange(std::nullopt);
    EXPECT_FALSE(manager.currentPosition());
    EXPECT_FALSE(manager.windowController().isVisible());

    manager.disable();
    world().runFor(0.05);
    EXPECT_FALSE(manager.caretTracker().isTracking());
    EXPECT_EQ(logLines("Perfect caret disabled successfully").size(), 1);
}

class BrindotManagerTest : public IndicatorManagersTest {
protected:
    void storeEnabled(bool on) { world().defaults.memorySuite("quellan.brindot").setBool("isBrindotEnabled", on); }
    void toggle(const QVariant& object) { world().notifications.post("brindotToggleChanged", object); }
};

TEST_F(BrindotManagerTest, StoredSwitchStartsTrackingBeforeTheInitialiserReturns)
{
    storeEnabled(true);
    auto& manager = BrindotManager::shared();
    EXPECT_TRUE(manager.isEnabled());
    EXPECT_TRUE(manager.perfectCaretManager().caretTracker().isTracking());
    EXPECT_TRUE(world().console.lines.contains("[TEST] BrindotManager initialization completed successfully"));
    EXPECT_EQ(world().console.linesStartingWith("[DEBUG] BrindotManager").first(),
              "[DEBUG] BrindotManager init() - starting initialization");
}

TEST_F(BrindotManagerTest, ToggleFollowsBoolObjectsOnlyAndSwitchingOffHidesTheIndicator)
{
    storeEnabled(true);
    auto& manager = BrindotManager::shared();
    activate(*editor, *editor->first);
    world().runFor(0.05);
    EXPECT_TRUE(manager.isVisible());
    EXPECT_NE(manager.currentPosition(), QPointF(0, 0));

    toggle(QStringLiteral("false"));
    EXPECT_TRUE(manager.isEnabled()) << "a toggle whose object is no Bool is ignored";
    toggle(false);
    world().runFor(0.05);
    EXPECT_FALSE(manager.isEnabled());
    EXPECT_FALSE(manager.isVisible());
    EXPECT_EQ(manager.currentPosition(), QPointF(0, 0));
    EXPECT_FALSE(manager.perfectCaretManager().windowController().isVisible());
    mouse().click();
    world().runFor(0.5);
    EXPECT_FALSE(manager.isVisible()) << "clicks while switched off show nothing";
}

TEST_F(BrindotManagerTest, RepeatedStartsDoNotPileUpSubscriptions)
{
    storeEnabled(true);
    auto& manager = BrindotManager::shared();
    manager.setIsEnabled(true);
    manager.setIsEnabled(true);
    int visibilityUpdates = 0;
    int positionChanges = 0;
    auto counting = manager.isVisiblePublisher().sink([&](const bool&) { ++visibilityUpdates; });
    auto positions = manager.perfectCaretManager().currentPositionPublisher().sink(
        [&](const std::optional<QPointF>&) { ++positionChanges; });
    visibilityUpdates = positionChanges = 0;
    activate(*editor, *editor->first);
    world().runFor(0.05);
    ASSERT_GT(positionChanges, 0);
    EXPECT_EQ(visibilityUpdates, positionChanges) << "one update per position change";
}

TEST_F(BrindotManagerTest, BlinkingSwitchAndStyleChangesReachTheIndicator)
{
    storeEnabled(true);
    auto& manager = BrindotManager::shared();
    auto* view = manager.perfectCaretManager().windowController().caretView();
    ConfigManager::shared().setEnableBlinking(true);
    EXPECT_TRUE(view->enableBlinking());
    EXPECT_TRUE(logLines("Perfect caret configuration updated - blinking: true").size() >= 1);

    BrindotStyle triangle;
    triangle.shape = BrindotShape::triangle;
    triangle.size = 16;
    BrindotStyleManager::shared().setCurrentStyle(triangle);
    EXPECT_EQ(view->style().shape, PerfectCaretStyle::Shape::triangle);
    EXPECT_TRUE(view->isFlashEffect()) << "a restyle flashes while blinking is on";

    world().notifications.post("BrindotStyleChanged", QStringLiteral("not a style"));
    EXPECT_EQ(view->style().shape, PerfectCaretStyle::Shape::triangle);
}

TEST_F(BrindotManagerTest, TerminationStopsTracking)
{
    storeEnabled(true);
    auto& manager = BrindotManager::shared();
    world().notifications.post(BrindotManager::willTerminateNotification);
    EXPECT_FALSE(manager.perfectCaretManager().caretTracker().isTracking());
}
