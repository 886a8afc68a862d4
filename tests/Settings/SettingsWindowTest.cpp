#include "BrindotHUD/BrindotHUDManager.h"
#include "Settings/SettingsDesktopTest.h"
#include "Caret/CaretDesktopTest.h"
#include "Shell/ShellTest.h"
#include "Shell/StatusBarManager.h"
#include "Shell/UIStyleManager.h"
#include "Shell/AutoStartupManager.h"
#include "Shell/AutoStartupStatusView.h"
#include "Caret/Core/ConfigManager.h"
#include "Caret/Managers/BrindotManager.h"
#include "Caret/Managers/PermissionManager.h"
#include "Caret/Styles/BrindotStyleJson.h"
#include "Caret/Styles/BrindotStyleManager.h"
#include "Features/InputMethodStyle/Managers/InputMethodStyleMapper.h"
#include "Settings/BasicSettingsContent.h"
#include "Settings/GlobalPreviewSection.h"
#include "Settings/UnifiedTabLayout.h"
#include "Settings/Widgets/Controls.h"
#include "Shell/PermissionStatusView.h"
#include "Shell/SettingsView.h"
#include "Shell/SettingsWindowController.h"
#include "Shell/UIStyleManager.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QSlider>
#include <QTest>

using namespace zorbel;

namespace {
// What a page changed: settings writes and notifications.
struct Traffic {
    int writes = 0;
    QStringList posted;
};
}  // namespace

class SettingsWindowTest : public zorbel::testing::SettingsDesktopTest {
protected:
    Traffic traffic() { return {writes(), posted_}; }
    void forget() { posted_.clear(); }

    QWidget* window()
    {
        SettingsWindowController::showSettings();
        return SettingsWindowController::shared()->window();
    }
    BrindotStyle storedStyle()
    {
        return *decodeBrindotStyle(*world().defaults.standard().dataForKey(QStringLiteral("BrindotStyle"))).value;
    }

};

TEST_F(SettingsWindowTest, OpeningEveryTabAndClosingWritesAndPostsNothing)
{
    const int before = writes();
    window()->show();
    for (const auto& tab : UnifiedTab::all()) openTab(tab.id);
    openTab(QStringLiteral("basic"));
    world().runFor(1.0);
    SettingsWindowController::shared()->close();
    QApplication::processEvents();
    EXPECT_EQ(writes(), before);
    EXPECT_TRUE(posted_.isEmpty()) << posted_.join(QLatin1Char(' ')).toStdString();
}

TEST_F(SettingsWindowTest, OneWindowAtATimeAndAFreshOneAfterClosing)
{
    QWidget* first = window();
    EXPECT_EQ(window(), first);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Zorbel 设置"));
    EXPECT_EQ(first->size(), QSize(1100, 680));
    EXPECT_FALSE(first->testAttribute(Qt::WA_ShowWithoutActivating));
    QPointer<QWidget> gone = first;
    first->close();
    EXPECT_EQ(SettingsWindowController::shared(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());
    QWidget* second = window();
    EXPECT_NE(second, nullptr);
    auto* tabs = second->findChild<UnifiedTabLayout*>();
    EXPECT_EQ(tabs->selectedTab().id, QStringLiteral("basic"));
}

TEST_F(SettingsWindowTest, StyleEditsAssignTheWholeStyleOncePerAction)
{
    window();
    openTab(QStringLiteral("style"));
    auto& manager = BrindotStyleManager::shared();
    BrindotStyle edited = manager.currentStyle();
    edited.position.horizontalOffset = 7;
    manager.setCurrentStyle(edited);
    forget();

    find<QSlider>(QStringLiteral("sizeSlider"))->setValue(12);  // a user drag ends at 24
    EXPECT_EQ(storedStyle().size, 24);
    EXPECT_EQ(find<QLabel>(QStringLiteral("sizeValue"))->text(), QStringLiteral("24"));
    QTest::mouseClick(find<QAbstractButton>(QStringLiteral("shape.triangle")), Qt::LeftButton);
    QTest::mouseClick(find<QAbstractButton>(QStringLiteral("position.bottomLeft")), Qt::LeftButton);
    const BrindotStyle s = storedStyle();
    EXPECT_EQ(s.shape, BrindotShape::triangle);
    EXPECT_EQ(s.position.relativePosition, BrindotRelativePosition::bottomLeft);
    EXPECT_EQ(s.position.horizontalOffset, 7);  // the rest of the record is kept
    EXPECT_EQ(s.position.alignment, BrindotAlignment::center);
    EXPECT_EQ(posted_.count(QStringLiteral("BrindotStyleChanged")), 3);

    QTest::mouseClick(find<QAbstractButton>(QStringLiteral("preset.1")), Qt::LeftButton);
    EXPECT_EQ(manager.currentStyle().shape, BrindotShape::circle);
    EXPECT_EQ(manager.currentStyle().size, 14);
    // The preset has no border: its rows go; the offsets show 0px.
    QApplication::processEvents();
    EXPECT_FALSE(find<QWidget>(QStringLiteral("borderWidthSlider"))->isVisible());
    EXPECT_EQ(find<QLabel>(QStringLiteral("horizontalOffsetValue"))->text(), QStringLiteral("0px"));
}

TEST_F(SettingsWindowTest, ShowingStoredValuesNeverWritesThemBack)
{
    auto& manager = BrindotStyleManager::shared();
    BrindotStyle odd = manager.currentStyle();
    odd.size = 15;
    odd.borderWidth = 3.6;
    odd.position.horizontalOffset = 1e300;  // hand-edited
    odd.position.verticalOffset = std::nan("");
    manager.setCurrentStyle(odd);
    const int before = writes();
    window();
    openTab(QStringLiteral("style"));
    EXPECT_EQ(writes(), before);
    EXPECT_EQ(find<QLabel>(QStringLiteral("sizeValue"))->text(), QStringLiteral("15"));
    EXPECT_EQ(find<QLabel>(QStringLiteral("borderWidthValue"))->text(), QStringLiteral("3"));
    EXPECT_EQ(find<QLabel>(QStringLiteral("horizontalOffsetValue"))->text(), QStringLiteral("9223372036854775807px"));
    EXPECT_EQ(find<QLabel>(QStringLiteral("verticalOffsetValue"))->text(), QStringLiteral("0px"));
    EXPECT_EQ(find<QSlider>(QStringLiteral("horizontalOffsetSlider"))->value(), 50);
}

TEST_F(SettingsWindowTest, FillBorderAndBlinkingControls)
{
    window();
    openTab(QStringLiteral("style"));
    auto* fill = find<ui::CheckboxToggle>(QStringLiteral("fillEnabled"));
    QTest::mouseClick(fill->box(), Qt::LeftButton);
    EXPECT_FALSE(storedStyle().fillEnabled);
    QApplication::processEvents();
    EXPECT_FALSE(find<QWidget>(QStringLiteral("fillColor"))->isVisible());
    QTest::mouseClick(fill->box(), Qt::LeftButton);
    auto* well = find<ui::ColorWell>(QStringLiteral("fillColor"));
    QTest::mouseClick(well, Qt::LeftButton);
    ASSERT_NE(well->chooser(), nullptr);
    well->chooser()->setCurrentColor(QColor::fromHsvF(0.0f, 1.0f, 1.0f, 0.5f));
    const BrindotColor stored = storedStyle().fillColor;
    EXPECT_NEAR(stored.red, 1.0, 1e-3);
    EXPECT_NEAR(stored.green, 0.0, 1e-3);
    EXPECT_NEAR(stored.alpha, 0.5, 1e-2);
    forget();
    auto* blinking = find<QAbstractButton>(QStringLiteral("blinkingSwitch"));
    const bool was = ConfigManager::shared().enableBlinking();
    QTest::mouseClick(blinking, Qt::LeftButton);
    EXPECT_EQ(ConfigManager::shared().enableBlinking(), !was);
    EXPECT_EQ(posted_, QStringList{QStringLiteral("configChanged")});
}

TEST_F(SettingsWindowTest, MasterSwitchAnnouncesEveryChangeOnce)
{
    auto& tray = StatusBarManager::shared();
    window();
    auto* master = find<QAbstractButton>(QStringLiteral("masterSwitch"));
    const bool was = tray.isBrindotEnabled();
    EXPECT_EQ(master->isChecked(), was);
    std::vector<QVariant> values;
    auto token = world().notifications.addObserver(QStringLiteral("brindotToggleChanged"),
                                                   [&](const platform::Notification& n) { values.push_back(n.object); });
    QTest::mouseClick(master, Qt::LeftButton);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].toBool(), !was);
    EXPECT_EQ(tray.isBrindotEnabled(), !was);
    EXPECT_EQ(ConfigManager::shared().isBrindotEnabled(), !was);
    // A change made from the tray moves the switch and is announced too.
    tray.setIsBrindotEnabled(was);
    EXPECT_EQ(master->isChecked(), was);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[1].toBool(), was);
    tray.setIsBrindotEnabled(was);  // unchanged: nothing new
    EXPECT_EQ(values.size(), 2u);
}

TEST_F(SettingsWindowTest, AThemeChangeRebuildsTheLayoutOnTheBasicTab)
{
    UIStyleManager::shared().setCurrentStyle(UIStyle::system);
    window();
    openTab(QStringLiteral("style"));
    auto* view = SettingsWindowController::shared()->view();
    QWidget* before = view->layoutWidget();
    UIStyleManager::shared().setCurrentStyle(UIStyle::system);  // the same theme: kept
    EXPECT_EQ(view->layoutWidget(), before);
    UIStyleManager::shared().setCurrentStyle(UIStyle::frostedGlass);
    EXPECT_NE(view->layoutWidget(), before);
    EXPECT_EQ(view->theme(), UIStyle::frostedGlass);
    EXPECT_EQ(view->layoutWidget()->findChild<UnifiedTabLayout*>()->selectedTab().id, QStringLiteral("basic"));
    EXPECT_EQ(find<AutoStartupStatusView>(QStringLiteral("AutoStartupStatusView"))->text(), QStringLiteral("开机自启动"));
}

TEST_F(SettingsWindowTest, ResetAsksFirstAndRestoresTheDefaultStyleAndHUD)
{
    auto& manager = BrindotStyleManager::shared();
    manager.applyPresetStyle(PresetStyle::wholeStyles()[2]);
    BrindotHUDConfig changedHUD = BrindotHUDConfig::defaultConfig();
    changedHUD.isEnabled = !changedHUD.isEnabled;
    BrindotHUDManager::shared().setConfig(changedHUD);
    window();
    auto* section = SettingsWindowController::shared()->window()->findChild<ResetDefaultSection*>();
    QTest::mouseClick(find<QAbstractButton>(QStringLiteral("resetButton")), Qt::LeftButton);
    ASSERT_NE(section->confirmation(), nullptr);
    EXPECT_EQ(manager.currentStyle().shape, BrindotShape::triangle);
    section->confirmation()->findChild<QAbstractButton*>(QStringLiteral("resetCancel"))->click();
    EXPECT_EQ(manager.currentStyle().shape, BrindotShape::triangle);
    QTest::mouseClick(find<QAbstractButton>(QStringLiteral("resetButton")), Qt::LeftButton);
    section->confirmation()->findChild<QAbstractButton*>(QStringLiteral("resetConfirm"))->click();
    EXPECT_EQ(storedStyle().shape, BrindotShape::circle);
    EXPECT_EQ(storedStyle().position.relativePosition, BrindotRelativePosition::topRight);
    EXPECT_EQ(BrindotHUDManager::shared().config().isEnabled, BrindotHUDConfig::defaultConfig().isEnabled);
    EXPECT_EQ(world().console.count(QStringLiteral("[ResetDefaultSection] 已恢复默认设置")), 1);
}

TEST_F(SettingsWindowTest, StatusShowsVisibilityAndTruncatedPosition)
{
    EXPECT_EQ(StatusSection::positionText(QPointF(812.7, -3.9)), QStringLiteral("(812, -3)"));
    window();
    EXPECT_EQ(find<QLabel>(QStringLiteral("visibilityWord"))->text(), QStringLiteral("隐藏中"));
    EXPECT_EQ(find<QLabel>(QStringLiteral("positionText"))->text(), QStringLiteral("(0, 0)"));
}

TEST_F(SettingsWindowTest, PermissionBadgeAndPrompt)
{
    // Granted, but the manager's first check has not come back yet: opening
    // the window must not raise the prompt.
    resetSharedInstances();
    BrindotManager::shared();
    auto& permission = PermissionManager::shared();
    EXPECT_FALSE(permission.hasAccessibilityPermission());
    window();
    EXPECT_FALSE(permission.showPermissionAlert());
    auto* badge = find<PermissionStatusView>(QStringLiteral("PermissionStatusView"));
    EXPECT_EQ(badge->text(), QStringLiteral("已授权"));
    EXPECT_FALSE(badge->testAttribute(Qt::WA_SetCursor));
    QTest::mouseClick(badge, Qt::LeftButton);
    EXPECT_TRUE(desktop().openedURLs.isEmpty());

    desktop().setTrusted(false);
    permission.updatePermissionStatus(false);
    EXPECT_EQ(badge->text(), QStringLiteral("未授权"));
    EXPECT_EQ(badge->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(badge, Qt::LeftButton);
    EXPECT_EQ(desktop().openedURLs.size(), 1);
    SettingsWindowController::shared()->close();
    window();
    EXPECT_TRUE(permission.showPermissionAlert());
}

TEST_F(SettingsWindowTest, PreviewFollowsTheStyle)
{
    window();
    auto* preview = find<BrindotGlobalPreview>(QStringLiteral("BrindotGlobalPreview"));
    auto& manager = BrindotStyleManager::shared();
    BrindotStyle s = manager.currentStyle();
    s.size = 30;
    manager.setCurrentStyle(s);
    EXPECT_EQ(preview->shownStyle().size, 30);
    EXPECT_EQ(find<QLabel>(QStringLiteral("previewSize"))->text(), QStringLiteral("尺寸: 30px"));

    // HUD edits move, reshape and hide the mock HUD and update the summary.
    auto& hud = BrindotHUDManager::shared();
    BrindotHUDConfig c = hud.config();
    c.isEnabled = true;
    c.position = HUDPosition::top;
    hud.setConfig(c);
    const QRectF above = *preview->mockHUDRect();
    EXPECT_LT(above.center().y(), preview->height() / 2.0);
    c.position = HUDPosition::bottom;
    c.layout = HUDLayout::horizontal;
    hud.setConfig(c);
    const QRectF below = *preview->mockHUDRect();
    EXPECT_GT(below.center().y(), preview->height() / 2.0);
    EXPECT_LT(above.bottom(), below.top());
    EXPECT_GE(below.width(), 200);
    EXPECT_EQ(find<QLabel>(QStringLiteral("previewHudState"))->text(), QStringLiteral("已启用"));
    c.isEnabled = false;
    hud.setConfig(c);
    EXPECT_FALSE(preview->mockHUDRect());
    EXPECT_EQ(find<QLabel>(QStringLiteral("previewHudState"))->text(), QStringLiteral("已禁用"));
    EXPECT_TRUE(find<QLabel>(QStringLiteral("previewHudShape"))->isHidden());
}
