// The input-method, HUD and advanced pages on the real desktop, in-process through the Linux
// services: each page is shown (screenshots kept, top to bottom), the style selector sheet
// picks a preset for each of two keyboard layouts, and after a layout switch the indicator
// beside a GTK 3 editor's caret takes the colour picked for the new layout.
#include "Caret/Managers/BrindotManager.h"
#include "Caret/Managers/PerfectCaretManager.h"
#include "Caret/UI/PerfectCaretWindowController.h"
#include "Features/InputMethodStyle/InputMethodStyleFeature.h"
#include "Features/InputMethodStyle/Managers/InputMethodStyleMapper.h"
#include "Features/InputMethodStyle/Managers/StylePresetProvider.h"
#include "Features/InputMethodStyle/Views/StyleSelectorView.h"
#include "Platform/Services.h"
#include "Shell/SettingsWindowController.h"
#include "Shell/StatusBarManager.h"
#include "indicator/IndicatorChecks.h"
#include "support/AccessibilityProbe.h"
#include "support/DesktopTools.h"
#include "support/EditorWithIndicatorTest.h"
#include "support/LinuxServices.h"
#include "support/Poll.h"
#include "support/TextClient.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QPointer>
#include <QPushButton>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>

#include <gtest/gtest.h>

namespace zorbel::integration {

bool lockXkbGroup(int group);

namespace {

const QString kUs = QStringLiteral("xkb:us::eng");
const QString kDe = QStringLiteral("xkb:de::deu");

QString artifactsFolder()
{
    const QString folder = QStringLiteral(ZORBEL_ARTIFACTS_DIR) + QStringLiteral("/settings-pages");
    QDir().mkpath(folder);
    return folder;
}

class SettingsPagesTest : public EditorWithIndicatorTest {
protected:
    void SetUp() override
    {
        QProcess setxkbmap;
        setxkbmap.start(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), QStringLiteral("us,de")});
        ASSERT_TRUE(setxkbmap.waitForFinished(10000) && setxkbmap.exitCode() == 0);
        ASSERT_TRUE(lockXkbGroup(0));
        EditorWithIndicatorTest::SetUp();
    }
    void TearDown() override
    {
        EditorWithIndicatorTest::TearDown();
        lockXkbGroup(0);
    }

    QWidget* window() { return SettingsWindowController::shared()->window(); }

    void click(QWidget* w)
    {
        ASSERT_NE(w, nullptr);
        // Named before the click: a widget that goes while it is clicked cannot be asked after.
        const std::string name = w->objectName().toStdString();
        ASSERT_TRUE(clickWidget(w)) << "the click reaches " << name;
    }
    void click(const QString& name) { click(window()->findChild<QWidget*>(name)); }

    // Screenshots of the page from its top to its end.
    void shootPage(const QString& page)
    {
        QWidget* content = window()->findChild<QWidget*>(page);
        ASSERT_NE(content, nullptr) << page.toStdString();
        QScrollArea* scroll = nullptr;
        for (QWidget* w = content; w && !scroll; w = w->parentWidget()) scroll = qobject_cast<QScrollArea*>(w);
        ASSERT_NE(scroll, nullptr);
        auto* bar = scroll->verticalScrollBar();
        int shot = 0;
        for (int value = 0;; value += scroll->viewport()->height() - 40) {
            bar->setValue(value);
            const auto picture = steadyShot(*windowGeometry(window()->winId()));
            ASSERT_TRUE(picture) << "the page settles at " << value;
            const QString file = artifactsFolder() + QStringLiteral("/%1-%2.png").arg(page).arg(shot++);
            EXPECT_TRUE(picture->save(file)) << file.toStdString();
            if (bar->value() >= bar->maximum()) break;
        }
        bar->setValue(0);
    }

    // Opens the selector sheet of a layout's row and confirms a preset.
    void pickPreset(const QString& source, int preset, bool keepShot)
    {
        QWidget* row = nullptr;
        for (auto* shown : window()->findChildren<QWidget*>(QStringLiteral("inputMethodRow.") + source))
            if (shown->isVisible()) row = shown;
        ASSERT_NE(row, nullptr) << source.toStdString();
        auto* change = row->findChild<QWidget*>(QStringLiteral("changeStyle"));
        // Bring the row into view before clicking it.
        for (QWidget* w = row; w; w = w->parentWidget())
            if (auto* scroll = qobject_cast<QScrollArea*>(w)) scroll->ensureWidgetVisible(row);
        click(change);
        StyleSelectorView* sheet = nullptr;
        ASSERT_TRUE(pollUntil([&] {
            sheet = static_cast<StyleSelectorView*>(window()->findChild<QWidget*>(QStringLiteral("StyleSelectorView")));
            return sheet && isViewable(sheet->winId()) == true;
        }, 5s));
        click(sheet->findChild<QWidget*>(QStringLiteral("preset.%1").arg(preset)));
        if (keepShot)
            grabScreen().copy(*windowGeometry(sheet->winId())).save(artifactsFolder() + QStringLiteral("/selector-sheet.png"));
        click(sheet->findChild<QWidget*>(QStringLiteral("selectorConfirm")));
        // The page lists its rows afresh on a later turn: the row names the pick once the
        // new one is there, and only that one can be clicked next.
        const auto chosen = StylePresetProvider::shared().preset(preset);
        ASSERT_TRUE(chosen) << preset;
        const QString picked = chosen->name;
        ASSERT_TRUE(pollUntil([&] {
            for (auto* shown : window()->findChildren<QWidget*>(QStringLiteral("inputMethodRow.") + source)) {
                const auto* name = shown->isVisible() ? shown->findChild<QLabel*>(QStringLiteral("presetName")) : nullptr;
                if (name && name->text() == picked) return true;
            }
            return false;
        }, 5s)) << source.toStdString() << " shows " << picked.toStdString();
    }

    bool indicatorShows(Hue hue)
    {
        return pollUntil([&] {
            const auto p = windowGeometry(panel()->winId());
            return p && isViewable(panel()->winId()) == true && hueAt(grabScreen(), centreOf(*p).toPoint()) == hue;
        }, 5s, 20ms);
    }
};

TEST_F(SettingsPagesTest, PagesShowAndAPresetPickedForALayoutIsTakenAfterASwitch)
{
    ASSERT_NO_FATAL_FAILURE(startEditor(InputMethodStyleFeature::initializeAtLaunch));
    SettingsWindowController::showSettings();
    ASSERT_TRUE(pollUntil([&] { return isViewable(window()->winId()) == true; }, 5s));

    click(QStringLiteral("tab.advanced"));
    ASSERT_NO_FATAL_FAILURE(shootPage(QStringLiteral("AdvancedSettingsContent")));

    // The notice after a send says what the desktop's opener answered: a
    // stand-in xdg-open on PATH that exits 3 (no handler), then 0; so does
    // the notice's "打开文件位置".
    QTemporaryDir bin;
    const QByteArray path = qgetenv("PATH");
    for (const auto& [name, body] :
         {std::pair{"xdg-open", "here=\"$(dirname \"$0\")\"; echo \"$1\" >> \"$here/opened\"; "
                                "[ -f \"$here/delay\" ] && sleep $(cat \"$here/delay\"); exit $(cat \"$here/status\")"},
          std::pair{"xdg-mime", "echo thunderbird.desktop"}}) {
        QFile script(bin.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QByteArray("#!/bin/sh\n") + body + "\n");
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    qputenv("PATH", bin.path().toUtf8() + ":" + path);
    for (const auto& [status, title] : {std::pair{"3", "未能打开邮件程序"}, std::pair{"0", "邮件已打开"}}) {
        QFile answer(bin.filePath(QStringLiteral("status")));
        ASSERT_TRUE(answer.open(QIODevice::WriteOnly));
        answer.write(status);
        answer.close();
        click(QStringLiteral("sendFeedbackButton"));
        QWidget* sheet = nullptr;
        ASSERT_TRUE(pollUntil([&] {
            sheet = window()->findChild<QWidget*>(QStringLiteral("FeedbackView"));
            return sheet && isViewable(sheet->winId()) == true;
        }, 5s));
        if (*status == '3')
            grabScreen().copy(*windowGeometry(sheet->winId())).save(artifactsFolder() + QStringLiteral("/feedback-sheet.png"));
        click(sheet->findChild<QWidget*>(QStringLiteral("feedbackSend")));
        QPointer<QMessageBox> notice;
        ASSERT_TRUE(pollUntil([&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == QLatin1String("feedbackNotice") && w->isVisible())
                    notice = static_cast<QMessageBox*>(w);
            return notice && isViewable(notice->winId()) == true;
        }, 10s));
        EXPECT_EQ(notice->text(), QString::fromUtf8(title)) << "xdg-open exited " << status;
        const auto picture = steadyShot(*windowGeometry(notice->winId()));
        ASSERT_TRUE(picture) << "the notice settles";
        picture->save(artifactsFolder() + QStringLiteral("/feedback-notice-%1.png").arg(QLatin1String(status)));
        QWidget* reveal = notice->findChild<QWidget*>(QStringLiteral("revealFile"));
        click(reveal);
        ASSERT_TRUE(pollUntil([&] { return !notice || !notice->isVisible(); }, 3s));
        QPointer<QWidget> failure;
        const bool said = pollUntil([&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == QLatin1String("revealFailure") && w->isVisible()) failure = w;
            return !failure.isNull();
        }, *status == '3' ? 5s : 1s);
        EXPECT_EQ(said, *status == '3') << "xdg-open exited " << status;
        if (failure) failure->close();
    }
    QFile opened(bin.filePath(QStringLiteral("opened")));
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    const QStringList addresses = QString::fromUtf8(opened.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(addresses.size(), 4);
    EXPECT_TRUE(addresses[0].startsWith(QStringLiteral("mailto:?subject=")));
    EXPECT_TRUE(addresses[1].startsWith(QStringLiteral("file:///")) && addresses[1].endsWith(QStringLiteral("/diagnostics")))
        << addresses[1].toStdString();

    // A mail program that xdg-open still runs when the notice is due, and that then fails: the
    // notice said the mail opened, and gives way to the failure once xdg-open tells it.
    for (const auto& [name, content] : {std::pair{"status", "4"}, std::pair{"delay", "4"}}) {
        QFile file(bin.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    click(QStringLiteral("sendFeedbackButton"));
    QPointer<QWidget> sheet;
    ASSERT_TRUE(pollUntil([&] {
        sheet = window()->findChild<QWidget*>(QStringLiteral("FeedbackView"));
        return sheet && isViewable(sheet->winId()) == true;
    }, 5s));
    click(sheet->findChild<QWidget*>(QStringLiteral("feedbackSend")));
    const auto shownNotices = [] {
        QList<QMessageBox*> shown;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("feedbackNotice") && w->isVisible() && isViewable(w->winId()) == true)
                shown << static_cast<QMessageBox*>(w);
        return shown;
    };
    ASSERT_TRUE(pollUntil([&] {
        const auto shown = shownNotices();
        return shown.size() == 1 && shown[0]->text() == QStringLiteral("邮件已打开");
    }, 10s)) << "the mail program still starting is taken to have opened the mail";
    ASSERT_TRUE(pollUntil([&] {
        const auto shown = shownNotices();
        return shown.size() == 1 && shown[0]->text() == QStringLiteral("未能打开邮件程序");
    }, 10s)) << "its failure replaces the notice";
    const auto failed = steadyShot(*windowGeometry(shownNotices()[0]->winId()));
    ASSERT_TRUE(failed) << "the notice settles";
    failed->save(artifactsFolder() + QStringLiteral("/feedback-notice-late-failure.png"));
    shownNotices()[0]->close();
    qputenv("PATH", path);

    click(QStringLiteral("tab.inputMethodStyle"));
    ASSERT_TRUE(pollUntil([&] { return window()->findChild<QWidget*>(QStringLiteral("inputMethodRow.") + kDe); }, 3s))
        << "both layouts are listed";
    ASSERT_NO_FATAL_FAILURE(shootPage(QStringLiteral("InputMethodStyleSettingsView")));
    ASSERT_NO_FATAL_FAILURE(pickPreset(kUs, 1, false));  // red
    ASSERT_NO_FATAL_FAILURE(pickPreset(kDe, 2, true));   // green
    const auto& mapping = InputMethodStyleMapper::shared().config().styleMapping;
    EXPECT_EQ(mapping.value(kUs, -1), 1);
    EXPECT_EQ(mapping.value(kDe, -1), 2);

    // Back to the editor, as a user would: the window is closed and the editor clicked.
    const quint64 settingsWindow = window()->winId();
    SettingsWindowController::shared()->close();
    ASSERT_TRUE(pollUntil([&] { return isViewable(settingsWindow) != true; }, 3s)) << "the window closes";
    ASSERT_TRUE(focusWindow(client_->windowId()));
    ASSERT_TRUE(clickAt(entry_));
    ASSERT_TRUE(typeText(QStringLiteral("y")));
    EXPECT_TRUE(indicatorShows(Hue::red)) << "the us layout's pick";
    ASSERT_TRUE(lockXkbGroup(1));
    EXPECT_TRUE(indicatorShows(Hue::green)) << "after the switch, the de layout's pick";
    grabScreen().save(artifactsFolder() + QStringLiteral("/indicator-after-switch.png"));
}

}  // namespace
}  // namespace zorbel::integration
