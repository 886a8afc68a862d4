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
    // Every place agrees with the desktop's placement, mirrored into y-down: size 20 puts the
    // indicator 20 / 2 + 10 = 20 away from the caret towards its place, then the offsets 7
    // (right) and 11 (up) are added.
    const QPointF away[9] = {{-20, 20}, {0, 20}, {20, 20}, {-20, 0}, {0, 0}, {20, 0}, {-20, -20}, {0, -20}, {20, -20}};
    for (int i = 0; i < 9; ++i) {
        const auto style = placed(static_cast<P>(i), 20, 7, 11);
        const QPointF desk = away[i] + QPointF(7, 11);
        EXPECT_EQ(indicatorPoint(QPointF(100, 200), style), QPointF(100, 200) + desk) << i;
        EXPECT_EQ(preview::indicatorCentre(kArea, style), QPointF(259 + desk.x(), 190 - desk.y())) << i;
    }
    // A positive vertical offset moves the sample up, as it moves the indicator up.
    EXPECT_LT(preview::indicatorCentre(kArea, placed(P::center, 10, 0, 5)).y(), 190);
}

TEST(PreviewGeometry, MockHudAndGuideFollowTheHudPlacement)
{
    using H = HUDPosition;
    const QPointF p(300, 200);
    const QSizeF hud(100, 40);
    // top, offset 20: the HUD's lower edge 20 above the indicator point.
    const QPointF top = preview::hudCentre(p, H::top, 20, hud);
    EXPECT_EQ(top, QPointF(300, 200 - 20 - 20));
    EXPECT_EQ(preview::hudCentre(p, H::bottomRight, 20, hud), QPointF(300 + 70, 200 + 40));
    EXPECT_EQ(preview::hudCentre(p, H::center, 20, hud), p);
    // The guide ends on the HUD's outline, on the caret's side: for a HUD
    // above, it points up and its label sits above the caret too.
    const QPointF caret(259, 190);
    const QRectF above(top - QPointF(50, 20), hud);
    const QPointF end = preview::guideEnd(caret, above);
    EXPECT_DOUBLE_EQ(end.y(), above.bottom());
    EXPECT_LT(end.y(), caret.y());
    EXPECT_EQ(preview::guideEnd(QPointF(300, 170), above), top);  // caret under the HUD
    const QPointF label = preview::offsetLabelCentre(caret, end, H::top);
    EXPECT_EQ(label, (caret + end) / 2 + QPointF(15, 0));
    EXPECT_EQ(preview::offsetLabelCentre(caret, p, H::left), (caret + p) / 2 + QPointF(0, 15));
    EXPECT_EQ(preview::offsetLabelCentre(caret, p, H::center), (caret + p) / 2 + QPointF(0, -15));
    EXPECT_FALSE(preview::showsOffsetGuide(true, 10));
    EXPECT_TRUE(preview::showsOffsetGuide(true, 10.5));
    EXPECT_FALSE(preview::showsOffsetGuide(false, 40));
}

TEST(PreviewGeometry, MockHudSizeFollowsTheHudColumnAndHoldsItsItems)
{
    BrindotHUDConfig c;  // oval, padding 10, detailed: padding 12
    c.layout = HUDLayout::vertical;
    const std::vector<hud::ItemMetrics> two{{QSizeF(70, 17), 36}, {QSizeF(38, 17), 24}};
    // Height 2p + two rows and one gap; width: widest row, 2pf and half the height.
    EXPECT_EQ(preview::mockHUDSize(c, two, {}), QSizeF(70 + 26 + 36 + 8 + 2 * 12 * 0.8 + 34, 24 + 18 + 8 + 18));
    // An item listed twice is measured with the gap it is drawn with.
    EXPECT_EQ(preview::mockHUDSize(c, {two[0], two[0]}, {}).height(), 68);
    c.shape = HUDShape::roundedRectangle;
    EXPECT_EQ(preview::mockHUDSize(c, {}, {}), QSizeF(24, 24));
    c.shape = HUDShape::oval;
    EXPECT_EQ(preview::mockHUDSize(c, {}, {}), QSizeF(2 * 12 * 0.8 + 12, 24));
    // Row and grid: 200 × 50 unless the items need more.
    c.layout = HUDLayout::horizontal;
    EXPECT_EQ(preview::mockHUDSize(c, two, QSizeF(176, 34)), QSizeF(200, 50));
    c.layout = HUDLayout::grid;
    EXPECT_EQ(preview::mockHUDSize(c, two, QSizeF(150, 94)), QSizeF(200, 94));
}

TEST(PreviewGeometry, LargeOffsetsAndBrokenRecordsStayDrawable)
{
    const QSizeF area(400, 200);
    const QRectF core(100, 82, 200, 36);
    const auto fitted = [&](const QRectF& hud) { return preview::sceneFit(area, core, core | hud, 8); };
    // A HUD far above moves the scene down, but never the field out; one
    // that cannot fit shrinks the picture, to half size at most.
    EXPECT_EQ(fitted(QRectF(150, -60, 100, 50)), QTransform::fromTranslate(0, 68));
    const QTransform shrunk = fitted(QRectF(150, -140, 100, 50));
    EXPECT_LT(shrunk.m11(), 1.0);
    EXPECT_GE(shrunk.mapRect(core | QRectF(150, -140, 100, 50)).top(), 8 - 1e-9);
    EXPECT_LE(shrunk.mapRect(core).bottom(), 192 + 1e-9);
    EXPECT_EQ(fitted(QRectF(150, -5000, 100, 50)).m11(), 0.5);
    EXPECT_TRUE(fitted(QRectF(110, 90, 50, 20)).isIdentity());
    // The offset label moves to the guide's other side rather than cover the sample.
    const QPointF caret(200, 100), end(200, 40);
    EXPECT_EQ(preview::offsetLabelCentre(caret, end, HUDPosition::top, QSizeF(30, 16), {QRectF(212, 60, 10, 10)}),
              QPointF(185, 70));
    EXPECT_EQ(preview::offsetLabelCentre(caret, end, HUDPosition::top, QSizeF(30, 16), {}), QPointF(215, 70));
    // A large sample across the guide: the label steps out past it.
    EXPECT_EQ(preview::offsetLabelCentre(caret, end, HUDPosition::top, QSizeF(30, 16), {QRectF(195, 50, 50, 50)}),
              QPointF(170, 70));
    // What cannot be cleared is given up, the last listed first.
    EXPECT_EQ(preview::offsetLabelCentre(caret, end, HUDPosition::top, QSizeF(30, 16),
                                         {QRectF(212, 60, 10, 10), QRectF(0, 0, 400, 72)}),
              QPointF(185, 70));
    BrindotHUDConfig odd;
    odd.offset = 1e300;
    odd.padding = std::nan("");
    odd.opacity = 7;
    odd.contentTypes.assign(100000, HUDContentType::time);
    const BrindotHUDConfig drawn = preview::drawableConfig(odd);
    EXPECT_EQ(drawn.contentTypes.size(), 32u);
    EXPECT_EQ(drawn.offset, 1000);
    EXPECT_EQ(drawn.padding, 0);
    EXPECT_EQ(drawn.opacity, 1);
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
    BrindotStyle d = a;
    d.position.relativePosition = a.position.relativePosition == BrindotRelativePosition::top
                                      ? BrindotRelativePosition::bottom
                                      : BrindotRelativePosition::top;
    EXPECT_TRUE(preview::changesSample(a, d)) << "the sample moves to the other side of the caret";
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

TEST(UnifiedTabs, FiveTabsInOrderWithTheirTitlesIconsColoursAndHeaders)
{
    struct Row {
        const char *id, *title, *icon;
        double red, green, blue;
        const char* description;
    };
    const Row expected[] = {
        {"basic", "基础设置", "gear", 0, 0.48, 1.0, "配置Brindot的基本功能和状态"},
        {"style", "样式设置", "paintbrush", 0.69, 0.32, 0.87, "自定义Brindot的外观和形状"},
        {"inputMethodStyle", "输入法样式", "keyboard", 0.3, 0.66, 1.0, "为不同输入法设置不同的Brindot样式"},
        {"hud", "HUD设置", "bubble.left", 0, 0.78, 0.45, "配置抬头显示功能和样式"},
        {"advanced", "问题反馈", "exclamationmark.bubble", 1.0, 0.58, 0, "高级功能和系统配置"},
    };
    const auto& tabs = UnifiedTab::all();
    ASSERT_EQ(tabs.size(), std::size(expected));
    for (size_t i = 0; i < tabs.size(); ++i) {
        const auto& tab = tabs[i];
        const Row& row = expected[i];
        EXPECT_EQ(tab.id, QString::fromUtf8(row.id));
        EXPECT_EQ(tab.title, QString::fromUtf8(row.title)) << row.id;
        EXPECT_EQ(tab.icon, QString::fromUtf8(row.icon)) << row.id;
        EXPECT_NEAR(tab.color.redF(), row.red, 0.005) << row.id;
        EXPECT_NEAR(tab.color.greenF(), row.green, 0.005) << row.id;
        EXPECT_NEAR(tab.color.blueF(), row.blue, 0.005) << row.id;
        EXPECT_EQ(tab.color.alphaF(), 1.0) << row.id;
        EXPECT_EQ(tabTitle(tab), QString::fromUtf8(row.title)) << row.id;
        EXPECT_EQ(tabDescription(tab), QString::fromUtf8(row.description)) << row.id;
    }
    const UnifiedTab stray{QStringLiteral("other"), QStringLiteral("其他"), QStringLiteral("gear"), Qt::red};
    EXPECT_EQ(tabTitle(stray), QStringLiteral("其他"));
    EXPECT_TRUE(tabDescription(stray).isEmpty());
}
