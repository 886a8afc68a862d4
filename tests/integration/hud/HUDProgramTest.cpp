// The real program with the HUD switched on, beside a GTK 3 editor: Caps Lock brings the
// HUD up below the indicator, at the stored opacity whatever the animation, without taking
// the keyboard from the editor, and it goes again after its display time; typing takes it
// away and is counted; a HUD too faint to see lets clicks through.
#include "BrindotHUD/BrindotHUDConfig.h"
#include "Caret/Styles/BrindotStyleJson.h"
#include "indicator/IndicatorChecks.h"
#include "support/AccessibilityProbe.h"
#include "support/DesktopTools.h"
#include "support/Poll.h"
#include "support/ProgramProcess.h"
#include "support/TextClient.h"
#include "support/TrayHost.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <stdexcept>

namespace zorbel::integration {
namespace {

const QString kIndicatorTitle = QStringLiteral("Zorbel indicator");
const QString kHUDTitle = QStringLiteral("Zorbel HUD");
constexpr double kOpacity = 0.8;
constexpr double kOffset = 20;

BrindotHUDConfig storedHUD(AnimationType animation)
{
    BrindotHUDConfig c;
    c.animationType = animation;
    c.animationDuration = 0.2;
    c.displayDuration = 2.0;
    c.opacity = kOpacity;
    c.colorScheme = HUDColorScheme::dark;
    c.shape = HUDShape::roundedRectangle;
    c.layout = HUDLayout::horizontal;
    c.position = HUDPosition::bottom;
    c.offset = kOffset;
    c.contentTypes = {HUDContentType::inputMethod, HUDContentType::time};
    return c;
}

class HUDProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config_.isValid());
        QString error;
        client_ = TextClient::start(Toolkit::Gtk3, {QStringLiteral("Editor"), QRect(400, 100, 480, 320)}, &error);
        if (!client_) throw std::runtime_error(error.toStdString());
        const qint64 pid = client_->pid();
        ASSERT_TRUE(pollUntil([&] { return isRegistered(pid); }, 10s));
        window_ = *windowGeometry(client_->windowId());
        ASSERT_TRUE(focusWindow(client_->windowId()));
        ASSERT_TRUE(clickAt({window_.center().x(), window_.top() + 20}));
        ASSERT_TRUE(typeText(QStringLiteral("xx")));
        ASSERT_TRUE(pollUntil([&] {
            const auto texts = editableTexts(pid);
            return texts && !texts->isEmpty() && texts->first() == QStringLiteral("xx");
        }, 5s));
        before_ = grabScreen();
    }
    void TearDown() override
    {
        stopProgram();
        if (capsLockOn_) pressKeys(QStringLiteral("Caps_Lock"));
        client_.reset();
    }

    void writeSettings(const BrindotHUDConfig& hud)
    {
        const QString folder = config_.path() + QStringLiteral("/zorbel");
        ASSERT_TRUE(QDir().mkpath(folder));
        QFile suite(folder + QStringLiteral("/quellan.brindot.ini"));
        ASSERT_TRUE(suite.open(QIODevice::WriteOnly));
        suite.write("[General]\nisBrindotEnabled=true\n");
        suite.close();
        QSettings defaults(folder + QStringLiteral("/defaults.ini"), QSettings::IniFormat);
        defaults.setValue(QStringLiteral("BrindotHUDConfig"), *encodeJson(hud).value);
        defaults.sync();
        ASSERT_EQ(defaults.status(), QSettings::NoError);
    }

    void startProgram()
    {
        ASSERT_TRUE(launchProgram(program_, QStringLiteral(ZORBEL_PROGRAM), config_.path()))
            << program_.errorString().toStdString();
    }
    void stopProgram() { integration::stopProgram(program_); }
    std::string output()
    {
        output_ += program_.readAll();
        return output_.right(3000).toStdString();
    }
    // Whether the program printed `text` at any time since the output was last cleared (the
    // tail that output() shows may have moved past it).
    bool printed(const char* text)
    {
        output();
        return output_.contains(text);
    }

    std::optional<QRect> settled(const QString& title, std::chrono::milliseconds quiet)
    {
        std::optional<quint64> id;
        return settledWindow(title, quiet, id);
    }

    // The program started with a HUD that stays, brought up by Caps Lock over the editor.
    std::optional<QRect> showStayingHUD(double opacity)
    {
        BrindotHUDConfig c = storedHUD(AnimationType::none);
        c.displayDuration = 0;
        c.opacity = opacity;
        writeSettings(c);
        startProgram();
        if (!settled(kIndicatorTitle, 400ms) || !focusWindow(client_->windowId())) return std::nullopt;
        toggleCapsLock();
        return settled(kHUDTitle, 300ms);
    }

    void toggleCapsLock()
    {
        ASSERT_TRUE(pressKeys(QStringLiteral("Caps_Lock")));
        capsLockOn_ = !capsLockOn_;
    }

    // A tray on the bus, so the program keeps to it rather than opening its settings window.
    TrayHost tray_;
    QTemporaryDir config_;
    QProcess program_;
    QByteArray output_;
    std::unique_ptr<TextClient> client_;
    QRect window_;
    QImage before_;
    bool capsLockOn_ = false;
};

// The grey a dark panel of fill alpha 0.75 at window opacity `a` makes of `below`.
int blended(int below, double a) { return static_cast<int>(below * (1 - 0.75 * a)); }

TEST_F(HUDProgramTest, CapsLockShowsTheHUDBelowTheIndicatorAtItsOpacityAndItGoesAfterItsTime)
{
    for (const AnimationType animation : allCases<AnimationType>()) {
        SCOPED_TRACE(rawValue(animation).toStdString());
        output_.clear();
        ASSERT_NO_FATAL_FAILURE(writeSettings(storedHUD(animation)));
        ASSERT_NO_FATAL_FAILURE(startProgram());
        const auto indicator = settled(kIndicatorTitle, 400ms);
        ASSERT_TRUE(indicator) << output();
        ASSERT_TRUE(focusWindow(client_->windowId()));

        QElapsedTimer shown;
        shown.start();
        ASSERT_NO_FATAL_FAILURE(toggleCapsLock());
        const auto hud = settled(kHUDTitle, 300ms);
        ASSERT_TRUE(hud) << "the HUD appears; the program said:\n" << output();
        const QPointF anchor = centreOf(*indicator);
        EXPECT_NEAR(centreOf(*hud).x(), anchor.x(), 1.5) << describe(*hud);
        EXPECT_NEAR(hud->top(), anchor.y() + kOffset, 1.5) << describe(*hud) << " below " << describe(anchor);

        const QPoint probe(hud->left() + 4, hud->center().y());
        ASSERT_GE(probe.x(), 0) << describe(*hud);
        const int below = qGray(before_.pixel(probe));
        const int seen = qGray(grabScreen().pixel(probe));
        EXPECT_NEAR(seen, blended(below, kOpacity), 14) << "screen under the HUD's padding, was " << below;
        EXPECT_EQ(inputFocusWindow(), std::optional<quint64>(client_->windowId())) << "the editor keeps the keyboard";

        const auto id = windowNamed(kHUDTitle);
        ASSERT_TRUE(id);
        EXPECT_TRUE(pollUntil([&] { return isOnScreen(*id) != true; }, 4s)) << "the HUD goes after its display time";
        EXPECT_GE(shown.elapsed(), 1900);
        stopProgram();
        // Each round starts with Caps Lock off.
        ASSERT_NO_FATAL_FAILURE(toggleCapsLock());
    }
}

// "Hide while typing" is on by default: the first key typed in the editor takes the HUD
// away, and the day's counts reach the settings file when the program is asked to quit.
TEST_F(HUDProgramTest, TypingHidesTheHUDAndTheDaysCountsAreStoredAtQuit)
{
    ASSERT_TRUE(showStayingHUD(kOpacity)) << output();
    const auto id = windowNamed(kHUDTitle);
    ASSERT_TRUE(id);
    ASSERT_TRUE(typeText(QStringLiteral("abc")));
    ASSERT_TRUE(pressKeys(QStringLiteral("BackSpace")));
    EXPECT_TRUE(pollUntil([&] { return isOnScreen(*id) != true; }, 2s)) << "typing hides the HUD\n" << output();
    stopProgram();

    QSettings defaults(config_.path() + QStringLiteral("/zorbel/defaults.ini"), QSettings::IniFormat);
    const QVariant stored = defaults.value(typingStatisticsKey(QDate::currentDate().startOfDay()));
    ASSERT_TRUE(stored.isValid()) << defaults.allKeys().join(QLatin1Char(' ')).toStdString();
    const auto counts = decodeTypingStatistics(stored.toByteArray());
    ASSERT_TRUE(counts.ok()) << counts.error.toStdString();
    EXPECT_EQ(counts.value->characters, 3);
    EXPECT_EQ(counts.value->backspaces, 1);
    EXPECT_GE(counts.value->keystrokes, 4);
}

// A HUD at 3 % opacity cannot be seen, so a click on it reaches the editor below: the
// HUD stands below the single-line entry, over the text view, and a click there moves
// the keyboard to the text view, where the next letter goes.
TEST_F(HUDProgramTest, AHUDTooFaintToSeeLetsClicksThroughToTheEditor)
{
    const auto hud = showStayingHUD(0.03);
    ASSERT_TRUE(hud) << output();
    ASSERT_TRUE(clickAt({hud->right() - 4, hud->center().y()}));
    ASSERT_TRUE(typeText(QStringLiteral("y")));
    const qint64 pid = client_->pid();
    QStringList texts;
    EXPECT_TRUE(pollUntil([&] {
        texts = editableTexts(pid).value_or(QStringList());
        return texts.size() == 2 && texts[1].contains(QLatin1Char('y'), Qt::CaseInsensitive);
    }, 5s)) << "the HUD took the click: " << texts.join(QStringLiteral(" | ")).toStdString();
}

// The panel reads its custom background when it paints: a FIFO would hold the program for
// good (image readers open the path and wait for a writer), and a folder was reported as a
// file not found.
TEST_F(HUDProgramTest, ABackgroundThatIsNoFileIsNamedAsWhatItIsAndHoldsNothingUp)
{
    QTemporaryDir files;
    const QString fifo = files.filePath(QStringLiteral("pipe.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const std::vector<std::pair<QString, const char*>> backgrounds{{fifo, "is a named pipe (FIFO), not a file"},
                                                                   {files.path(), "is a folder, not a file"}};
    for (const auto& [path, said] : backgrounds) {
        SCOPED_TRACE(path.toStdString());
        output_.clear();
        BrindotHUDConfig c = storedHUD(AnimationType::none);
        c.displayDuration = 0;
        c.style = HUDStyle::custom;
        c.customBackgroundPath = path;
        ASSERT_NO_FATAL_FAILURE(writeSettings(c));
        {
            QSettings defaults(config_.path() + QStringLiteral("/zorbel/defaults.ini"), QSettings::IniFormat);
            defaults.setValue(QStringLiteral("BrindotDebugMode"), true);  // warnings reach the terminal
        }
        ASSERT_NO_FATAL_FAILURE(startProgram());
        ASSERT_TRUE(settled(kIndicatorTitle, 400ms)) << output();
        ASSERT_TRUE(focusWindow(client_->windowId()));
        ASSERT_NO_FATAL_FAILURE(toggleCapsLock());
        EXPECT_TRUE(settled(kHUDTitle, 300ms)) << output();
        EXPECT_TRUE(pollUntil([&] { return printed(said); }, 5s)) << output();
        stopProgram();
        EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit) << "it quit on TERM by itself";
        ASSERT_NO_FATAL_FAILURE(toggleCapsLock());
    }
}

}  // namespace
}  // namespace zorbel::integration
