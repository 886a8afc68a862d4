#include "Caret/Styles/BrindotStyleManager.h"
#include "Features/InputMethodStyle/InputMethodStyleFeature.h"
#include "Features/InputMethodStyle/Views/InputMethodStyleSettingsView.h"
#include "Features/InputMethodStyle/Views/StyleSelectorView.h"
#include "Features/InputMethodTestSupport.h"
#include "PageTestSupport.h"
#include "Settings/Widgets/Controls.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace zorbel;
using namespace zorbel::testing;

namespace {

class InputMethodPageTest : public InputMethodTest {
protected:
    void SetUp() override
    {
        InputMethodTest::SetUp();
        startWithEnglishAndPinyin();
    }
    void open()
    {
        page_ = new InputMethodStyleSettingsView;
        window_ = showPage(page_, 420);
    }
    QStringList rowIds() const
    {
        QStringList ids;
        const QString prefix = QStringLiteral("inputMethodRow.");
        for (auto* row : page_->findChildren<QWidget*>())
            if (row->isVisible() && row->objectName().startsWith(prefix)) ids << row->objectName().mid(prefix.size());
        return ids;
    }
    QWidget* row(const QString& id) { return find<QWidget>(page_, QStringLiteral("inputMethodRow.") + id); }
    void settle()
    {
        QApplication::processEvents();
        world().runFor(0.05);
        QApplication::processEvents();
    }

    InputMethodStyleSettingsView* page_ = nullptr;
    std::unique_ptr<QWidget> window_;
};

}  // namespace

TEST_F(InputMethodPageTest, OpeningAndRedrawingWritesNothing)
{
    const int before = configWrites();
    open();
    window_->grab();
    window_->hide();
    window_->show();
    settle();
    EXPECT_EQ(configWrites(), before);
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(rowIds(), (QStringList{"xkb:us::eng", "pinyin"}));
    EXPECT_EQ(find<QLabel>(page_, "inputMethodCount")->text(), "已检测到 2 个输入法");
    EXPECT_EQ(find<QLabel>(page_, "currentSourceName")->text(), "English (US)");
    keyboard().select("pinyin");
    settle();
    EXPECT_EQ(find<QLabel>(page_, "currentSourceName")->text(), "中文拼音") << "a switch shows at once";
}

TEST_F(InputMethodPageTest, ANewSourceGetsItsPresetBeforeItsRowIsDrawn)
{
    keyboard().addSource(platform::SimulatedKeyboard::keyboardSource("xkb:de::deu", "German"));
    picks = {1};
    const int before = configWrites();
    open();
    settle();
    EXPECT_EQ(configWrites(), before + 1) << "one assignment for the one new source";
    EXPECT_EQ(storedConfig().styleMapping.value("xkb:de::deu", -1), InputMethodStyleMapper::shared().getStyleIndex("xkb:de::deu"));
    const int afterOpen = configWrites();
    window_->grab();
    settle();
    EXPECT_EQ(configWrites(), afterOpen) << "drawing rows stores nothing";
}

TEST_F(InputMethodPageTest, EmptyAndChangingListsAreShownAsTheyAre)
{
    keyboard().setSources({});
    open();
    settle();
    EXPECT_TRUE(rowIds().isEmpty());
    EXPECT_EQ(find<QLabel>(page_, "inputMethodCount")->text(), "已检测到 0 个输入法");
    ASSERT_NE(find<QWidget>(page_, "noInputMethods"), nullptr);

    keyboard().setSources({platform::SimulatedKeyboard::keyboardSource("xkb:fr::fra", "French")});
    QTest::mouseClick(find<QPushButton>(page_, "refreshEmptyList"), Qt::LeftButton);
    settle();
    EXPECT_EQ(rowIds(), QStringList{"xkb:fr::fra"});

    // The source goes while its sheet is open: confirming still stores only
    // for that identifier and the refreshed list no longer shows it.
    QTest::mouseClick(row("xkb:fr::fra")->findChild<QPushButton*>("changeStyle"), Qt::LeftButton);
    auto* sheet = page_->styleSelector();
    ASSERT_NE(sheet, nullptr);
    keyboard().setSources({});
    QTest::mouseClick(find<QPushButton>(page_, "refreshInputMethods"), Qt::LeftButton);
    settle();
    EXPECT_TRUE(rowIds().isEmpty());
    sheet->select(3);
    QTest::mouseClick(sheet->confirmButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(storedConfig().styleMapping.value("xkb:fr::fra"), 3);
}

TEST_F(InputMethodPageTest, TheSheetStoresOnlyAConfirmedChoiceOnce)
{
    open();
    settle();
    QTest::mouseClick(row("pinyin")->findChild<QPushButton*>("changeStyle"), Qt::LeftButton);
    auto* sheet = page_->styleSelector();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->selectedIndex(), InputMethodStyleMapper::shared().styleIndexWithoutAssigning("pinyin"));
    QTest::mouseClick(find<QWidget>(sheet, "preset.5"), Qt::LeftButton);
    EXPECT_EQ(sheet->selectedIndex(), 5);
    const int before = configWrites();
    QTest::keyClick(sheet, Qt::Key_Escape);
    settle();
    EXPECT_EQ(configWrites(), before) << "cancel stores nothing";

    QTest::mouseClick(row("pinyin")->findChild<QPushButton*>("changeStyle"), Qt::LeftButton);
    sheet = page_->styleSelector();
    QTest::mouseClick(find<QWidget>(sheet, "preset.5"), Qt::LeftButton);
    posted.clear();
    QTest::keyClick(sheet, Qt::Key_Return);
    settle();
    EXPECT_EQ(configWrites(), before + 1);
    EXPECT_EQ(count("inputMethodStyleConfigChanged"), 1);
    EXPECT_EQ(storedConfig().styleMapping.value("pinyin"), 5);
    EXPECT_EQ(row("pinyin")->findChild<QLabel*>("presetName")->text(),
              StylePresetProvider::shared().presets()[5].name);

    // A stored index no preset has cannot be confirmed, and says so.
    StyleSelectorView odd("x", "X", 99, [](int) { FAIL() << "reported"; }, [] {});
    EXPECT_FALSE(odd.confirmButton()->isEnabled());
    EXPECT_TRUE(find<QLabel>(&odd, "selectedPresetName")->text().contains("99"));
}

TEST_F(InputMethodPageTest, TheFeatureSwitchStoresOnceAndSwitchesTheStyleManager)
{
    open();
    settle();
    auto* toggle = find<ui::SwitchToggle>(page_, "inputMethodStyleSwitch");
    ASSERT_TRUE(toggle->isChecked());
    const int before = configWrites();
    QTest::mouseClick(toggle, Qt::LeftButton);
    settle();
    EXPECT_EQ(configWrites(), before + 1);
    EXPECT_FALSE(storedConfig().enabled);
    EXPECT_FALSE(BrindotStyleManager::shared().inputMethodStyleEnabled());
    EXPECT_EQ(find<QLabel>(page_, "inputMethodStyleStatus")->text(), "已禁用 - 使用统一的 brindot 样式");
    QTest::mouseClick(find<ui::SwitchToggle>(page_, "capsLockIndicatorSwitch"), Qt::LeftButton);
    settle();
    EXPECT_EQ(configWrites(), before + 2);
    EXPECT_FALSE(storedConfig().capsLockIndicatorEnabled);
    EXPECT_FALSE(storedConfig().enabled) << "the Caps Lock switch changes only its own field";
}
