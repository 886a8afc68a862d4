// Figures for input-method styling in the real program, printed rather than asserted; run
// by scripts/benchmark.sh on a headless desktop with a compositor, not by CTest:
//   - how long after a layout group switch the indicator shows its new colour on screen;
//   - the program's CPU time while nothing happens, with input-method styling on;
//   - how long the start takes with 10,000 stored mappings of input sources that are gone;
//   - how long after IBus is killed the indicator takes the style of the keyboard layout;
//   - the longest pause of the main loop while keys are released and Fcitx 5 does not answer;
//   - how long after a switch of Fcitx 5, made each way (fcitx5-remote, its controller, the
//     switch key, its tray menu, a click on its icon), the indicator shows its new colour, on
//     an idle and on a busy X server, with a tray; and by key without a tray.
//   - the program's CPU time per layout switch with the HUD off, with the HUD shown (and gone
//     again) without animation and with a fade.
//
//   zorbel_input_method_benchmark PROGRAM [--switches N] [--idle SECONDS] [--hud-switches N] [--only-hud]
// --only-hud measures the HUD's three cases alone (a few minutes rather than the whole run).
#include "BrindotHUD/BrindotHUDConfig.h"
#include "Caret/Styles/BrindotStyleJson.h"
#include "FcitxProfile.h"
#include "Features/InputMethodStyle/Models/InputMethodStyleConfig.h"
#include "support/AccessibilityProbe.h"
#include "support/DesktopTools.h"
#include "Platform/Services.h"
#include "support/LinuxServices.h"
#include "support/Poll.h"
#include "support/ProgramProcess.h"
#include "support/TextClient.h"
#include "support/TrayHost.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace zorbel;
using namespace zorbel::integration;
using namespace std::chrono;

namespace zorbel::integration {
std::function<void()> keepXServerBusy();
}

namespace {

double cpuSecondsOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return 0;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> f = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return f.size() > 12 ? double(f[11].toLongLong() + f[12].toLongLong()) / double(::sysconf(_SC_CLK_TCK)) : 0;
}

double residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toDouble();
    return 0;
}

double percentile(std::vector<double> v, double fraction)
{
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * double(v.size())));
    return v[std::clamp<std::size_t>(rank, 1, v.size()) - 1];
}

// Red fill (us) or green fill (de) at one screen pixel.
bool isRed(unsigned long p) { return ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) < 140; }
bool isGreen(unsigned long p) { return ((p >> 8) & 0xFF) > 150 && ((p >> 16) & 0xFF) < 140; }

class Benchmark {
public:
    Benchmark(QString program, int switches, int idle, int hudSwitches, bool onlyHud, std::unique_ptr<TrayHost>& tray)
        : program_(std::move(program)), switches_(switches), idle_(idle), hudSwitches_(hudSwitches), onlyHud_(onlyHud),
          tray_(tray)
    {
    }

    int run()
    {
        display_ = XOpenDisplay(nullptr);
        if (!display_) return fail("no X display");
        QProcess::execute(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), QStringLiteral("us,de")});
        XkbLockGroup(display_, XkbUseCoreKbd, 0);
        XSync(display_, False);
        if (!writeSettings() || !startClient()) return 1;
        if (onlyHud_) {
            measureSwitchesWithTheHUD();
            XCloseDisplay(display_);
            return 0;
        }
        if (!startProgram()) return 1;
        std::printf("Input-method styling benchmark: %d layout switches, %d s idle\n", switches_, idle_);
        const double before = cpuSecondsOf(process_.processId());
        runFor(seconds(idle_));
        const double used = cpuSecondsOf(process_.processId()) - before;
        std::printf("CPU while idle with input-method styling on, %d s: %.2f s (%.3f %% of one core)\n", idle_, used,
                    100.0 * used / idle_);
        measureSwitches();
        ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
        process_.waitForFinished(5000);
        measureSwitchesWithTheHUD();
        measureStaleMappings();
        measureIbusDeath();
        measureFcitxStall();
        measureFcitxSwitches();
        XCloseDisplay(display_);
        return 0;
    }

private:
    int fail(const std::string& why)
    {
        std::fprintf(stderr, "benchmark: %s\n", why.c_str());
        return 1;
    }

    // Launch to the indicator on screen, and to the stale entries gone from the stored
    // record (its size falls back to the two listed layouts).
    void measureStaleMappings()
    {
        constexpr int stale = 10000;
        if (!writeSettings(stale)) return;
        const auto start = steady_clock::now();
        if (!launchProgram(process_, program_, config_.path(), config_.path() + QStringLiteral("/zorbel-stale.log"))) {
            fail("cannot start the program");
            return;
        }
        std::optional<double> shown, cleaned;
        const QString defaults = config_.path() + QStringLiteral("/zorbel/defaults.ini");
        pollUntil([&] {
            const double ms = duration<double, std::milli>(steady_clock::now() - start).count();
            if (!shown) {
                const auto window = windowNamed(QStringLiteral("Zorbel indicator"));
                if (window && isViewable(*window) == true) shown = ms;
            }
            if (!cleaned && QFileInfo(defaults).size() < 4096) cleaned = ms;
            return shown && cleaned;
        }, 60s, 5ms);
        std::printf("Start with %d stored mappings of input sources that are gone: indicator on screen after %.0f ms, "
                    "stale mappings removed from the stored record after %.0f ms\n",
                    stale, shown.value_or(NAN), cleaned.value_or(NAN));
        ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
        process_.waitForFinished(5000);
    }

    // IBus with English and German on this benchmark's own configuration folder; German
    // selected, then the daemon killed: it leaves its address file, and the program must
    // notice by the closed connection. Timed to the program's next "Input method changed".
    void measureIbusDeath()
    {
        if (!writeSettings(0, true)) return;
        qputenv("XMODIFIERS", "@im=ibus");
        qputenv("GSETTINGS_BACKEND", "keyfile");
        qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
        const QString engines = QStringLiteral("['xkb:us::eng', 'xkb:de::deu']");
        QProcess::execute(QStringLiteral("gsettings"), {QStringLiteral("set"), QStringLiteral("org.freedesktop.ibus.general"),
                                                        QStringLiteral("preload-engines"), engines});
        QProcess daemon;
        daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        daemon.start(QStringLiteral("ibus-daemon"), {QStringLiteral("--xim=false"), QStringLiteral("--panel=disable"),
                                                     QStringLiteral("--daemonize=false"), QStringLiteral("--replace")});
        auto engine = [](const char* name) {
            return QProcess::execute(QStringLiteral("ibus"), {QStringLiteral("engine"), QString::fromLatin1(name)}) == 0;
        };
        const QString log = config_.path() + QStringLiteral("/zorbel-ibus.log");
        auto changes = [&] {
            QFile f(log);
            return f.open(QIODevice::ReadOnly) ? f.readAll().count("Input method changed to:") : 0;
        };
        if (!pollUntil([&] { return engine("xkb:us::eng"); }, 10s) ||
            !launchProgram(process_, program_, config_.path(), log) ||
            !pollUntil([&] { return changes() > 0; }, 10s) || !engine("xkb:de::deu") ||
            !pollUntil([&] { QFile f(log); return f.open(QIODevice::ReadOnly) && f.readAll().contains("changed to: German"); }, 5s)) {
            fail("IBus or the program did not come up");
        } else {
            qint64 pid = 0;
            for (const QFileInfo& file : QDir(config_.path() + QStringLiteral("/ibus/bus")).entryInfoList(QDir::Files)) {
                QFile f(file.filePath());
                if (f.open(QIODevice::ReadOnly))
                    for (const QByteArray& line : f.readAll().split('\n'))
                        if (line.startsWith("IBUS_DAEMON_PID=")) pid = line.mid(16).trimmed().toLongLong();
            }
            // The program asks IBus again a moment after a switch; the kill is timed from a quiet bus.
            runFor(300ms);
            const qsizetype before = changes();
            const auto start = steady_clock::now();
            if (pid > 0) ::kill(static_cast<pid_t>(pid), SIGKILL);
            const bool seen = pid > 0 && pollUntil([&] { return changes() > before; }, 10s, 1ms);
            if (seen)
                std::printf("IBus killed to the indicator styled by the keyboard layout: %.0f ms\n",
                            duration<double, std::milli>(steady_clock::now() - start).count());
            else std::printf("IBus killed: the program did not notice within 10 s\n");
        }
        ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
        process_.waitForFinished(5000);
        daemon.terminate();
        daemon.waitForFinished(5000);
    }

    // The program's input sources in this process, following Fcitx, which is then stopped
    // (it keeps its name on the bus and answers nothing) while twenty keys are released.
    void measureFcitxStall()
    {
        qputenv("XMODIFIERS", "@im=fcitx");
        QDir().mkpath(config_.path() + QStringLiteral("/fcitx5"));
        QFile profile(config_.path() + QStringLiteral("/fcitx5/profile"));
        if (!profile.open(QIODevice::WriteOnly)) return;
        profile.write("[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=keyboard-us\n\n"
                      "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n\n[Groups/0/Items/1]\nName=keyboard-de\nLayout=\n\n"
                      "[GroupOrder]\n0=Default\n");
        profile.close();
        LinuxServices services;
        QProcess fcitx;
        fcitx.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        fcitx.start(QStringLiteral("fcitx5"), {QStringLiteral("--disable=all"), QStringLiteral("--enable=dbus,keyboard,xcb")});
        auto& sources = platform::inputSources();
        auto token = sources.observeSelectionChanges([] {});
        if (!pollUntil([&] { return sources.currentKeyboardSource().value_or(platform::InputSourceProperties{}).id ==
                                    QStringLiteral("keyboard-us"); }, 10s)) {
            fail("Fcitx 5 did not come up");
        } else {
            // Fcitx is stopped once its start-up signals are out, as a hung daemon would be later on.
            runFor(300ms);
            ::kill(static_cast<pid_t>(fcitx.processId()), SIGSTOP);
            QProcess keys;
            keys.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("for i in $(seq 20); do xdotool key shift; sleep 0.05; done")});
            double longest = 0;
            auto last = steady_clock::now();
            QTimer tick;
            QObject::connect(&tick, &QTimer::timeout, [&] {
                const auto now = steady_clock::now();
                longest = std::max(longest, duration<double, std::milli>(now - last).count());
                last = now;
            });
            tick.start(1);
            pollUntil([&] { return keys.state() == QProcess::NotRunning; }, 30s);
            runFor(2500ms);  // the program's own later questions after the last key fall in the measure
            std::printf("Longest main-loop pause while 20 keys are released and Fcitx 5 does not answer: %.1f ms\n", longest);
            ::kill(static_cast<pid_t>(fcitx.processId()), SIGCONT);
        }
        fcitx.terminate();
        fcitx.waitForFinished(5000);
    }

    // The program beside Fcitx with its tray item and an editor typing through Fcitx's XIM.
    // Each switch is timed from the moment it is asked for (fcitx5-remote and the key by
    // starting the tool) to the new colour at the indicator's centre.
    void measureFcitxSwitches()
    {
        if (!writeSettings() || !writeFcitxProfile(config_.path())) return;
        QProcess::execute(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), QStringLiteral("us")});
        qputenv("XMODIFIERS", "@im=fcitx");
        qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
        QProcess fcitx;
        fcitx.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        fcitx.start(QStringLiteral("fcitx5"), {QStringLiteral("--disable=all"),
                                               QStringLiteral("--enable=dbus,keyboard,xcb,xim,classicui,notificationitem")});
        std::unique_ptr<TextClient> editor;
        QString error;
        const auto start = [&] {
            return TextClient::start(Toolkit::Gtk3, {QStringLiteral("Fcitx editor"), QRect(200, 150, 480, 320), false,
                                                     {QStringLiteral("GTK_IM_MODULE=xim")}},
                                     &error);
        };
        // The program's own item may be on the tray from before.
        if (!pollUntil(fcitxXimAnnounced, 10s) ||
            !pollUntil([&] { return tray_ && (fcitxItem_ = tray_->itemWithId(QStringLiteral("Fcitx"))).has_value(); }, 10s) ||
            !((editor = start()) || (editor = start())) || !focusWindow(editor->windowId())) {
            fail("Fcitx 5, its tray item or the editor under its XIM did not come up " + error.toStdString());
        } else if (const auto window = windowGeometry(editor->windowId());
                   window && clickAt({window->center().x(), window->top() + 20}) && typeText(QStringLiteral("xx")) &&
                   startProgram()) {
            timeFcitxSwitches();
        }
        ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
        process_.waitForFinished(5000);
        editor.reset();
        fcitx.terminate();
        fcitx.waitForFinished(5000);
    }

    void timeFcitxSwitches()
    {
        const TrayHost::Item item = *fcitxItem_;
        const QStringList names{QStringLiteral("keyboard-us"), QStringLiteral("keyboard-de")};
        const auto call = [](const QString& service, const QString& path, const QString& interface, const QString& method,
                             const QVariantList& arguments) {
            QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
            message.setArguments(arguments);
            QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
        };
        std::vector<int> menuIds;
        if (const auto menu = tray_->menu(item))
            for (const MenuNode& node : menu->children)
                if (node.properties.value(QStringLiteral("toggle-type")).toString() == QLatin1String("radio")) menuIds.push_back(node.id);
        struct Way {
            const char* name;
            std::function<void(int)> switchTo;
        };
        const std::vector<Way> ways{
            {"fcitx5-remote -s", [&](int to) { QProcess::execute(QStringLiteral("fcitx5-remote"), {QStringLiteral("-s"), names[to]}); }},
            {"the controller's SetCurrentIM",
             [&](int to) {
                 call(QStringLiteral("org.fcitx.Fcitx5"), QStringLiteral("/controller"), QStringLiteral("org.fcitx.Fcitx.Controller1"),
                      QStringLiteral("SetCurrentIM"), {names[to]});
             }},
            {"the switch key", [&](int) { pressKeys(QStringLiteral("Shift_L")); }},
            {"the tray's menu",
             [&](int to) {
                 if (static_cast<std::size_t>(to) < menuIds.size()) tray_->click(item, menuIds[static_cast<std::size_t>(to)]);
             }},
            {"a click on the tray icon",
             [&](int) { call(item.service, item.path, QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Activate"), {0, 0}); }},
        };
        const auto time = [&](const char* name, const char* load, const std::function<void(int)>& switchTo) {
            std::vector<double> ms;
            int missed = 0;
            for (int i = 0; i < 20; ++i) {
                const int to = (i + 1) % 2;
                const auto start = steady_clock::now();
                switchTo(to);
                const bool seen = pollUntil([&] {
                    const auto p = pixelAt(centre_);
                    return p && (to ? isGreen(*p) : isRed(*p));
                }, 3s, 1ms);
                if (seen) ms.push_back(duration<double, std::milli>(steady_clock::now() - start).count());
                else ++missed;
                runFor(100ms);  // switches apart as a user makes them, not a burst that merges
            }
            std::printf("Fcitx 5 switch by %s to the indicator's new colour, %s: median %.0f ms, max %.0f ms (%zu of 20 seen "
                        "within 3 s)\n",
                        name, load, percentile(ms, 0.5), percentile(ms, 1.0), ms.size());
            (void)missed;
        };
        for (const bool busy : {false, true}) {
            std::function<void()> stopLoad;
            if (busy) stopLoad = keepXServerBusy();
            for (const Way& way : ways) time(way.name, busy ? "X server busy" : "X server idle", way.switchTo);
            if (stopLoad) stopLoad();
        }
        // Without a tray Fcitx withdraws its item; the switch keys are followed instead.
        const QString service = item.service;
        tray_.reset();
        pollUntil([&] { return !QDBusConnection::sessionBus().interface()->isServiceRegistered(service).value(); }, 5s);
        for (const bool busy : {false, true}) {
            std::function<void()> stopLoad;
            if (busy) stopLoad = keepXServerBusy();
            time("the switch key without a tray", busy ? "X server busy" : "X server idle", ways[2].switchTo);
            if (stopLoad) stopLoad();
        }
    }

    // The program's own CPU time per switch, read from /proc over all of them. Each switch
    // waits for the new colour, then as long as a HUD takes to come and go again (shown for
    // 0.3 s), the same in every case, so the HUD's whole life is counted with its switch. The
    // cases take turns in five rounds, so a machine busy for a while weighs on all three.
    void measureSwitchesWithTheHUD()
    {
        struct Case {
            const char* name;
            bool enabled;
            AnimationType animation;
        };
        const Case cases[] = {{"HUD off", false, AnimationType::none},
                              {"HUD shown without animation", true, AnimationType::none},
                              {"HUD shown with fade", true, AnimationType::fade}};
        constexpr int rounds = 5;
        double seconds[3] = {0, 0, 0};
        int switched[3] = {0, 0, 0}, seen[3] = {0, 0, 0};
        for (int round = 0; round < rounds; ++round) {
            const int switches = hudSwitches_ / rounds + (round < hudSwitches_ % rounds ? 1 : 0);
            for (int c = 0; c < 3 && switches > 0; ++c) {
                BrindotHUDConfig hud;
                hud.isEnabled = cases[c].enabled;
                hud.animationType = cases[c].animation;
                hud.displayDuration = 0.3;
                hud.hideWhileTyping = false;
                XkbLockGroup(display_, XkbUseCoreKbd, 0);
                XSync(display_, False);
                if (!writeSettings(0, false, hud) || !startProgram()) return;
                runFor(1s);
                const double before = cpuSecondsOf(process_.processId());
                for (int i = 0; i < switches; ++i) {
                    const int group = (i + 1) % 2;
                    XkbLockGroup(display_, XkbUseCoreKbd, static_cast<unsigned>(group));
                    XFlush(display_);
                    seen[c] += pollUntil(
                        [&] { const auto p = pixelAt(centre_); return p && (group ? isGreen(*p) : isRed(*p)); }, 1s, 1ms);
                    runFor(900ms);
                }
                seconds[c] += cpuSecondsOf(process_.processId()) - before;
                switched[c] += switches;
                ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
                process_.waitForFinished(5000);
            }
        }
        double perSwitch[3] = {NAN, NAN, NAN};
        for (int c = 0; c < 3; ++c) {
            perSwitch[c] = 1000.0 * seconds[c] / switched[c];
            std::printf("Layout switch, the program's CPU per switch, %s: %.1f ms (%d switches in %d rounds, %d recoloured)\n",
                        cases[c].name, perSwitch[c], switched[c], rounds, seen[c]);
        }
        std::printf("Layout switch with the HUD shown / with fade, against the HUD off: %.2f / %.2f times "
                    "(targets at most 1.5 / 2)\n", perSwitch[1] / perSwitch[0], perSwitch[2] / perSwitch[0]);
    }

    bool writeSettings(int staleMappings = 0, bool logToOutput = false,
                       const std::optional<BrindotHUDConfig>& hud = std::nullopt)
    {
        const QString folder = config_.path() + QStringLiteral("/zorbel");
        QDir().mkpath(folder);
        QFile suite(folder + QStringLiteral("/quellan.brindot.ini"));
        if (!suite.open(QIODevice::WriteOnly)) return false;
        suite.write("[General]\nisBrindotEnabled=true\n");
        suite.close();
        BrindotStyle style;
        style.size = 20;
        InputMethodStyleConfig mapping;
        mapping.styleMapping = {{QStringLiteral("xkb:us::eng"), 1}, {QStringLiteral("xkb:de::deu"), 2},
                                {QStringLiteral("keyboard-us"), 1}, {QStringLiteral("keyboard-de"), 2}};
        for (int i = 0; i < staleMappings; ++i) mapping.styleMapping.insert(QStringLiteral("gone:%1").arg(i), i % 16);
        QSettings defaults(folder + QStringLiteral("/defaults.ini"), QSettings::IniFormat);
        defaults.setValue(QStringLiteral("BrindotStyle"), *encodeJson(style).value);
        defaults.setValue(QStringLiteral("InputMethodStyleConfig"), *encodeJson(mapping).value);
        defaults.setValue(QStringLiteral("BrindotDebugMode"), logToOutput);
        if (hud) defaults.setValue(QStringLiteral("BrindotHUDConfig"), *encodeJson(*hud).value);
        else defaults.remove(QStringLiteral("BrindotHUDConfig"));
        defaults.sync();
        return defaults.status() == QSettings::NoError;
    }

    bool startClient()
    {
        QString error;
        client_ = TextClient::start(Toolkit::Gtk3, {QStringLiteral("Editor"), QRect(100, 100, 480, 320)}, &error);
        if (!client_) return fail(error.toStdString()) == 0;
        if (!pollUntil([&] { return isRegistered(client_->pid()); }, 10s)) return fail("the client did not register") == 0;
        const auto window = windowGeometry(client_->windowId());
        return window && focusWindow(client_->windowId()) && clickAt({window->center().x(), window->top() + 20}) &&
               typeText(QStringLiteral("xx"));
    }

    bool startProgram()
    {
        if (!launchProgram(process_, program_, config_.path(), config_.path() + QStringLiteral("/zorbel.log")))
            return fail("cannot start the program") == 0;
        std::optional<quint64> window;
        if (!pollUntil([&] { return (window = windowNamed(QStringLiteral("Zorbel indicator"))) && isViewable(*window) == true; }, 15s))
            return fail("the indicator never appeared") == 0;
        indicator_ = *window;
        // The input-method job runs a second after launch; it shows the us colour.
        if (!pollUntil([&] { return centrePixel() && isRed(*centrePixel()); }, 10s))
            return fail("the indicator never took the colour mapped to the us layout") == 0;
        return true;
    }

    std::optional<unsigned long> centrePixel()
    {
        const auto g = windowGeometry(indicator_);
        if (!g) return std::nullopt;
        centre_ = g->center();
        return pixelAt(centre_);
    }
    std::optional<unsigned long> pixelAt(QPoint p)
    {
        XImage* image = XGetImage(display_, DefaultRootWindow(display_), p.x(), p.y(), 1, 1, AllPlanes, ZPixmap);
        if (!image) return std::nullopt;
        const unsigned long pixel = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return pixel;
    }

    // One layout switch, timed to the indicator's new colour on screen; nothing when it did
    // not change within 1 s.
    std::optional<double> switchOnce(int i)
    {
        const int group = (i + 1) % 2;
        const auto start = steady_clock::now();
        XkbLockGroup(display_, XkbUseCoreKbd, static_cast<unsigned>(group));
        XFlush(display_);
        while (steady_clock::now() - start < 1s) {
            const auto p = pixelAt(centre_);
            if (p && (group ? isGreen(*p) : isRed(*p))) return duration<double, std::milli>(steady_clock::now() - start).count();
            ::usleep(200);
        }
        return std::nullopt;
    }

    void measureSwitches()
    {
        std::vector<double> ms;
        int missed = 0;
        for (int i = 0; i < switches_; ++i) {
            if (const auto took = switchOnce(i)) ms.push_back(*took);
            else ++missed;
            runFor(50ms);  // switches apart as a user makes them, not a burst that merges
        }
        std::printf("Layout switch to the indicator's new colour on screen: median %.2f ms, 99th percentile %.2f ms "
                    "(%zu of %d switches seen within 1 s)\n",
                    percentile(ms, 0.5), percentile(ms, 0.99), ms.size(), switches_);
        if (missed) std::printf("%d switches did not recolour the indicator within 1 s\n", missed);
        // Memory over a long day of switching: after the first 500 switches (the log's ring of
        // recent lines filling meanwhile), 10,000 more should add under 1 MiB.
        int done = switches_;
        const auto switchAndTurn = [&] {
            switchOnce(done++);
            runFor(1ms);
        };
        while (done < 500) switchAndTurn();
        const double at500 = residentKiB(process_.processId());
        for (const int end = done + 10000; done < end;) switchAndTurn();
        const double after = residentKiB(process_.processId());
        std::printf("Program's resident memory after 500 / %d switches: %.0f / %.0f KiB (%+.0f KiB, target under "
                    "1024)\n",
                    done, at500, after, after - at500);
    }

    QString program_;
    int switches_;
    int idle_;
    int hudSwitches_;
    bool onlyHud_;
    std::unique_ptr<TrayHost>& tray_;
    std::optional<TrayHost::Item> fcitxItem_;
    Display* display_ = nullptr;
    QTemporaryDir config_;
    QProcess process_;
    std::unique_ptr<TextClient> client_;
    quint64 indicator_ = 0;
    QPoint centre_;
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // A tray on the bus, so the program keeps to it rather than opening its settings window.
    auto tray = std::make_unique<zorbel::integration::TrayHost>();
    const QStringList a = QCoreApplication::arguments();
    QString program;
    int switches = 200, idle = 30, hudSwitches = 100;
    bool onlyHud = false;
    for (int i = 1; i < a.size(); ++i) {
        if (a[i] == QLatin1String("--switches") && i + 1 < a.size()) switches = a[++i].toInt();
        else if (a[i] == QLatin1String("--idle") && i + 1 < a.size()) idle = a[++i].toInt();
        else if (a[i] == QLatin1String("--hud-switches") && i + 1 < a.size()) hudSwitches = a[++i].toInt();
        else if (a[i] == QLatin1String("--only-hud")) onlyHud = true;
        else if (program.isEmpty()) program = a[i];
    }
    if (program.isEmpty() || switches < 1 || idle < 1 || hudSwitches < 1) {
        std::fprintf(stderr, "usage: %s PROGRAM [--switches N] [--idle SECONDS] [--hud-switches N] [--only-hud]\n", argv[0]);
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    return Benchmark(program, switches, idle, hudSwitches, onlyHud, tray).run();
}
