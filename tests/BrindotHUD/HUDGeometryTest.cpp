#include "BrindotHUD/HUDGeometry.h"

#include <gtest/gtest.h>

using namespace zorbel;
using namespace zorbel::hud;

namespace {
BrindotHUDConfig simple(HUDLayout layout, HUDShape shape = HUDShape::roundedRectangle)
{
    BrindotHUDConfig c;
    c.contentStyle = HUDContentStyle::simple;
    c.layout = layout;
    c.shape = shape;
    return c;
}
ItemMetrics value(double width) { return {QSizeF(width, 17), 0, false}; }
}  // namespace

TEST(HUDSize, EmptyPanelIsSixtySquareInEveryLayout)
{
    for (auto layout : allCases<HUDLayout>()) EXPECT_EQ(contentSize(simple(layout), {}), QSizeF(60, 60));
}

TEST(HUDSize, RowColumnAndGrid)
{
    EXPECT_EQ(contentSize(simple(HUDLayout::horizontal), {value(50)}), QSizeF(94, 40));
    // Title and Caps Lock mark widen an item; the detailed style pads a fifth more.
    EXPECT_DOUBLE_EQ(itemWidth({QSizeF(50, 17), 30, true}), 50 + 30 + 8 + 26 + 16);
    auto detailed = simple(HUDLayout::horizontal);
    detailed.contentStyle = HUDContentStyle::detailed;
    EXPECT_DOUBLE_EQ(contentSize(detailed, {value(50)}).width(), 12 + 76 + 8);

    const std::vector<ItemMetrics> two{value(50), value(70)};
    const QSizeF rect = contentSize(simple(HUDLayout::vertical), two);
    EXPECT_EQ(rect, QSizeF(20 + 96, 20 + 36 + 8));
    const QSizeF oval = contentSize(simple(HUDLayout::vertical, HUDShape::oval), two);
    EXPECT_DOUBLE_EQ(oval.width() - rect.width(), 0.5 * rect.height() - 0.4 * 10);

    EXPECT_EQ(contentSize(simple(HUDLayout::grid), {value(500), value(1), value(1)}), QSizeF(212, 8 + 2 * 48));
}

// An item listed twice is measured as it is drawn: every neighbour pair has a gap.
TEST(HUDSize, RepeatedItemsKeepTheirGap)
{
    const QSizeF once = contentSize(simple(HUDLayout::vertical), {value(40), value(40)});
    EXPECT_DOUBLE_EQ(once.height(), 20 + 36 + 8);
    const auto bottoms = columnRowBottoms(simple(HUDLayout::vertical), once.height(), 2);
    EXPECT_DOUBLE_EQ(bottoms[1], 10.0);  // the last row ends on the bottom padding
}

TEST(HUDPlacement, NineSides)
{
    const QPointF a(500, 400);
    const QSizeF s(100, 40);
    const double o = 20;
    EXPECT_EQ(origin(HUDPosition::topLeft, o, a, s), QPointF(380, 420));
    EXPECT_EQ(origin(HUDPosition::top, o, a, s), QPointF(450, 420));
    EXPECT_EQ(origin(HUDPosition::topRight, o, a, s), QPointF(520, 420));
    EXPECT_EQ(origin(HUDPosition::left, o, a, s), QPointF(380, 380));
    EXPECT_EQ(origin(HUDPosition::center, o, a, s), QPointF(450, 380));
    EXPECT_EQ(origin(HUDPosition::right, o, a, s), QPointF(520, 380));
    EXPECT_EQ(origin(HUDPosition::bottomLeft, o, a, s), QPointF(380, 340));
    EXPECT_EQ(origin(HUDPosition::bottom, o, a, s), QPointF(450, 340));
    EXPECT_EQ(origin(HUDPosition::bottomRight, o, a, s), QPointF(520, 340));
    EXPECT_EQ(origin(HUDPosition::topRight, 0, a, s), a);
}

// Screens in bottom-left coordinates: a 1280 × 800 first screen and a second
// one to its right whose origin is not (0, 0).
TEST(HUDPlacement, StaysOnTheScreenThatHoldsTheIndicator)
{
    const QList<QRectF> screens{QRectF(0, 0, 1280, 800), QRectF(1280, 200, 1024, 600)};
    const QSizeF s(200, 60);
    const double o = 20;
    const QPointF middle(640, 400);
    EXPECT_EQ(originOnScreen(HUDPosition::top, o, middle, s, screens), origin(HUDPosition::top, o, middle, s))
        << "a panel that fits stands where the position puts it";

    // A caret near the top: the panel goes below the indicator, not over the edge.
    const QPointF nearTop(640, 790);
    EXPECT_EQ(originOnScreen(HUDPosition::top, o, nearTop, s, screens), QPointF(540, 790 - 20 - 60));
    // Near the right edge only x leaves: it goes to the left, y stays above.
    const QPointF nearRight(1270, 400);
    EXPECT_EQ(originOnScreen(HUDPosition::topRight, o, nearRight, s, screens), QPointF(1270 - 20 - 200, 420));
    // Centred on an anchor by the left edge, there is no other side: pushed in.
    EXPECT_EQ(originOnScreen(HUDPosition::center, o, QPointF(30, 400), s, screens), QPointF(0, 370));

    // On the second screen the panel keeps to it, right of the first screen at x = 1280.
    const QPointF onSecond(1300, 790);
    EXPECT_EQ(originOnScreen(HUDPosition::top, o, onSecond, s, screens), QPointF(1280, 710));
    // A panel taller than the screen keeps its top edge on it.
    EXPECT_EQ(originOnScreen(HUDPosition::top, o, onSecond, QSizeF(200, 900), screens), QPointF(1280, 800 - 900));
    // An anchor on no screen (between monitors, or none attached) keeps the plain origin.
    const QPointF nowhere(1300, 100);
    EXPECT_EQ(originOnScreen(HUDPosition::top, o, nowhere, s, screens), origin(HUDPosition::top, o, nowhere, s));
    EXPECT_EQ(originOnScreen(HUDPosition::top, o, nearTop, s, {}), origin(HUDPosition::top, o, nearTop, s));
}

TEST(HUDIconFit, WideSquareAndTallIcons)
{
    const QSizeF wide = rowIconSize(QSizeF(40, 20));
    EXPECT_NEAR(wide.width(), 14.4, 1e-9);
    EXPECT_NEAR(wide.height(), 7.2, 1e-9);
    EXPECT_EQ(rowIconSize(QSizeF(30, 30)), QSizeF(18, 18));
    EXPECT_EQ(rowIconSize(QSizeF(10, 20)), QSizeF(9, 18));
}

TEST(HUDRows, OvalRowsFollowTheEndsAndGridCellsStack)
{
    auto oval = simple(HUDLayout::vertical, HUDShape::oval);
    const QSizeF view(200, 100);
    // A row through the middle starts right at the padding; one near the top curves in.
    EXPECT_DOUBLE_EQ(columnRowStart(oval, view, 41), 8.0);
    EXPECT_GT(columnRowStart(oval, view, 72), 8.0 + 10);
    EXPECT_DOUBLE_EQ(columnRowStart(simple(HUDLayout::vertical), view, 72), 10.0);

    const auto grid = simple(HUDLayout::grid);
    const QSizeF gv(212, 104);
    EXPECT_EQ(gridCell(grid, gv, 0), QRectF(6, 104 - 8 - 48, 96, 48));
    EXPECT_EQ(gridCell(grid, gv, 3), QRectF(110, 0, 96, 48));
    EXPECT_DOUBLE_EQ(cornerRadius(oval, QSizeF(200, 40)), 20);
    EXPECT_DOUBLE_EQ(cornerRadius(simple(HUDLayout::vertical), QSizeF(200, 40)), 8);
}
