// The real program, started with settings folders of its own: with the indicator switched
// on and a style stored, it marks the caret of a GTK 3 or Qt 6 editor where that style
// says, draws nothing but the shape (with or without a compositor), keeps the keyboard
// with the editor, follows typing and quits cleanly when asked; editors scaled by their
// toolkit are marked too, anywhere on either of two monitors, with the program itself at
// scale 1 and 2.
#include "Caret/Styles/BrindotStyleJson.h"
#include "Features/InputMethodStyle/Models/InputMethodStyleConfig.h"
#include "indicator/IndicatorChecks.h"
#include "support/AccessibilityProbe.h"
#include "support/DesktopTools.h"
#include "support/DrawnCaret.h"
#include "support/Poll.h"
#include "support/ProgramProcess.h"
#include "support/TrayHost.h"
#include "support/TextClient.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <iostream>
#include <stdexcept>

namespace zorbel::integration {
namespace {

constexpr qint64 kQuiet = 400;  // ms
constexpr double kToDrawnCaret = 5.0;
const QString kIndicatorTitle = QStringLiteral("Zorbel indicator");

// Bottom left of the caret, size 14, offsets 2 and 3: d = 17, so the centre is 15 px left
// of the caret point and 14 px below it; the panel is 14 + 2 × 3 px square.
BrindotStyle storedStyle() {
  BrindotStyle style;
  style.size = 14;
  style.position.relativePosition = BrindotRelativePosition::bottomLeft;
  style.position.horizontalOffset = 2;
  style.position.verticalOffset = 3;
  return style;
}
const QPointF kShift{-15, 14};
constexpr int kPanelSide = 20;

QPoint entryPoint(const QRect& window, double scale = 1) {
  return {window.center().x(), window.top() + static_cast<int>(20 * scale)};
}

class ProgramFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(config_.isValid());
    writeSettings();
  }
  void TearDown() override {
    if (program_.state() != QProcess::NotRunning) {
      program_.kill();
      program_.waitForFinished();
    }
    client_.reset();
  }

  void writeSettings(const BrindotStyle& style = storedStyle(), bool debug = false) {
    const QString folder = config_.path() + QStringLiteral("/zorbel");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile suite(folder + QStringLiteral("/quellan.brindot.ini"));
    ASSERT_TRUE(suite.open(QIODevice::WriteOnly));
    suite.write("[General]\nisBrindotEnabled=true\n");
    suite.close();
    const auto json = encodeJson(style);
    ASSERT_TRUE(json.ok()) << json.error.toStdString();
    QSettings defaults(folder + QStringLiteral("/defaults.ini"), QSettings::IniFormat);
    defaults.setValue(QStringLiteral("BrindotStyle"), *json.value);
    // Styling by input method would replace the stored style a second after launch.
    InputMethodStyleConfig inputMethods;
    inputMethods.enabled = false;
    defaults.setValue(QStringLiteral("InputMethodStyleConfig"), *encodeJson(inputMethods).value);
    if (debug) defaults.setValue(QStringLiteral("BrindotDebugMode"), true);
    defaults.sync();
    ASSERT_EQ(defaults.status(), QSettings::NoError);
  }

  void launchClient(Toolkit toolkit, const QStringList& environment = {}, const QRect& place = {100, 100, 480, 320}) {
    QString error;
    ClientOptions options{QStringLiteral("Editor"), place};
    options.environment = environment;
    client_ = TextClient::start(toolkit, options, &error);
    if (!client_) throw std::runtime_error(error.toStdString());
    const qint64 pid = client_->pid();
    EXPECT_TRUE(pollUntil([&] { return isRegistered(pid); }, 10s)) << "pid " << pid << " registers";
    window_ = *windowGeometry(client_->windowId());
  }

  // Types "xx" into the client's entry (drawn `scale` times as large as by default).
  void typeIntoEntry(double scale = 1) {
    ASSERT_TRUE(focusWindow(client_->windowId()));
    ASSERT_TRUE(clickAt(entryPoint(window_, scale)));
    ASSERT_TRUE(typeText(QStringLiteral("xx")));
    // The editor draws the keys in its own time; the picture to compare with must show them.
    ASSERT_TRUE(pollUntil([&] {
      const auto texts = editableTexts(client_->pid());
      return texts && !texts->isEmpty() && texts->first() == QStringLiteral("xx");
    }, 5s));
  }

  void startProgram(int scale = 1) {
    const auto scaled = [scale](QProcessEnvironment& environment) {
      environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    };
    ASSERT_TRUE(launchProgram(program_, QStringLiteral(ZORBEL_PROGRAM), config_.path(), {}, scaled))
        << program_.errorString().toStdString();
  }

  std::string output() {
    output_ += program_.readAll();
    return output_.right(3000).toStdString();
  }

  // The indicator's window once it is mapped and has stood still for a moment.
  std::optional<QRect> settledIndicator() { return settledWindow(kIndicatorTitle, std::chrono::milliseconds(kQuiet), indicator_); }

  // A tray on the bus, so the program keeps to it rather than opening its settings window.
  TrayHost tray_;
  QTemporaryDir config_;
  QProcess program_;
  QByteArray output_;
  std::unique_ptr<TextClient> client_;
  QRect window_;
  std::optional<quint64> indicator_;
};

class ProgramTest : public ProgramFixture, public ::testing::WithParamInterface<Toolkit> {
 protected:
  void launchClient() { ProgramFixture::launchClient(GetParam()); }
};

TEST_P(ProgramTest, MarksTheCaretWithTheStoredStyleAndKeepsTheKeyboardWithTheEditor) {
  launchClient();
  ASSERT_NO_FATAL_FAILURE(typeIntoEntry());
  const QImage before = grabScreen();

  ASSERT_NO_FATAL_FAILURE(startProgram());
  const auto panel = settledIndicator();
  ASSERT_TRUE(panel) << "the indicator is shown; the program said:\n" << output();
  EXPECT_EQ(panel->size(), QSize(kPanelSide, kPanelSide)) << describe(*panel);
  const auto caret = drawnCaretPoint(centreOf(*panel) - kShift, window_);
  ASSERT_TRUE(caret) << "a caret is drawn where the indicator says, " << describe(centreOf(*panel) - kShift);
  const QPointF expected = *caret + kShift;
  EXPECT_NEAR(centreOf(*panel).x(), expected.x(), kToDrawnCaret) << "caret drawn at " << describe(*caret);
  EXPECT_NEAR(centreOf(*panel).y(), expected.y(), kToDrawnCaret) << "caret drawn at " << describe(*caret);
  const auto problem = awaitIndicatorPixels(before, *panel);
  EXPECT_FALSE(problem) << *problem;

  EXPECT_EQ(inputFocusWindow(), std::optional<quint64>(client_->windowId())) << "the indicator took no focus";
  ASSERT_TRUE(typeText(QStringLiteral("xx")));
  EXPECT_TRUE(pollUntil([&] { return windowGeometry(*indicator_).value_or(QRect()).x() > panel->x() + 15; }, 5s))
      << "two more characters move the indicator right";
  const auto texts = editableTexts(client_->pid());
  ASSERT_TRUE(texts && !texts->isEmpty());
  EXPECT_EQ(texts->first(), QStringLiteral("xxxx"));

  ::kill(static_cast<pid_t>(program_.processId()), SIGTERM);
  ASSERT_TRUE(program_.waitForFinished(5000)) << "the program quits on TERM";
  EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program_.exitCode(), 0) << output();
  EXPECT_FALSE(windowNamed(kIndicatorTitle)) << "its window went with it";
}

// Any stored number can be edited to anything: a 30000-point indicator once took
// gigabytes and the whole screen.
TEST_P(ProgramTest, HostileStoredNumbersGiveAnIndicatorOfSaneSizeOnTheScreen) {
  if (GetParam() != Toolkit::Gtk3) GTEST_SKIP() << "one toolkit is enough";
  BrindotStyle hostile = storedStyle();
  hostile.shape = BrindotShape::rectangle;
  hostile.size = 30000;
  hostile.borderWidth = 1e300;
  hostile.shadowEnabled = true;
  hostile.shadowRadius = 1e6;
  hostile.position.horizontalOffset = 1e300;
  hostile.position.verticalOffset = -1e300;
  hostile.fillColor = {5, -1, 0.5, 2};
  ASSERT_NO_FATAL_FAILURE(writeSettings(hostile, true));
  launchClient();
  ASSERT_TRUE(focusWindow(client_->windowId()));
  ASSERT_TRUE(clickAt(entryPoint(window_)));
  ASSERT_NO_FATAL_FAILURE(startProgram());
  const auto panel = settledIndicator();
  ASSERT_TRUE(panel) << "the indicator is shown; the program said:\n" << output();
  EXPECT_LE(panel->width(), 404) << describe(*panel);
  EXPECT_LE(panel->height(), 404) << describe(*panel);
  const QRect screen(QPoint(0, 0), grabScreen().size());
  EXPECT_TRUE(screen.contains(panel->center())) << describe(*panel);
  output();
  for (const char* field : {"size", "borderWidth", "shadowRadius", "position.horizontalOffset", "fillColor.red"}) {
    const QByteArray named = QByteArray("Stored style value ") + field + " = ";
    EXPECT_EQ(output_.count(named), 1) << field << " is named once; the program said:\n" << output_.data();
  }
}

// The console is what a desktop session writes to the user's session log: typing for a while
// with the settings window open adds a few lines at most, unless debug mode is on. What
// "导出日志" writes (to the home folder the panel opens in) carries the program's own recent
// log lines, debug lines too in debug mode, and never a typed character.
TEST_P(ProgramTest, TypingKeepsTheConsoleQuietAndTheExportedLogCarriesTheLogButNoTypedText) {
  if (GetParam() != Toolkit::Gtk3) GTEST_SKIP() << "one toolkit is enough";
  if (qgetenv("ZORBEL_DESKTOP_COMPOSITOR") == "0") GTEST_SKIP() << "the compositor plays no part";
  const QString secret = QStringLiteral("hunter2qz");
  const QString typed = QStringLiteral("the quick brown fox jumps over the lazy dog ").repeated(6) + secret;
  launchClient();
  const auto shown = [](const QString& title, std::chrono::milliseconds timeout = 10s) -> std::optional<quint64> {
    std::optional<quint64> id;
    pollUntil([&] { return (id = windowNamed(title)) && isViewable(*id) == true; }, timeout);
    return id && isViewable(*id) == true ? id : std::nullopt;
  };
  // The frosted-glass theme's places (the theme of a first start).
  const auto clickInSettings = [](QPoint offset) {
    const auto id = windowNamed(QStringLiteral("Zorbel 设置"));
    const auto frame = id ? windowGeometry(*id) : std::nullopt;
    return frame && clickAt(frame->topLeft() + offset);
  };
  for (const bool debug : {false, true}) {
    SCOPED_TRACE(debug ? "in debug mode" : "without debug mode");
    ASSERT_NO_FATAL_FAILURE(writeSettings(storedStyle(), debug));
    output_.clear();
    indicator_.reset();
    ASSERT_TRUE(focusWindow(client_->windowId()));
    ASSERT_TRUE(clickAt(entryPoint(window_)));
    ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+a")));
    ASSERT_TRUE(pressKeys(QStringLiteral("BackSpace")));
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_TRUE(pollUntil([&] {
      if (tray_.items().empty()) return false;
      const auto menu = tray_.menu(tray_.items().back());
      const auto* open = menu ? menu->find(QStringLiteral("设置")) : nullptr;
      return open && tray_.click(tray_.items().back(), open->id);
    }, 10s)) << output();
    ASSERT_TRUE(shown(QStringLiteral("Zorbel 设置"))) << output();
    ASSERT_TRUE(pollUntil([&] {
      output();
      return output_.contains("[AutoStartupManager] 最终结果");
    }, 10s))
        << output();

    // Typing with the settings window open beside the editor: its launch-at-login check runs
    // every 2 s meanwhile.
    const quint64 settings = *windowNamed(QStringLiteral("Zorbel 设置"));
    ASSERT_TRUE(moveWindow(settings, {window_.right() + 40, 60}));
    ASSERT_TRUE(pollUntil([&] { return windowGeometry(settings)->left() == window_.right() + 40; }, 5s));
    ASSERT_TRUE(focusWindow(client_->windowId()));
    ASSERT_TRUE(clickAt(entryPoint(window_)));
    indicator_.reset();
    const auto before = settledIndicator();
    ASSERT_TRUE(before) << "the indicator follows the editor again; the program said:\n" << output();
    output();
    const qsizetype linesBefore = output_.count('\n');
    ASSERT_TRUE(typeText(typed));
    ASSERT_TRUE(pollUntil([&] {
      const auto texts = editableTexts(client_->pid());
      return texts && !texts->isEmpty() && texts->first() == typed;
    }, 30s));
    ASSERT_TRUE(pollUntil([&] { return windowGeometry(*indicator_).value_or(QRect()).x() > before->x() + 100; }, 5s))
        << "the indicator followed the typing";
    // What the program printed meanwhile, read to its end.
    while (program_.waitForReadyRead(200)) output();
    output();
    const qsizetype added = output_.count('\n') - linesBefore;
    if (debug)
      EXPECT_GT(added, qsizetype(typed.size())) << "debug mode tells of every keystroke; the program said:\n"
                                                << output_.right(4000).data();
    else
      EXPECT_LE(added, 6) << typed.size() << " keystrokes; the program said:\n" << output_.right(4000).data();

    ASSERT_TRUE(clickInSettings({81, 276})) << "the feedback tab";
    std::optional<quint64> panel;
    ASSERT_TRUE(pollUntil([&] {
      return clickInSettings({237, 387}) && (panel = shown(QStringLiteral("选择日志保存位置"), 2s));
    }, 10s)) << "导出日志; the program said:\n" << output();
    ASSERT_TRUE(focusWindow(*panel));
    ASSERT_TRUE(pressKeys(QStringLiteral("Return")));
    QStringList files;
    ASSERT_TRUE(pollUntil([&] {
      files = QDir::home().entryList({QStringLiteral("zorbel-logs-*.txt")}, QDir::Files);
      return !files.isEmpty();
    }, 10s)) << "the log is exported to the home folder the panel opened in; the program said:\n" << output();
    QFile exported(QDir::home().filePath(files.first()));
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(exported.readAll());
    exported.remove();
    EXPECT_TRUE(text.contains(QStringLiteral("=== 应用日志 ===\n"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("示例日志")));
    const QRegularExpression logLine(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[(DEBUG|INFO|WARNING|ERROR)\\] "),
                                  QRegularExpression::MultilineOption);
    EXPECT_GE(text.count(logLine), 3) << text.toStdString();
    EXPECT_EQ(text.contains(QStringLiteral(" [DEBUG] ")), debug) << text.toStdString();
    for (const QString& word : {secret, QStringLiteral("quick brown"), QStringLiteral("lazy dog")})
      EXPECT_FALSE(text.contains(word)) << word.toStdString() << " was typed, never logged";
    stopProgram(program_);
  }
}

INSTANTIATE_TEST_SUITE_P(Toolkits, ProgramTest, ::testing::Values(Toolkit::Gtk3, Toolkit::Qt6),
                         [](const ::testing::TestParamInfo<Toolkit>& param) {
                           return toolkitName(param.param).toStdString();
                         });

// Applications scaled by their toolkit report coordinates in their own units while their
// windows are drawn in pixels: GDK divides the whole root window, Qt each screen from that
// screen's own top-left corner (Qt 5 sees no monitor without an output, Qt 6 sees both halves
// of this desktop's wide screen). The program, at scale 1 or 2 itself, marks the drawn caret
// with the window away from the screen's corner, and again once the window has moved onto the
// second monitor.
struct ScaledCase {
  Toolkit toolkit;
  double factor;
  int programScale;
};

// One wide screen (2560 × 800) split in two monitors side by side, or one tall screen
// (1280 × 1880) split in a monitor of 1280 × 1080 above one of 1280 × 800, as two outputs would
// be; which, the desktop's screen says.
struct Monitors {
  QRect first, second;
};
Monitors monitors() {
  if (grabScreen().height() >= 1880) return {QRect(0, 0, 1280, 1080), QRect(0, 1080, 1280, 800)};
  return {QRect(0, 0, 1280, 800), QRect(1280, 0, 1280, 800)};
}

class ScaledProgramTest : public ProgramFixture, public ::testing::WithParamInterface<ScaledCase> {
 public:
  static void SetUpTestSuite() {
    const auto [first, second] = monitors();
    for (const auto& [name, monitor] : {std::pair{"first", first}, std::pair{"second", second}}) {
      const QString geometry = QStringLiteral("%1/%2x%3/%4+%5+%6")
                                   .arg(monitor.width()).arg(monitor.width() / 4).arg(monitor.height())
                                   .arg(monitor.height() / 4).arg(monitor.x()).arg(monitor.y());
      ASSERT_EQ(QProcess::execute(QStringLiteral("xrandr"), {"--setmonitor", name, geometry, "none"}), 0);
    }
  }

 protected:
  void SetUp() override {
    ProgramFixture::SetUp();
    const QSize screen = grabScreen().size();
    ASSERT_TRUE(screen.width() >= 2560 || screen.height() >= 1880)
        << "run with ZORBEL_DESKTOP_SCREEN=2560x800x24 or 1280x1880x24";
  }

  // Moves the client's window by X (in pixels), in `steps` moves as a window being dragged makes.
  void moveTo(const QPoint& moved, int steps = 1) {
    const QPoint from = window_.topLeft();
    for (int i = 1; i <= steps; ++i) ASSERT_TRUE(moveWindow(client_->windowId(), from + (moved - from) * i / steps));
    ASSERT_TRUE(pollUntil([&] { return windowGeometry(client_->windowId()).value_or(QRect()).topLeft() == moved; }, 5s));
    window_ = *windowGeometry(client_->windowId());
  }

  // Moves the client's window and types two more characters there.
  void moveAndType(const QPoint& moved, const QString& typed, int steps = 1) {
    ASSERT_NO_FATAL_FAILURE(moveTo(moved, steps));
    ASSERT_TRUE(focusWindow(client_->windowId()));
    ASSERT_TRUE(typeText(QStringLiteral("xx")));
    ASSERT_TRUE(pollUntil([&] {
      const auto texts = editableTexts(client_->pid());
      return texts && !texts->isEmpty() && texts->first() == typed;
    }, 5s));
  }

  // The indicator's point (its centre less the stored shift) lies on the caret the client draws.
  void expectIndicatorAtDrawnCaret(const std::string& where) {
    const auto [toolkit, factor, scale] = GetParam();
    const auto panel = settledIndicator();
    ASSERT_TRUE(panel) << "the indicator is shown " << where << "; the program said:\n" << output();
    EXPECT_EQ(panel->size(), QSize(kPanelSide, kPanelSide) * scale) << "its size follows the program's scale";
    const QPointF point = centreOf(*panel) - kShift * scale;
    const auto drawn = drawnCaret(QRectF(point.x(), point.y() - 20, 0, 40), window_);
    if (qEnvironmentVariableIsSet("ZORBEL_SCALED_SHOTS"))
      grabScreen().save(qEnvironmentVariable("ZORBEL_SCALED_SHOTS") + QLatin1Char('/') +
                        QString::fromStdString(testing::UnitTest::GetInstance()->current_test_info()->name())
                            .replace(QLatin1Char('/'), QLatin1Char('-')) +
                        QString::fromStdString("-" + where).replace(QLatin1Char(' '), QLatin1Char('_')) +
                        QStringLiteral(".png"));
    ASSERT_TRUE(drawn) << "a caret is drawn near " << describe(point) << " " << where << ", in the window at "
                       << describe(window_);
    EXPECT_NEAR(point.x(), drawn->x(), 3.0) << where << ": caret drawn at " << describe(*drawn);
    EXPECT_NEAR(point.y(), drawn->y() + drawn->height() / 2.0, 3.0) << where << ": caret drawn at " << describe(*drawn);
  }
};

TEST_P(ScaledProgramTest, MarksTheDrawnCaretAwayFromTheScreensCornerAndOnTheSecondMonitor) {
  const auto [toolkit, factor, scale] = GetParam();
  const QString variable = toolkit == Toolkit::Gtk3 ? QStringLiteral("GDK_SCALE=") : QStringLiteral("QT_SCALE_FACTOR=");
  launchClient(toolkit, {variable + QString::number(factor)}, QRect(200, 150, 400, 240));
  ASSERT_NO_FATAL_FAILURE(typeIntoEntry(factor));
  ASSERT_NO_FATAL_FAILURE(startProgram(scale));
  ASSERT_NO_FATAL_FAILURE(expectIndicatorAtDrawnCaret("with the window at " + describe(window_)));

  ASSERT_NO_FATAL_FAILURE(moveAndType(monitors().second.topLeft() + QPoint(200, 150), QStringLiteral("xxxx"), 12));
  ASSERT_NO_FATAL_FAILURE(expectIndicatorAtDrawnCaret("on the second monitor, window at " + describe(window_)));
}

// A Qt window started at its default size (480 × 320 units), scaled, on the second monitor
// low enough that its middle lies below every monitor, the caret still on the monitor: Qt 6
// then counts the caret from the second monitor's corner, where the root's corner was taken
// (the indicator 1280 or 1080 px off). Then dragged across the edge between the monitors, its
// middle 40 px inside the first.
TEST_P(ScaledProgramTest, MarksTheDrawnCaretWhereTheWindowsMiddleLiesOffEveryMonitor) {
  const auto [toolkit, factor, scale] = GetParam();
  if (toolkit == Toolkit::Gtk3) GTEST_SKIP() << "GDK counts from the root's corner on every screen";
  if (scale != 1) GTEST_SKIP() << "the program's own scale is tried beside the window away from the corner";
  const auto [first, second] = monitors();
  const QSize size = QSize(480, 320) * factor;
  const QPoint low(second.x() + 200, second.bottom() + 41 - size.height() / 2);
  ASSERT_LT(low.y() + 60 * factor, second.bottom()) << "the entry stays on the monitor";
  // Placed there in units as Qt 6 counts them; a toolkit that counts from the root's corner
  // (Qt 5 here) is moved there.
  const QPointF units = QPointF(second.topLeft()) + QPointF(low - second.topLeft()) / factor;
  launchClient(toolkit, {QStringLiteral("QT_SCALE_FACTOR=") + QString::number(factor)},
               QRect(units.toPoint(), QSize(480, 320)));
  if (window_.topLeft() != low) {
    ASSERT_NO_FATAL_FAILURE(moveTo(low));
  }
  ASSERT_FALSE(first.contains(window_.center()) || second.contains(window_.center())) << describe(window_);
  ASSERT_NO_FATAL_FAILURE(typeIntoEntry(factor));
  ASSERT_NO_FATAL_FAILURE(startProgram(scale));
  ASSERT_NO_FATAL_FAILURE(expectIndicatorAtDrawnCaret("with its middle off every monitor, window at " + describe(window_)));

  const QPoint across = first.width() == second.width() && first.x() == second.x()
                            ? QPoint(200, second.y() - size.height() / 2 - 40)
                            : QPoint(second.x() - size.width() / 2 - 40, 150);
  ASSERT_NO_FATAL_FAILURE(moveAndType(across, QStringLiteral("xxxx"), 12));
  ASSERT_NO_FATAL_FAILURE(expectIndicatorAtDrawnCaret("across both monitors, window at " + describe(window_)));
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaledProgramTest,
                         ::testing::Values(ScaledCase{Toolkit::Gtk3, 2, 1}, ScaledCase{Toolkit::Gtk3, 2, 2},
                                           ScaledCase{Toolkit::Qt6, 2, 1}, ScaledCase{Toolkit::Qt6, 2, 2},
                                           ScaledCase{Toolkit::Qt6, 1.5, 1}, ScaledCase{Toolkit::Qt6, 1.5, 2},
                                           ScaledCase{Toolkit::Qt5, 2, 1}, ScaledCase{Toolkit::Qt5, 2, 2},
                                           ScaledCase{Toolkit::Qt5, 1.5, 1}, ScaledCase{Toolkit::Qt5, 1.5, 2}),
                         [](const ::testing::TestParamInfo<ScaledCase>& param) {
                           const auto& c = param.param;
                           return toolkitName(c.toolkit).toStdString() + "_at_" +
                                  QString::number(c.factor).replace(QLatin1Char('.'), QLatin1Char('_')).toStdString() +
                                  "_program_x" + std::to_string(c.programScale);
                         });

}  // namespace
}  // namespace zorbel::integration
