// Figures for how fast the real program ends on SIGTERM (run by scripts/benchmark.sh): the
// time from the signal to the process's end, in the states a session leaves it in: idle
// beside a tray, with its settings window open (no tray: it opens at start), and with the
// window on each of its tabs.
//
//   zorbel_quit_benchmark PROGRAM [RUNS]
#include "support/DesktopTools.h"
#include "support/Poll.h"
#include "support/ProgramProcess.h"
#include "support/TrayHost.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

using namespace zorbel::integration;

namespace {

const QString kSettingsTitle = QStringLiteral("Zorbel 设置");

// Milliseconds from SIGTERM to the end of the process; -1 when it had to be killed.
double timeToQuit(QProcess& program)
{
    QElapsedTimer t;
    t.start();
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    const bool ended = program.waitForFinished(10000);
    const double ms = t.nsecsElapsed() / 1e6;
    if (!ended) {
        program.kill();
        program.waitForFinished();
        return -1;
    }
    return ms;
}

struct State {
    const char* name;
    bool tray;
    int tab;  // the settings window's tab to click first (-1: none)
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: zorbel_quit_benchmark PROGRAM [RUNS]\n");
        return 2;
    }
    const QString program = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::vector<State> states = {
        {"idle beside a tray", true, -1},       {"settings window open", false, -1},
        {"settings: style tab", false, 1},      {"settings: input-method tab", false, 2},
        {"settings: HUD tab", false, 3},        {"settings: feedback tab", false, 4},
    };
    std::printf("Quitting on SIGTERM, %d runs per state (time from the signal to the end):\n", runs);
    for (const State& state : states) {
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            std::unique_ptr<TrayHost> tray;
            if (state.tray) tray = std::make_unique<TrayHost>();
            QTemporaryDir config;
            QProcess zorbel;
            if (!launchProgram(zorbel, program, config.path(), config.path() + QStringLiteral("/log.txt"))) {
                std::fprintf(stderr, "cannot start %s\n", qPrintable(program));
                return 1;
            }
            std::optional<quint64> window;
            if (!state.tray) {
                pollUntil([&] { return (window = windowNamed(kSettingsTitle)).has_value(); }, 10s);
                if (!window) {
                    std::fprintf(stderr, "%s: the settings window did not open\n", state.name);
                    stopProgram(zorbel);
                    continue;
                }
            }
            runFor(1500ms);  // quitting is measured after the start-up's timed work (1 s and less)
            if (state.tab >= 0 && window) {
                if (const auto frame = windowGeometry(*window))
                    clickAt(frame->topLeft() + QPoint(81, 116 + 40 * state.tab));
                runFor(1000ms);  // the tab's page built and its timers started, as a user leaves it
            }
            times.push_back(timeToQuit(zorbel));
        }
        if (times.empty()) continue;
        std::sort(times.begin(), times.end());
        const bool killed = times.front() < 0;
        std::printf("  %-28s median %7.1f ms, max %7.1f ms%s\n", state.name, times[times.size() / 2], times.back(),
                    killed ? "  (some runs never ended and were killed)" : "");
    }
    return 0;
}
