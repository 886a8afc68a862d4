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
#include "Settings/Themes/Shared/WindowFrame.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassFooter.h"
#include "Settings/Widgets/SettingsText.h"
#include "Caret/Styles/PerfectCaretStyle.h"
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

// Every theme's frame, chrome and texts come from its row of the table.
TEST_F(SettingsThemesTest, EachThemesConstantsReachItsWidgets)
{
    const struct {
        UIStyle theme;
        const char* layout;
        double cornerRadius;
        QString caption;
        double captionAlpha;  // of the primary colour's
    } looks[] = {
        {UIStyle::system, "SystemStyleLayout", 8, QStringLiteral("系统风格"), 0.55},
        {UIStyle::frostedGlass, "FrostedGlassStyleLayout", 12, QStringLiteral("磨砂玻璃风格"), 0.5},
        {UIStyle::liquidGlass, "LiquidGlassStyleLayout", 16, QStringLiteral("液态玻璃"), 0.55},
    };
    const double primaryAlpha = ui::primaryColor().alphaF();
    for (const auto& look : looks) {
        SCOPED_TRACE(rawValue(look.theme).toStdString());
        const UIStyleConfig row = UIStyleConfig::config(look.theme);
        setTheme(look.theme);
        QWidget* window = openWindow();
        EXPECT_EQ(window->size(), QSize(1100, 680)) << "every theme opens at the same size";
        const WindowChrome chrome = SettingsWindowController::shared()->currentChrome();
        EXPECT_EQ(chrome.opaque, look.theme == UIStyle::system);
        if (look.theme != UIStyle::frostedGlass) {
            EXPECT_EQ(chrome.backgroundColor, platformColor(row.backgroundColor));
        }

        auto* frame = named(named(window, look.layout), "WindowFrameOverlay");
        ASSERT_NE(frame, nullptr);
        const WindowFrameLook& f = static_cast<WindowFrameOverlay*>(frame)->look();
        EXPECT_EQ(f.cornerRadius, look.cornerRadius);
        if (look.theme == UIStyle::liquidGlass) {
            EXPECT_EQ(f.outlineColor.alpha(), 0) << "the animated border is its outline";
        } else {
            EXPECT_EQ(f.outlineColor, platformColor(row.borderColor));
            EXPECT_EQ(f.outlineWidth, row.borderWidth);
        }
        if (look.theme == UIStyle::system) {
            EXPECT_TRUE(f.shadows.empty());
        } else {
            ASSERT_FALSE(f.shadows.empty());
            EXPECT_EQ(f.shadows.front().radius, row.shadowRadius);
            EXPECT_NEAR(f.shadows.front().color.alphaF(), platformColor(row.shadowColor).alphaF() * row.shadowOpacity,
                        0.01);
        }
        // The caption's opacity is applied once.
        QLabel* caption = nullptr;
        for (auto* label : window->findChildren<QLabel*>())
            if (label->text() == look.caption) caption = label;
        ASSERT_NE(caption, nullptr);
        EXPECT_NEAR(caption->palette().color(QPalette::WindowText).alphaF(), look.captionAlpha * primaryAlpha, 0.01);
        SettingsWindowController::shared()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    LiquidGlassFooter footer;
    EXPECT_NEAR(footer.findChild<QLabel*>()->palette().color(QPalette::WindowText).alphaF(), 0.44 * primaryAlpha, 0.01);
    // The liquid page switch has no header and sits 20 inside its glass tile.
    LiquidGlassTabContent unknown(UnifiedTab{QStringLiteral("x"), QStringLiteral("X"), {}, {}});
    EXPECT_EQ(unknown.page(), nullptr);
    EXPECT_EQ(unknown.layout()->contentsMargins(), QMargins(20, 20, 20, 20));
}

// Where nothing blurs behind the window its glass lies on an opaque pane;
// where the compositor blurs, the window stays translucent and asks for it.
TEST_F(SettingsThemesTest, GlassIsTranslucentOnlyOverABlurredDesktop)
{
    setTheme(UIStyle::frostedGlass);
    for (bool compositing : {false, true})
        for (bool blur : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "compositing " << compositing << ", blur " << blur);
            desktop().setCompositing(compositing);
            desktop().blursBehind = blur;
            desktop().blurRequests.clear();
            QWidget* window = openWindow();
            const bool blurred = compositing && blur;
            EXPECT_EQ(window->testAttribute(Qt::WA_TranslucentBackground), blurred);
            EXPECT_EQ(desktop().blurRequests, blurred ? std::vector<std::uint64_t>{quint64(window->winId())}
                                                      : std::vector<std::uint64_t>{});
            SettingsWindowController::shared()->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
}

// The glass frames cast their shadows into room kept round them inside the
// window, and what the columns draw stays within the rounded corners.
TEST_F(SettingsThemesTest, GlassFramesClipTheirCornersAndShadeTheRoomBelow)
{
    for (UIStyle theme : {UIStyle::frostedGlass, UIStyle::liquidGlass}) {
        SCOPED_TRACE(rawValue(theme).toStdString());
        setTheme(theme);
        QWidget* window = openWindow();
        auto* frame = static_cast<WindowFrameOverlay*>(named(window, "WindowFrameOverlay"));
        ASSERT_NE(frame, nullptr);
        const QRect f = frame->frameRect().toRect();
        ASSERT_GT(window->height() - f.bottom(), 10) << "room below the frame for its shadow";
        const QImage shot = window->grab().toImage();
        const auto lightness = [&](QPoint at) { return QColor(shot.pixel(at)).lightness(); };
        const QPoint clear(2, 2);  // beyond the shadow's reach
        EXPECT_LT(lightness({f.center().x(), f.bottom() + 4}), lightness({f.center().x(), 2}) - 3) << "shadow below";
        // Just inside the frame's corner square, outside its rounded corner.
        EXPECT_LE(std::abs(lightness(f.topLeft() + QPoint(1, 1)) - lightness(clear)), 2) << "corner clipped";
        EXPECT_LE(std::abs(lightness(f.topRight() + QPoint(-1, 1)) - lightness(QPoint(window->width() - 3, 2))), 2);
        const int r = int(frame->look().cornerRadius);
        EXPECT_GT(lightness(f.bottomRight() - QPoint(r - 3, r - 3)), 200) << "the glass inside the corner stays";
        SettingsWindowController::shared()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(SettingsThemesTest, PromptRunsItsTwoActionsAndTheBackdropPutsItOff)
{
    for (UIStyle theme : {UIStyle::system, UIStyle::liquidGlass}) {
        int opened = 0, cancelled = 0;
        PermissionAlertView prompt(theme, [&] { ++opened; }, [&] { ++cancelled; });
        prompt.resize(1100, 680);
        prompt.show();
        // The glass look writes white on its tinted card; the plain one the desktop's text colour.
        QLabel* title = nullptr;
        for (auto* label : prompt.findChildren<QLabel*>())
            if (label->text() == QStringLiteral("需要辅助功能权限")) title = label;
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->palette().color(QPalette::WindowText),
                  theme == UIStyle::system ? ui::primaryColor() : QColor(Qt::white));
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
