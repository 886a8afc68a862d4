// Figures for the settings window on the headless desktop (run by scripts/benchmark.sh):
// time from opening to the window's first paint, CPU while it stands open and idle, and
// resident memory after opening and closing it 50 times.
#include "Caret/Managers/BrindotManager.h"
#include "Shell/SettingsWindowController.h"
#include "Platform/Console.h"
#include "Platform/Linux/LinuxPlatform.h"
#include "Platform/LogSink.h"
#include "Platform/UserDefaults.h"
#include "support/BenchmarkProbes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace zorbel;
using namespace zorbel::integration;

namespace {

// The program's lines go nowhere: kept in memory they would count as the window's growth.
struct NoLog final : platform::LogSink {
    void write(platform::LogSeverity, const QString&) override {}
};
struct NoConsole final : platform::ConsoleSink {
    void print(const QString&) override {}
};

class FirstPaint : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) painted = true;
        return false;
    }
};

// Opens the window and returns the milliseconds until it first painted.
double openAndTimeFirstPaint()
{
    FirstPaint probe;
    QElapsedTimer t;
    t.start();
    SettingsWindowController::showSettings();
    QWidget* window = SettingsWindowController::shared()->window();
    window->installEventFilter(&probe);
    while (!probe.painted && t.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double ms = t.nsecsElapsed() / 1e6;
    window->removeEventFilter(&probe);
    return ms;
}

void closeWindow()
{
    SettingsWindowController::shared()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    runFor(50);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    platform::MemoryUserDefaultsProvider defaults;
    NoLog log;
    NoConsole console;
    platform::LinuxPlatform desktop(defaults, log, console);
    BrindotManager::shared();
    runFor(2000);
    const double quietPercent = cpuShare(10000);

    const double first = openAndTimeFirstPaint();
    runFor(2000);
    const double idlePercent = cpuShare(10000);
    closeWindow();

    const long baseline = residentKiB();
    double slowest = first;
    for (int i = 0; i < 50; ++i) {
        slowest = std::max(slowest, openAndTimeFirstPaint());
        runFor(50);
        closeWindow();
    }
    runFor(500);
    const long after = residentKiB();
    // Further rounds tell a leak (steady growth) from caches filling up.
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    long later = after;
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < 50; ++i) {
            openAndTimeFirstPaint();
            runFor(50);
            closeWindow();
        }
        runFor(500);
        const long now = residentKiB();
        if (rounds > 1) std::printf("settings window: after round %d: %ld KiB (%+ld KiB)\n", round + 2, now, now - later);
        later = now;
    }

    std::printf("settings window: first paint %.1f ms after opening (slowest of 51: %.1f ms)\n", first, slowest);
    std::printf("settings window: CPU while open and idle for 10 s: %.2f %% (%.2f %% before it was opened)\n",
                idlePercent, quietPercent);
    std::printf("settings window: resident memory after one opening %ld KiB, after 50 more %ld KiB (%+ld KiB), "
                "after 100 more %ld KiB (%+ld KiB over the second 50)\n",
                baseline, after, after - baseline, later, later - after);
    return 0;
}
