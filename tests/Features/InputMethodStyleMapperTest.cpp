// Which preset each input source gets, and what is stored and announced.
#include "InputMethodTestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace zorbel;
using zorbel::testing::InputMethodTest;

namespace {

class MapperTest : public InputMethodTest {};

}  // namespace

TEST_F(MapperTest, FreshInstallAssignsEverySourceWithOneSaveAndOneAnnouncementEach)
{
    useSources({{"xkb:us::eng", "English (US)"}, {"pinyin", "中文拼音"}, {"anthy", "Japanese"}, {"libpinyin", "Chinese"}});
    picks = {0, 0, 0, 0};
    auto& mapper = InputMethodStyleMapper::shared();
    // Sorted order of ids: anthy, libpinyin, pinyin, xkb:us::eng.
    EXPECT_EQ(mapper.config().styleMapping,
              (QMap<QString, int>{{"anthy", 4}, {"libpinyin", 1}, {"pinyin", 0}, {"xkb:us::eng", 2}}));
    EXPECT_EQ(configWrites(), 4);
    EXPECT_EQ(count("inputMethodStyleConfigChanged"), 4);
    EXPECT_EQ(count("inputMethodMappingUpdated"), 4);
    EXPECT_EQ(posted[1].userInfo.value("isNewInputMethod"), QVariant(true));
    EXPECT_EQ(storedConfig(), mapper.config());
    EXPECT_EQ(world().log.linesContaining("Auto-assigned unused style 0 for 中文拼音").size(), 1);
}

TEST_F(MapperTest, WithEveryIndexTakenTheLeastUsedLowestIndexIsChosen)
{
    useSources({{"new", "German"}});
    InputMethodStyleConfig c;
    for (int i = 0; i < 16; ++i) c.styleMapping.insert(QStringLiteral("old%1").arg(i), i);
    c.styleMapping.insert("extra0", 0);
    c.styleMapping.insert("extra1", 1);
    c.autoAssignNewInputMethods = false;
    defaults().setData("InputMethodStyleConfig", *encodeJson(c).value);
    auto& mapper = InputMethodStyleMapper::shared();
    EXPECT_EQ(mapper.getStyleIndex("new"), 0) << "auto-assignment off answers 0";
    EXPECT_EQ(configWrites(), 1) << "nothing but the setup was written";
    c.autoAssignNewInputMethods = true;
    mapper.setConfig(c);
    EXPECT_EQ(mapper.getStyleIndex("new"), 2);
    EXPECT_EQ(world().log.linesContaining("Auto-assigned least used style 2 for German").size(), 1);
    EXPECT_EQ(mapper.getStyleIndex("unlisted"), 0);
    EXPECT_EQ(world().log.linesContaining("Input method not found: unlisted, using default style").size(), 1);
    EXPECT_FALSE(mapper.config().styleMapping.contains("unlisted"));
}

TEST_F(MapperTest, UserChoicesOutsideThePresetsAreRefused)
{
    auto& mapper = InputMethodStyleMapper::shared();
    const int writes = configWrites();
    mapper.setStyle(16, "xkb:us::eng");
    mapper.setStyle(-1, "xkb:us::eng");
    EXPECT_EQ(configWrites(), writes);
    EXPECT_EQ(world().log.linesContaining("[ERROR]").filter("Invalid style index: 16").size(), 1);
    posted.clear();
    mapper.setStyle(9, "xkb:us::eng");
    EXPECT_EQ(storedConfig().styleMapping.value("xkb:us::eng"), 9);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[1].userInfo.value("isNewInputMethod"), QVariant(false));
}

TEST_F(MapperTest, RemovedSourcesLoseTheirMappingButAnEmptyOrPartialListingRemovesNothing)
{
    useSources({{"a", "A"}, {"b", "B"}, {"c", "C"}});
    auto& mapper = InputMethodStyleMapper::shared();
    ASSERT_EQ(mapper.config().styleMapping.size(), 3);

    keyboard().failListing(true);
    mapper.refreshMappings();
    keyboard().failListing(false);
    keyboard().setSources({});
    mapper.refreshMappings();
    keyboard().setSources({platform::SimulatedKeyboard::keyboardSource("a", "A")});
    keyboard().setListingIncomplete(true);
    mapper.refreshMappings();
    EXPECT_EQ(mapper.config().styleMapping.size(), 3);
    EXPECT_EQ(storedConfig().styleMapping.size(), 3);

    // Thousands of stale entries (sources long uninstalled) go with one store.
    keyboard().setListingIncomplete(false);
    InputMethodStyleConfig stale = mapper.config();
    for (int i = 0; i < 1000; ++i) stale.styleMapping.insert(QStringLiteral("gone-%1").arg(i), i % 16);
    mapper.setConfig(stale);
    const int writes = configWrites();
    posted.clear();
    mapper.refreshMappings();
    EXPECT_EQ(storedConfig().styleMapping, (QMap<QString, int>{{"a", mapper.config().styleMapping.value("a")}}));
    EXPECT_EQ(mapper.config(), storedConfig());
    EXPECT_EQ(configWrites(), writes + 1) << "one save for the whole refresh";
    EXPECT_EQ(count("inputMethodStyleConfigChanged"), 1);
}

TEST_F(MapperTest, AnUnreadableStoredRecordIsKeptUntilTheUserChangesTheMapping)
{
    InputMethodStyleConfig c;
    c.styleMapping = {{"xkb:us::eng", 7}};
    QJsonObject o = QJsonDocument::fromJson(*encodeJson(c).value).object();
    o.remove("configVersion");
    const QByteArray bad = QJsonDocument(o).toJson(QJsonDocument::Compact);
    defaults().setData("InputMethodStyleConfig", bad);
    const int writes = configWrites();

    auto& mapper = InputMethodStyleMapper::shared();
    mapper.getStyleIndex("xkb:us::eng");
    EXPECT_EQ(defaults().dataForKey("InputMethodStyleConfig"), bad);
    EXPECT_EQ(configWrites(), writes);
    EXPECT_EQ(world().log.linesContaining("[WARNING]").size(), 1);
    EXPECT_EQ(world().console.linesStartingWith("[InputMethodStyleMapper] Failed to load config: ").size(), 1);

    mapper.setStyle(3, "xkb:us::eng");
    EXPECT_EQ(storedConfig().styleMapping.value("xkb:us::eng"), 3);
}

TEST_F(MapperTest, RowsCanBeReadWithoutWritingOncePrepared)
{
    auto& mapper = InputMethodStyleMapper::shared();
    keyboard().addSource(platform::SimulatedKeyboard::keyboardSource("hangul", "Korean"));
    const int writes = configWrites();
    EXPECT_EQ(mapper.styleIndexWithoutAssigning("hangul"), 0);
    EXPECT_EQ(configWrites(), writes);
    picks = {0};
    mapper.assignMissingStyles(mapper.inputSourceManager().getAvailableInputSources());
    EXPECT_EQ(mapper.styleIndexWithoutAssigning("hangul"), 11);
    EXPECT_EQ(configWrites(), writes + 1);
}

TEST_F(MapperTest, ResetAssignsAfreshOrLeavesTheMappingEmpty)
{
    useSources({{"a", "A"}, {"b", "B"}});
    auto& mapper = InputMethodStyleMapper::shared();
    mapper.setStyle(15, "a");
    mapper.resetAllMappings();
    EXPECT_EQ(mapper.config().styleMapping.size(), 2);
    EXPECT_NE(mapper.config().styleMapping.value("a"), 15);
    InputMethodStyleConfig c = mapper.config();
    c.autoAssignNewInputMethods = false;
    mapper.setConfig(c);
    mapper.resetAllMappings();
    EXPECT_TRUE(storedConfig().styleMapping.isEmpty());
}
