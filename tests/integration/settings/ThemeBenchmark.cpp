// Figures for the settings window's themes on the real desktop, not pass or fail: CPU and the
// longest frame (the clock's tick, the drift pictures it prepares ahead and the repaint) while
// the liquid glass animates after input and once it is left alone; CPU while it is wholly
// covered by another window and hidden; per theme, a full repaint from the pictures the window keeps, the
// frame that draws every picture again once a new size holds, and a resize step; and resident
// memory across 100 theme switches.
#include "Caret/Managers/BrindotManager.h"
#include "Settings/Themes/LiquidGlass/GlassClock.h"
#include "Shell/SettingsWindowController.h"
#include "Shell/UIStyleManager.h"
#include "support/BenchmarkProbes.h"
#include "support/LinuxServices.h"

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

// Times every event the main loop hands out (events sent from inside them count with their
// sender), so a frame's cost is seen whole: the glass clock's tick with what it prepares
// ahead, and the repaint it asks for.
class TimedApplication final : public QApplication {
public:
    using QApplication::QApplication;
    struct Work {
        double startMs;
        double ms;
    };
    bool recording = false;
    std::vector<Work> work;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (!recording || depth_ > 0) {
            ++depth_;
            const bool done = QApplication::notify(receiver, event);
            --depth_;
            return done;
        }
        const double start = double(clock_.nsecsElapsed()) / 1e6;
        ++depth_;
        const bool done = QApplication::notify(receiver, event);
        --depth_;
        work.push_back({start, double(clock_.nsecsElapsed()) / 1e6 - start});
        return done;
    }
    // The most work done within any 30 ms: one frame, whatever events it took.
    double longestFrameMs(int ms)
    {
        work.clear();
        clock_.start();
        recording = true;
        runFor(ms);
        recording = false;
        double longest = 0;
        for (size_t i = 0; i < work.size(); ++i) {
            double sum = 0;
            for (size_t j = i; j < work.size() && work[j].startMs < work[i].startMs + 30; ++j) sum += work[j].ms;
            longest = std::max(longest, sum);
        }
        return longest;
    }

private:
    int depth_ = 0;
    QElapsedTimer clock_;
};

// A full repaint with every picture drawn again: the frame once a new size has held.
double medianRedrawMs(TimedApplication& app, QWidget* window)
{
    const QSize start = window->size();
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        window->resize(start + QSize(i % 2 ? 0 : 12, 0));
        times.push_back(app.longestFrameMs(600));
    }
    window->resize(start);
    runFor(600);
    return median(times);
}

}  // namespace

int main(int argc, char** argv)
{
    TimedApplication app(argc, argv);
    integration::LinuxServices services;
    BrindotManager::shared();
    auto& styles = UIStyleManager::shared();
    SettingsWindowController::showSettings();
    QWidget* window = SettingsWindowController::shared()->window();

    for (UIStyle theme : {UIStyle::system, UIStyle::frostedGlass, UIStyle::liquidGlass}) {
        styles.setCurrentStyle(theme);
        runFor(1500);
        const double repaint = medianRepaintMs(window);
        const double redraw = medianRedrawMs(app, window);
        const double resize = medianResizeMs(window);
        runFor(400);
        std::printf("%s at %dx%d: full repaint from kept pictures %.2f ms, with every picture drawn again %.2f ms, "
                    "resize step %.2f ms (medians)\n",
                    qPrintable(rawValue(theme)), window->width(), window->height(), repaint, redraw, resize);
    }
    // As if the pointer had just moved over the window: the glass animates for a while.
    auto& clock = GlassClock::shared();
    clock.wake();
    std::printf("liquid glass open, animating after input: longest frame %.2f ms over 5 s\n", app.longestFrameMs(5000));
    clock.wake();
    std::printf("CPU, liquid glass open, animating after input: %.2f%% of one core (5 s)\n", cpuShare(5000));
    // Then left alone.
    runFor(int(GlassClock::restAfter * 1000) + 500);
    std::printf("liquid glass open and idle (left alone, %s): longest frame %.2f ms over 10 s\n",
                clock.isResting() ? "standing still" : "still animating", app.longestFrameMs(10000));
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
