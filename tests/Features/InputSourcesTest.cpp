// Input sources as the system lists them, the stored record, and the presets.
#include "Features/InputMethodStyle/Managers/InputSourceManager.h"
#include "Features/InputMethodStyle/Models/InputMethodStyleConfig.h"
#include "InputMethodTestSupport.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace zorbel;
using zorbel::testing::InputMethodTest;

namespace {

using Source = platform::InputSourceProperties;

Source source(const char* id, const char* name)
{
    return platform::SimulatedKeyboard::keyboardSource(QString::fromUtf8(id), QString::fromUtf8(name));
}

class InputSourcesTest : public InputMethodTest {};

}  // namespace

TEST_F(InputSourcesTest, OnlySelectableKeyboardSourcesAreListedInOrder)
{
    Source palette = source("org.example.palette", "Characters");
    palette.category = QStringLiteral("palette");
    Source hidden = source("xkb:de::deu", "German");
    hidden.selectCapable = false;
    Source untyped = source("xkb:fr::fra", "French");
    untyped.category.reset();
    keyboard().setSources({source("xkb:us::eng", "English (US)"), palette, hidden, untyped, source("pinyin", "拼音")});
    const auto listed = InputSourceManager().getAvailableInputSources();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].id, "xkb:us::eng");
    EXPECT_EQ(listed[1].id, "pinyin");
    EXPECT_TRUE(listed[1].isSelectable);
    EXPECT_EQ(listed[1].category, QStringLiteral("keyboard"));

    keyboard().failListing(true);
    EXPECT_TRUE(InputSourceManager().getAvailableInputSources().empty());
    EXPECT_EQ(world().console.count("[InputSourceManager] Failed to cast input source list"), 1);
}

TEST_F(InputSourcesTest, BundleModeAndDisplayNameComeFromEachSourceItself)
{
    InputSourceManager manager;
    EXPECT_EQ(manager.bundleIdentifier(source("org.fcitx.Fcitx5.pinyin", "x")), QStringLiteral("org.fcitx.Fcitx5.pinyin"));
    EXPECT_FALSE(manager.bundleIdentifier(source("com.apple.keylayout.US", "x")));
    EXPECT_FALSE(manager.bundleIdentifier(source("xkb:us::eng", "x")));

    // While a short-named source is selected, a long-named one keeps its own name.
    keyboard().setSources({source("xkb:cn::zho", "汉语"), source("xkb:us::eng", "English (US)"),
                           source("im.SCIM.pinyin", "简体拼音"), source("im.SCIM.en", "English mode"),
                           source("xkb:th::tha", "Thai")});
    keyboard().select("xkb:cn::zho");
    const auto listed = manager.getAvailableInputSources();
    ASSERT_EQ(listed.size(), 5u);
    EXPECT_EQ(listed[0].displayName, "汉语（汉语）");
    EXPECT_EQ(listed[1].inputMode, std::nullopt);
    EXPECT_EQ(listed[1].displayName, "English (US)");
    EXPECT_EQ(listed[2].displayName, "简体拼音（中）");
    EXPECT_EQ(listed[3].displayName, "English mode（英）");
    EXPECT_EQ(listed[4].displayName, "Thai") << "a name of four characters is no mode";
}

TEST_F(InputSourcesTest, CapsLockIsReadFromTheKeyboardAndPrinted)
{
    // What is said per event is printed in debug mode only.
    world().defaults.standard().setBool("BrindotDebugMode", true);
    keyboard().setModifierFlags({.capsLock = true, .shift = true});
    const auto info = InputSourceManager().currentInputSource();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->isCapsLockOn, true);
    EXPECT_EQ(world().console.count("🔍 Caps Lock检测: true"), 1);
    EXPECT_EQ(world().console.count("🔍 修饰键原始值: 196608"), 1);
    keyboard().clearSelection();
    EXPECT_FALSE(InputSourceManager().currentInputSource());
}

TEST_F(InputSourcesTest, IconsPreferTheHighResolutionFile)
{
    QTemporaryDir dir;
    QImage small(8, 8, QImage::Format_ARGB32);
    small.fill(Qt::red);
    QImage large(16, 16, QImage::Format_ARGB32);
    large.fill(Qt::blue);
    ASSERT_TRUE(small.save(dir.filePath("pinyin.png")));
    ASSERT_TRUE(large.save(dir.filePath("pinyin@2x.png")));
    Source s = source("pinyin", "拼音");
    s.iconPath = dir.filePath("pinyin.png");
    EXPECT_EQ(InputSourceManager().icon(s)->width(), 16);
    s.iconPath = dir.filePath("missing.png");
    EXPECT_FALSE(InputSourceManager().icon(s));
}

TEST(InputMethodStyleConfigRecord, IndicesOutsideTheRangeChangeNothing)
{
    zorbel::testing::TestWorld world;
    InputMethodStyleConfig c;
    const auto before = c;
    c.setStyleIndex(16, "a");
    c.setStyleIndex(-1, "a");
    EXPECT_EQ(c, before);
    EXPECT_EQ(world.console.count("[InputMethodStyleConfig] Invalid style index: 16"), 1);
    c.setStyleIndex(15, "a");
    c.setStyleIndex(0, "a");
    EXPECT_EQ(c.styleMapping.value("a"), 0);
}

TEST(InputMethodStyleConfigRecord, RoundTripsAndRefusesAnyMissingKey)
{
    InputMethodStyleConfig c;
    c.styleMapping = {{"xkb:us::eng", 3}, {"名字 \"odd\" / id", 15}};
    c.capsLockIndicatorEnabled = false;
    const QByteArray bytes = *encodeJson(c).value;
    const auto back = decodeInputMethodStyleConfig(bytes);
    ASSERT_TRUE(back.ok()) << back.error.toStdString();
    EXPECT_EQ(*back.value, c);
    EXPECT_TRUE(bytes.contains("\"configVersion\":\"1.2.0\""));

    for (const char* k : {"enabled", "capsLockIndicatorEnabled", "autoAssignNewInputMethods", "styleMapping",
                          "capsLockColor", "capsLockGlowIntensity", "capsLockGlowRadius", "configVersion", "lastUpdated"}) {
        QJsonObject o = QJsonDocument::fromJson(bytes).object();
        o.remove(QString::fromLatin1(k));
        EXPECT_FALSE(decodeInputMethodStyleConfig(QJsonDocument(o).toJson()).ok()) << k;
    }
    EXPECT_FALSE(decodeInputMethodStyleConfig(QByteArray(bytes).replace(":3", ":3.5")).ok());
}

TEST_F(InputSourcesTest, RecommendationsFollowTheLanguageGroupsInOrder)
{
    auto& provider = StylePresetProvider::shared();
    picks = {0, 1, 2, 2, 1, 0};
    EXPECT_EQ(provider.recommendedStyleIndex("com.apple.inputmethod.SCIM.ABC", "x"), 1);  // Chinese before English
    EXPECT_EQ(provider.recommendedStyleIndex("xkb:us::eng", "ABC Extended"), 6);
    EXPECT_EQ(provider.recommendedStyleIndex("org.example.TCIM.Zhuyin", "Zhuyin"), 5);
    EXPECT_EQ(provider.recommendedStyleIndex("anthy", "Japanese (Anthy)"), 12);
    EXPECT_EQ(provider.recommendedStyleIndex("hangul", "Korean"), 12);
    EXPECT_EQ(provider.recommendedStyleIndex("xkb:de::deu", "German"), 14);

    EXPECT_EQ(provider.preset(16)->id, 0);
    EXPECT_EQ(world().console.count("[StylePresetProvider] Invalid preset index: 16, using default (0)"), 1);
    BrindotStyle base;
    base.borderWidth = 4;
    const BrindotStyle red = provider.style(1, base);
    EXPECT_EQ(red.fillColor, (BrindotColor{1, 59 / 255.0, 48 / 255.0, 0.9}));
    EXPECT_EQ(red.borderWidth, 4);
}
