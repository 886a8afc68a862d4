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
#include "Caret/Styles/PerfectCaretStyle.h"
#include "Features/InputMethodStyle/Managers/InputMethodStyleMapper.h"
#include "Settings/BasicSettingsContent.h"
#include "Settings/GlobalPreviewSection.h"
#include "Settings/PreviewGeometry.h"
#include "Settings/Themes/SettingsTabPages.h"
#include "Settings/Widgets/Panels.h"
#include "Settings/UnifiedTabLayout.h"
#include "Settings/Widgets/Controls.h"
#include "Settings/Themes/PermissionAlert/PermissionAlertView.h"
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
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QAbstractScrollArea>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

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

// A wheel turn as the window system delivers it to the widget under the
// pointer: spontaneous, so Qt hands it on to the parents that want it.
void wheelOver(QWidget* widget, int notches)
{
    const QPointF at = QRectF(widget->rect()).center();
    QWheelEvent turn(at, widget->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&turn);
    qApp->notify(widget, &turn);
}

QList<QWidget*> wheelableControls(QWidget* window)
{
    QList<QWidget*> found;
    for (auto* slider : window->findChildren<QAbstractSlider*>())
        if (!qobject_cast<QScrollBar*>(slider) && slider->isVisible()) found << slider;
    for (auto* combo : window->findChildren<QComboBox*>())
        if (combo->isVisible()) found << combo;
    return found;
}

int shownValue(QWidget* control)
{
    if (auto* slider = qobject_cast<QAbstractSlider*>(control)) return slider->value();
    return static_cast<QComboBox*>(control)->currentIndex();
}

QScrollBar* pageScrollBar(QWidget* control)
{
    for (QWidget* w = control; w; w = w->parentWidget())
        if (auto* scroll = qobject_cast<QAbstractScrollArea*>(w)) return scroll->verticalScrollBar();
    return nullptr;
}

TEST_F(SettingsWindowTest, OpeningEveryTabWheelingOverItsControlsAndClosingWritesAndPostsNothing)
{
    for (UIStyle theme : {UIStyle::system, UIStyle::frostedGlass, UIStyle::liquidGlass}) {
        UIStyleManager::shared().setCurrentStyle(theme);
        forget();
        const int before = writes();
        window()->show();
        int wheeled = 0, scrolled = 0;
        for (const auto& tab : UnifiedTab::all()) {
            openTab(tab.id);
            for (QWidget* control : wheelableControls(window())) {
                QScrollBar* page = pageScrollBar(control);
                ASSERT_NE(page, nullptr) << control->objectName().toStdString();
                const int value = shownValue(control), top = page->value();
                wheelOver(control, -1);
                EXPECT_EQ(shownValue(control), value) << control->objectName().toStdString();
                scrolled += page->value() > top;
                ++wheeled;
            }
        }
        EXPECT_GE(wheeled, 3);
        EXPECT_GE(scrolled, 3) << "the wheel scrolls the page instead";
        openTab(QStringLiteral("basic"));
        world().runFor(1.0);
        SettingsWindowController::shared()->close();
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(writes(), before) << int(theme);
        EXPECT_TRUE(posted_.isEmpty()) << posted_.join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(SettingsWindowTest, AControlTheUserPickedTakesTheWheel)
{
    QWidget* w = window();
    w->show();
    QApplication::setActiveWindow(w);
    openTab(QStringLiteral("style"));
    auto* size = find<QSlider>(QStringLiteral("sizeSlider"));
    const int before = size->value();
    size->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(size->hasFocus());
    wheelOver(size, 1);
    EXPECT_EQ(size->value(), before + 1);
    EXPECT_EQ(storedStyle().size, (before + 1) * 2);
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

TEST_F(SettingsWindowTest, TheFrameTheUserLeftIsStoredAndRestoredOnAScreen)
{
    QWidget* first = window();
    first->resize(950, 600);
    first->move(30, 40);
    first->close();
    EXPECT_EQ(world().defaults.standard().stringForKey("SettingsWindow"), QStringLiteral("30 40 950 600"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window()->frameGeometry().topLeft(), QPoint(30, 40));
    EXPECT_EQ(window()->size(), QSize(950, 600));

    // Two monitors side by side, the right one unplugged since.
    const QList<QRect> left{QRect(0, 0, 1920, 1080)};
    const QSize preferred(1100, 680), minimum(900, 560);
    const auto restored = [&](const QString& stored) {
        return SettingsWindowController::restoredFrame(stored, left, preferred, minimum);
    };
    const QRect centred(409, 199, 1100, 680);
    EXPECT_EQ(restored("2200 100 1000 700"), QRect(QPoint(459, 189), QSize(1000, 700))) << "centred in its own size";
    EXPECT_EQ(restored("1850 100 1000 700"), QRect(QPoint(459, 189), QSize(1000, 700))) << "too little left to grab";
    EXPECT_EQ(restored("1700 -10 1000 700"), QRect(1700, -10, 1000, 700)) << "its title bar can still be dragged";
    EXPECT_EQ(restored("100 100 10 10"), QRect(100, 100, 900, 560));
    for (const char* damaged : {"", "1 2 3", "a b c d", "0 0 0 500", "1 2 3 4 5"})
        EXPECT_EQ(restored(damaged), centred) << damaged;
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
    // Colours browsed in the chooser are not stored; Cancel brings back the
    // one it opened with, OK stores the last one once.
    auto* well = find<ui::ColorWell>(QStringLiteral("fillColor"));
    const BrindotColor opened = storedStyle().fillColor;
    const int before = writes();
    const auto browseAndClose = [&](QDialogButtonBox::StandardButton button) {
        QTest::mouseClick(well, Qt::LeftButton);
        QColorDialog* chooser = well->chooser();
        EXPECT_TRUE(chooser && chooser->isVisible());
        chooser->setCurrentColor(QColor::fromHsvF(0.3f, 1.0f, 1.0f, 0.2f));
        chooser->setCurrentColor(QColor::fromHsvF(0.0f, 1.0f, 1.0f, 0.5f));
        EXPECT_EQ(well->color().name(), QStringLiteral("#ff0000")) << "the well shows what is browsed";
        EXPECT_EQ(writes(), before);
        QTest::mouseClick(chooser->findChild<QDialogButtonBox*>()->button(button), Qt::LeftButton);
        EXPECT_FALSE(chooser->isVisible());
    };
    browseAndClose(QDialogButtonBox::Cancel);
    EXPECT_EQ(writes(), before);
    EXPECT_EQ(storedStyle().fillColor, opened);
    EXPECT_EQ(well->color(), platformColor(opened));
    browseAndClose(QDialogButtonBox::Ok);
    EXPECT_EQ(writes(), before + 2) << "the current style and the user's own, once each";
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

TEST_F(SettingsWindowTest, MasterSwitchIsStoredThenAnnouncedOncePerChange)
{
    auto& tray = StatusBarManager::shared();
    window();
    auto* master = find<QAbstractButton>(QStringLiteral("masterSwitch"));
    const bool was = tray.isBrindotEnabled();
    EXPECT_EQ(master->isChecked(), was);
    // Each announcement with the value stored when it was heard.
    std::vector<std::pair<bool, bool>> heard;
    auto token = world().notifications.addObserver(QStringLiteral("brindotToggleChanged"), [&](const platform::Notification& n) {
        heard.emplace_back(n.object.toBool(), suite().boolForKey(QStringLiteral("isBrindotEnabled")));
    });
    QTest::mouseClick(master, Qt::LeftButton);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0], std::make_pair(!was, !was)) << "stored before it is announced";
    EXPECT_EQ(tray.isBrindotEnabled(), !was);
    // A change made from the tray moves the switch and is announced too, once stored.
    tray.setIsBrindotEnabled(was);
    EXPECT_EQ(master->isChecked(), was);
    deliver();
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[1], std::make_pair(was, was));
    tray.setIsBrindotEnabled(was);  // unchanged: nothing new
    deliver();
    EXPECT_EQ(heard.size(), 2u);
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

    // Where the desktop has no accessibility settings, the prompt stays and says so.
    desktop().opensURLs = false;
    auto* prompt = find<PermissionAlertView>(QStringLiteral("PermissionAlertView"));
    QApplication::processEvents();
    QTest::mouseClick(prompt->openButton(), Qt::LeftButton);
    EXPECT_TRUE(permission.showPermissionAlert());
    EXPECT_TRUE(prompt->openFailure()->isVisible());
    EXPECT_TRUE(prompt->openFailure()->text().startsWith(QStringLiteral("此桌面没有可以打开的辅助功能设置")));
    desktop().opensURLs = true;
    QTest::mouseClick(prompt->openButton(), Qt::LeftButton);
    EXPECT_FALSE(permission.showPermissionAlert()) << "opened: the prompt goes";
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

TEST_F(SettingsWindowTest, TheMockHUDShowsWhatTheRealHUDShowsForEveryItem)
{
    auto& hud = BrindotHUDManager::shared();
    BrindotHUDConfig c = hud.config();
    c.contentTypes = {HUDContentType::inputMethod, HUDContentType::time, HUDContentType::battery,
                      HUDContentType::typingCount, HUDContentType::custom};
    c.contentStyle = HUDContentStyle::detailed;
    hud.setConfig(c);
    const auto items = hud.makeContentItems();
    ASSERT_EQ(items.size(), c.contentTypes.size());
    for (const auto& item : items) {
        const auto sample = preview::mockSample(item.type);
        EXPECT_EQ(sample.symbol, item.icon) << rawValue(item.type).toStdString();
        EXPECT_EQ(sample.label, item.title.value_or(QString())) << rawValue(item.type).toStdString();
    }
    EXPECT_EQ(preview::mockSample(HUDContentType::custom).value, items.back().value) << "the custom item's own text";
}

TEST_F(SettingsWindowTest, WhileInputMethodStylingIsOnTheColourRowsSaySoAndThePickedColourIsTheUsersOwn)
{
    auto& mapper = InputMethodStyleMapper::shared();
    auto& styles = BrindotStyleManager::shared();
    ASSERT_TRUE(mapper.config().enabled) << "on by default";
    styles.enableInputMethodStyle();
    const BrindotColor presetFill = styles.currentStyle().fillColor;
    for (UIStyle theme : {UIStyle::system, UIStyle::liquidGlass}) {
        UIStyleManager::shared().setCurrentStyle(theme);
        window()->show();
        openTab(QStringLiteral("style"));
        const auto notes = window()->findChildren<QLabel*>(QStringLiteral("inputMethodColoursNote"));
        ASSERT_EQ(notes.size(), 2) << "under the fill and the border colour";
        for (QLabel* note : notes) {
            EXPECT_TRUE(note->isVisible());
            EXPECT_EQ(note->text(), QStringLiteral("✓ 已启用 - brindot 样式会根据当前输入法自动切换"));
        }
        InputMethodStyleConfig off = mapper.config();
        off.enabled = false;
        mapper.setConfig(off);
        for (QLabel* note : notes) EXPECT_FALSE(note->isVisible()) << int(theme);
        off.enabled = true;
        mapper.setConfig(off);
        deliver();
        SettingsWindowController::shared()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A colour picked now is shown, and kept as the user's own for when styling goes off.
    window()->show();
    openTab(QStringLiteral("style"));
    auto* well = find<ui::ColorWell>(QStringLiteral("liquidFillColor"));
    emit well->colorPicked(QColor::fromRgbF(0.5f, 0.5f, 0.5f));
    EXPECT_NEAR(styles.currentStyle().fillColor.red, 0.5, 1e-3);
    const auto user = decodeBrindotStyle(*world().defaults.standard().dataForKey(QStringLiteral("BrindotUserStyle")));
    ASSERT_TRUE(user.ok());
    EXPECT_NEAR(user.value->fillColor.red, 0.5, 1e-3);
    styles.enableInputMethodStyle();
    EXPECT_EQ(styles.currentStyle().fillColor, presetFill) << "the input method's colour again";
    openTab(QStringLiteral("inputMethodStyle"));
    QTest::mouseClick(find<QAbstractButton>(QStringLiteral("inputMethodStyleSwitch")), Qt::LeftButton);
    deliver();
    QApplication::processEvents();
    deliver();
    EXPECT_FALSE(mapper.config().enabled);
    EXPECT_NEAR(styles.currentStyle().fillColor.red, 0.5, 1e-3) << "switched off, the user's colour is back";
    EXPECT_NEAR(storedStyle().fillColor.red, 0.5, 1e-3);
}

TEST_F(SettingsWindowTest, InputMethodNamesAreWholeFrom1100PxInEveryThemeAndElidedWithATipBelow)
{
    EXPECT_EQ(settingsLeftColumnWidth(900), 540);
    EXPECT_EQ(settingsLeftColumnWidth(1100), 680);
    EXPECT_EQ(settingsLeftColumnWidth(1600), 1030);
    const QStringList names{QStringLiteral("English (intl., with AltGr dead keys)"),
                            QStringLiteral("English (US, intl., with dead keys)"),
                            QStringLiteral("Serbian (Cyrillic, with guillemets)"), QStringLiteral("中文 (简体) - 拼音")};
    std::vector<platform::InputSourceProperties> sources;
    for (int i = 0; i < names.size(); ++i)
        sources.push_back(platform::SimulatedKeyboard::keyboardSource(QStringLiteral("source%1").arg(i), names[i]));
    world().keyboard.setSources(sources);
    world().keyboard.select(sources.front().id);
    for (UIStyle theme : {UIStyle::system, UIStyle::frostedGlass, UIStyle::liquidGlass}) {
        UIStyleManager::shared().setCurrentStyle(theme);
        QWidget* w = window();
        w->show();
        openTab(QStringLiteral("inputMethodStyle"));
        const auto shown = [&](int width) {
            w->resize(width, 680);
            QApplication::processEvents();
            const auto labels = w->findChildren<ui::ElidedLabel*>(QStringLiteral("inputMethodName"));
            EXPECT_EQ(labels.size(), names.size());
            return labels;
        };
        for (int width : {1100, 1400}) {
            for (ui::ElidedLabel* name : shown(width)) {
                EXPECT_FALSE(name->isElided()) << name->text().toStdString() << " at " << width << " in " << int(theme);
                EXPECT_TRUE(name->toolTip().isEmpty());
            }
        }
        int elided = 0;
        for (ui::ElidedLabel* name : shown(900)) {
            if (!name->isElided()) continue;
            ++elided;
            EXPECT_EQ(name->toolTip(), name->text()) << "the whole name where it is cut";
        }
        EXPECT_GT(elided, 0) << "the narrowest window cuts the longest names in " << int(theme);
        SettingsWindowController::shared()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
