#include "Settings/Themes/LiquidGlass/GlassClock.h"
#include "Settings/Themes/LiquidGlass/GlassMotion.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassControlContainer.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassLayers.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassOverlayView.h"
#include "support/SimulatedDesktopTest.h"

#include <QApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QTest>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace zorbel {
namespace {

class GlassAnimationTest : public testing::SimulatedDesktopTest {};

glass::GlassTint tint() { return {QColor(0, 122, 255), QColor(0, 199, 115), QColor(255, 148, 0)}; }

TEST_F(GlassAnimationTest, ClockRunsOnlyWhileSomeViewerIsOnScreenAndKeepsItsTimeWhileStopped)
{
    auto& clock = GlassClock::shared();
    const auto a = clock.addViewer();
    const auto b = clock.addViewer();
    int ticks = 0;
    auto sub = clock.ticks().sink([&](const double&) { ++ticks; });
    world().runFor(1.0);
    EXPECT_FALSE(clock.isRunning());
    EXPECT_EQ(ticks, 0);

    clock.setViewerOnScreen(a, true);
    clock.setViewerOnScreen(b, true);
    world().runFor(1.0);
    EXPECT_NEAR(clock.elapsed(), 1.0, 1e-9);
    EXPECT_NEAR(ticks, 1.0 / GlassClock::frameInterval, 1);

    // Left alone, it stands still until woken, keeping its time.
    world().runFor(GlassClock::restAfter);
    EXPECT_FALSE(clock.isRunning());
    EXPECT_TRUE(clock.isResting());
    const double rested = clock.elapsed();
    const int ticksAtRest = ticks;
    world().runFor(3.0);
    EXPECT_EQ(ticks, ticksAtRest);
    EXPECT_DOUBLE_EQ(clock.elapsed(), rested);
    clock.wake();
    EXPECT_TRUE(clock.isRunning());
    world().runFor(1.0);
    EXPECT_NEAR(clock.elapsed(), rested + 1.0, 1e-9);

    clock.setViewerOnScreen(a, false);
    EXPECT_TRUE(clock.isRunning());
    clock.removeViewer(b);
    EXPECT_FALSE(clock.isRunning());
    const int before = ticks;
    world().runFor(5.0);
    EXPECT_EQ(ticks, before);
    EXPECT_NEAR(clock.elapsed(), rested + 1.0, 1e-9);
    clock.wake();
    EXPECT_FALSE(clock.isRunning()) << "input wakes nothing while no glass is on screen";
}

TEST_F(GlassAnimationTest, LayerGeometryAtPhaseZeroQuarterBoundariesAndDegenerateSizes)
{
    const auto veil = glass::waterVeil(0);
    EXPECT_EQ(veil[0].unitCentre, QPointF(0.3, 0.7));
    EXPECT_DOUBLE_EQ(veil[0].scale, 1.0);
    EXPECT_EQ(veil[1].unitCentre, QPointF(0.9, 0.6));
    EXPECT_DOUBLE_EQ(veil[1].scale, 1.08);
    const auto caustic = glass::caustics(0);
    EXPECT_DOUBLE_EQ(caustic[0].rotationDegrees, 0);
    EXPECT_EQ(caustic[0].offset, QPointF(0, 40));
    EXPECT_DOUBLE_EQ(caustic[0].scale, 0.8);
    EXPECT_DOUBLE_EQ(caustic[1].rotationDegrees, 15);
    EXPECT_EQ(caustic[1].offset, QPointF(45, 0));
    EXPECT_DOUBLE_EQ(caustic[1].scale, 0.85);

    const QSizeF size(200, 100);
    for (int k = 0; k < 8; ++k) {
        const auto d = glass::windowDroplet(k, 0, size);
        EXPECT_DOUBLE_EQ(d.size, std::sin(double(k)) * 1.5 + 2);
        EXPECT_NEAR(std::atan2(d.centre.y() - 50, d.centre.x() - 100), std::remainder(k * M_PI / 4, 2 * M_PI), 1e-9);
    }
    EXPECT_EQ(glass::controlDroplet(3, 1.0, QSizeF(0, 80)).centre, QPointF(0, 40));

    const auto orbs = glass::rimOrbs(0, size, 16);
    EXPECT_DOUBLE_EQ(orbs[0].scale, 1.0);
    EXPECT_DOUBLE_EQ(orbs[1].scale, 1.08);

    using Edge = glass::GlowStrip::Edge;
    const auto top = glass::contourGlow(0, size);
    ASSERT_TRUE(top);
    EXPECT_EQ(top->edge, Edge::Top);
    EXPECT_DOUBLE_EQ(top->intensity, 0.7);
    EXPECT_EQ(glass::contourGlow(2.25, size)->edge, Edge::Top);
    EXPECT_EQ(glass::contourGlow(0.5, size)->edge, Edge::Trailing);
    EXPECT_EQ(glass::contourGlow(0.75, size)->edge, Edge::Bottom);
    EXPECT_EQ(glass::contourGlow(0.76, size)->edge, Edge::Leading);
    EXPECT_EQ(glass::contourGlow(0.5, size)->rect, QRectF(198, 0, 2, 100));
    EXPECT_FALSE(glass::contourGlow(-0.3, size));

    // Each animation runs 0 → 2π and starts again from 0.
    EXPECT_NEAR(glass::loopPhase(6.0, 8.0), 0.75 * glass::kTwoPi, 1e-12);
    EXPECT_NEAR(glass::loopPhase(8.0, 8.0), 0.0, 1e-12);

    // The window's border lights top, trailing, bottom, leading, in turn.
    const QRectF b(0, 0, 200, 100);
    EXPECT_EQ(LiquidGlassOverlayView::edgeHighlight(0, b), QLineF(b.topLeft(), b.topRight()));
    EXPECT_EQ(LiquidGlassOverlayView::edgeHighlight(0.25, b), QLineF(b.topLeft(), b.topRight()));
    EXPECT_EQ(LiquidGlassOverlayView::edgeHighlight(0.26, b), QLineF(b.topRight(), b.bottomRight()));
    EXPECT_EQ(LiquidGlassOverlayView::edgeHighlight(0.6, b), QLineF(b.bottomLeft(), b.bottomRight()));
    EXPECT_EQ(LiquidGlassOverlayView::edgeHighlight(0.9, b), QLineF(b.topLeft(), b.bottomLeft()));
    EXPECT_EQ(LiquidGlassOverlayView::edgeHighlight(1.0, b), QLineF(b.topLeft(), b.topRight()));
}

// Counts the paints a widget gets and the area they cover.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    int paints = 0;
    qint64 area = 0;  // pixels repainted, summed over the paints
    qint64 largest = 0;  // pixels of the largest single paint

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            ++paints;
            qint64 pixels = 0;
            for (const QRect& r : static_cast<QPaintEvent*>(e)->region()) pixels += qint64(r.width()) * r.height();
            area += pixels;
            largest = std::max(largest, pixels);
        }
        return false;
    }
};

class GlassWindow {
public:
    GlassWindow()
    {
        window.resize(600, 400);
        auto* layout = new QVBoxLayout(&window);
        background = new WhiteBackgroundLiquidGlassBackground(tint());
        layout->addWidget(background);
        auto* inner = new QVBoxLayout(background);
        container = new LiquidGlassControlContainer(new QLabel(QStringLiteral("x")), tint());
        inner->addWidget(container);
    }
    QWidget window;
    WhiteBackgroundLiquidGlassBackground* background;
    LiquidGlassControlContainer* container;
};

// Lets the glass clock run for `seconds`, painting after every frame.
void animate(testing::TestWorld& world, double seconds)
{
    for (int i = 0; i < int(std::lround(seconds / GlassClock::frameInterval)); ++i) {
        world.runFor(GlassClock::frameInterval);
        QApplication::processEvents();
    }
}

TEST_F(GlassAnimationTest, EachFrameRepaintsOnlyWhatMovesAndTheDriftIsDrawnAhead)
{
    GlassWindow g;
    g.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g.window));
    QApplication::processEvents();
    PaintCounter stack(g.background), container(g.container);
    const int frames = int(std::lround(2.0 / GlassClock::frameInterval));
    animate(world(), 2.0);  // within the first drift step
    EXPECT_GE(stack.paints, frames - 1) << "the stack's moving details are repainted every frame";
    EXPECT_GE(container.paints, frames - 1) << "the container's rim moves every frame";
    const qint64 whole = qint64(g.background->width()) * g.background->height();
    EXPECT_LT(stack.area, whole * stack.paints / 4) << "frames repaint the moving parts, not the whole stack";

    // Crossing drift steps repaints it all, from pictures prepared ahead,
    // a band a frame.
    const int drawnBefore = g.background->drawnAtPaint();
    const qint64 areaBefore = stack.area;
    animate(world(), 2 * GlassStackSurface::driftStep);
    EXPECT_GE(stack.area - areaBefore, 2 * whole);
    EXPECT_EQ(g.background->drawnAtPaint(), drawnBefore) << "no frame draws the drift in one go";
    EXPECT_LT(stack.largest, whole / 2) << "no frame repaints the whole stack";
}

TEST_F(GlassAnimationTest, GlassAnimatesOnlyWhileItsWindowIsOnScreen)
{
    GlassWindow g;
    auto& clock = GlassClock::shared();
    g.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g.window));
    QApplication::processEvents();
    EXPECT_TRUE(clock.isRunning());
    world().runFor(2.0);
    EXPECT_GT(g.background->frameTime(), 1.5);

    PaintCounter stack(g.background);
    const auto stillWhile = [&](const char* what) {
        EXPECT_FALSE(clock.isRunning()) << what;
        const int paints = stack.paints;
        const double at = g.background->frameTime();
        animate(world(), 1.0);
        EXPECT_EQ(stack.paints, paints) << what;
        EXPECT_DOUBLE_EQ(g.background->frameTime(), at) << what;
    };

    g.window.showMinimized();
    QApplication::processEvents();
    QApplication::processEvents();
    stillWhile("minimised");
    g.window.showNormal();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_TRUE(clock.isRunning());

    // Wholly covered by other windows it is still exposed to Qt.
    const auto id = quint64(g.window.winId());
    desktop().setObscured(id, true);
    QApplication::processEvents();
    stillWhile("covered");
    desktop().setObscured(id, false);
    QApplication::processEvents();
    EXPECT_TRUE(clock.isRunning());

    // Nobody at work in it: the glass stands still until the pointer moves over it.
    animate(world(), GlassClock::restAfter + 1.0);
    stillWhile("left alone");
    QTest::mouseMove(g.window.windowHandle(), QPoint(50, 60));
    QApplication::processEvents();
    EXPECT_TRUE(clock.isRunning()) << "woken by the pointer";
    const double woken = g.background->frameTime();
    animate(world(), 1.0);
    EXPECT_GT(g.background->frameTime(), woken);

    g.window.hide();
    QApplication::processEvents();
    stillWhile("hidden");
}

}  // namespace
}  // namespace zorbel
