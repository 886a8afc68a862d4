#include "Caret/UI/PerfectCaretView.h"
#include "Caret/UI/ShapeDrawing.h"
#include "support/TestWorld.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>

using namespace zorbel;
using zorbel::testing::WorldTest;

namespace {

PerfectCaretStyle circle(double size, double border, bool shadow = false, double radius = 0, float opacity = 0)
{
    PerfectCaretStyle s;
    s.shape = PerfectCaretStyle::Shape::circle;
    s.width = s.height = size;
    s.borderWidth = border;
    s.color = Qt::red;
    s.borderColor = Qt::white;
    s.shadowEnabled = shadow;
    s.shadowRadius = radius;
    s.shadowOpacity = opacity;
    s.shadowColor = Qt::blue;
    return s;
}

QImage render(const PerfectCaretView& view, QSize size)
{
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    view.draw(p, QRectF(QPointF(0, 0), QSizeF(size)));
    return img;
}

}  // namespace

class IndicatorViewTest : public WorldTest {};

TEST_F(IndicatorViewTest, MarginMakesRoomForBorderShadowAndGlow)
{
    EXPECT_DOUBLE_EQ(PerfectCaretView::margin(circle(10, 2)), 3.0);
    // A shadow radius of 5 adds 9 points to the margin.
    EXPECT_DOUBLE_EQ(PerfectCaretView::margin(circle(10, 2, true, 5, 1)), 12.0);
    EXPECT_DOUBLE_EQ(PerfectCaretView::margin(circle(10, 2, false, 5, 1)), 3.0) << "a disabled shadow takes no room";
}

TEST_F(IndicatorViewTest, TriangleUsesHalfTheSmallerSideWithItsApexUp)
{
    PerfectCaretStyle s;
    s.shape = PerfectCaretStyle::Shape::triangle;
    s.width = 16;
    s.height = 10;
    const QRectF box = drawing::shapePath({50, 50}, s).boundingRect();
    EXPECT_DOUBLE_EQ(box.width(), 10.0);
    EXPECT_DOUBLE_EQ(box.height(), 10.0);
    EXPECT_TRUE(drawing::shapePath({50, 50}, s).contains(QPointF(50, 46))) << "apex at the top";
    EXPECT_FALSE(drawing::shapePath({50, 50}, s).contains(QPointF(46, 46)));
}

TEST_F(IndicatorViewTest, CircleGlowRingsReachFurtherThanTheShapeAndFadeOutwards)
{
    PerfectCaretView view;
    view.updateStyle(circle(10, 0, true, 5, 1));
    const QImage img = render(view, {34, 34});
    const auto alphaAt = [&](int dx) { return qAlpha(img.pixel(17 + dx, 17)); };
    // R = 5; rings reach R + 4, R + 3, R + 2, R + 1.
    EXPECT_GT(alphaAt(7), 0) << "inside the outermost ring";
    EXPECT_EQ(alphaAt(10), 0) << "beyond R + 4 nothing is drawn";
    EXPECT_LT(alphaAt(8), alphaAt(6)) << "outer rings are fainter";
    EXPECT_EQ(QColor(img.pixel(17, 17)).red(), 255) << "the shape is drawn over the glow";
}

TEST_F(IndicatorViewTest, RectangleIsFilledThenStrokedAndLineIsOnlyFilled)
{
    PerfectCaretView view;
    PerfectCaretStyle s;
    s.width = 10;
    s.height = 10;
    s.color = Qt::red;
    s.borderColor = Qt::green;
    s.borderWidth = 2;
    view.updateStyle(s);
    QImage img = render(view, {20, 20});
    EXPECT_EQ(QColor(img.pixel(10, 10)), QColor(Qt::red));
    EXPECT_EQ(QColor(img.pixel(5, 10)), QColor(Qt::green)) << "the border runs along the edge";
    s.shape = PerfectCaretStyle::Shape::line;
    view.updateStyle(s);
    img = render(view, {20, 20});
    EXPECT_EQ(QColor(img.pixel(5, 10)), QColor(Qt::red));
}

TEST_F(IndicatorViewTest, FlashDimsBetweenFirstAndSecondTickAndEndsAtTheThird)
{
    PerfectCaretView view;
    view.setEnableBlinking(true);
    view.startFlash();
    EXPECT_DOUBLE_EQ(view.currentOpacity(), 1.0);
    world().runFor(0.1);
    EXPECT_DOUBLE_EQ(view.currentOpacity(), 0.3);
    world().runFor(0.1);
    EXPECT_DOUBLE_EQ(view.currentOpacity(), 1.0);
    EXPECT_TRUE(view.isFlashEffect());
    world().runFor(0.1);
    EXPECT_FALSE(view.isFlashEffect());
    EXPECT_EQ(world().scheduler.activeJobs(), 0u) << "the flash timer is dropped";
}

TEST_F(IndicatorViewTest, FlashDimsTheShapeButNotItsGlow)
{
    PerfectCaretView view;
    view.updateStyle(circle(10, 0, true, 5, 1));
    const QImage steady = render(view, {34, 34});
    view.setEnableBlinking(true);
    view.startFlash();
    world().runFor(0.1);
    const QImage dimmed = render(view, {34, 34});
    EXPECT_LT(qRed(dimmed.pixel(17, 17)), qRed(steady.pixel(17, 17))) << "the blue glow shows through the dimmed shape";
    EXPECT_EQ(qAlpha(dimmed.pixel(25, 17)), qAlpha(steady.pixel(25, 17))) << "the glow around it does not";
}

namespace {
// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};
}  // namespace

TEST_F(IndicatorViewTest, NoFlashWithoutBlinkingAndStoppingMidFlashRestoresFullOpacity)
{
    PerfectCaretView view;
    view.resize(20, 20);
    view.show();
    QCoreApplication::processEvents();
    PaintCounter counter;
    view.installEventFilter(&counter);
    view.startFlash();
    QCoreApplication::processEvents();
    EXPECT_FALSE(view.isFlashEffect());
    EXPECT_EQ(world().scheduler.activeJobs(), 0u);
    EXPECT_EQ(counter.paints, 0) << "a flash without blinking redraws nothing";
    view.updateStyle(circle(10, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 1) << "a new style is drawn at once";

    view.setEnableBlinking(true);
    view.startFlash();
    world().runFor(0.1);
    EXPECT_DOUBLE_EQ(view.currentOpacity(), 0.3);
    view.stopFlash();
    EXPECT_DOUBLE_EQ(view.currentOpacity(), 1.0);
    world().runFor(1.0);
    EXPECT_DOUBLE_EQ(view.currentOpacity(), 1.0);
}

TEST_F(IndicatorViewTest, RestyleStartsAFlashAndPrintsItsShapeAndSize)
{
    // What is said per event is printed in debug mode only.
    world().defaults.standard().setBool("BrindotDebugMode", true);
    PerfectCaretView view;
    view.setEnableBlinking(true);
    view.updateStyle(circle(10, 1));
    EXPECT_TRUE(view.isFlashEffect());
    EXPECT_EQ(world().console.lines.last(), "[PerfectCaretView] Style updated: shape=circle, size=10.0x10.0");
}

TEST_F(IndicatorViewTest, DropShadowIsCastInTheShadowColourBelowTheShape)
{
    PerfectCaretView view;
    PerfectCaretStyle s = circle(10, 0, true, 2, 1);
    s.shape = PerfectCaretStyle::Shape::rectangle;
    s.shadowOffset = QSizeF(0, -4);  // downwards
    view.updateStyle(s);
    const QImage img = render(view, {30, 30});
    const QColor below(img.pixel(15, 21));
    EXPECT_GT(below.alpha(), 0);
    EXPECT_GT(below.blue(), below.red()) << "the shadow takes the shadow colour";
    EXPECT_EQ(qAlpha(img.pixel(15, 6)), 0) << "nothing is cast upwards";
}
