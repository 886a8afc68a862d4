// The indicator panel on a desktop without a compositing manager, where the clear
// pixels of a translucent window show black: it is cut to what it draws.
#include "Caret/UI/PerfectCaretView.h"
#include "Caret/UI/PerfectCaretWindowController.h"
#include "support/SimulatedDesktopTest.h"

#include <QWidget>

using namespace zorbel;

namespace {

class IndicatorWindowTest : public zorbel::testing::SimulatedDesktopTest {};

}  // namespace

TEST_F(IndicatorWindowTest, WithoutACompositorThePanelIsCutToItsShapeUntilOneAppears)
{
    desktop().setCompositing(false);
    PerfectCaretWindowController controller;
    deliver();  // the stored style: a 10 pt circle with a 2 pt border, in a 16 pt panel
    controller.show(QPointF(500, 300));
    const QRegion cut = controller.window()->mask();
    ASSERT_EQ(controller.window()->size(), QSize(16, 16));
    EXPECT_TRUE(cut.contains(QPoint(8, 8))) << "the fill";
    EXPECT_TRUE(cut.contains(QPoint(8, 2))) << "the border";
    for (const QPoint corner : {QPoint(0, 0), QPoint(15, 0), QPoint(0, 15), QPoint(15, 15), QPoint(8, 0)})
        EXPECT_FALSE(cut.contains(corner)) << corner.x() << ", " << corner.y();

    controller.hide();
    desktop().setCompositing(true);
    controller.show(QPointF(520, 300));
    EXPECT_TRUE(controller.window()->mask().isEmpty()) << "a compositor blends the whole panel";
}

TEST_F(IndicatorWindowTest, TheCutFollowsARestyleAndKeepsAnOpaqueGlow)
{
    desktop().setCompositing(false);
    PerfectCaretWindowController controller;
    deliver();
    controller.show(QPointF(500, 300));
    BrindotStyle bigger;
    bigger.size = 20;
    bigger.shadowEnabled = true;
    bigger.shadowRadius = 5;
    bigger.shadowOpacity = 1;
    controller.updateStyle(bigger);
    // p = 1 + 9 + 2, so a 44 pt panel; the innermost glow ring (R + 1, alpha 0.9) is kept,
    // the half-clear and faint ones (R + 3, R + 4) are not.
    ASSERT_EQ(controller.window()->size(), QSize(44, 44));
    const QRegion cut = controller.window()->mask();
    EXPECT_TRUE(cut.contains(QPoint(22, 10))) << "the inner glow, 11.5 pt out";
    EXPECT_FALSE(cut.contains(QPoint(22, 9))) << "the half-clear glow, 12.5 pt out, shows grey over black";
    EXPECT_FALSE(cut.contains(QPoint(22, 8))) << "the faint outer glow, 13.5 pt out";
    EXPECT_FALSE(cut.contains(QPoint(0, 0)));
}
