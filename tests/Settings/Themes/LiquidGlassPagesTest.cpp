#include "Caret/CaretDesktopTest.h"
#include "Settings/SettingsDesktopTest.h"
#include "Features/InputMethodStyle/Managers/InputMethodStyleMapper.h"
#include "Shell/AutoStartupManager.h"
#include "Shell/ShellTest.h"
#include "Shell/StatusBarManager.h"
#include "Shell/UIStyleManager.h"
#include "Caret/Managers/BrindotManager.h"
#include "Caret/Managers/PermissionManager.h"
#include "Caret/Styles/BrindotStyleManager.h"
#include "Settings/MasterSwitch.h"
#include "Settings/Themes/FrostedGlass/FrostedGlassStyleLayout.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassFooter.h"
#include "Settings/Themes/LiquidGlassPalette.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassStyleLayout.h"
#include "Settings/Themes/System/SystemStyleLayout.h"
#include "Settings/UnifiedTabLayout.h"
#include "Settings/Widgets/Controls.h"
#include "Settings/Widgets/SegmentedPicker.h"
#include "BrindotHUD/BrindotHUDManager.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QSlider>
#include <QTest>

#include <functional>
#include <memory>

namespace zorbel {
namespace {

// The window's title bar badges need the desktop shell.
class LiquidGlassPagesTest : public testing::SettingsDesktopTest {
public:
    // Shows a layout as a window and opens one of its tabs.
    void open(QWidget* layout, const QString& tab)
    {
        shown_.reset(layout);
        layout->resize(1100, 680);
        layout->show();
        openTab(tab);
    }
    void openTab(const QString& id)
    {
        QTest::mouseClick(find<QAbstractButton>(QStringLiteral("tab.") + id), Qt::LeftButton);
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    template <class T = QWidget>
    T* find(const QString& name)
    {
        auto* w = shown_->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    void click(const char* name) { QTest::mouseClick(find<QAbstractButton>(QString::fromLatin1(name)), Qt::LeftButton); }
    // The stored style and HUD records.
    QByteArray storedRecords()
    {
        auto& defaults = world().defaults.standard();
        return defaults.dataForKey(QStringLiteral("BrindotStyle")).value_or(QByteArray()) + '|' +
               defaults.dataForKey(QStringLiteral("BrindotHUDConfig")).value_or(QByteArray());
    }

    std::unique_ptr<QWidget> shown_;
};

TEST_F(LiquidGlassPagesTest, EveryLiquidControlWritesTheSameRecordAsItsPlainTwin)
{
    using Action = std::function<void(LiquidGlassPagesTest&)>;
    const auto checkbox = [](const char* name) -> Action {
        return [name](LiquidGlassPagesTest& t) {
            QTest::mouseClick(t.find<ui::CheckboxToggle>(QString::fromLatin1(name))->box(), Qt::LeftButton);
        };
    };
    const auto slider = [](const char* name, int value) -> Action {
        return [name, value](LiquidGlassPagesTest& t) { t.find<QSlider>(QString::fromLatin1(name))->setValue(value); };
    };
    const auto button = [](const char* name) -> Action { return [name](LiquidGlassPagesTest& t) { t.click(name); }; };
    const auto confirmedReset = [](const char* name) -> Action {
        return [name](LiquidGlassPagesTest& t) {
            t.click(name);
            for (auto* box : t.shown_->findChildren<QMessageBox*>(QStringLiteral("resetConfirmation")))
                if (box->isVisible()) box->findChild<QAbstractButton*>(QStringLiteral("resetConfirm"))->click();
        };
    };
    const auto animationPicked = [](AnimationType type) -> Action {
        return [type](LiquidGlassPagesTest& t) {
            emit t.find<QComboBox>(QStringLiteral("hudAnimationPicker"))->activated(static_cast<int>(type));
        };
    };
    const struct {
        const char* plainTab;
        Action plain;
        const char* liquidTab;
        Action liquid;
    } edits[] = {
        {"style", button("shape.triangle"), "style", button("shape.triangle")},
        {"style", slider("sizeSlider", 10), "style", slider("liquidSize", 20)},  // steps of 2 and of 1
        {"style", slider("borderWidthSlider", 3), "style", slider("liquidBorderWidth", 6)},  // steps of 1 and of 0.5
        {"style", checkbox("fillEnabled"), "style", checkbox("liquidFillEnabled")},
        {"style", button("preset.1"), "style", button("liquidPreset.1")},
        {"basic", button("masterSwitch"), "basic", button("liquidMasterSwitch")},
        {"hud", button("hudEnabledSwitch"), "hud", button("liquidHudEnabled")},
        {"hud", button("hudShape.roundedRectangle"), "hud", button("hudShape.roundedRectangle")},
        {"hud", slider("hudDurationSlider", 6), "hud", slider("liquidHudDuration", 3)},  // half and whole seconds
        {"hud", checkbox("hudContent.battery"), "hud", checkbox("liquidHudContent.battery")},
        {"hud", checkbox("hudContent.time"), "hud", checkbox("liquidHudContent.time")},
        {"hud", animationPicked(AnimationType::slide), "hud", button("liquidHudAnimation.slide")},
        {"basic", confirmedReset("resetButton"), "advanced", confirmedReset("liquidReset")},
    };
    for (std::size_t i = 0; i < std::size(edits); ++i) {
        const auto& edit = edits[i];
        SCOPED_TRACE(::testing::Message() << "edit " << i + 1 << " of the table, on the " << edit.liquidTab << " tab");
        QByteArray stored[2];
        QStringList announced[2];
        bool enabled[2];
        int written[2];
        for (int liquid = 0; liquid < 2; ++liquid) {
            BrindotStyleManager::shared().setCurrentStyle(BrindotStyle());
            BrindotHUDManager::shared().setConfig(BrindotHUDConfig());
            masterSwitch::set(false);
            if (liquid)
                open(new LiquidGlassStyleLayout, QString::fromLatin1(edit.liquidTab));
            else
                open(new SystemStyleLayout, QString::fromLatin1(edit.plainTab));
            posted_.clear();
            const int before = writes();
            (liquid ? edit.liquid : edit.plain)(*this);
            QApplication::processEvents();
            stored[liquid] = storedRecords();
            announced[liquid] = posted_;
            enabled[liquid] = masterSwitch::get();
            written[liquid] = writes() - before;
        }
        EXPECT_EQ(stored[0], stored[1]);
        EXPECT_EQ(announced[0], announced[1]);
        EXPECT_EQ(enabled[0], enabled[1]);
        EXPECT_EQ(written[0], written[1]);
        EXPECT_GT(written[1], 0);
    }
}

// Values the liquid controls cannot produce are shown without being rewritten.
TEST_F(LiquidGlassPagesTest, LiquidHUDPageKeepsWhatItCannotShow)
{
    BrindotHUDConfig config;
    config.displayDuration = 2.5;
    config.animationType = AnimationType::bounce;
    config.contentTypes = {HUDContentType::typingCount, HUDContentType::inputMethod};
    BrindotHUDManager::shared().setConfig(config);
    BrindotStyle huge = BrindotStyleManager::shared().currentStyle();
    huge.size = 1e300;  // hand-edited
    BrindotStyleManager::shared().setCurrentStyle(huge);
    const int before = writes();
    open(new LiquidGlassStyleLayout, QStringLiteral("hud"));
    EXPECT_EQ(find<QLabel>(QStringLiteral("liquidHudDurationValue"))->text(), QStringLiteral("2秒"));
    EXPECT_EQ(find<QSlider>(QStringLiteral("liquidHudDuration"))->value(), 2) << "where the label says";
    openTab(QStringLiteral("style"));
    EXPECT_EQ(find<QSlider>(QStringLiteral("liquidSize"))->value(), 32) << "clamped, as the plain slider is";
    EXPECT_EQ(writes(), before);
    openTab(QStringLiteral("hud"));
    EXPECT_EQ(find<ui::SegmentedPicker>(QStringLiteral("liquidHudAnimation"))->selectedIndex(), -1);
    QTest::mouseClick(find<ui::CheckboxToggle>(QStringLiteral("liquidHudContent.battery"))->box(), Qt::LeftButton);
    QTest::mouseClick(find<ui::CheckboxToggle>(QStringLiteral("liquidHudContent.inputMethod"))->box(), Qt::LeftButton);
    const auto stored = BrindotHUDManager::shared().config();
    EXPECT_EQ(stored.contentTypes, (std::vector{HUDContentType::typingCount, HUDContentType::battery}));
    EXPECT_EQ(stored.animationType, AnimationType::bounce);
    EXPECT_EQ(stored.displayDuration, 2.5);
}

TEST_F(LiquidGlassPagesTest, StatusRowShowsWhereTheIndicatorIs)
{
    open(new LiquidGlassStyleLayout, QStringLiteral("basic"));
    click("liquidMasterSwitch");
    activate(*editor, *editor->first);
    world().runFor(0.5);
    QApplication::processEvents();
    const QPointF at = BrindotManager::shared().currentPosition();
    ASSERT_NE(int(at.x()), int(at.y())) << "a place that tells x from y";
    EXPECT_EQ(find<QLabel>(QStringLiteral("liquidPosition"))->text(),
              QStringLiteral("X: %1, Y: %2").arg(int(at.x())).arg(int(at.y())));
}

TEST_F(LiquidGlassPagesTest, FooterFollowsTheSwitchAndSummaryTruncates)
{
    LiquidGlassFooter footer;
    masterSwitch::set(true);
    EXPECT_EQ(footer.statusText(), QStringLiteral("运行中"));
    EXPECT_EQ(footer.statusColor(), LiquidGlassPalette::statusGreen());
    masterSwitch::set(false);
    EXPECT_EQ(footer.statusText(), QStringLiteral("已停止"));
    EXPECT_EQ(footer.statusColor(), LiquidGlassPalette::gray()) << "the dot turns grey";
    EXPECT_EQ(LiquidGlassPreviewInfoSection::pixelsText(12.9), QStringLiteral("12px"));
    EXPECT_EQ(LiquidGlassPreviewInfoSection::pixelsText(0.5), QStringLiteral("0px"));

    // The HUD rows show only while the HUD is on; 0 (never hide) reads "0秒".
    LiquidGlassPreviewInfoSection summary;
    auto* rows = summary.findChild<QWidget*>(QStringLiteral("liquidPreviewHudRows"));
    auto& hud = BrindotHUDManager::shared();
    BrindotHUDConfig c = hud.config();
    c.isEnabled = true;
    c.displayDuration = 0;
    hud.setConfig(c);
    EXPECT_FALSE(rows->isHidden());
    EXPECT_EQ(summary.findChild<QLabel*>(QStringLiteral("liquidPreviewHudDuration"))->text(), QStringLiteral("0秒"));
    c.isEnabled = false;
    hud.setConfig(c);
    EXPECT_TRUE(rows->isHidden());
}

}  // namespace
}  // namespace zorbel
