#include "PageTestSupport.h"
#include "Settings/Advanced/AdvancedSettingsContent.h"
#include "Settings/Advanced/DiagnosticLog.h"
#include "Settings/Advanced/FeedbackView.h"
#include "support/SimulatedDesktopTest.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace zorbel;
using namespace zorbel::testing;

namespace {

class AdvancedPageTest : public SimulatedDesktopTest {
protected:
    void SetUp() override
    {
        SimulatedDesktopTest::SetUp();
        qputenv("XDG_CACHE_HOME", home_.filePath(".cache").toUtf8());
    }
    void TearDown() override
    {
        for (auto* w : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox*>(w) || qobject_cast<QFileDialog*>(w)) delete w;
        window_.reset();
        qunsetenv("XDG_CACHE_HOME");
        SimulatedDesktopTest::TearDown();
    }
    void open()
    {
        page_ = new AdvancedSettingsContent;
        window_ = showPage(page_, 400);
    }
    template <class W>
    W* topLevel(const char* name)
    {
        for (auto* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String(name) && w->isVisible()) return qobject_cast<W*>(w);
        return nullptr;
    }
    QPushButton* button(const char* name) { return page_->findChild<QPushButton*>(QString::fromLatin1(name)); }

    QTemporaryDir home_;
    AdvancedSettingsContent* page_ = nullptr;
    std::unique_ptr<QWidget> window_;
};

}  // namespace

TEST_F(AdvancedPageTest, PermissionIsCheckedOnShowingAndOnRequestOnly)
{
    desktop().setTrusted(false);
    PageRecorder recorder(world());
    open();
    EXPECT_EQ(recorder.writes(), 0);
    EXPECT_TRUE(recorder.posted.isEmpty());
    EXPECT_TRUE(button("grantButton")->isVisible());
    desktop().setTrusted(true);
    EXPECT_TRUE(button("grantButton")->isVisible()) << "no re-check until asked";
    QTest::mouseClick(button("checkPermissionButton"), Qt::LeftButton);
    EXPECT_FALSE(button("grantButton")->isVisible());
    EXPECT_EQ(desktop().trustPrompts(), 0);
    EXPECT_EQ(page_->findChild<QLabel*>("productLine")->text(), "Zorbel v1.0.0") << "no version: the fallback";
    const QString version = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion("2.3.4");
    EXPECT_EQ(AboutSection::productLine(), "Zorbel v2.3.4");
    QCoreApplication::setApplicationVersion(version);
}

TEST_F(AdvancedPageTest, ADesktopWithoutAccessibilitySettingsIsSaidSo)
{
    desktop().setTrusted(false);
    desktop().opensURLs = false;
    open();
    QTest::mouseClick(button("grantButton"), Qt::LeftButton);
    EXPECT_EQ(desktop().openedURLs.size(), 1);
    EXPECT_TRUE(page_->findChild<QLabel*>("openSettingsFailure")->isVisible());
}

TEST_F(AdvancedPageTest, FeedbackNoticeTellsWhatHappened)
{
    open();
    QTest::mouseClick(button("sendFeedbackButton"), Qt::LeftButton);
    auto* section = static_cast<DebugSection*>(page_->findChild<QWidget*>("DebugSection"));
    auto* sheet = section->feedbackView();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->findChild<QPlainTextEdit*>("logPreview")->toPlainText(), section->logContent());
    desktop().opensURLs = false;
    QTest::mouseClick(sheet->findChild<QPushButton*>("feedbackSend"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(section->feedbackView(), nullptr) << "the sheet closed";
    EXPECT_EQ(topLevel<QMessageBox>("feedbackNotice"), nullptr) << "the notice waits a second";
    world().runFor(1.0);
    auto* notice = topLevel<QMessageBox>("feedbackNotice");
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), "未能打开邮件程序");
    EXPECT_TRUE(notice->informativeText().contains(home_.filePath(".cache/zorbel/diagnostics/zorbel-feedback-")));
    // Escape and the title bar's close button end it (a box that refuses to close also
    // refuses the session's logout).
    EXPECT_TRUE(notice->close());
    EXPECT_EQ(topLevel<QMessageBox>("feedbackNotice"), nullptr);

    // A mail program still starting when the desktop answered fails after all: the notice that
    // said the mail opened gives way to the failure, not left standing beside it.
    desktop().opensURLs = true;
    desktop().openedURLFailsAfter = 5.0;
    QTest::mouseClick(button("sendFeedbackButton"), Qt::LeftButton);
    QTest::mouseClick(section->feedbackView()->findChild<QPushButton*>("feedbackSend"), Qt::LeftButton);
    world().runFor(1.0);
    notice = topLevel<QMessageBox>("feedbackNotice");
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), "邮件已打开");
    world().runFor(5.0);
    QApplication::processEvents();
    int shown = 0;
    for (auto* w : QApplication::topLevelWidgets()) shown += w->objectName() == "feedbackNotice" && w->isVisible();
    EXPECT_EQ(shown, 1) << "one notice at a time";
    notice = topLevel<QMessageBox>("feedbackNotice");
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), "未能打开邮件程序");
    EXPECT_TRUE(notice->informativeText().contains(home_.filePath(".cache/zorbel/diagnostics/zorbel-feedback-")));
}

TEST_F(AdvancedPageTest, FailedWritesAreShownToTheUser)
{
    open();
    // The diagnostics folder cannot be made: a file stands where it would go.
    QDir().mkpath(home_.filePath(".cache/zorbel"));
    QFile blocker(home_.filePath(".cache/zorbel/diagnostics"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QTest::mouseClick(button("sendFeedbackButton"), Qt::LeftButton);
    auto* sheet = static_cast<DebugSection*>(page_->findChild<QWidget*>("DebugSection"))->feedbackView();
    QTest::mouseClick(sheet->findChild<QPushButton*>("feedbackSend"), Qt::LeftButton);
    world().runFor(1.0);
    EXPECT_TRUE(sheet->isVisible()) << "the sheet stays";
    EXPECT_TRUE(sheet->findChild<QLabel*>("feedbackFailure")->isVisible());
    EXPECT_TRUE(desktop().openedURLs.isEmpty());
    EXPECT_EQ(topLevel<QMessageBox>("feedbackNotice"), nullptr);

    // The panel starts where the user keeps files: the documents folder, else the home folder.
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home_.path().toUtf8());
    auto* panel = qobject_cast<QFileDialog*>(DebugSection::runExportPanel("text"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->directory().absolutePath(), QDir(home_.path()).absolutePath());
    ASSERT_TRUE(QDir(home_.path()).mkdir("Documents"));
    auto* inDocuments = qobject_cast<QFileDialog*>(DebugSection::runExportPanel("text"));
    qputenv("HOME", oldHome);
    EXPECT_EQ(inDocuments->directory().absolutePath(), QDir(home_.filePath("Documents")).absolutePath());
    delete inDocuments;
    EXPECT_TRUE(panel->selectedFiles().value(0).contains("zorbel-logs-"));
    emit panel->fileSelected(home_.filePath("missing/zorbel-logs-1.0.txt"));
    auto* failure = topLevel<QMessageBox>("exportFailure");
    ASSERT_NE(failure, nullptr);
    EXPECT_EQ(failure->windowTitle(), "导出日志失败");
    EXPECT_TRUE(failure->text().contains(home_.filePath("missing/zorbel-logs-1.0.txt")));
    failure->close();

    // A written export names its file.
    QTest::mouseClick(button("exportLogsButton"), Qt::LeftButton);
    emit topLevel<QFileDialog>("exportLogsPanel")->fileSelected(home_.filePath("zorbel-logs-2.0.txt"));
    auto* done = topLevel<QMessageBox>("exportDone");
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->text(), "日志已导出到:\n" + home_.filePath("zorbel-logs-2.0.txt"));
    EXPECT_TRUE(QFile::exists(home_.filePath("zorbel-logs-2.0.txt")));
}
