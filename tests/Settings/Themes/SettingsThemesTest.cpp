#include "Caret/CaretDesktopTest.h"
#include "Settings/SettingsDesktopTest.h"
#include "Shell/AutoStartupManager.h"
#include "Shell/ShellTest.h"
#include "Shell/StatusBarManager.h"
#include "Shell/UIStyleManager.h"
#include "Caret/Managers/BrindotManager.h"
#include "Caret/Managers/PermissionManager.h"
#include "Caret/Styles/BrindotStyleJson.h"
#include "Caret/Styles/BrindotStyleManager.h"
#include "Settings/MasterSwitch.h"
#include "Settings/Themes/FrostedGlass/FrostedGlassStyleLayout.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassOverlayView.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassStyleLayout.h"
#include "Settings/Themes/PermissionAlert/PermissionAlertView.h"
#include "Settings/Themes/Shared/GlassTitleBar.h"
#include "Settings/Themes/System/SystemStyleLayout.h"
#include "Settings/UnifiedTabLayout.h"
#include "Settings/Widgets/Controls.h"
#include "Shell/SettingsView.h"
#include "Shell/SettingsWindowController.h"
#include "Shell/UIStyleManager.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QSlider>
#include <QTest>

namespace zorbel {
namespace {

// Widgets found by their object names (the layouts are plain widget classes).
int count(QWidget* in, const char* name) { return int(in->findChildren<QWidget*>(QString::fromLatin1(name)).size()); }
QWidget* named(QWidget* in, const char* name) { return in->findChild<QWidget*>(QString::fromLatin1(name)); }

class SettingsThemesTest : public testing::SettingsDesktopTest {
public:
    QWidget* openWindow()
    {
        SettingsWindowController::showSettings();
        QApplication::processEvents();
        return SettingsWindowController::shared()->window();
    }
    void setTheme(UIStyle theme)
    {
        UIStyleManager::shared().setCurrentStyle(theme);
        deliver();
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Pages a theme switch replaced are gone before the test looks.
    void openTab(const QString& id)
    {
        SettingsDesktopTest::openTab(id);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QByteArray storedStyle() { return world().defaults.standard().dataForKey(QStringLiteral("BrindotStyle")).value_or(QByteArray()); }

};

TEST_F(SettingsThemesTest, ThemeSwitchOnAnOpenWindowLeavesOneLayoutPromptAndOverlay)
{
    desktop().setTrusted(false);
    setTheme(UIStyle::liquidGlass);
    QWidget* window = openWindow();
    for (UIStyle theme : {UIStyle::frostedGlass, UIStyle::system, UIStyle::liquidGlass, UIStyle::liquidGlass,
                          UIStyle::frostedGlass}) {
        SCOPED_TRACE(rawValue(theme).toStdString());
        setTheme(theme);
        const auto tabs = window->findChildren<UnifiedTabLayout*>();
        ASSERT_EQ(tabs.size(), 1);
        EXPECT_EQ(tabs[0]->selectedTab().id, QStringLiteral("basic"));
        EXPECT_EQ(count(window, "LiquidGlassStyleLayout"), theme == UIStyle::liquidGlass ? 1 : 0);
        EXPECT_EQ(count(window, "FrostedGlassStyleLayout"), theme == UIStyle::frostedGlass ? 1 : 0);
        EXPECT_EQ(count(window, "SystemStyleLayout"), theme == UIStyle::system ? 1 : 0);
        ASSERT_EQ(count(window, "PermissionAlertView"), 1);
        EXPECT_EQ(static_cast<PermissionAlertView*>(named(window, "PermissionAlertView"))->theme(), theme);
        EXPECT_EQ(count(window, "LiquidGlassOverlayView"), theme == UIStyle::liquidGlass ? 1 : 0);
    }
}

TEST_F(SettingsThemesTest, EachThemesConstantsReachItsWidgets)
{
    const struct {
        UIStyle theme;
        const char* bar;
        QString caption;
        QMargins padding;
    } looks[] = {
        {UIStyle::frostedGlass, "FrostedGlassTitleBar", QStringLiteral("磨砂玻璃风格"), {24, 18, 24, 18}},
        {UIStyle::liquidGlass, "LiquidGlassTitleBar", QStringLiteral("液态玻璃"), {20, 16, 20, 16}},
    };
    for (const auto& look : looks) {
        setTheme(look.theme);
        QWidget* window = openWindow();
        EXPECT_EQ(window->size(), UIStyleManager::shared().currentConfig().windowSize.toSize());
        auto* bar = named(window, look.bar);
        ASSERT_NE(bar, nullptr) << look.bar;
        EXPECT_EQ(bar->layout()->contentsMargins(), look.padding);
        bool captionShown = false;
        for (auto* label : bar->findChildren<QLabel*>()) captionShown |= label->text() == look.caption;
        EXPECT_TRUE(captionShown) << look.bar;
        SettingsWindowController::shared()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The liquid page switch has no header and sits 20 inside its glass tile.
    LiquidGlassTabContent unknown(UnifiedTab{QStringLiteral("x"), QStringLiteral("X"), {}, {}});
    EXPECT_EQ(unknown.page(), nullptr);
    EXPECT_EQ(unknown.layout()->contentsMargins(), QMargins(20, 20, 20, 20));
}

TEST_F(SettingsThemesTest, PromptRunsItsTwoActionsAndTheBackdropPutsItOff)
{
    for (UIStyle theme : {UIStyle::system, UIStyle::liquidGlass}) {
        int opened = 0, cancelled = 0;
        PermissionAlertView prompt(theme, [&] { ++opened; }, [&] { ++cancelled; });
        prompt.resize(1100, 680);
        prompt.show();
        EXPECT_EQ(prompt.card()->width(), 1100 - 80);
        EXPECT_EQ(prompt.openButton()->width(), prompt.laterButton()->width());
        QTest::mouseClick(prompt.openButton(), Qt::LeftButton);
        EXPECT_EQ(opened, 1);
        QTest::mouseClick(prompt.laterButton(), Qt::LeftButton);
        EXPECT_EQ(cancelled, 1);
        QTest::mouseClick(prompt.card(), Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(cancelled, 1) << "a click on the card is no answer";
        QTest::mouseClick(&prompt, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(cancelled, 2);
        EXPECT_EQ(opened, 1);
    }

    // In the window the open action leads to the desktop's accessibility settings.
    desktop().setTrusted(false);
    setTheme(UIStyle::frostedGlass);
    QWidget* window = openWindow();
    auto* prompt = static_cast<PermissionAlertView*>(named(window, "PermissionAlertView"));
    ASSERT_NE(prompt, nullptr);
    QTest::mouseClick(prompt->openButton(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(desktop().openedURLs, QStringList{QString::fromLatin1(PermissionManager::accessibilitySettingsURL)});
    EXPECT_EQ(count(window, "PermissionAlertView"), 0);
}

}  // namespace
}  // namespace zorbel
