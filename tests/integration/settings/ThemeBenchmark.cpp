// Figures for the settings window's themes on the real desktop, not pass or fail: CPU while
// the liquid-glass window is open and idle and while it is hidden, the time of one full
// repaint at 1100 by 680 in each theme, and resident memory across 100 theme switches.
#include "Caret/Managers/BrindotManager.h"
#include "Shell/SettingsWindowController.h"
#include "Shell/UIStyleManager.h"
#include "support/BenchmarkProbes.h"
#include "support/LinuxServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zorbel;
using namespace zorbel::integration;

namespace {

double medianRepaintMs(QWidget* window)
{
    std::vector<double> times;
    for (int i = 0; i < 30; ++i) {
        QElapsedTimer t;
        t.start();
        window->repaint();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
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
        std::printf("full repaint at %dx%d, %s: %.2f ms (median of 30)\n", window->width(), window->height(),
                    qPrintable(rawValue(theme)), medianRepaintMs(window));
    }
    runFor(2000);
    std::printf("CPU, liquid glass open and idle: %.2f%% of one core (10 s)\n", cpuShare(10000));
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
