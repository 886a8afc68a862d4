#include "Settings/Themes/LiquidGlass/GlassClock.h"
#include "Settings/Themes/LiquidGlass/GlassMotion.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassControlContainer.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassLayers.h"
#include "support/TestWorld.h"

#include <QApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QTest>
#include <QVBoxLayout>

#include <cmath>

namespace zorbel {
namespace {

using testing::WorldTest;

class GlassAnimationTest : public WorldTest {};

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
    EXPECT_NEAR(ticks, 10, 1);

    clock.setViewerOnScreen(a, false);
    EXPECT_TRUE(clock.isRunning());
    clock.removeViewer(b);
    EXPECT_FALSE(clock.isRunning());
    const int before = ticks;
    world().runFor(5.0);
    EXPECT_EQ(ticks, before);
    EXPECT_NEAR(clock.elapsed(), 1.0, 1e-9);
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
}

// Counts the area each paint covers.
class CountingLabel final : public QLabel {
public:
    using QLabel::QLabel;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* e) override
    {
        ++paints;
        QLabel::paintEvent(e);
    }
};

TEST_F(GlassAnimationTest, GlassAnimatesOnlyWhileItsWindowIsShownAndNotMinimised)
{
    QWidget window;
    window.resize(600, 400);
    auto* layout = new QVBoxLayout(&window);
    auto* background = new WhiteBackgroundLiquidGlassBackground(tint());
    layout->addWidget(background);
    auto* inner = new QVBoxLayout(background);
    auto* label = new CountingLabel(QStringLiteral("x"));
    inner->addWidget(new LiquidGlassControlContainer(label, tint()));
    auto& clock = GlassClock::shared();

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    EXPECT_TRUE(clock.isRunning());
    world().runFor(2.0);
    EXPECT_GT(background->frameTime(), 1.5);

    window.showMinimized();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_FALSE(clock.isRunning());

    window.showNormal();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_TRUE(clock.isRunning());

    window.hide();
    QApplication::processEvents();
    EXPECT_FALSE(clock.isRunning());
    const double stoppedAt = background->frameTime();
    world().runFor(3.0);
    EXPECT_DOUBLE_EQ(background->frameTime(), stoppedAt);
}

}  // namespace
}  // namespace zorbel
