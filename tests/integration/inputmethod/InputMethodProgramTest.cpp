// The real program with two keyboard layouts: the indicator takes the preset stored for
// the selected layout group, changes colour when the group changes, shows the Caps Lock
// look while Caps Lock is on without storing it, and keeps the mapping across a restart; and
// with Fcitx 5, whose every switch restyles it.
#include "Caret/Styles/BrindotStyleJson.h"
#include "FcitxProfile.h"
#include "Features/InputMethodStyle/Models/InputMethodStyleConfig.h"
#include "indicator/IndicatorChecks.h"
#include "support/AccessibilityProbe.h"
#include "support/DesktopTools.h"
#include "support/Poll.h"
#include "support/ProgramProcess.h"
#include "support/TextClient.h"
#include "support/TrayHost.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

namespace zorbel::integration {

// Locks the keyboard to a layout group, as a layout switcher does.
bool lockXkbGroup(int group);
std::function<void()> keepXServerBusy();

namespace {

const QString kIndicatorTitle = QStringLiteral("Zorbel indicator");
const QString kUs = QStringLiteral("xkb:us::eng");
const QString kDe = QStringLiteral("xkb:de::deu");

bool run(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool lockGroup(int group) { return lockXkbGroup(group); }

class InputMethodProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config_.isValid());
        ASSERT_TRUE(run(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), QStringLiteral("us,de")}));
        ASSERT_TRUE(lockGroup(0));
        writeSettings();
        QString error;
        client_ = TextClient::start(Toolkit::Gtk3, {QStringLiteral("Editor"), QRect(100, 100, 480, 320)}, &error);
        if (!client_) throw std::runtime_error(error.toStdString());
        ASSERT_TRUE(pollUntil([&] { return isRegistered(client_->pid()); }, 10s));
        window_ = *windowGeometry(client_->windowId());
        ASSERT_TRUE(focusWindow(client_->windowId()));
        ASSERT_TRUE(clickAt({window_.center().x(), window_.top() + 20}));
        ASSERT_TRUE(typeText(QStringLiteral("xx")));
    }
    void TearDown() override
    {
        stopProgram();
        client_.reset();
        lockGroup(0);
    }

    QString folder() const { return config_.path() + QStringLiteral("/zorbel"); }

    void writeSettings()
    {
        ASSERT_TRUE(QDir().mkpath(folder()));
        QFile suite(folder() + QStringLiteral("/quellan.brindot.ini"));
        ASSERT_TRUE(suite.open(QIODevice::WriteOnly));
        suite.write("[General]\nisBrindotEnabled=true\n");
        suite.close();
        BrindotStyle style;
        style.size = 20;
        InputMethodStyleConfig mapping;
        mapping.styleMapping = {{kUs, 1}, {kDe, 2}};  // red, green
        for (const auto& [id, preset] : extraMapping_) mapping.styleMapping.insert(id, preset);
        QSettings defaults(folder() + QStringLiteral("/defaults.ini"), QSettings::IniFormat);
        defaults.setValue(QStringLiteral("BrindotStyle"), *encodeJson(style).value);
        defaults.setValue(QStringLiteral("InputMethodStyleConfig"), *encodeJson(mapping).value);
        // Log lines reach standard output too.
        defaults.setValue(QStringLiteral("BrindotDebugMode"), true);
        defaults.sync();
        ASSERT_EQ(defaults.status(), QSettings::NoError);
    }

    InputMethodStyleConfig storedMapping() const
    {
        QSettings defaults(folder() + QStringLiteral("/defaults.ini"), QSettings::IniFormat);
        const auto decoded = decodeInputMethodStyleConfig(defaults.value(QStringLiteral("InputMethodStyleConfig")).toByteArray());
        return decoded.value.value_or(InputMethodStyleConfig{});
    }
    QByteArray storedStyle() const
    {
        QSettings defaults(folder() + QStringLiteral("/defaults.ini"), QSettings::IniFormat);
        return defaults.value(QStringLiteral("BrindotStyle")).toByteArray();
    }

    void startProgram()
    {
        ASSERT_TRUE(launchProgram(program_, QStringLiteral(ZORBEL_PROGRAM), config_.path()))
            << program_.errorString().toStdString();
        ASSERT_TRUE(pollUntil([&] { return (indicator_ = windowNamed(kIndicatorTitle)).has_value(); }, 10s));
    }
    void stopProgram()
    {
        integration::stopProgram(program_);
        output_ += program_.readAll();
    }
    std::string output()
    {
        output_ += program_.readAll();
        return output_.right(3000).toStdString();
    }

    std::optional<QRect> panel() const
    {
        if (!indicator_ || isViewable(*indicator_) != true) return std::nullopt;
        return windowGeometry(*indicator_);
    }
    // Whether the indicator's centre shows the hue (its fill), within a few seconds.
    bool showsFill(Hue hue)
    {
        return pollUntil([&] {
            const auto p = panel();
            return p && hueAt(grabScreen(), centreOf(*p).toPoint()) == hue;
        }, 5s, 20ms);
    }
    // Whether a green ring (the Caps Lock look) surrounds a fill that is not green.
    bool showsCapsLockRing()
    {
        return pollUntil([&] {
            const auto p = panel();
            if (!p) return false;
            const QImage screen = grabScreen();
            const QPoint c = centreOf(*p).toPoint();
            for (int dx = 9; dx <= 13; ++dx)
                if (hueAt(screen, c + QPoint(dx, 0)) == Hue::green) return hueAt(screen, c) == Hue::red;
            return false;
        }, 5s, 20ms);
    }

    // A tray on the bus, so the program keeps to it rather than opening its settings window.
    TrayHost tray_;
    std::vector<std::pair<QString, int>> extraMapping_;
    QTemporaryDir config_;
    QProcess program_;
    QByteArray output_;
    std::unique_ptr<TextClient> client_;
    QRect window_;
    std::optional<quint64> indicator_;
};

TEST_F(InputMethodProgramTest, LayoutGroupsAndCapsLockRestyleTheIndicator)
{
    ASSERT_NO_FATAL_FAILURE(startProgram());
    EXPECT_TRUE(showsFill(Hue::red)) << "group 0 (us) is mapped to red\n" << output();

    ASSERT_TRUE(lockGroup(1));
    EXPECT_TRUE(showsFill(Hue::green)) << "group 1 (de) is mapped to green\n" << output();
    ASSERT_TRUE(lockGroup(0));
    EXPECT_TRUE(showsFill(Hue::red)) << output();

    const QByteArray styleBefore = storedStyle();
    ASSERT_TRUE(pressKeys(QStringLiteral("Caps_Lock")));
    EXPECT_TRUE(showsCapsLockRing()) << "Caps Lock on draws the green ring\n" << output();
    EXPECT_EQ(storedStyle(), styleBefore) << "the Caps Lock look is not stored";
    ASSERT_TRUE(pressKeys(QStringLiteral("Caps_Lock")));
    EXPECT_TRUE(pollUntil([&] { return !showsCapsLockRing(); }, 5s)) << "Caps Lock off takes the ring away";
    EXPECT_TRUE(showsFill(Hue::red));

    const auto mapping = storedMapping().styleMapping;
    EXPECT_EQ(mapping.value(kUs, -1), 1);
    EXPECT_EQ(mapping.value(kDe, -1), 2);
    EXPECT_EQ(mapping.size(), 2) << "no other source was added";
}

TEST_F(InputMethodProgramTest, TheMappingHoldsAcrossARestartAndKeyToolFlipsAreNoSwitch)
{
    ASSERT_TRUE(lockGroup(1));
    ASSERT_NO_FATAL_FAILURE(startProgram());
    EXPECT_TRUE(showsFill(Hue::green)) << output();
    stopProgram();
    indicator_.reset();
    output_.clear();
    ASSERT_NO_FATAL_FAILURE(startProgram());
    EXPECT_TRUE(showsFill(Hue::green)) << "after a restart\n" << output();
    ASSERT_TRUE(pollUntil([&] {
        output();
        return output_.contains("输入法样式功能初始化完成");
    }, 5s))
        << "the start-up job ran\n" << output();

    // xdotool flips the group to 0 and back around each key while group 1 is locked.
    ASSERT_TRUE(typeText(QStringLiteral("yy")));
    ASSERT_TRUE(pollUntil([&] {
        const auto texts = editableTexts(client_->pid());
        return texts && !texts->isEmpty() && texts->first().size() >= 4;
    }, 5s));
    // Each key's flip would be logged within a moment of the key.
    EXPECT_FALSE(pollUntil([&] { output(); return QString::fromUtf8(output_).count(QStringLiteral("Input method changed to:")) > 1; },
                           1s));
    stopProgram();
    EXPECT_EQ(QString::fromUtf8(output_).count(QStringLiteral("Input method changed to:")), 1)
        << "only the start-up job's\n" << output();
}

// Fcitx 5 with English and German, its tray item on the tray: every way of switching restyles
// the indicator, while the X server is busy. Only the switch key goes through the editor.
TEST_F(InputMethodProgramTest, FcitxSwitchesRestyleTheIndicatorHoweverMade)
{
    const QString us = QStringLiteral("keyboard-us"), de = QStringLiteral("keyboard-de");
    extraMapping_ = {{us, 1}, {de, 2}};
    ASSERT_NO_FATAL_FAILURE(writeSettings());
    ASSERT_TRUE(writeFcitxProfile(config_.path()));
    ASSERT_TRUE(lockGroup(0));
    ASSERT_TRUE(run(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), QStringLiteral("us")}));

    QProcess fcitx;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
    fcitx.setProcessEnvironment(environment);
    fcitx.setProcessChannelMode(QProcess::MergedChannels);
    fcitx.start(QStringLiteral("fcitx5"), {QStringLiteral("--disable=all"),
                                           QStringLiteral("--enable=dbus,keyboard,xcb,xim,classicui,notificationitem")});
    const auto stopFcitx = qScopeGuard([&] {
        fcitx.terminate();
        if (!fcitx.waitForFinished(5000)) fcitx.kill();
        fcitx.waitForFinished();
    });
    ASSERT_TRUE(fcitx.waitForStarted());
    ASSERT_TRUE(pollUntil(fcitxXimAnnounced, 10s)) << "Fcitx announces its XIM server";
    std::optional<TrayHost::Item> fcitxItem;
    ASSERT_TRUE(pollUntil([&] { return (fcitxItem = tray_.itemWithId(QStringLiteral("Fcitx"))).has_value(); }, 10s))
        << "Fcitx registers its tray item";
    const TrayHost::Item item = *fcitxItem;

    qputenv("XMODIFIERS", "@im=fcitx");
    QString error;
    const auto start = [&] {
        return TextClient::start(Toolkit::Gtk3, {QStringLiteral("Fcitx editor"), QRect(200, 150, 480, 320), false,
                                                 {QStringLiteral("GTK_IM_MODULE=xim")}},
                                 &error);
    };
    // Now and then GTK's XIM handshake with a fresh Fcitx never completes and the editor never
    // shows; that is between the two of them.
    auto editor = start();
    if (!editor) editor = start();
    if (!editor) GTEST_SKIP() << "the GTK 3 editor never came up under Fcitx's XIM: " << error.toStdString();
    ASSERT_TRUE(pollUntil([&] { return isRegistered(editor->pid()); }, 10s));
    const QRect window = *windowGeometry(editor->windowId());
    ASSERT_TRUE(focusWindow(editor->windowId()));
    ASSERT_TRUE(clickAt({window.center().x(), window.top() + 20}));
    ASSERT_TRUE(typeText(QStringLiteral("xx")));
    ASSERT_NO_FATAL_FAILURE(startProgram());
    EXPECT_TRUE(showsFill(Hue::red)) << "keyboard-us is mapped to red\n" << output();

    const auto call = [](const QString& service, const QString& path, const QString& interface, const QString& method,
                         const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        return QDBusConnection::sessionBus().call(message, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
    };
    // The menu lists the group's input methods in order, as radio items.
    const auto menuItemFor = [&](int index) {
        std::vector<int> ids;
        if (const auto menu = tray_.menu(item))
            for (const MenuNode& node : menu->children)
                if (node.properties.value(QStringLiteral("toggle-type")).toString() == QLatin1String("radio")) ids.push_back(node.id);
        return index < static_cast<int>(ids.size()) ? ids[static_cast<std::size_t>(index)] : -1;
    };
    const QStringList names{us, de};
    struct Way {
        const char* name;
        std::function<bool(int)> switchTo;  // index in the group
    };
    const std::vector<Way> ways{
        {"fcitx5-remote -s", [&](int to) { return run(QStringLiteral("fcitx5-remote"), {QStringLiteral("-s"), names[to]}); }},
        {"the controller's SetCurrentIM",
         [&](int to) {
             return call(QStringLiteral("org.fcitx.Fcitx5"), QStringLiteral("/controller"),
                         QStringLiteral("org.fcitx.Fcitx.Controller1"), QStringLiteral("SetCurrentIM"), {names[to]});
         }},
        {"the switch key", [&](int) { return pressKeys(QStringLiteral("Shift_L")); }},
        {"the tray's menu",
         [&](int to) {
             const int id = menuItemFor(to);
             return id >= 0 && tray_.click(item, id);
         }},
        {"a click on the tray icon",
         [&](int) {
             return call(item.service, item.path, QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Activate"), {0, 0});
         }},
    };
    const auto stopLoad = qScopeGuard(keepXServerBusy());
    for (const Way& way : ways)
        for (int to : {1, 0}) {
            ASSERT_TRUE(way.switchTo(to)) << way.name;
            EXPECT_TRUE(showsFill(to ? Hue::green : Hue::red)) << way.name << " to " << names[to].toStdString() << "\n" << output();
        }
}

}  // namespace
}  // namespace zorbel::integration
