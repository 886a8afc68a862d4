#include "BrindotHUD/CapsLockDoubleTap.h"
#include "BrindotHUD/HUDContentView.h"
#include "BrindotHUD/HUDGeometry.h"
#include "BrindotHUD/HUDIcons.h"
#include "BrindotHUD/HUDTexts.h"
#include "BrindotHUD/SmartIconAdapter.h"
#include "support/TestWorld.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>

#include <gtest/gtest.h>

using namespace zorbel;
using namespace zorbel::hud;
using platform::PowerSourceDescription;

TEST(HUDTexts, TimeAndTyping)
{
    const QDateTime t(QDate(2026, 3, 7), QTime(9, 5));
    EXPECT_EQ(timeText(t, true), QStringLiteral("3/7 09:05"));
    EXPECT_EQ(timeText(t, false), QStringLiteral("09:05"));
    EXPECT_EQ(typingText(120, 340, 12, true), QStringLiteral("120字 • 340次击键 • 12次回退"));
    EXPECT_EQ(typingText(120, 340, 12, false), QStringLiteral("120"));
}

TEST(HUDTexts, BatteryFromTheFirstSourceWithACharge)
{
    using Sources = std::optional<std::vector<PowerSourceDescription>>;
    const auto one = [](std::optional<int> capacity, std::optional<int> toEmpty) {
        return Sources(std::vector<PowerSourceDescription>{{QStringLiteral("mouse"), std::nullopt, std::nullopt},
                                                           {QStringLiteral("BAT0"), capacity, toEmpty}});
    };
    EXPECT_EQ(batteryText(one(15, 5400), true), QStringLiteral("15% • 1h30m"));
    EXPECT_EQ(batteryText(one(15, 300), true), QStringLiteral("15% • 5m"));
    EXPECT_EQ(batteryText(one(15, -1), true), QStringLiteral("15%"));
    EXPECT_EQ(batteryText(one(15, 5400), false), QStringLiteral("15%"));
    EXPECT_NEAR(batteryChargeHeight(15), 2.1, 1e-9);
    // No battery is no battery value, never a full one.
    EXPECT_EQ(batteryText(Sources(), true), kNoBatteryText);
    EXPECT_EQ(batteryText(Sources(std::vector<PowerSourceDescription>{}), false), kNoBatteryText);
    EXPECT_FALSE(batteryLevel(Sources()).has_value());
}

TEST(HUDTexts, ClockHands)
{
    const QLineF up = minuteHand(0);
    EXPECT_NEAR(up.p2().x(), 10, 1e-9);
    EXPECT_NEAR(up.p2().y(), 16.4, 1e-9);
    const QLineF right = minuteHand(15);
    EXPECT_NEAR(right.p2().x(), 16.4, 1e-9);
    EXPECT_NEAR(hourHand(3, 0).p2().x(), 14.8, 1e-9);
}

TEST(CapsLockDoubleTapTest, PairsChangesWithinThreshold)
{
    CapsLockDoubleTap taps;
    using O = CapsLockDoubleTap::Outcome;
    EXPECT_EQ(taps.handle(false, 0).outcome, O::unchanged);
    EXPECT_EQ(taps.handle(true, 1.0).outcome, O::change);
    const auto second = taps.handle(false, 1.5);
    EXPECT_EQ(second.outcome, O::doubleTap);
    EXPECT_NEAR(*second.elapsed, 0.5, 1e-9);
    EXPECT_FALSE(taps.isArmed());
    // 0.7 s apart: two plain changes.
    EXPECT_EQ(taps.handle(true, 3.0).outcome, O::change);
    EXPECT_EQ(taps.handle(false, 3.7).outcome, O::change);
    EXPECT_EQ(taps.handle(true, 4.2).outcome, O::doubleTap);
}

class IconAdapterTest : public zorbel::testing::WorldTest {};

TEST_F(IconAdapterTest, ClassifiesAndPicksStrategies)
{
    auto& adapter = SmartIconAdapter::shared();
    QImage symbol = *symbolImage(QStringLiteral("keyboard"), Qt::black);
    EXPECT_EQ(adapter.detectIconType(symbol), IconType::template_);
    EXPECT_EQ(adapter.chooseStrategy(symbol, Qt::white), IconAdaptationStrategy::none);

    EXPECT_EQ(SmartIconAdapter::sampledColorCount(QImage()), 16);
    QImage twoColours(30, 30, QImage::Format_ARGB32);
    twoColours.fill(Qt::red);
    twoColours.setPixel(15, 15, qRgb(0, 0, 255));
    EXPECT_EQ(adapter.detectIconType(twoColours), IconType::emoji);

    QImage five(48, 48, QImage::Format_ARGB32);
    five.fill(qRgb(128, 128, 128));
    const int pts[5][2] = {{24, 24}, {12, 12}, {36, 12}, {12, 36}, {36, 36}};
    for (int i = 0; i < 5; ++i) five.setPixel(pts[i][0], pts[i][1], qRgb(120 + i, 120 + i, 120 + i));
    EXPECT_EQ(adapter.detectIconType(five), IconType::simple);
    EXPECT_EQ(adapter.computeStrategy(five, QColor(128, 128, 128)), IconAdaptationStrategy::stroke);
    EXPECT_EQ(adapter.computeStrategy(five, Qt::white), IconAdaptationStrategy::none);

    EXPECT_EQ(SmartIconAdapter::colorKey(QColor()), QStringLiteral("0_0_0"));
    EXPECT_EQ(SmartIconAdapter::luminance(QColor()), 0.0);
    EXPECT_EQ(SmartIconAdapter::iconKey(QImage(18, 18, QImage::Format_ARGB32)), QStringLiteral("unknown_18.0x18.0"));
}

TEST_F(IconAdapterTest, GlowFollowsTheBackgroundAndKeepsTheIconsColours)
{
    // What is said per event is printed in debug mode only.
    world().defaults.standard().setBool("BrindotDebugMode", true);
    const QImage star = *symbolImage(QStringLiteral("star"), Qt::red);
    const QRectF rect(11, 11, 18, 18);
    for (const QColor bg : {QColor(0, 0, 0), QColor(128, 128, 128)}) {
        QImage canvas(40, 40, QImage::Format_ARGB32);
        canvas.fill(bg);
        QPainter p(&canvas);
        SmartIconAdapter::shared().drawIcon(p, star, rect, bg);
        p.end();
        const bool dark = bg.lightness() < 128;
        EXPECT_EQ(world().console.count(dark ? QStringLiteral("SmartIconAdapter: Dark背景使用更亮的白色阴影")
                                             : QStringLiteral("SmartIconAdapter: Light背景使用灰色阴影")),
                  1);
        // The star's top point stays red.
        EXPECT_GT(qRed(canvas.pixel(20, 13)), 150);
        // Around the star, where the icon alone leaves the background, the glow lightens a
        // dark background and the shadow darkens a light one.
        QImage plain(40, 40, QImage::Format_ARGB32);
        plain.fill(bg);
        {
            QPainter q(&plain);
            q.setRenderHint(QPainter::SmoothPixmapTransform);
            q.drawImage(rect, star);
        }
        int lighter = 0, darker = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                if (plain.pixel(x, y) != bg.rgb()) continue;
                const int d = qGreen(canvas.pixel(x, y)) - bg.green();
                (d > 0 ? lighter : darker) += std::abs(d);
            }
        EXPECT_GT(dark ? lighter : darker, 150);
        EXPECT_EQ(dark ? darker : lighter, 0);
    }
}

namespace {
bool isMarkGreen(QRgb p) { return qGreen(p) > 150 && qRed(p) < 120 && qBlue(p) < 150; }
bool isInk(QRgb p) { return qGray(p) < 140; }
// The centre of the pixels that pass `test` inside `area`; nothing when none do.
std::optional<QPointF> centreOf(const QImage& image, const QRect& area, bool (*test)(QRgb))
{
    double x = 0, y = 0;
    int n = 0;
    for (int j = area.top(); j <= area.bottom(); ++j)
        for (int i = area.left(); i <= area.right(); ++i)
            if (test(image.pixel(i, j))) x += i + 0.5, y += j + 0.5, ++n;
    if (!n) return std::nullopt;
    return QPointF(x / n, y / n);
}
}  // namespace

class HUDDrawingTest : public zorbel::testing::WorldTest {
protected:
    // The panel drawn on white at the size its items need (top-down pixels).
    QImage drawn(HUDLayout layout, std::vector<HUDContentItem> items, QSizeF size = {})
    {
        config.layout = layout;
        if (size.isEmpty()) {
            std::vector<ItemMetrics> metrics;
            for (const auto& item : items)
                metrics.push_back({QSizeF(fm().horizontalAdvance(item.value), fm().height()), 0,
                                   item.capsLockOn.value_or(false)});
            size = contentSize(config, metrics);
        }
        QImage image(size.toSize(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        HUDContentView view(std::move(items), config);
        QPainter p(&image);
        view.draw(p, size);
        return image;
    }
    QFontMetricsF fm() const
    {
        QFont f = QApplication::font();
        f.setPixelSize(static_cast<int>(kFontSize));
        return QFontMetricsF(f);
    }
    BrindotHUDConfig config = [] {
        BrindotHUDConfig c;
        c.contentStyle = HUDContentStyle::simple;
        c.shape = HUDShape::roundedRectangle;
        return c;
    }();
    const HUDContentItem capsOn{HUDContentType::inputMethod, QStringLiteral("keyboard"), std::nullopt, std::nullopt,
                                QStringLiteral("ABC"), true};
    const HUDContentItem time{HUDContentType::time, QStringLiteral("clock"), std::nullopt, std::nullopt,
                              QStringLiteral("09:05"), std::nullopt};
};

// The green Caps Lock mark stands between icon and value in a row, after the value in a
// column, and at the right edge of its cell in the grid, whose value stands above its
// icon; only the input-method item with Caps Lock on has one. No items: "无内容", centred.
TEST_F(HUDDrawingTest, CapsLockMarkGridValuesAndThePlaceholderAreWhereTheLayoutPutsThem)
{
    const double p = config.padding;
    QImage row = drawn(HUDLayout::horizontal, {capsOn, time});
    auto mark = centreOf(row, row.rect(), isMarkGreen);
    ASSERT_TRUE(mark);
    EXPECT_NEAR(mark->x(), p + kIconSize + kSpacing + 4, 1.0);
    EXPECT_NEAR(mark->y(), row.height() / 2.0, 1.0);
    const QRect valueArea(int(p + kIconSize + kSpacing + 16), 0, int(fm().horizontalAdvance(QStringLiteral("ABC"))),
                          row.height());
    EXPECT_TRUE(centreOf(row, valueArea, isInk)) << "the value follows the mark";

    QImage column = drawn(HUDLayout::vertical, {capsOn, time});
    mark = centreOf(column, column.rect(), isMarkGreen);
    ASSERT_TRUE(mark);
    EXPECT_NEAR(mark->x(), p + kIconSize + kSpacing + fm().horizontalAdvance(QStringLiteral("ABC")) + kSpacing + 4, 1.0);
    EXPECT_NEAR(mark->y(), p + kRowHeight / 2, 1.0) << "on the first row";

    QImage grid = drawn(HUDLayout::grid, {time, capsOn});
    const QRectF cell = gridCell(config, QSizeF(grid.size()), 1);
    const double top = grid.height() - cell.y() - cell.height();  // the cell, top-down
    mark = centreOf(grid, grid.rect(), isMarkGreen);
    ASSERT_TRUE(mark);
    EXPECT_NEAR(mark->x(), cell.x() + cell.width() - 12, 1.0);
    const double valueBottom = grid.height() - (cell.y() + kIconSize + 2 * kSpacing);
    const auto value = centreOf(grid, QRect(int(cell.x()), int(top), int(cell.width() - 20), int(valueBottom - top)), isInk);
    const auto icon = centreOf(grid, QRect(int(cell.x()), int(valueBottom), int(cell.width() - 20),
                                           int(cell.y() + cell.height() - valueBottom)), isInk);
    ASSERT_TRUE(value && icon);
    EXPECT_LT(value->y(), icon->y()) << "the grid's value stands above its icon";
    EXPECT_NEAR(value->x(), cell.x() + cell.width() / 2, 3.0) << "centred in its column";

    EXPECT_FALSE(centreOf(drawn(HUDLayout::horizontal, {time}), QRect(0, 0, 200, 40), isMarkGreen));

    QImage empty = drawn(HUDLayout::grid, {});
    const auto placeholder = centreOf(empty, empty.rect().adjusted(4, 4, -4, -4), isInk);
    ASSERT_TRUE(placeholder) << "无内容 is drawn";
    EXPECT_NEAR(placeholder->x(), 30, 2.0);
    EXPECT_NEAR(placeholder->y(), 30, 2.0);
}
