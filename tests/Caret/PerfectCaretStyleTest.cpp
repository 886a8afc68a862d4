#include "Caret/Styles/PerfectCaretStyle.h"
#include "StyleTestSupport.h"

using namespace zorbel;
using zorbel::testing::unusualStyle;

namespace {
bool isClear(const QColor& c) { return c.alpha() == 0 && c.red() == 0 && c.green() == 0 && c.blue() == 0; }
}  // namespace

TEST(PerfectCaretStyle, ShapesMapOneToOneAndSizeGivesWidthAndHeight)
{
    const std::pair<BrindotShape, PerfectCaretStyle::Shape> pairs[] = {
        {BrindotShape::circle, PerfectCaretStyle::Shape::circle},
        {BrindotShape::triangle, PerfectCaretStyle::Shape::triangle},
        {BrindotShape::rectangle, PerfectCaretStyle::Shape::rectangle}};
    for (const auto& [stored, drawn] : pairs) {
        BrindotStyle b;
        b.shape = stored;
        const PerfectCaretStyle s(b);
        EXPECT_EQ(s.shape, drawn);
        EXPECT_EQ(s.width, 10);
        EXPECT_EQ(s.height, 10);
    }
}

TEST(PerfectCaretStyle, SwitchedOffFillAndBorderBecomeClearWithZeroWidth)
{
    const PerfectCaretStyle off(unusualStyle());  // fill and border off, width 3.5
    EXPECT_TRUE(isClear(off.color));
    EXPECT_TRUE(isClear(off.borderColor));
    EXPECT_EQ(off.borderWidth, 0);

    const PerfectCaretStyle on{BrindotStyle::defaultStyle()};
    EXPECT_NEAR(on.color.blueF(), 1.0, 1e-4);
    EXPECT_NEAR(on.color.greenF(), 0.4, 1e-4);
    EXPECT_NEAR(on.color.alphaF(), 0.9, 1e-4);
    EXPECT_EQ(on.borderColor, QColor(Qt::white));
    EXPECT_EQ(on.borderWidth, 2);
}

TEST(PerfectCaretStyle, ShadowIsCopiedOnlyWhenSwitchedOn)
{
    BrindotStyle b = unusualStyle();  // shadow on, opacity 0.35
    const PerfectCaretStyle on(b);
    EXPECT_TRUE(on.shadowEnabled);
    EXPECT_EQ(on.shadowRadius, 6);
    EXPECT_EQ(on.shadowOffset, QSizeF(2, -3));
    EXPECT_EQ(on.shadowOpacity, 0.35f) << "narrowed to the nearest 32-bit float";
    EXPECT_NEAR(on.shadowColor.redF(), 0.9, 1e-4);

    b.shadowEnabled = false;
    const PerfectCaretStyle off(b);
    EXPECT_FALSE(off.shadowEnabled);
    EXPECT_TRUE(isClear(off.shadowColor));
    EXPECT_EQ(off.shadowRadius, 0);
    EXPECT_EQ(off.shadowOffset, QSizeF(0, 0));
    EXPECT_EQ(off.shadowOpacity, 0.0f);
}

// The default (a blue bar with a white border, no shadow, no blinking) as the log describes it.
TEST(PerfectCaretStyle, ConfigurationDescribesItselfFieldByField)
{
    EXPECT_EQ(description(PerfectCaretConfiguration::defaultConfiguration()),
              "PerfectCaretConfiguration(style: PerfectCaretStyle(shape: rectangle, color: rgba(0.0, 0.4784, 1.0, 1.0), "
              "borderColor: rgba(1.0, 1.0, 1.0, 1.0), borderWidth: 1.0, width: 2.0, height: 16.0, "
              "shadowEnabled: false, shadowColor: rgba(0.0, 0.0, 0.0, 0.0), shadowRadius: 0.0, "
              "shadowOffset: (0.0, 0.0), shadowOpacity: 0.0), enableBlinking: false, animationDuration: 0.1)");
    PerfectCaretConfiguration c{PerfectCaretStyle(unusualStyle()), true, 0.1};
    const QString text = description(c);
    EXPECT_TRUE(text.contains("shape: triangle")) << text.toStdString();
    EXPECT_TRUE(text.contains("shadowColor: rgba(0.9, 0.8, 0.7, 0.6)")) << text.toStdString();
    EXPECT_TRUE(text.contains("shadowOpacity: 0.35)")) << text.toStdString();
    EXPECT_TRUE(text.contains("enableBlinking: true")) << text.toStdString();
}
