#include "BrindotHUD/BrindotHUDManager.h"
#include "BrindotHUD/CustomBackground.h"
#include "BrindotHUD/HUDContentView.h"
#include "BrindotHUD/HUDWindow.h"
#include "Caret/CaretDesktopTest.h"
#include "Caret/Managers/BrindotManager.h"
#include "Platform/PowerSource.h"
#include "Platform/Simulated/SimulatedKeyboard.h"

#include <QFile>
#include <QPointer>
#include <QTemporaryDir>

using namespace zorbel;

class HUDManagerTest : public zorbel::testing::CaretDesktopTest {
protected:
    void SetUp() override
    {
        CaretDesktopTest::SetUp();
        world().extra.powerSource = &power;
        world().install();
        world().defaults.memorySuite("quellan.brindot").setBool("isBrindotEnabled", true);
    }
    // The indicator up on the editor's first field, and the HUD manager following it.
    BrindotHUDManager& start(const BrindotHUDConfig& config = {})
    {
        store(config);
        BrindotManager::shared();
        auto& hud = BrindotHUDManager::shared();
        activate(*editor, *editor->first);
        // Past the tracker's own announcement of the switch (and the panel it brings).
        world().runFor(0.5);
        return hud;
    }
    void store(const BrindotHUDConfig& c) { world().defaults.standard().setData("BrindotHUDConfig", *encodeJson(c).value); }
    void functionKey() { world().notifications.post("functionKeyEvent", {}, {{"source", "mouseClick"}}); }
    QPointF indicator() { return BrindotManager::shared().currentPosition(); }
    platform::SimulatedPowerSource power;
};

TEST_F(HUDManagerTest, UnreadableRecordFallsBackAndKeepsItsBytesUntilASettingChanges)
{
    world().defaults.standard().setData("BrindotHUDConfig", R"({"isEnabled":false})");
    auto& hud = BrindotHUDManager::shared();
    EXPECT_EQ(hud.config(), BrindotHUDConfig::defaultConfig());
    EXPECT_EQ(world().console.linesStartingWith("[BrindotHUDManager] Failed to load HUD config: ").size(), 1);
    EXPECT_EQ(*world().defaults.standard().dataForKey("BrindotHUDConfig"), QByteArray(R"({"isEnabled":false})"));
    auto c = hud.config();
    c.offset = 30;
    hud.setConfig(c);
    EXPECT_EQ(*decodeBrindotHUDConfig(*world().defaults.standard().dataForKey("BrindotHUDConfig")).value, c);
}

TEST_F(HUDManagerTest, FunctionKeyShowsOnePanelBesideTheIndicatorThatHidesAfterItsTime)
{
    BrindotHUDConfig c;
    c.displayDuration = 2.5;
    c.animationType = AnimationType::none;
    auto& hud = start(c);
    functionKey();
    functionKey();
    world().runFor(0.05);
    ASSERT_NE(hud.hudWindow(), nullptr);
    const QRectF frame = hud.hudWindow()->frame();
    EXPECT_DOUBLE_EQ(frame.center().x(), indicator().x());
    EXPECT_DOUBLE_EQ(frame.y(), indicator().y() + 20);
    EXPECT_TRUE(hud.hudWindow()->isVisible());
    EXPECT_FALSE(hud.hudWindow()->isActiveWindow());
    world().runFor(2.4);
    EXPECT_NE(hud.hudWindow(), nullptr);
    world().runFor(0.2);
    EXPECT_EQ(hud.hudWindow(), nullptr);
}

// A settings change rebuilds the panel where the indicator is, and switching
// the HUD off takes the panel away.
TEST_F(HUDManagerTest, SettingsChangesReShowAtTheAnchorAndSwitchingOffHides)
{
    BrindotHUDConfig c;
    c.animationType = AnimationType::none;
    auto& hud = start(c);
    functionKey();
    world().runFor(0.05);
    const QRectF before = hud.hudWindow()->frame();
    hud.setConfig(hud.config());
    hud.setConfig(hud.config());
    ASSERT_NE(hud.hudWindow(), nullptr);
    EXPECT_EQ(hud.hudWindow()->frame(), before);

    auto off = hud.config();
    off.isEnabled = false;
    hud.setConfig(off);
    EXPECT_EQ(hud.hudWindow(), nullptr);
    world().runFor(0.1);
    functionKey();
    world().runFor(0.1);
    EXPECT_EQ(hud.hudWindow(), nullptr);
}

TEST_F(HUDManagerTest, EveryShowAnimationEndsAtTheConfiguredOpacity)
{
    for (const AnimationType type : allCases<AnimationType>()) {
        BrindotHUDConfig c;
        c.animationType = type;
        c.opacity = 0.6;
        auto& hud = start(c);
        functionKey();
        world().runFor(0.05);
        ASSERT_NE(hud.hudWindow(), nullptr);
        const QSizeF size = hud.hudWindow()->contentSize();
        const QRectF placed(hud.hudWindow()->origin(indicator(), size), size);
        world().runFor(0.5);
        EXPECT_DOUBLE_EQ(hud.hudWindow()->alpha(), 0.6) << rawValue(type).toStdString();
        EXPECT_EQ(hud.hudWindow()->frame(), placed) << rawValue(type).toStdString();
        EXPECT_FALSE(hud.hudWindow()->isAnimating());
        QPointer<HUDWindow> leaving = hud.hudWindow();
        hud.hideHUD();
        world().runFor(0.5);
        EXPECT_TRUE(leaving.isNull()) << "a hidden panel is released after its animation";
        resetSharedInstances();
    }
}

TEST_F(HUDManagerTest, CapsLockChangesPostAndADoubleTapTogglesTheHUD)
{
    BrindotHUDConfig c;
    c.animationType = AnimationType::none;
    auto& hud = start(c);
    int posted = 0;
    auto token = world().notifications.addObserver("functionKeyEvent", [&](const auto& n) {
        if (n.userInfo.value("source") == "capsLock") ++posted;
    });
    mouse().changeFlags({.capsLock = true});
    world().runFor(0.3);
    mouse().changeFlags({.capsLock = false});
    EXPECT_EQ(posted, 1);
    EXPECT_FALSE(hud.config().isEnabled);
    EXPECT_EQ(hud.hudWindow(), nullptr);
    world().runFor(1.0);
    mouse().changeFlags({.capsLock = true});
    EXPECT_EQ(posted, 1) << "nothing is posted while the HUD is off";
    world().runFor(0.2);
    mouse().changeFlags({.capsLock = false});
    EXPECT_TRUE(hud.config().isEnabled);
    EXPECT_NE(hud.hudWindow(), nullptr) << "switching on shows the HUD";
}

TEST_F(HUDManagerTest, ItemsFollowTheContentStyleAndAMachineWithoutBatteryShowsNoCharge)
{
    BrindotHUDConfig c;
    c.contentStyle = HUDContentStyle::simple;
    c.contentTypes = {HUDContentType::battery, HUDContentType::typingCount, HUDContentType::custom, HUDContentType::battery};
    auto& hud = start(c);
    auto items = hud.makeContentItems();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].value, QStringLiteral("—"));
    EXPECT_FALSE(items[0].title.has_value());
    EXPECT_EQ(items[1].value, QStringLiteral("0"));
    EXPECT_EQ(items[2].value, QStringLiteral("Brindot"));
    power.sources = std::vector<platform::PowerSourceDescription>{{QStringLiteral("BAT0"), 15, 5400}};
    EXPECT_EQ(hud.makeContentItems()[0].value, QStringLiteral("15%"));
}

TEST_F(HUDManagerTest, FallbackPositionAvoidsScreenEdges)
{
    auto& hud = start();
    desktop().setMouseLocation(QPointF(30, 500));
    EXPECT_EQ(hud.bestDisplayPosition(), QPointF(960, 540 + 0.15 * 1080));
    desktop().setMouseLocation(QPointF(300, 500));
    EXPECT_EQ(hud.bestDisplayPosition(), QPointF(300, 500));
}

TEST_F(HUDManagerTest, CustomBackgroundIsDecodedOncePerFileAndWarnsOnceWhenUnreadable)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("bg.png"), bad = dir.filePath("bad.png");
    QImage(40, 20, QImage::Format_ARGB32).save(good);
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a picture");
    f.close();
    BrindotHUDConfig c;
    c.style = HUDStyle::custom;
    c.customBackgroundPath = good;
    HUDContentView view({}, c);
    view.resize(120, 60);
    for (int i = 0; i < 3; ++i) view.grab();
    EXPECT_EQ(CustomBackground::shared().decodeCount(), 1);

    c.customBackgroundPath = bad;
    HUDContentView broken({}, c);
    broken.resize(120, 60);
    const QImage shot = broken.grab().toImage();
    broken.grab();
    EXPECT_EQ(CustomBackground::shared().decodeCount(), 2);
    EXPECT_EQ(world().log.linesContaining("cannot be shown").size(), 1);
    EXPECT_GT(qAlpha(shot.pixel(60, 30)), 200) << "the plain background fills the outline";
}

TEST_F(HUDManagerTest, InputSourceSwitchesPostOnceForEachNewNameAndShowTheHUD)
{
    auto& keyboard = world().keyboard;
    keyboard.addSource(platform::SimulatedKeyboard::keyboardSource("us", "English (US)"));
    keyboard.addSource(platform::SimulatedKeyboard::keyboardSource("de", "German"));
    keyboard.setCapsLock(true);
    BrindotHUDConfig c;
    c.animationType = AnimationType::none;
    auto& hud = start(c);
    EXPECT_TRUE(hud.lastCapsLockState()) << "Caps Lock pairing starts from the keyboard's state";
    QStringList posted;
    auto token = world().notifications.addObserver("functionKeyEvent", [&](const auto& n) {
        if (n.userInfo.value("source") == "inputMethodSwitch") posted << n.userInfo.value("inputMethod").toString();
    });
    keyboard.select("us");
    world().runFor(0.05);
    keyboard.select("de");
    world().runFor(0.3);
    keyboard.select("us");
    keyboard.select("de");
    world().runFor(0.3);
    EXPECT_EQ(posted, (QStringList{"English (US)", "German"})) << "a burst within 200 ms ends with its latest state";
    keyboard.select("de");
    world().runFor(0.3);
    EXPECT_EQ(posted.size(), 2) << "the same input method again posts nothing";
    ASSERT_NE(hud.hudWindow(), nullptr);
    const auto& items = hud.hudWindow()->contentItems();
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items[0].value, QStringLiteral("German"));
    EXPECT_EQ(items[0].capsLockOn, std::optional<bool>(true));
}
