// Proves the headless desktop is one a user could work on: the GTK 3 and Qt 6 text clients
// appear where they asked, register on the accessibility desktop, and text typed with
// xdotool reaches the focused field of the focused window only, as AT-SPI reads it back;
// settings written through the session bus and temporary files stay on the desktop.
#include "support/AccessibilityProbe.h"
#include "support/DesktopTools.h"
#include "support/Poll.h"
#include "support/TextClient.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <map>

#include <pwd.h>
#include <unistd.h>

namespace zorbel::integration {
namespace {

const std::map<Toolkit, QRect> kPlacement = {
    {Toolkit::Gtk3, QRect(40, 60, 480, 320)},
    {Toolkit::Qt6, QRect(600, 60, 480, 320)},
};

std::string str(const QString& text) { return text.toStdString(); }

// Both clients live for the whole test program, side by side as on a real desktop.
class TwoClients : public ::testing::Environment {
 public:
  void SetUp() override {
    for (const auto& [toolkit, geometry] : kPlacement) {
      QString error;
      clients[toolkit] = TextClient::start(toolkit, {"Zorbel test " + toolkitName(toolkit), geometry}, &error);
      errors[toolkit] = error;
    }
  }
  void TearDown() override { clients.clear(); }

  std::map<Toolkit, std::unique_ptr<TextClient>> clients;
  std::map<Toolkit, QString> errors;
};

TwoClients* const environment =
    static_cast<TwoClients*>(::testing::AddGlobalTestEnvironment(new TwoClients));

// Both clients put the entry in the top row and let the view fill the rest.
QPoint entryPoint(const QRect& window) { return {window.center().x(), window.top() + 20}; }
QPoint viewPoint(const QRect& window) { return {window.center().x(), window.top() + window.height() * 2 / 3}; }

// Clicks into a field of a window and replaces its text by typing, as a user would.
void typeInto(const TextClient& client, QPoint field, const QStringList& lines) {
  ASSERT_TRUE(focusWindow(client.windowId()));
  ASSERT_TRUE(clickAt(field));
  ASSERT_TRUE(pressKeys("ctrl+a"));
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (i > 0) {
      ASSERT_TRUE(pressKeys("Return"));
    }
    ASSERT_TRUE(typeText(lines[i]));
  }
}

class DesktopHarnessTest : public ::testing::TestWithParam<Toolkit> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(environment->clients[GetParam()]) << str(environment->errors[GetParam()]);
  }
  TextClient& client() { return *environment->clients[GetParam()]; }
  QRect placement() const { return kPlacement.at(GetParam()); }

  // Waits until the focused element of the client holds `expected`.
  void expectFocusedText(const QString& expected) {
    std::optional<FocusedElement> focused;
    const bool arrived = pollUntil(
        [&] {
          focused = focusedElement(client().pid());
          return focused && focused->text == expected;
        },
        5s);
    EXPECT_TRUE(arrived) << "expected \"" << str(expected) << "\", focused element: "
                         << (focused ? str(focused->role + " \"" + focused->text + "\"") : "none");
    if (focused) {
      EXPECT_EQ(str(focused->role), "text");
    }
  }
};

TEST_P(DesktopHarnessTest, WindowSitsWhereItAskedToBe) {
  const auto geometry = windowGeometry(client().windowId());
  ASSERT_TRUE(geometry) << "xwininfo could not read window " << client().windowId();
  const QRect wanted = placement();
  EXPECT_NEAR(geometry->x(), wanted.x(), 3);
  EXPECT_NEAR(geometry->y(), wanted.y(), 3);
  EXPECT_NEAR(geometry->width(), wanted.width(), 3);
  EXPECT_NEAR(geometry->height(), wanted.height(), 3);
}

TEST_P(DesktopHarnessTest, ClientRegistersOnTheAccessibilityDesktop) {
  EXPECT_TRUE(pollUntil([&] { return isRegistered(client().pid()); }, 10s))
      << "pid " << client().pid() << " not among: " << str(registeredApplications().join(", "));
}

TEST_P(DesktopHarnessTest, TypedTextReachesTheEntry) {
  const QString text = QStringLiteral("Zorbel 1: Grüße, café, 中文");
  ASSERT_NO_FATAL_FAILURE(typeInto(client(), entryPoint(placement()), {text}));
  expectFocusedText(text);
}

TEST_P(DesktopHarnessTest, TypedLinesReachTheTextView) {
  ASSERT_NO_FATAL_FAILURE(typeInto(client(), viewPoint(placement()), {"first line", "second line"}));
  expectFocusedText("first line\nsecond line");
}

TEST(DesktopHarness, TypingGoesOnlyToTheFocusedWindow) {
  for (const auto& [toolkit, client] : environment->clients) ASSERT_TRUE(client) << str(environment->errors[toolkit]);
  for (const auto& [toolkit, client] : environment->clients) {
    ASSERT_NO_FATAL_FAILURE(typeInto(*client, entryPoint(kPlacement.at(toolkit)), {"only " + toolkitName(toolkit)}));
  }
  for (const auto& [toolkit, client] : environment->clients) {
    const QString expected = "only " + toolkitName(toolkit);
    std::optional<QStringList> texts;
    EXPECT_TRUE(pollUntil(
        [&] {
          texts = editableTexts(client->pid());
          return texts && !texts->isEmpty() && texts->first() == expected;
        },
        5s))
        << str(toolkitName(toolkit)) << " fields: " << (texts ? str(texts->join(" | ")) : "none");
  }
}

// dconf-service runs with the session bus's HOME, so a desktop that set its own HOME only
// after starting the bus would write gsettings into the user's real home.
TEST(DesktopHarness, SettingsAndTemporaryFilesStayOnTheDesktop) {
  const QString home = QDir::homePath();
  const QString desktop = QFileInfo(qEnvironmentVariable("XDG_RUNTIME_DIR")).path();
  EXPECT_NE(home, QString::fromLocal8Bit(::getpwuid(::getuid())->pw_dir));
  EXPECT_TRUE(home.startsWith(desktop + "/")) << str(home);
  EXPECT_TRUE(QDir::tempPath().startsWith(desktop + "/")) << str(QDir::tempPath());
  ASSERT_EQ(QProcess::execute("gsettings", {"set", "org.freedesktop.ibus.general", "use-system-keyboard-layout",
                                            "true"}),
            0);
  EXPECT_TRUE(pollUntil([&] { return QFileInfo::exists(home + "/.config/dconf/user"); }, 5s))
      << "dconf wrote to " << str(home);
}

INSTANTIATE_TEST_SUITE_P(Toolkits, DesktopHarnessTest, ::testing::Values(Toolkit::Gtk3, Toolkit::Qt6),
                         toolkitParamName);

}  // namespace
}  // namespace zorbel::integration
