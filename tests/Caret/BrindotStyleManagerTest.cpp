#include "Caret/Styles/BrindotStyleJson.h"
#include "Caret/Styles/BrindotStyleManager.h"
#include "StyleTestSupport.h"
#include "support/TestWorld.h"

#include <cmath>
#include <functional>

using namespace zorbel;
using zorbel::testing::expectIdentical;
using zorbel::testing::unusualStyle;
using zorbel::testing::WorldTest;

namespace {

class BrindotStyleManagerTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        token_ = world().notifications.addObserver("BrindotStyleChanged", [this](const platform::Notification& n) {
            events.push_back("notification");
            ASSERT_TRUE(n.object.canConvert<BrindotStyle>());
            posted.push_back(n.object.value<BrindotStyle>());
            EXPECT_TRUE(n.userInfo.isEmpty());
        });
    }
    platform::MemoryUserDefaults& defaults() { return world().defaults.standard(); }
    int writes() { return world().defaults.standard().writeCount("BrindotStyle"); }
    QByteArray stored() { return world().defaults.standard().dataForKey("BrindotStyle").value_or(QByteArray()); }
    void debugMode() { defaults().setBool("BrindotDebugMode", true); }

    std::vector<std::string> events;
    std::vector<BrindotStyle> posted;

private:
    platform::NotificationToken token_;
};

}  // namespace

TEST_F(BrindotStyleManagerTest, FirstLaunchUsesTheDefaultAndWritesNothing)
{
    auto& manager = BrindotStyleManager::shared();
    EXPECT_EQ(&manager, &BrindotStyleManager::shared());
    expectIdentical(manager.currentStyle(), BrindotStyle::defaultStyle());
    EXPECT_FALSE(defaults().contains("BrindotStyle"));
    EXPECT_TRUE(posted.empty());
    const QStringList lines = world().log.lines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith("[INFO] BrindotStyleManager.cpp:"));
    EXPECT_TRUE(lines[0].endsWith(" init() - BrindotStyleManager initialized"));
}

TEST_F(BrindotStyleManagerTest, AStoredStyleIsLoadedWithoutBeingWrittenOrAnnounced)
{
    defaults().setData("BrindotStyle", *encodeJson(unusualStyle()).value);
    const int before = writes();
    BrindotStyleManager manager;
    expectIdentical(manager.currentStyle(), unusualStyle());
    EXPECT_EQ(writes(), before);
    EXPECT_TRUE(posted.empty());
}

TEST_F(BrindotStyleManagerTest, EveryAssignmentSavesOnceThenAnnouncesOnceEvenWhenUnchanged)
{
    debugMode();
    BrindotStyleManager manager;
    std::vector<double> seenBySubscriber;
    std::vector<double> heldDuringDelivery;
    auto subscription = manager.currentStylePublisher().sink([&](const BrindotStyle& s) {
        seenBySubscriber.push_back(s.size);
        heldDuringDelivery.push_back(manager.currentStyle().size);
    });
    manager.addStyleChangeCallback([&](const BrindotStyle& s) {
        events.push_back("callback");
        EXPECT_EQ(writes(), static_cast<int>(posted.size()) + 1) << "saved before the callbacks run";
        EXPECT_EQ(s.size, manager.currentStyle().size);
    });

    BrindotStyle bigger = manager.currentStyle();
    bigger.size = 24;
    manager.setCurrentStyle(bigger);
    manager.setCurrentStyle(bigger);

    EXPECT_EQ(writes(), 2);
    EXPECT_EQ(events, (std::vector<std::string>{"callback", "notification", "callback", "notification"}));
    ASSERT_EQ(posted.size(), 2u);
    expectIdentical(posted[1], bigger);
    expectIdentical(*decodeBrindotStyle(stored()).value, bigger);
    EXPECT_EQ(seenBySubscriber, (std::vector<double>{10, 24, 24}));
    EXPECT_EQ(heldDuringDelivery, (std::vector<double>{10, 10, 24})) << "subscribers hear before the store";
    EXPECT_EQ(world().log.linesContaining("saveStyle() - Style saved").size(), 2);
    EXPECT_EQ(world().log.linesContaining("notifyStyleChanged() - Style changed notification sent").size(), 2);
}

// The style page changes the user's style and the current one at once: both
// records go to the settings file in one replacement, so a page edit (a slider
// step among them) costs one write and the records are never found apart.
TEST_F(BrindotStyleManagerTest, PresetsResetAndFieldEditsStoreBothRecordsInOneWrite)
{
    BrindotStyleManager manager;
    const auto edited = [&](const char* what, const std::function<void()>& edit, const BrindotStyle& expected) {
        const int before = defaults().replacementCount();
        edit();
        EXPECT_EQ(defaults().replacementCount() - before, 1) << what;
        expectIdentical(*decodeBrindotStyle(stored()).value, expected);
        expectIdentical(*decodeBrindotStyle(defaults().dataForKey("BrindotUserStyle").value_or("")).value, expected);
    };
    const PresetStyle blue = PresetStyle::wholeStyles()[1];
    edited("preset", [&] { manager.applyPresetStyle(blue); }, blue.style);
    expectIdentical(manager.currentStyle(), blue.style);
    BrindotStyle larger = blue.style;
    larger.size = 21;
    edited("field", [&] { manager.editUserStyle([](BrindotStyle& s) { s.size = 21; }); }, larger);
    edited("reset", [&] { manager.resetToDefault(); }, BrindotStyle::defaultStyle());
    expectIdentical(manager.currentStyle(), BrindotStyle::defaultStyle());
    EXPECT_EQ(writes(), 3);
    EXPECT_EQ(posted.size(), 3u);
    EXPECT_EQ(world().log.linesContaining("applyPresetStyle(_:) - Applied preset style: 蓝色圆形").size(), 1);
    EXPECT_EQ(world().log.linesContaining("[INFO]").filter("resetToDefault() - Reset to default style").size(), 1);
}

TEST_F(BrindotStyleManagerTest, UnreadableStoredDataGivesTheDefaultWithOneWarningAndStaysUntilChanged)
{
    const QByteArray whole = *encodeJson(unusualStyle()).value;
    const QByteArray negativeSize = QByteArray(whole).replace("\"size\":17.25", "\"size\":-17.25");
    ASSERT_NE(negativeSize, whole);
    const std::vector<QByteArray> bad{"not json at all", whole.left(whole.size() - 9), R"({"size": NaN})",
                                      QByteArray(whole).replace("\"shadowOpacity\":0.35", "\"shadowOpacity\":nan"),
                                      negativeSize, "", "[]"};
    for (const QByteArray& bytes : bad) {
        world().log.clear();
        defaults().setData("BrindotStyle", bytes);
        const int before = writes();
        {
            BrindotStyleManager manager;
            expectIdentical(manager.currentStyle(), BrindotStyle::defaultStyle());
            const QStringList warnings = world().log.linesContaining("[WARNING]");
            ASSERT_EQ(warnings.size(), 1) << bytes.toStdString();
            EXPECT_TRUE(warnings[0].contains("loadStyle() - Failed to load style: ")) << warnings[0].toStdString();
            EXPECT_TRUE(warnings[0].endsWith(", using default"));
            EXPECT_EQ(writes(), before);
            EXPECT_EQ(stored(), bytes) << "kept for the user until the style is changed";
        }
    }
    BrindotStyleManager manager;
    manager.resetToDefault();
    expectIdentical(*decodeBrindotStyle(stored()).value, BrindotStyle::defaultStyle());
}

TEST_F(BrindotStyleManagerTest, AStoredValueThatIsNotDataIsAlsoReplacedByTheDefault)
{
    defaults().setObject("BrindotStyle", QStringList{"shape", "circle"});
    BrindotStyleManager manager;
    expectIdentical(manager.currentStyle(), BrindotStyle::defaultStyle());
    EXPECT_EQ(world().log.linesContaining("Failed to load style: ").size(), 1);
}

TEST_F(BrindotStyleManagerTest, AFailedSaveIsAnErrorKeepsTheStoredStyleAndStillAnnounces)
{
    BrindotStyleManager manager;
    manager.setCurrentStyle(unusualStyle());
    const QByteArray good = stored();

    BrindotStyle broken = unusualStyle();
    broken.size = std::nan("");
    manager.setCurrentStyle(broken);
    EXPECT_EQ(stored(), good);
    EXPECT_EQ(posted.size(), 2u);
    QStringList errors = world().log.linesContaining("[ERROR]");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("saveStyle() - Failed to save style: Key \"size\"")) << errors[0].toStdString();

    defaults().setFailWrites(true);
    manager.resetToDefault();
    EXPECT_EQ(stored(), good);
    EXPECT_EQ(posted.size(), 3u);
    EXPECT_EQ(world().log.linesContaining("Failed to save style: ").size(), 2);
}
