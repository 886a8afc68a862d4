// Input sources as the readers make them from what the daemons and the X server answer: keyboard
// layouts from the rules names and the rules description, IBus engines and Fcitx 5 input
// methods from their D-Bus descriptions, Caps Lock from the XKB state.
#include "Platform/Linux/Fcitx5InputSources.h"
#include "Platform/Linux/IbusInputSources.h"
#include "Platform/Linux/X11Keyboard.h"
#include "Platform/Linux/XkbLayouts.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace zorbel::platform {
namespace {

const char* rulesXml = R"(<xkbConfigRegistry><modelList><model><configItem><name>pc105</name>
<description>Generic 105-key PC</description></configItem></model></modelList><layoutList>
<layout><configItem><name>us</name><shortDescription>en</shortDescription><description>English (US)</description>
<languageList><iso639Id>eng</iso639Id></languageList></configItem><variantList><variant><configItem>
<name>intl</name><description>English (US, intl., with dead keys)</description></configItem></variant></variantList></layout>
<layout><configItem><name>cn</name><shortDescription>zh</shortDescription><description>Chinese</description>
<languageList><iso639Id>zho</iso639Id></languageList></configItem><variantList/></layout>
</layoutList></xkbConfigRegistry>)";

TEST(XkbLayouts, GroupsBecomeSourcesWithIdsNamesAndLanguages)
{
    const XkbLayoutTable table = XkbLayoutTable::fromXml(rulesXml);
    const auto sources = xkbSources("us,cn,zz", "intl,,", table);
    ASSERT_EQ(sources.size(), 3u);
    EXPECT_EQ(sources[0].id, "xkb:us:intl:eng");
    EXPECT_EQ(sources[0].localizedName, QStringLiteral("English (US, intl., with dead keys)"));
    EXPECT_EQ(sources[0].languages, QStringList{"en"}) << "a variant without languages has its layout's";
    EXPECT_EQ(sources[0].shortLabel, "en");
    EXPECT_EQ(sources[1].id, "xkb:cn::zho");
    EXPECT_EQ(sources[1].languages, QStringList{"zh"});
    // A layout the description does not know keeps its name.
    EXPECT_EQ(sources[2].id, "xkb:zz::");
    EXPECT_EQ(sources[2].localizedName, QStringLiteral("zz"));
    EXPECT_EQ(sources[2].shortLabel, "zz");
    EXPECT_EQ(sources[2].category, QStringLiteral("keyboard"));
    EXPECT_TRUE(XkbLayoutTable::fromFile("/nonexistent.xml").isEmpty());
}

// The X server's own rules description: a variant is named as itself, not as its layout.
TEST(XkbLayouts, VariantsOfTheSystemsRulesHaveTheirOwnNames)
{
    const QString rules = QStringLiteral("/usr/share/X11/xkb/rules/evdev.xml");
    ASSERT_TRUE(QFileInfo::exists(rules)) << "xkb-data is installed with the X server";
    qputenv("LANGUAGE", "C");
    const auto sources = xkbSources("us,de,de,ch,de", "intl,neo,,fr,nosuchvariant", XkbLayoutTable::fromFile(rules));
    ASSERT_EQ(sources.size(), 5u);
    EXPECT_EQ(sources[0].localizedName, QStringLiteral("English (US, intl., with dead keys)"));
    EXPECT_EQ(sources[1].id, "xkb:de:neo:deu");
    EXPECT_EQ(sources[1].localizedName, QStringLiteral("German (Neo 2)"));
    EXPECT_EQ(sources[1].languages, QStringList{"de"});
    EXPECT_EQ(sources[2].localizedName, QStringLiteral("German"));
    EXPECT_EQ(sources[2].shortLabel, "de");
    // A variant with a language and a label of its own keeps them.
    EXPECT_EQ(sources[3].id, "xkb:ch:fr:fra");
    EXPECT_EQ(sources[3].localizedName, QStringLiteral("French (Switzerland)"));
    EXPECT_EQ(sources[3].languages, QStringList{"fr"});
    EXPECT_EQ(sources[3].shortLabel, "fr");
    // A variant the description does not know is named as its layout.
    EXPECT_EQ(sources[4].id, "xkb:de:nosuchvariant:deu");
    EXPECT_EQ(sources[4].localizedName, QStringLiteral("German"));
}

// IBusEngineDesc as IBus 1.5 sends it: ("IBusEngineDesc", attachments, name, longname,
// description, language, license, author, icon, layout, rank, hotkeys, symbol, setup,
// layout_variant, layout_option, version, textdomain, icon_prop_key). Engines of input methods
// describe themselves at length; the long name is the one to show.
TEST(InputMethodReaders, AnIBusEngineIsNamedByItsLongName)
{
    const QVariantList pinyin{QStringLiteral("IBusEngineDesc"), QVariantMap{}, QStringLiteral("libpinyin"),
                              QStringLiteral("Intelligent Pinyin"), QStringLiteral("Intelligent Pinyin input method"),
                              QStringLiteral("zh_CN"), QStringLiteral("GPL"), QStringLiteral("Peng Wu"),
                              QStringLiteral("/usr/share/ibus-libpinyin/icons/ibus-pinyin.svg"), QStringLiteral("us"),
                              99u, QString(), QStringLiteral("拼"), QStringLiteral("/usr/libexec/ibus-setup-libpinyin"),
                              QString(), QString(), QStringLiteral("1.15.0"), QStringLiteral("ibus-libpinyin"), QString()};
    const auto p = ibusEngineSource(pinyin);
    EXPECT_EQ(p.id, "libpinyin");
    EXPECT_EQ(p.localizedName, QStringLiteral("Intelligent Pinyin"));
    EXPECT_EQ(p.languages, QStringList{"zh_CN"});
    EXPECT_EQ(p.iconPath, "/usr/share/ibus-libpinyin/icons/ibus-pinyin.svg");
    EXPECT_TRUE(p.iconName.isEmpty());
    EXPECT_EQ(p.shortLabel, "拼");
    EXPECT_EQ(p.selectCapable, true);
    // A keyboard engine of the same IBus: a theme icon, no symbol.
    const QVariantList neo{QStringLiteral("IBusEngineDesc"), QVariantMap{}, QStringLiteral("xkb:de:neo:deu"),
                           QStringLiteral("German (Neo 2)"), QStringLiteral("German (Neo 2)"), QStringLiteral("de"),
                           QStringLiteral("GPL"), QStringLiteral("Peng Huang"), QStringLiteral("ibus-keyboard"),
                           QStringLiteral("de"), 1u, QString(), QString(), QString(), QStringLiteral("neo"), QString(),
                           QString(), QString(), QString()};
    const auto k = ibusEngineSource(neo);
    EXPECT_EQ(k.localizedName, QStringLiteral("German (Neo 2)"));
    QVariantList anyLanguage = neo;
    anyLanguage[5] = QString();
    EXPECT_TRUE(ibusEngineSource(anyLanguage).languages.isEmpty()) << "an engine for no language in particular";
    EXPECT_EQ(k.iconName, "ibus-keyboard");
    EXPECT_TRUE(k.iconPath.isEmpty());
    // What is no engine description gives no source.
    EXPECT_TRUE(ibusEngineSource(pinyin.mid(0, 12)).id.isEmpty());
    QVariantList other = pinyin;
    other[0] = QStringLiteral("IBusComponent");
    EXPECT_TRUE(ibusEngineSource(other).id.isEmpty());
}

// Fcitx 5's AvailableInputMethods rows, a(ssssssb): unique name, name, native name, icon,
// label, language, configurable.
TEST(InputMethodReaders, AFcitxInputMethodIsNamedByItsNameAndLabelled)
{
    const auto pinyin = fcitxInputMethodSource({QStringLiteral("pinyin"), QStringLiteral("Pinyin"), QStringLiteral("拼音"),
                                                QStringLiteral("fcitx-pinyin"), QStringLiteral("拼"), QStringLiteral("zh_CN"),
                                                true});
    EXPECT_EQ(pinyin.id, "pinyin");
    EXPECT_EQ(pinyin.localizedName, QStringLiteral("Pinyin"));
    EXPECT_EQ(pinyin.iconName, "fcitx-pinyin");
    EXPECT_EQ(pinyin.shortLabel, "拼");
    EXPECT_EQ(pinyin.languages, QStringList{"zh_CN"});
    const auto german = fcitxInputMethodSource({QStringLiteral("keyboard-de"), QStringLiteral("German"), QString(),
                                                QStringLiteral("input-keyboard"), QStringLiteral("de"), QStringLiteral("de"),
                                                false});
    EXPECT_EQ(german.localizedName, QStringLiteral("German"));
    EXPECT_EQ(german.shortLabel, "de");
    EXPECT_TRUE(fcitxInputMethodSource({QStringLiteral("pinyin"), QStringLiteral("Pinyin")}).id.isEmpty());
}

// Caps Lock is on while the Lock modifier is locked. The effective state also holds Lock while
// a key that sets it as a plain modifier is down (XKB's caps:shift and the like), which locks
// nothing; Num Lock is locked too and is no Caps Lock.
TEST(InputMethodReaders, CapsLockIsTheLockedLockModifierOnly)
{
    // X11's modifier masks (X.h's macros would clash with the test framework's names).
    constexpr unsigned ShiftMask = 1 << 0, LockMask = 1 << 1, ControlMask = 1 << 2, Mod1Mask = 1 << 3, Mod2Mask = 1 << 4,
                       Mod4Mask = 1 << 6;
    EXPECT_TRUE(modifierFlagsFromXkb(LockMask, LockMask).capsLock);
    EXPECT_FALSE(modifierFlagsFromXkb(LockMask | ShiftMask, 0).capsLock) << "held as a shift, not locked";
    EXPECT_FALSE(modifierFlagsFromXkb(ShiftMask | Mod2Mask, Mod2Mask).capsLock) << "Num Lock";
    EXPECT_TRUE(modifierFlagsFromXkb(ShiftMask | LockMask | Mod2Mask, LockMask | Mod2Mask).capsLock);
    EXPECT_TRUE(modifierFlagsFromXkb(ShiftMask | LockMask, LockMask).shift);
    // Each of the other modifiers by itself: Alt is Mod1, the Super key Mod4.
    const auto only = [](const ModifierFlags& f) {
        return QString::fromLatin1("%1%2%3%4%5").arg(int(f.shift)).arg(int(f.control)).arg(int(f.option)).arg(int(f.command)).arg(int(f.capsLock));
    };
    EXPECT_EQ(only(modifierFlagsFromXkb(ControlMask, 0)), "01000");
    EXPECT_EQ(only(modifierFlagsFromXkb(Mod1Mask, 0)), "00100");
    EXPECT_EQ(only(modifierFlagsFromXkb(Mod4Mask, 0)), "00010");
    EXPECT_EQ(only(modifierFlagsFromXkb(Mod2Mask, Mod2Mask)), "00000");
}

}  // namespace
}  // namespace zorbel::platform
