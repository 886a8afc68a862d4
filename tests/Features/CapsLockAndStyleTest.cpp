// Caps Lock, the style of the current input source, and the feature's start.
#include "Caret/Styles/BrindotStyleJson.h"
#include "Caret/Styles/BrindotStyleManager.h"
#include "Features/InputMethodStyle/InputMethodStyleFeature.h"
#include "Features/InputMethodStyle/Utils/CapsLockDetector.h"
#include "InputMethodTestSupport.h"

#include <QRegularExpression>

using namespace zorbel;
using zorbel::testing::InputMethodTest;

namespace {

class CapsLockTest : public InputMethodTest {};
class StoredStyleTest : public InputMethodTest {};

class InputMethodStylingTest : public InputMethodTest {
protected:
    void SetUp() override
    {
        InputMethodTest::SetUp();
        // English gets preset 0 (blue), pinyin preset 1 (red).
        startWithEnglishAndPinyin();
    }
    BrindotStyleManager& styles() { return BrindotStyleManager::shared(); }
    void settle() { world().runFor(0.05); }
    QString drawnFill() { return QString::number(styles().drawnStyle().fillColor.red, 'f', 2); }
};

}  // namespace

TEST_F(CapsLockTest, EachPressPostsOnceAndOtherModifiersPostNothing)
{
    auto& detector = CapsLockDetector::shared();
    detector.startMonitoring();
    detector.startMonitoring();
    EXPECT_EQ(world().log.linesContaining("CapsLockDetector starting monitoring").size(), 1);
    std::vector<QVariantMap> seen;
    auto token = world().notifications.addObserver("capsLockStateChanged",
                                                   [&](const platform::Notification& n) { seen.push_back(n.userInfo); });
    keyboard().setModifierFlags({.shift = true});
    keyboard().setCapsLock(true);
    world().runFor(0.02);
    // Off and on again before the state is re-read: no change.
    keyboard().setCapsLock(false);
    keyboard().setCapsLock(true);
    world().runFor(0.02);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].value("isOn"), QVariant(true));
    EXPECT_TRUE(seen[0].value("timestamp").canConvert<QDateTime>());
    keyboard().setCapsLock(false);
    world().runFor(0.02);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].value("isOn"), QVariant(false));
}

TEST_F(CapsLockTest, OnAtLaunchIsKnownWithoutAnnouncement)
{
    keyboard().setCapsLock(true);
    EXPECT_TRUE(CapsLockDetector::shared().isCapsLockOn());
    InputMethodStyleFeature::scheduleAtLaunch();
    world().runFor(1.2);
    ASSERT_TRUE(CapsLockDetector::shared().isMonitoring());
    EXPECT_EQ(count("capsLockStateChanged"), 0) << "neither creation nor the start of monitoring announces";
    keyboard().setCapsLock(false);
    world().runFor(0.02);
    EXPECT_EQ(count("capsLockStateChanged"), 1) << "the first change is";
}

TEST_F(CapsLockTest, TheLookWidensTheBorderAndAddsAGlow)
{
    auto& detector = CapsLockDetector::shared();
    BrindotStyle s;
    s.borderWidth = 5;
    const BrindotStyle look = detector.applyCapsLockIndicator(s);
    EXPECT_EQ(look.borderWidth, 6.0);
    EXPECT_EQ(look.borderColor, (BrindotColor{0, 1, 0, 0.8}));
    EXPECT_EQ(look.shadowColor, (BrindotColor{0, 1, 0, 0.48}));
    EXPECT_EQ(look.shadowRadius, 4.0);
    EXPECT_TRUE(look.shadowEnabled && look.borderEnabled);
    s.borderWidth = 2;
    EXPECT_EQ(detector.applyCapsLockIndicator(s).borderWidth, 3.0);
    detector.setEnabled(false);
    EXPECT_EQ(detector.applyCapsLockIndicator(s).borderWidth, 2.0);
}

TEST_F(InputMethodStylingTest, SwitchingSourcesAppliesTheirPresetsOnceEach)
{
    EXPECT_EQ(drawnFill(), "0.00");  // blue
    const int writes = styleWrites();
    keyboard().select("pinyin");
    settle();
    EXPECT_EQ(drawnFill(), "1.00");  // red
    EXPECT_EQ(styleWrites(), writes + 1);
    EXPECT_EQ(count("BrindotStyleChanged"), 1);
    EXPECT_EQ(world().log.linesContaining("Applied style 1 for input method: 中文拼音").size(), 1);

    InputMethodStyleConfig off = InputMethodStyleMapper::shared().config();
    off.enabled = false;
    InputMethodStyleMapper::shared().setConfig(off);
    settle();
    const int afterOff = styleWrites();
    keyboard().select("xkb:us::eng");
    settle();
    EXPECT_EQ(styleWrites(), afterOff) << "switched off, a change of source writes nothing";
    EXPECT_EQ(drawnFill(), "1.00");
}

TEST_F(InputMethodStylingTest, ANewSourceIsMappedThenStyledTwice)
{
    keyboard().addSource(platform::SimulatedKeyboard::keyboardSource("hangul", "Korean"));
    const int writes = styleWrites();
    keyboard().select("hangul");
    settle();
    EXPECT_EQ(InputMethodStyleMapper::shared().config().styleMapping.value("hangul"), 11);
    EXPECT_EQ(styleWrites(), writes + 2);
}

TEST_F(InputMethodStylingTest, TheCapsLockLookIsLaidOverNeverStoredAndNeverBuildsUp)
{
    const BrindotStyle stored = styles().currentStyle();
    const int writes = styleWrites();
    keyboard().setCapsLock(true);
    settle();
    EXPECT_EQ(styles().drawnStyle().borderWidth, 3.0);
    EXPECT_TRUE(styles().drawnStyle().shadowEnabled);
    EXPECT_EQ(count("BrindotStyleChanged"), 1);
    EXPECT_EQ(styleWrites(), writes) << "the look is not stored";

    for (int i = 0; i < 3; ++i) {
        keyboard().select(i % 2 ? "xkb:us::eng" : "pinyin");
        settle();
    }
    EXPECT_EQ(styles().drawnStyle().borderWidth, 3.0);
    EXPECT_EQ(styles().currentStyle().borderWidth, stored.borderWidth);
    EXPECT_FALSE(styles().currentStyle().shadowEnabled);

    keyboard().setCapsLock(false);
    settle();
    EXPECT_EQ(styles().drawnStyle().borderWidth, stored.borderWidth) << "the border comes back as it was";
    EXPECT_EQ(styles().drawnStyle(), styles().currentStyle());
}

TEST_F(InputMethodStylingTest, TheCapsLockSwitchOfTheConfigurationIsHonoured)
{
    InputMethodStyleConfig c = InputMethodStyleMapper::shared().config();
    c.capsLockIndicatorEnabled = false;
    InputMethodStyleMapper::shared().setConfig(c);
    settle();
    posted.clear();
    keyboard().setCapsLock(true);
    settle();
    EXPECT_FALSE(styles().isCapsLockLookShown());
    EXPECT_EQ(count("BrindotStyleChanged"), 0);
    c.capsLockIndicatorEnabled = true;
    InputMethodStyleMapper::shared().setConfig(c);
    settle();
    EXPECT_TRUE(styles().isCapsLockLookShown());
    EXPECT_EQ(styles().drawnStyle().borderWidth, 3.0);
}

TEST_F(InputMethodStylingTest, TheUsersOwnStyleOutlivesThePresetsAndComesBackWhenStylingIsTurnedOff)
{
    // The user picks a grey fill and a larger size on the style page while styling is on.
    styles().editUserStyle([](BrindotStyle& s) {
        s.fillColor = {0.5, 0.5, 0.5, 1};
        s.size = 20;
    });
    EXPECT_EQ(drawnFill(), "0.50") << "shown at once";
    const auto storedUser = [&] {
        return decodeBrindotStyle(defaults().dataForKey("BrindotUserStyle").value_or(QByteArray())).value;
    };
    ASSERT_TRUE(storedUser());
    EXPECT_EQ(storedUser()->fillColor, (BrindotColor{0.5, 0.5, 0.5, 1}));
    keyboard().select("pinyin");
    settle();
    EXPECT_EQ(drawnFill(), "1.00") << "the input method's colour";
    EXPECT_EQ(styles().currentStyle().size, 20) << "over the user's own size";
    EXPECT_EQ(storedUser()->fillColor, (BrindotColor{0.5, 0.5, 0.5, 1})) << "the user's colour is still stored";
    {
        BrindotStyleManager restarted;
        EXPECT_EQ(restarted.userStyle().fillColor, (BrindotColor{0.5, 0.5, 0.5, 1}));
    }

    // Another session of the settings changed the user's style meanwhile.
    BrindotStyle elsewhere = *storedUser();
    elsewhere.fillColor = {0.25, 0.5, 0.5, 1};
    defaults().setData("BrindotUserStyle", *encodeJson(elsewhere).value);
    posted.clear();
    InputMethodStyleFeature::disable();
    settle();
    EXPECT_FALSE(InputMethodStyleFeature::currentStatus().first);
    EXPECT_FALSE(storedConfig().enabled);
    EXPECT_EQ(styles().currentStyle(), elsewhere) << "the user's style is back, as stored";
    EXPECT_EQ(drawnFill(), "0.25");
    EXPECT_EQ(*decodeBrindotStyle(*defaults().dataForKey("BrindotStyle")).value, elsewhere);
    EXPECT_EQ(count("BrindotStyleChanged"), 1);
    keyboard().select("xkb:us::eng");
    settle();
    EXPECT_EQ(drawnFill(), "0.25") << "switched off, a change of source restyles nothing";
    InputMethodStyleFeature::enable();
    settle();
    EXPECT_TRUE(storedConfig().enabled);
    EXPECT_EQ(drawnFill(), "0.00") << "switched on, English's blue preset is applied";
    EXPECT_EQ(styles().currentStyle().size, 20);

    // Whole styles and the reset are the user's too.
    styles().applyPresetStyle(PresetStyle::wholeStyles()[2]);
    EXPECT_EQ(*storedUser(), PresetStyle::wholeStyles()[2].style);
    styles().resetToDefault();
    EXPECT_EQ(*storedUser(), BrindotStyle::defaultStyle());

    InputMethodStyleFeature::initialize();
    InputMethodStyleFeature::initialize();
    EXPECT_EQ(world().console.count("[InputMethodStyleFeature] Already initialized"), 1);
    EXPECT_EQ(world().console.count("[INFO] v1.2.0: 输入法样式功能已启用"), 1);
}

TEST_F(StoredStyleTest, AFileFromBeforeTheUsersRecordKeepsItsStyleForWhenStylingIsTurnedOff)
{
    // Only "BrindotStyle" is stored, holding the user's grey, as earlier versions left it.
    BrindotStyle grey = BrindotStyle::defaultStyle();
    grey.fillColor = {0.5, 0.5, 0.5, 1};
    defaults().setData("BrindotStyle", *encodeJson(grey).value);
    startWithEnglishAndPinyin();
    EXPECT_EQ(BrindotStyleManager::shared().drawnStyle().fillColor.red, 0.0) << "English's blue";
    ASSERT_TRUE(defaults().contains("BrindotUserStyle")) << "kept before the preset replaced it";
    // The next start reads the grey from its own record, though "BrindotStyle" now holds the preset.
    BrindotStyleManager restarted;
    EXPECT_EQ(restarted.userStyle(), grey);
    restarted.disableInputMethodStyle();
    EXPECT_EQ(restarted.currentStyle(), grey);

    defaults().setData("BrindotUserStyle", "{damaged");
    BrindotStyleManager damaged;
    EXPECT_EQ(damaged.userStyle(), damaged.currentStyle()) << "an unreadable record gives way to the current style";
    EXPECT_EQ(world().log.linesContaining("Failed to load the user's style: ").size(), 1);
    damaged.editUserStyle([](BrindotStyle& s) { s.size = 30; });
    const QStringList copies = defaults().keys().filter(QRegularExpression("^BrindotUserStyle\\.damaged-"));
    ASSERT_EQ(copies.size(), 1) << "the damaged record is kept aside before it is replaced";
    EXPECT_EQ(defaults().dataForKey(copies.first()), "{damaged");
}

TEST_F(CapsLockTest, TheStartUpJobLeavesStylingOffWhenTheRecordSaysSo)
{
    InputMethodStyleConfig c;
    c.enabled = false;
    defaults().setData("InputMethodStyleConfig", *encodeJson(c).value);
    InputMethodStyleFeature::scheduleAtLaunch();
    world().runFor(0.9);
    EXPECT_FALSE(CapsLockDetector::shared().isMonitoring());
    world().runFor(0.2);
    world().runFor(0);
    EXPECT_TRUE(CapsLockDetector::shared().isMonitoring());
    EXPECT_FALSE(BrindotStyleManager::shared().inputMethodStyleEnabled());
    EXPECT_EQ(world().console.count("[INFO] v1.2.0: 输入法样式功能未启用"), 1);
    EXPECT_FALSE(InputMethodStyleMapper::shared().config().styleMapping.isEmpty());
}

// Up to 1 MiB an unreadable style is kept under a key of its own; a larger one is no style
// anybody set, and copying it would double a settings file the next start must read back.
TEST_F(StoredStyleTest, AnUnreadableStoredStyleIsKeptBeforeAPresetReplacesItUnlessItIsHuge)
{
    const QByteArray damaged = R"({"size": 24, "fillColor": {"red": 1, "gre)";
    const qsizetype cap = BrindotStyleManager::maximumKeptRecordBytes;
    for (const QByteArray& record : {damaged, QByteArray(cap - damaged.size(), ' ') + damaged,
                                     QByteArray(cap + 1 - damaged.size(), ' ') + damaged}) {
        SCOPED_TRACE(record.size());
        resetSharedInstances();
        for (const QString& key : defaults().keys()) defaults().removeObject(key);
        world().log.clear();
        defaults().setData("BrindotStyle", record);
        startWithEnglishAndPinyin();
        keyboard().select("pinyin");
        world().runFor(0.05);
        ASSERT_TRUE(decodeBrindotStyle(defaults().dataForKey("BrindotStyle").value_or(QByteArray())).ok())
            << "the preset's style is stored";
        const QStringList copies = defaults().keys().filter(QRegularExpression("^BrindotStyle\\.damaged-"));
        if (record.size() > cap) {
            EXPECT_TRUE(copies.isEmpty());
            EXPECT_EQ(world().log.linesContaining("[WARNING]").filter("is larger than 1048576 bytes and is not kept").size(),
                      1);
            continue;
        }
        ASSERT_EQ(copies.size(), 1) << "one copy, however many styles are stored after it";
        EXPECT_EQ(defaults().dataForKey(copies.first()), record);
        EXPECT_EQ(world().log.linesContaining("[WARNING]").filter(copies.first()).size(), 1);
    }
}
