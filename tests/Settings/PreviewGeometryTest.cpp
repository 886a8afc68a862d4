#include "Caret/Styles/IndicatorPlacement.h"
#include "Settings/NumberText.h"
#include "Settings/PreviewGeometry.h"
#include "Settings/Themes/LiquidGlassPalette.h"
#include "Settings/UnifiedTab.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace zorbel;

namespace {
const QSizeF kArea(550, 380);  // caret at (259, 190)

BrindotStyle placed(BrindotRelativePosition where, double size, double h, double v)
{
    BrindotStyle s;
    s.size = size;
    s.position.relativePosition = where;
    s.position.horizontalOffset = h;
    s.position.verticalOffset = v;
    return s;
}
}  // namespace

TEST(PreviewGeometry, SampleSitsBesideTheMockCaretAsTheIndicatorSitsBesideTheCaret)
{
    using P = BrindotRelativePosition;
    EXPECT_EQ(preview::mockCaret(kArea), QPointF(259, 190));
    // Centre with no offsets covers the caret itself.
    EXPECT_EQ(preview::indicatorCentre(kArea, placed(P::center, 10, 0, 0)), QPointF(259, 190));
    // The stored default: top right, size 10, offsets -3/-3 (y up on the desktop).
    EXPECT_EQ(preview::indicatorCentre(kArea, BrindotStyle::defaultStyle()), QPointF(259 + 15 - 3, 190 - 15 + 3));
    // Every place agrees with the desktop's placement, mirrored into y-down.
    for (int i = 0; i < 9; ++i) {
        const auto style = placed(static_cast<P>(i), 20, 7, 11);
        const QPointF desk = indicatorPoint(QPointF(0, 0), style);
        EXPECT_EQ(preview::indicatorCentre(kArea, style), QPointF(259 + desk.x(), 190 - desk.y())) << i;
    }
    // A positive vertical offset moves the sample up, as it moves the indicator up.
    EXPECT_LT(preview::indicatorCentre(kArea, placed(P::center, 10, 0, 5)).y(), 190);
}

TEST(PreviewGeometry, MockHudAndGuideFollowTheHudPlacement)
{
    const QPointF p(300, 200);
    const QSizeF hud(100, 40);
    // top, offset 20: the HUD's lower edge 20 above the indicator point.
    const QPointF top = preview::hudCentre(p, 1, 20, hud);
    EXPECT_EQ(top, QPointF(300, 200 - 20 - 20));
    EXPECT_EQ(preview::hudCentre(p, 8, 20, hud), QPointF(300 + 70, 200 + 40));
    EXPECT_EQ(preview::hudCentre(p, 4, 20, hud), p);
    // The guide's label sits beside the midpoint of caret and HUD: for a HUD
    // above, the label is above the caret too (the guide points at the HUD).
    const QPointF caret(259, 190);
    const QPointF label = preview::offsetLabelCentre(caret, top, 1);
    EXPECT_LT(label.y(), caret.y());
    EXPECT_EQ(label, (caret + top) / 2 + QPointF(15, 0));
    EXPECT_EQ(preview::offsetLabelCentre(caret, p, 3), (caret + p) / 2 + QPointF(0, 15));
    EXPECT_EQ(preview::offsetLabelCentre(caret, p, 4), (caret + p) / 2 + QPointF(0, -15));
    EXPECT_FALSE(preview::showsOffsetGuide(true, 10));
    EXPECT_TRUE(preview::showsOffsetGuide(true, 10.5));
    EXPECT_FALSE(preview::showsOffsetGuide(false, 40));
}

TEST(PreviewGeometry, OnlyWhatTheSampleShowsPulsesIt)
{
    const BrindotStyle a;
    BrindotStyle b = a;
    b.shadowEnabled = true;
    b.position.alignment = BrindotAlignment::topLeft;
    b.animationDuration = 1;
    EXPECT_FALSE(preview::changesSample(a, b));
    b.position.verticalOffset = 4;
    EXPECT_TRUE(preview::changesSample(a, b));
    BrindotStyle c = a;
    c.fillColor.alpha = 0.5;
    EXPECT_TRUE(preview::changesSample(a, c));
}

TEST(NumberText, TruncatesTowardZeroAndClampsWhatDoesNotFit)
{
    EXPECT_EQ(wholeNumberText(12.9), QStringLiteral("12"));
    EXPECT_EQ(wholeNumberText(-0.5), QStringLiteral("0"));
    EXPECT_EQ(wholeNumberText(-12.6), QStringLiteral("-12"));
    EXPECT_EQ(wholeNumber(1e300), std::numeric_limits<long long>::max());
    EXPECT_EQ(wholeNumber(-1e300), std::numeric_limits<long long>::min());
    EXPECT_EQ(wholeNumber(std::numeric_limits<double>::infinity()), std::numeric_limits<long long>::max());
    EXPECT_EQ(wholeNumber(std::nan("")), 0);
    EXPECT_EQ(sliderPosition(1e300, -50, 50), 50);
    EXPECT_EQ(sliderPosition(std::nan(""), 1, 5), 1);
    EXPECT_EQ(sliderPosition(3.6, 1, 5), 4);
}

TEST(UnifiedTabs, FiveTabsInOrderWithThePaletteColours)
{
    const auto& tabs = UnifiedTab::all();
    ASSERT_EQ(tabs.size(), 5u);
    QStringList ids;
    for (const auto& t : tabs) ids << t.id;
    EXPECT_EQ(ids, (QStringList{"basic", "style", "inputMethodStyle", "hud", "advanced"}));
    EXPECT_EQ(UnifiedTab::style().color, LiquidGlassPalette::purple());
    EXPECT_EQ(UnifiedTab::advanced().color, LiquidGlassPalette::accentOrange());
    EXPECT_EQ(tabTitle(UnifiedTab::inputMethodStyle()), QStringLiteral("输入法样式"));
    EXPECT_EQ(tabDescription(UnifiedTab::inputMethodStyle()), QStringLiteral("为不同输入法设置不同的Brindot样式"));
    const UnifiedTab stray{QStringLiteral("other"), QStringLiteral("其他"), QStringLiteral("gear"), Qt::red};
    EXPECT_EQ(tabTitle(stray), QStringLiteral("其他"));
    EXPECT_TRUE(tabDescription(stray).isEmpty());
}
