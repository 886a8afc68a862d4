#include "BrindotHUD/BrindotHUDManager.h"
#include "PageTestSupport.h"
#include "Settings/HUD/HUDAppearanceSections.h"
#include "Settings/HUD/HUDArrangementSections.h"
#include "Settings/HUD/HUDConfigEdits.h"
#include "Settings/HUD/HUDSettingsContent.h"
#include "Settings/Widgets/Controls.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace zorbel;
using namespace zorbel::testing;
using T = HUDContentType;

namespace {

class HUDPageTest : public WorldTest {
protected:
    void open()
    {
        page_ = new HUDSettingsContent;
        window_ = showPage(page_);
    }
    BrindotHUDManager& hud() { return BrindotHUDManager::shared(); }
    std::vector<T> types() const { return BrindotHUDManager::shared().config().contentTypes; }
    int stored() { return world().defaults.standard().writeCount(BrindotHUDManager::defaultsKey); }
    template <class W>
    W* child(const char* name)
    {
        auto* w = page_->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void setTypes(std::vector<T> t)
    {
        auto c = hud().config();
        c.contentTypes = std::move(t);
        hud().setConfig(c);
    }

    HUDSettingsContent* page_ = nullptr;
    std::unique_ptr<QWidget> window_;
};

}  // namespace

TEST_F(HUDPageTest, OpeningShowsTheDefaultRecordAndWritesNothing)
{
    PageRecorder recorder(world());
    open();
    window_->grab();
    EXPECT_EQ(recorder.writes(), 0);
    EXPECT_TRUE(recorder.posted.isEmpty());
    EXPECT_TRUE(child<QWidget>("hideWhileTypingSwitch")->isVisible());
    EXPECT_EQ(child<QLabel>("hudOpacityValue")->text(), "90%");
    EXPECT_EQ(child<QLabel>("hudOffsetValue")->text(), "20px");
    EXPECT_EQ(child<QLabel>("hudDurationValue")->text(), "0.0s");
    EXPECT_EQ(child<QSlider>("hudDurationSlider")->value(), 1) << "0 (never hides) has the far left of its own";
    EXPECT_EQ(child<QComboBox>("hudAnimationPicker")->currentText(), "淡入淡出");
    EXPECT_EQ(child<QToolButton>("hudAddContent")->menu()->actions().size(), 3);
}

TEST_F(HUDPageTest, EachActionStoresTheWholeRecordOnce)
{
    open();
    int notified = 0;
    hud().addConfigChangeCallback([&](const BrindotHUDConfig&) { ++notified; });
    QTest::mouseClick(child<QWidget>("hudPosition.bottomLeft"), Qt::LeftButton);
    EXPECT_EQ(stored(), 1);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(hud().config().position, HUDPosition::bottomLeft);
    EXPECT_EQ(hud().config().offset, 20) << "the offset slider did not write back";

    QTest::mouseClick(child<QWidget>("hudEnabledSwitch"), Qt::LeftButton);
    EXPECT_FALSE(hud().config().isEnabled);
    EXPECT_FALSE(child<QWidget>("hideWhileTypingSwitch")->isVisibleTo(page_));
    child<QSlider>("hudOpacitySlider")->setValue(5);
    EXPECT_DOUBLE_EQ(hud().config().opacity, 0.25);
    EXPECT_EQ(child<QLabel>("hudOpacityValue")->text(), "25%");
    EXPECT_EQ(stored(), 3);
    EXPECT_EQ(notified, 3);
    // The duration slider's far left is 0 again, the HUD that never hides.
    child<QSlider>("hudDurationSlider")->setValue(2);
    EXPECT_EQ(child<QLabel>("hudDurationValue")->text(), "1.0s");
    child<QSlider>("hudDurationSlider")->setValue(1);
    EXPECT_EQ(hud().config().displayDuration, 0);
    EXPECT_EQ(child<QLabel>("hudDurationValue")->text(), "0.0s");
    EXPECT_EQ(stored(), 5);

    // A hand-edited record shows clamped and truncated, and stays stored as it is.
    auto odd = hud().config();
    odd.opacity = 0.29;
    odd.offset = -3.7;
    odd.displayDuration = 1e300;
    hud().setConfig(odd);
    EXPECT_EQ(child<QLabel>("hudOpacityValue")->text(), "28%");
    EXPECT_EQ(child<QLabel>("hudOffsetValue")->text(), "-3px");
    EXPECT_DOUBLE_EQ(hud().config().opacity, 0.29);
}

TEST_F(HUDPageTest, ContentListEditsFollowTheStoredOrder)
{
    using hudEdits::removeContent;
    using hudEdits::switchContent;
    BrindotHUDConfig c;
    c = *switchContent(c, T::battery, true);
    c = *switchContent(c, T::time, false);
    c = *switchContent(c, T::time, true);
    EXPECT_EQ(c.contentTypes, (std::vector<T>{T::inputMethod, T::battery, T::time}));
    EXPECT_FALSE(switchContent(c, T::time, true)) << "already there: nothing written";
    c.contentTypes = {T::time, T::typingCount, T::time, T::custom};
    EXPECT_EQ(switchContent(c, T::time, false)->contentTypes, (std::vector<T>{T::typingCount, T::custom}));
    EXPECT_EQ(removeContent(c, 2, T::time)->contentTypes, (std::vector<T>{T::time, T::typingCount, T::custom}));
    EXPECT_FALSE(removeContent(c, 4, T::time)) << "a row beyond the current list";
    EXPECT_FALSE(removeContent(c, 1, T::time)) << "the list changed under the row";
    EXPECT_EQ(hudEdits::addableContentTypes(c.contentTypes), (std::vector<T>{T::inputMethod, T::battery}));

    open();
    // Rows of an earlier record are hidden until they are deleted on a later turn.
    auto remove = [this](int i) {
        for (auto* b : page_->findChildren<QToolButton*>(QStringLiteral("hudRemoveContent.%1").arg(i)))
            if (b->isVisibleTo(page_)) return b->click();
        ADD_FAILURE() << "no row " << i;
    };
    remove(0);
    EXPECT_EQ(types(), std::vector<T>{T::time});
    QApplication::processEvents();
    auto* add = child<QToolButton>("hudAddContent");
    add->menu()->findChild<QAction*>("hudAdd.inputMethod")->trigger();
    EXPECT_EQ(types(), (std::vector<T>{T::time, T::inputMethod}));
    QApplication::processEvents();
    remove(1);
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    remove(0);
    QApplication::processEvents();
    EXPECT_TRUE(types().empty());
    EXPECT_EQ(add->menu()->actions().size(), 5);
    // The check boxes edit the same list and keep kinds they do not show.
    setTypes({T::typingCount});
    QTest::mouseClick(child<ui::CheckboxToggle>("hudContent.battery")->box(), Qt::LeftButton);
    EXPECT_EQ(types(), (std::vector<T>{T::typingCount, T::battery}));
}

TEST_F(HUDPageTest, ACustomBackgroundMustBeAPictureTheHUDCanDraw)
{
    QTemporaryDir dir;
    auto write = [&](const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    };
    auto c = hud().config();
    c.style = HUDStyle::custom;
    hud().setConfig(c);
    open();
    auto* section = static_cast<HUDCustomBackgroundSection*>(page_->findChild<QWidget*>("HUDCustomBackgroundSection"));
    const int before = stored();
    EXPECT_TRUE(section->useFile(write("notes.png", "just text")));
    EXPECT_TRUE(section->useFile(write("huge.ppm", "P6\n20000 20000\n255\n")));
    // The check reads no FIFO: it would wait for a writer for good.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.png")).constData(), 0600), 0);
    EXPECT_TRUE(section->useFile(dir.filePath("pipe.png")));
    EXPECT_EQ(stored(), before) << "refused files are not stored";
    EXPECT_TRUE(child<QLabel>("hudBackgroundProblem")->isVisibleTo(page_));

    const QString sky = write("sky.ppm", QByteArray("P6\n2 1\n255\n") + QByteArray(6, '\x7f'));
    EXPECT_FALSE(section->useFile(sky));
    EXPECT_EQ(hud().config().customBackgroundPath, sky);
    EXPECT_EQ(child<QLabel>("hudBackgroundFileName")->text(), "sky.ppm");
    // The file goes away later: the page says so the next time it shows the record.
    QFile::remove(sky);
    hud().setConfig(hud().config());
    EXPECT_EQ(child<QLabel>("hudBackgroundFileName")->text(), "sky.ppm（文件已不存在）");
    QTest::mouseClick(child<QPushButton>("hudClearBackground"), Qt::LeftButton);
    EXPECT_FALSE(hud().config().customBackgroundPath);
    EXPECT_EQ(hud().config().style, HUDStyle::custom);
}
