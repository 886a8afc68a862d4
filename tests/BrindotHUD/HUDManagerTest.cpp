#include "BrindotHUD/BrindotHUDManager.h"
#include "BrindotHUD/CustomBackground.h"
#include "BrindotHUD/HUDContentView.h"
#include "BrindotHUD/HUDWindow.h"
#include "Caret/CaretDesktopTest.h"
#include "Caret/Managers/BrindotManager.h"
#include "Platform/PowerSource.h"
#include "Platform/Services.h"
#include "Platform/Simulated/SimulatedKeyboard.h"

#include <QApplication>
#include <QEnterEvent>
#include <QScreen>
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
    static int shownPanels()
    {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            const auto* panel = dynamic_cast<HUDWindow*>(w);
            n += panel && panel->isOnScreen();
        }
        return n;
    }
    platform::SimulatedPowerSource power;
};

// A record that does not decode, or is too large to be read at all, gives one
// message and the defaults; its bytes stay stored until a setting changes.
TEST_F(HUDManagerTest, UnreadableOrOversizedRecordFallsBackAndKeepsItsBytesUntilASettingChanges)
{
    BrindotHUDConfig huge;
    huge.isEnabled = false;
    huge.customBackgroundPath = QString(1100 * 1024, QLatin1Char('x'));
    for (const QByteArray& stored : {QByteArray(R"({"isEnabled":false})"), *encodeJson(huge).value}) {
        world().defaults.standard().setData("BrindotHUDConfig", stored);
        auto& hud = BrindotHUDManager::shared();
        EXPECT_EQ(hud.config(), BrindotHUDConfig::defaultConfig());
        const auto failures = world().console.linesStartingWith("[BrindotHUDManager] Failed to load HUD config: ");
        ASSERT_EQ(failures.size(), 1);
        EXPECT_EQ(failures[0].contains("1 MiB"), stored.size() > 1024 * 1024);
        EXPECT_EQ(*world().defaults.standard().dataForKey("BrindotHUDConfig"), stored);
        auto c = hud.config();
        c.offset = 30;
        hud.setConfig(c);
        EXPECT_EQ(*decodeBrindotHUDConfig(*world().defaults.standard().dataForKey("BrindotHUDConfig")).value, c);
        resetSharedInstances();
        world().console.lines.clear();
    }
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
    EXPECT_EQ(shownPanels(), 1) << "the second event replaces the first panel";
    const QRectF frame = hud.hudWindow()->frame();
    EXPECT_DOUBLE_EQ(frame.center().x(), indicator().x());
    EXPECT_DOUBLE_EQ(frame.y(), indicator().y() + 20);
    EXPECT_TRUE(hud.hudWindow()->isVisible());
    EXPECT_FALSE(hud.hudWindow()->isActiveWindow());
    world().runFor(2.4);
    EXPECT_NE(hud.hudWindow(), nullptr);
    world().runFor(0.2);
    EXPECT_EQ(hud.hudWindow(), nullptr);
    EXPECT_EQ(shownPanels(), 0);
}

// The panel moves with the indicator, and goes when the indicator's point is
// gone or the indicator is no longer shown. Each is checked at the moment the
// indicator's manager publishes it, before anything else it publishes.
TEST_F(HUDManagerTest, PanelMovesWithTheIndicatorAndGoesWithItsPointOrItsVisibility)
{
    BrindotHUDConfig c;
    c.animationType = AnimationType::none;
    auto& hud = start(c);
    auto& brindot = BrindotManager::shared();
    functionKey();
    world().runFor(0.05);
    ASSERT_NE(hud.hudWindow(), nullptr);
    const QRectF first = hud.hudWindow()->frame();
    desktop().focus(*editor->second);
    deliver();
    world().runFor(0.1);
    ASSERT_NE(hud.hudWindow(), nullptr);
    EXPECT_NE(indicator(), QPointF());
    EXPECT_DOUBLE_EQ(hud.hudWindow()->frame().y() - first.y(), -40) << "the panel follows the caret to the second field";

    std::vector<bool> shownWhenPointWentToZero;
    auto point = brindot.currentPositionPublisher().sink([&](const QPointF& p) {
        if (p.isNull()) shownWhenPointWentToZero.push_back(hud.hudWindow() != nullptr);
    });
    desktop().focus(*editor->window);
    deliver();
    world().runFor(0.1);
    EXPECT_EQ(shownWhenPointWentToZero, std::vector<bool>{false});

    activate(*editor, *editor->first);
    world().runFor(0.5);
    functionKey();
    world().runFor(0.05);
    ASSERT_NE(hud.hudWindow(), nullptr);
    std::vector<bool> shownWhenHidden;
    auto visible = brindot.isVisiblePublisher().sink([&](bool v) {
        if (!v) shownWhenHidden.push_back(hud.hudWindow() != nullptr);
    });
    brindot.setIsEnabled(false);
    world().runFor(0.1);
    ASSERT_FALSE(shownWhenHidden.empty());
    EXPECT_FALSE(shownWhenHidden.front());
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
        QPointer<HUDWindow> panel = hud.hudWindow();
        // The pointer rests on it: the hint comes, and goes with the panel.
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(panel->hudContentView(), &enter);
        world().runFor(0.6);
        ASSERT_NE(panel->hudContentView()->tooltipWindow(), nullptr);
        hud.hideHUD();
        EXPECT_EQ(hud.hudWindow(), nullptr);
        const bool hideAnimates = hud::hidePlan(type, placed, 0.6, c.animationDuration).has_value();
        EXPECT_EQ(shownPanels(), hideAnimates ? 1 : 0) << "the hide animation plays on screen";
        world().runFor(0.5);
        EXPECT_EQ(shownPanels(), 0) << rawValue(type).toStdString();
        for (const QScreen* screen : QGuiApplication::screens())
            EXPECT_FALSE(panel->geometry().intersects(screen->geometry())) << "hidden, it stands on no screen";
        EXPECT_EQ(panel->hudContentView()->tooltipWindow(), nullptr);
        // The next show brings the same panel back, from its first animation state to rest.
        functionKey();
        world().runFor(0.6);
        ASSERT_EQ(hud.hudWindow(), panel.data()) << "one panel serves every show";
        EXPECT_DOUBLE_EQ(panel->alpha(), 0.6) << rawValue(type).toStdString();
        EXPECT_EQ(panel->frame(), placed) << rawValue(type).toStdString();
        EXPECT_TRUE(panel->hudContentView()->layerTransform().isIdentity());
        EXPECT_EQ(shownPanels(), 1);
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

// A FIFO would block the paint (and the program) until a writer appears; a folder is named
// as what it is, not as a missing file.
TEST_F(HUDManagerTest, CustomBackgroundsThatAreNoFilesAreNeverOpened)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const std::vector<std::pair<QString, const char*>> paths{
        {fifo, "is a named pipe"}, {dir.path(), "is a folder"}, {QStringLiteral("/dev/zero"), "is a device"}};
    for (const auto& [path, said] : paths) {
        SCOPED_TRACE(path.toStdString());
        world().log.clear();
        BrindotHUDConfig c;
        c.style = HUDStyle::custom;
        c.customBackgroundPath = path;
        HUDContentView view({}, c);
        view.resize(120, 60);
        view.grab();
        const auto lines = world().log.linesContaining("cannot be shown");
        ASSERT_EQ(lines.size(), 1);
        EXPECT_TRUE(lines[0].contains(said)) << lines[0].toStdString();
    }
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

    QPointer<HUDWindow> panel = hud.hudWindow();
    const int queries = keyboard.currentSourceQueries();
    keyboard.select("us");
    world().runFor(0.3);
    EXPECT_EQ(keyboard.currentSourceQueries() - queries, 2)
        << "read once for the indicator's style, once for the HUD's filter, the panel's item and the panel it brings";
    ASSERT_EQ(hud.hudWindow(), panel.data()) << "the panel on screen takes the new input method";
    EXPECT_EQ(shownPanels(), 1);
    ASSERT_FALSE(panel->contentItems().empty());
    EXPECT_EQ(panel->contentItems()[0].value, QStringLiteral("English (US)"));
    EXPECT_EQ(panel->hudContentView()->contentItems(), panel->contentItems()) << "and draws it";
    // Back and forth between the two: each is drawn once, and not again.
    const auto switchTo = [&](const char* id) {
        keyboard.select(id);
        world().runFor(0.3);
        QCoreApplication::processEvents();
    };
    switchTo("de");
    switchTo("us");
    const int drawn = panel->hudContentView()->contentDrawCount();
    switchTo("de");
    switchTo("us");
    switchTo("de");
    EXPECT_EQ(panel->hudContentView()->contentDrawCount(), drawn);
    EXPECT_EQ(panel->contentItems()[0].value, QStringLiteral("German"));

    // Caps Lock released after the last reading: the panel loses its mark.
    keyboard.setCapsLock(false);
    mouse().changeFlags({.capsLock = false});
    ASSERT_EQ(hud.hudWindow(), panel.data());
    EXPECT_EQ(panel->hudContentView()->contentItems()[0].capsLockOn, std::optional<bool>(false));
}

// Numbers and lists no settings page offers are held within bounds where the
// HUD uses them, once named in the log, and stored as they were.
TEST_F(HUDManagerTest, HostileNumbersAndListsAreBoundedWhereUsedAndKeptAsStored)
{
    BrindotHUDConfig c;
    c.padding = 15000;
    c.cornerRadius = 1e6;
    c.offset = -1e9;
    c.opacity = 7;
    c.animationDuration = 1e9;
    c.displayDuration = 1e9;
    c.layout = HUDLayout::vertical;
    c.contentTypes.assign(50000, HUDContentType::custom);
    const QByteArray stored = *encodeJson(c).value;
    ASSERT_LT(stored.size(), 1024 * 1024);
    auto& hud = start(c);
    for (int round = 0; round < 2; ++round) {
        functionKey();
        world().runFor(0.05);
        ASSERT_NE(hud.hudWindow(), nullptr);
        EXPECT_EQ(hud.hudWindow()->contentItems().size(), 32u);
        EXPECT_LT(hud.hudWindow()->frame().width(), 1000);
        EXPECT_LT(hud.hudWindow()->frame().height(), 1200);
        // y grows upwards: the panel's top edge is the frame's largest y.
        const QRectF frame = hud.hudWindow()->frame(), screen = platform::workspace().screens().front();
        EXPECT_TRUE(frame.bottom() <= screen.bottom() && frame.left() >= screen.left())
            << "the panel, taller than the screen, keeps its top left on the indicator's screen";
        world().runFor(2.1);
        EXPECT_FALSE(hud.hudWindow()->isAnimating()) << "an animation lasts seconds at most";
        EXPECT_DOUBLE_EQ(hud.hudWindow()->alpha(), 1.0);
    }
    EXPECT_EQ(world().log.linesContaining("Stored HUD value").size(), 7) << world().log.lines().join("\n").toStdString();
    EXPECT_EQ(*world().defaults.standard().dataForKey("BrindotHUDConfig"), stored);
    world().runFor(7.5);
    EXPECT_NE(hud.hudWindow(), nullptr);
    world().runFor(0.5);
    EXPECT_EQ(hud.hudWindow(), nullptr) << "a display time of a billion seconds ends after ten";
}

// A panel too faint to see lets clicks through to the editor below; any other
// panel takes the mouse, and gets it back if something switched it off.
TEST_F(HUDManagerTest, AFaintPanelLetsClicksThroughAndOthersTakeTheMouseBack)
{
    for (const double opacity : {0.0, 0.04, 0.05, 0.9}) {
        BrindotHUDConfig c;
        c.opacity = opacity;
        auto& hud = start(c);
        functionKey();
        world().runFor(0.05);
        ASSERT_NE(hud.hudWindow(), nullptr);
        EXPECT_EQ(hud.hudWindow()->ignoresMouseEvents(), opacity < 0.05) << opacity;
        EXPECT_TRUE(hud.hudWindow()->acceptsMouseMovedEvents());
        resetSharedInstances();
    }
    EXPECT_TRUE(world().log.linesContaining("Restored").isEmpty());

    HUDWindow panel(BrindotHUDConfig{}, {}, 0.9);
    panel.setupContentView();
    panel.setIgnoresMouseEvents(true);
    panel.setAcceptsMouseMovedEvents(false);
    panel.orderFront();
    EXPECT_FALSE(panel.ignoresMouseEvents());
    EXPECT_TRUE(panel.acceptsMouseMovedEvents());
    EXPECT_EQ(world().log.linesContaining("🖱️ [HUDWindow] ⚠️ Restored acceptsMouseMovedEvents to true").size(), 1);
    EXPECT_EQ(world().log.linesContaining("🖱️ [HUDWindow] ⚠️ Restored ignoresMouseEvents to false").size(), 1);
}

namespace {
// Records the panel's frame and opacity at the moment it comes on screen: mapped the first
// time, moved back from where it was parked after that.
struct FirstOnScreen : QObject {
    std::optional<QRectF> frame;
    double alpha = -1;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* panel = dynamic_cast<HUDWindow*>(watched);
        if (!panel || frame || (event->type() != QEvent::Show && event->type() != QEvent::Move)) return false;
        if (!panel->isOnScreen()) return false;
        frame = panel->frame();
        alpha = panel->alpha();
        return false;
    }
};
}  // namespace

// An animated show starts on screen at its first animation state, never at
// the resting frame; its steps move, resize, fade or turn the panel without
// drawing its content again, and a panel shown again with the same items is
// not drawn again at all: the content is drawn once per change.
TEST_F(HUDManagerTest, AnimatedShowsStartAtTheirFirstStateAndDrawTheContentOnce)
{
    // What is said per event is printed in debug mode only.
    world().defaults.standard().setBool("BrindotDebugMode", true);
    for (const AnimationType type : {AnimationType::fade, AnimationType::slide, AnimationType::bounce,
                                     AnimationType::magic, AnimationType::flip}) {
        SCOPED_TRACE(rawValue(type).toStdString());
        BrindotHUDConfig c;
        c.animationType = type;
        c.contentTypes = {HUDContentType::custom, HUDContentType::typingCount};
        auto& hud = start(c);
        QCoreApplication::processEvents();  // the panel the activation brought is drawn
        hud.hideHUD();
        world().runFor(0.6);
        ASSERT_EQ(shownPanels(), 0);
        world().console.lines.clear();
        FirstOnScreen first;
        qApp->installEventFilter(&first);
        functionKey();
        world().runFor(0.05);
        qApp->removeEventFilter(&first);
        ASSERT_NE(hud.hudWindow(), nullptr);
        const QSizeF size = hud.hudWindow()->contentSize();
        const QRectF rest(hud.hudWindow()->origin(indicator(), size), size);
        ASSERT_TRUE(first.frame);
        EXPECT_TRUE(*first.frame != rest || first.alpha == 0) << "shown at the resting frame before the animation";
        const auto paintSteps = [&] {
            for (int step = 0; step < 40; ++step) {
                world().runFor(1.0 / 60);
                QCoreApplication::processEvents();
            }
        };
        paintSteps();
        EXPECT_FALSE(hud.hudWindow()->isAnimating());
        HUDContentView* view = hud.hudWindow()->hudContentView();
        EXPECT_EQ(view->contentDrawCount(), 1) << "the same items as the last show are not drawn again";
        EXPECT_EQ(world().console.count("SmartIconAdapter: 图标绘制开始"), 0);

        // New items while it is up: drawn once more, in place, whatever the animation.
        functionKey();
        world().runFor(0.05);
        hud.typingCounter().count(platform::KeyKind::character);
        hud.refreshContent();
        paintSteps();
        EXPECT_EQ(view->contentDrawCount(), 2);
        EXPECT_EQ(world().console.count("SmartIconAdapter: 图标绘制开始"), 2);
        EXPECT_EQ(view->contentItems(), hud.hudWindow()->contentItems());
        resetSharedInstances();
    }
}

// With "hide while typing" on, a key that types (not a modifier) takes the
// panel away. Every key press is counted for the day by its kind only, shown
// at once in the typing item and stored at most once a minute and at quit.
TEST_F(HUDManagerTest, TypingHidesTheHUDAndIsCountedForTheDay)
{
    using platform::KeyKind;
    BrindotHUDConfig c;
    c.animationType = AnimationType::none;
    c.contentTypes = {HUDContentType::typingCount};
    auto& hud = start(c);
    QDateTime now(QDate(2026, 12, 9), QTime(23, 58));
    hud.typingCounter().setWallClock([&] { return now; });
    const QString today = typingStatisticsKey(QDate(2026, 12, 9).startOfDay());
    functionKey();
    world().runFor(0.05);
    mouse().pressKey(KeyKind::modifier);
    EXPECT_NE(hud.hudWindow(), nullptr) << "a modifier alone is no typing";
    for (const KeyKind key : {KeyKind::character, KeyKind::character, KeyKind::backspace, KeyKind::character})
        mouse().pressKey(key);
    EXPECT_EQ(hud.hudWindow(), nullptr);
    EXPECT_EQ(hud.typingCountItem(), QStringLiteral("3字 • 5次击键 • 1次回退"));
    EXPECT_FALSE(world().defaults.standard().contains(today)) << "not stored at every key";
    world().runFor(60);
    auto stored = decodeTypingStatistics(*world().defaults.standard().dataForKey(today));
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(stored.value->keystrokes, 5);

    auto keep = hud.config();
    keep.hideWhileTyping = false;
    hud.setConfig(keep);
    functionKey();
    world().runFor(0.05);
    mouse().pressKey(KeyKind::character);
    EXPECT_NE(hud.hudWindow(), nullptr) << "switched off, typing leaves the panel up";
    world().notifications.post(BrindotManager::willTerminateNotification);
    EXPECT_EQ(decodeTypingStatistics(*world().defaults.standard().dataForKey(today)).value->characters, 4);

    mouse().pressKey(KeyKind::character);
    now = now.addSecs(180);
    mouse().pressKey(KeyKind::backspace);
    EXPECT_EQ(hud.typingCountItem(), QStringLiteral("0字 • 1次击键 • 1次回退")) << "a new day starts from zero";
    EXPECT_EQ(decodeTypingStatistics(*world().defaults.standard().dataForKey(today)).value->keystrokes, 7)
        << "the day that ended keeps its last minute";
}
