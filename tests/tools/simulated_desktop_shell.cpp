// A terminal for the simulated desktop: script applications, text fields,
// focus, clicks and time, and watch the caret tracker react.
//
//   zorbel_simulated_shell < script      or interactively
//
// Commands (one per line; '#' starts a comment):
//   app PID BUNDLE NAME          an application with one window
//   field PID X Y W H [TEXT]     a text field in its window (top-left coordinates)
//   area PID X Y W H [TEXT]      a multi-line text area
//   button PID X Y W H TITLE     a button
//   focus PID INDEX              focus the application's INDEX-th element (0 = first added)
//   activate PID                 make it frontmost
//   type TEXT                    append text to the focused element
//   caret N                      move the caret of the focused element
//   click [X Y]                  a left click somewhere
//   quit PID | hang PID | resume PID
//   run SECONDS                  let time pass
//   track on|off                 start or stop the caret tracker
//   calls                        how many accessibility calls were made
#include "AXLayer/SystemWideElement.h"
#include "Caret/Managers/PerfectCaretTracker.h"
#include "Platform/Console.h"
#include "Platform/LogSink.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Services.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/Simulated/SimulatedEventMonitor.h"
#include "Platform/TextForm.h"
#include "Platform/UserDefaults.h"
#include "Platform/VirtualScheduler.h"

#include <QCoreApplication>
#include <QTextStream>

#include <iostream>
#include <map>
#include <vector>

using namespace zorbel;
using namespace zorbel::platform;

namespace {

struct Shell {
    VirtualScheduler scheduler;
    NotificationCenter notifications;
    MemoryUserDefaultsProvider defaults;
    MemoryLogSink log;
    StdoutConsole console;
    SimulatedDesktop desktop;
    SimulatedEventMonitor mouse;
    std::map<int, std::vector<SimulatedElement*>> elements;
    std::map<int, SimulatedElement*> windows;
    SimulatedElement* focused = nullptr;
    std::unique_ptr<PerfectCaretTracker> tracker;
    rx::Cancellable watching;

    Shell()
    {
        Services s;
        s.scheduler = &scheduler;
        s.notifications = &notifications;
        s.defaults = &defaults;
        s.log = &log;
        s.console = &console;
        s.accessibility = &desktop.accessibility();
        s.workspace = &desktop.workspace();
        s.eventMonitor = &mouse;
        installServices(s);
        tracker = std::make_unique<PerfectCaretTracker>();
        watching = tracker->currentCaretPositionPublisher().sink([](const std::optional<QPointF>& p) {
            print(QStringLiteral("caret: ") + (p ? text::point(*p) : QStringLiteral("none")));
        });
    }

    SimulatedApplication* app(int pid)
    {
        auto* a = desktop.application(pid);
        if (!a) print(QStringLiteral("no application %1").arg(pid));
        return a;
    }

    void add(const QStringList& w, const QString& kind)
    {
        auto* a = app(w.value(1).toInt());
        if (!a || w.size() < 6) return;
        const QRectF frame(w[2].toDouble(), w[3].toDouble(), w[4].toDouble(), w[5].toDouble());
        const QString rest = w.mid(6).join(QLatin1Char(' '));
        auto* window = windows[a->pid()];
        SimulatedElement* e = kind == QLatin1String("field")  ? &window->addTextField(frame, rest)
                              : kind == QLatin1String("area") ? &window->addTextArea(frame, rest)
                                                              : &window->addButton(rest, frame);
        elements[a->pid()].push_back(e);
    }

    void execute(const QString& line)
    {
        const QStringList w = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (w.isEmpty() || w[0].startsWith(QLatin1Char('#'))) return;
        const QString& c = w[0];
        const QString rest = w.mid(1).join(QLatin1Char(' '));
        if (c == QLatin1String("app") && w.size() >= 4) {
            auto& a = desktop.addApplication({w[1].toInt(), w[2], w.mid(3).join(QLatin1Char(' '))});
            windows[a.pid()] = &a.addWindow(w.mid(3).join(QLatin1Char(' ')), QRectF(50, 50, 900, 600));
        } else if (c == QLatin1String("field") || c == QLatin1String("area") || c == QLatin1String("button")) {
            add(w, c);
        } else if (c == QLatin1String("focus") && w.size() == 3) {
            auto& list = elements[w[1].toInt()];
            const auto i = static_cast<size_t>(w[2].toInt());
            if (i < list.size()) desktop.focus(*(focused = list[i]));
        } else if (c == QLatin1String("activate")) {
            if (auto* a = app(w.value(1).toInt())) desktop.activate(*a);
        } else if (c == QLatin1String("type") && focused) {
            focused->setText(focused->text() + rest);
        } else if (c == QLatin1String("caret") && focused) {
            focused->setCaret(w.value(1).toLongLong());
        } else if (c == QLatin1String("click")) {
            mouse.click(QPointF(w.value(1).toDouble(), w.value(2).toDouble()));
        } else if (c == QLatin1String("quit")) {
            if (auto* a = app(w.value(1).toInt())) desktop.quit(*a);
        } else if (c == QLatin1String("hang") || c == QLatin1String("resume")) {
            if (auto* a = app(w.value(1).toInt())) a->hang(c == QLatin1String("hang"));
        } else if (c == QLatin1String("run")) {
            scheduler.runPending();
            scheduler.advance(w.value(1).toDouble());
        } else if (c == QLatin1String("track")) {
            if (w.value(1) == QLatin1String("off")) tracker->stopTracking(); else tracker->startTracking();
        } else if (c == QLatin1String("calls")) {
            print(QStringLiteral("accessibility calls: %1").arg(desktop.calls().size()));
        } else {
            print(QStringLiteral("? ") + line);
        }
        scheduler.runPending();
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication qt(argc, argv);
    Shell shell;
    QTextStream in(stdin);
    while (!in.atEnd()) shell.execute(in.readLine().trimmed());
    resetSharedInstances();
    return 0;
}
