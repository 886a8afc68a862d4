// Figures for the settings window's themes on the real desktop, not pass or fail: CPU while
// the liquid-glass window is open and idle, wholly covered by another window and hidden; the
// longest stretch of work between two sleeps of the main loop while the glass animates (one
// frame and the drift pictures prepared ahead with it); per theme, a full repaint from the
// pictures the window keeps and a resize step, which draws every picture again; and resident
// memory across 100 theme switches.
#include "Caret/Managers/BrindotManager.h"
#include "Shell/SettingsWindowController.h"
#include "Shell/UIStyleManager.h"
#include "support/BenchmarkProbes.h"
#include "support/LinuxServices.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zorbel;
using namespace zorbel::integration;

namespace {

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double medianRepaintMs(QWidget* window)
{
    std::vector<double> times;
    for (int i = 0; i < 30; ++i) {
        QElapsedTimer t;
        t.start();
        window->repaint();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

// One step of a drag on the window's corner: the new size laid out and painted.
double medianResizeMs(QWidget* window)
{
    const QSize start = window->size();
    std::vector<double> times;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer t;
        t.start();
        window->resize(start + QSize(8 * (i % 2 ? 0 : 1), 6 * (i % 2 ? 0 : 1)));
        window->repaint();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    window->resize(start);
    return median(times);
}

// The longest time the main loop worked without sleeping, over `ms`.
double longestBusyMs(int ms)
{
    auto* dispatcher = QAbstractEventDispatcher::instance();
    QElapsedTimer busy;
    double longest = 0;
    busy.start();
    const auto awake = QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [&] { busy.restart(); });
    const auto asleep = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock,
                                         [&] { longest = std::max(longest, double(busy.nsecsElapsed()) / 1e6); });
    runFor(ms);
    QObject::disconnect(awake);
    QObject::disconnect(asleep);
    return longest;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    integration::LinuxServices services;
    BrindotManager::shared();
    auto& styles = UIStyleManager::shared();
    SettingsWindowController::showSettings();
    QWidget* window = SettingsWindowController::shared()->window();

    for (UIStyle theme : {UIStyle::system, UIStyle::frostedGlass, UIStyle::liquidGlass}) {
        styles.setCurrentStyle(theme);
        runFor(1500);
        std::printf("%s at %dx%d: full repaint from kept pictures %.2f ms, resize step %.2f ms (medians)\n",
                    qPrintable(rawValue(theme)), window->width(), window->height(), medianRepaintMs(window),
                    medianResizeMs(window));
    }
    runFor(2000);
    std::printf("liquid glass open and idle: longest main-loop work %.2f ms over 10 s\n", longestBusyMs(10000));
    std::printf("CPU, liquid glass open and idle: %.2f%% of one core (10 s)\n", cpuShare(10000));

    // Another window over the whole screen hides the settings window without hiding it.
    QWidget cover;
    cover.setWindowTitle(QStringLiteral("cover"));
    cover.setGeometry(QGuiApplication::primaryScreen()->geometry());
    cover.show();
    cover.raise();
    runFor(1500);
    std::printf("CPU, liquid glass wholly covered: %.2f%% of one core (5 s)\n", cpuShare(5000));
    cover.hide();
    runFor(1000);

    window->hide();
    runFor(1000);
    std::printf("CPU, window hidden: %.2f%% of one core (5 s)\n", cpuShare(5000));
    window->show();

    const UIStyle cycle[] = {UIStyle::system, UIStyle::frostedGlass, UIStyle::liquidGlass};
    for (int i = 0; i < 10; ++i) {
        styles.setCurrentStyle(cycle[i % 3]);
        runFor(30);
    }
    const long warm = residentKiB();
    for (int i = 0; i < 100; ++i) {
        styles.setCurrentStyle(cycle[i % 3]);
        runFor(30);
    }
    runFor(500);
    std::printf("resident memory after 100 theme switches: %ld KiB (%+ld KiB after the first 10)\n", residentKiB(),
                residentKiB() - warm);
    return 0;
}
