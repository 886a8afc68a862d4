// Figures for the indicator of the real program, printed rather than asserted; run by
// scripts/benchmark.sh on a headless desktop, not by CTest:
//   - how long after a key press (and after the AT-SPI caret event it causes) the
//     indicator's window moves, as an X client watching it sees it, per toolkit (GTK 3,
//     Qt 6 and Debian's GTK 4 editor), and how many accessibility bus calls the program
//     makes per keystroke;
//   - the program's CPU time while nothing happens;
//   - its resident memory after start and after a long stretch of typing.
// With --against, only the keystrokes are timed, in PROGRAM and in OTHER (another
// build, say the code as it was before some work) in turns on the same desktop, and the
// program's share of a keystroke is printed side by side for both.
//
//   zorbel_indicator_benchmark PROGRAM [--keys N] [--idle SECONDS] [--minutes M]
//   zorbel_indicator_benchmark PROGRAM --against OTHER [--keys N] [--rounds R]
#include "indicator/BenchmarkDesktop.h"
#include "indicator/Gtk4Editor.h"
#include "indicator/LatencyBreakdown.h"
#include "support/AccessibilityProbe.h"
#include "support/DesktopTools.h"
#include "support/Poll.h"
#include "support/TextClient.h"
#include "support/TrayHost.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <map>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

using namespace zorbel::integration;
using namespace std::chrono;

namespace {

struct Options {
  QString program;
  QString against;  // timed in turns with the program, for its figures beside the program's
  int rounds = 2;
  int keys = 500;
  int idleSeconds = 30;
  double minutes = 10;
};

std::optional<Options> parse(const QStringList& arguments) {
  Options options;
  for (int i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (a == QLatin1String("--keys") && hasValue) options.keys = arguments[++i].toInt();
    else if (a == QLatin1String("--idle") && hasValue) options.idleSeconds = arguments[++i].toInt();
    else if (a == QLatin1String("--minutes") && hasValue) options.minutes = arguments[++i].toDouble();
    else if (a == QLatin1String("--against") && hasValue) options.against = arguments[++i];
    else if (a == QLatin1String("--rounds") && hasValue) options.rounds = arguments[++i].toInt();
    else if (options.program.isEmpty() && !a.startsWith(QLatin1String("--"))) options.program = a;
    else return std::nullopt;
  }
  if (options.program.isEmpty() || options.keys < 2 || options.idleSeconds < 1 || options.minutes < 0 ||
      options.rounds < 1)
    return std::nullopt;
  return options;
}

// The program's CPU time so far (user + system) and resident memory, from /proc.
struct Usage {
  double cpuSeconds = 0;
  double residentMiB = 0;
};

Usage usageOf(qint64 pid) {
  Usage usage;
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (stat.open(QIODevice::ReadOnly)) {
    // Fields after the command name, which may hold spaces: state is field 3, utime 14, stime 15.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() > 12) usage.cpuSeconds = double(fields[11].toLongLong() + fields[12].toLongLong()) / double(::sysconf(_SC_CLK_TCK));
  }
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (status.open(QIODevice::ReadOnly)) {
    for (const QByteArray& line : status.readAll().split('\n')) {
      if (line.startsWith("VmRSS:")) usage.residentMiB = line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
  }
  return usage;
}

double percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return NAN;
  std::sort(values.begin(), values.end());
  const auto rank = static_cast<std::size_t>(std::ceil(fraction * double(values.size())));
  return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

std::string figures(const std::vector<double>& ms) {
  char text[96];
  std::snprintf(text, sizeof text, "median %.2f ms, 99th percentile %.2f ms", percentile(ms, 0.5), percentile(ms, 0.99));
  return text;
}

// A window to type into, and where a click puts the caret in its text.
struct Typist {
  std::string name;
  qint64 pid = 0;
  quint64 window = 0;
  bool clickMiddle = false;  // else near the top, in the single-line entry
};

QPoint clickPoint(const Typist& typist, const QRect& window) {
  return typist.clickMiddle ? window.center() : QPoint(window.center().x(), window.top() + 20);
}

class Benchmark {
 public:
  explicit Benchmark(Options options) : options_(std::move(options)) {}

  int run() {
    if (!desktop_.connected()) {
      fail("no X display");
      return 1;
    }
    if (!startClients()) return 1;
    if (!options_.against.isEmpty()) return compare();
    if (!startProgram(options_.program) || !findIndicator()) return 1;
    const Usage started = usageOf(program_.processId());
    std::printf("Indicator benchmark: %d keystrokes per toolkit, %d s idle, %.1f min of typing\n", options_.keys,
                options_.idleSeconds, options_.minutes);
    measureIdle();
    for (const Typist& typist : typists_) measureLatency(typist);
    measureTyping(started);
    return stopProgram();
  }

  // Each round times every toolkit in the program, then in the other build; one
  // after the other, so both meet the same load of the machine.
  int compare() {
    const QString programs[] = {options_.program, options_.against};
    const char* labels[] = {"this build", "the other build"};
    std::map<std::string, std::vector<double>> shares[2], presses[2];
    std::printf("Indicator benchmark: %d keystrokes per toolkit and round, %d rounds, this build (%s) against %s\n",
                options_.keys, options_.rounds, qPrintable(options_.program), qPrintable(options_.against));
    for (int round = 1; round <= options_.rounds; ++round) {
      for (int p = 0; p < 2; ++p) {
        std::printf("--- round %d: %s\n", round, labels[p]);
        if (!startProgram(programs[p]) || !findIndicator()) return 1;
        for (const Typist& typist : typists_) {
          const Timings timings = measureLatency(typist);
          auto& own = shares[p][typist.name];
          own.insert(own.end(), timings.own.begin(), timings.own.end());
          auto& press = presses[p][typist.name];
          press.insert(press.end(), timings.fromKey.begin(), timings.fromKey.end());
        }
        if (stopProgram() != 0) return 1;
      }
    }
    std::printf("The program's share of a keystroke (application's event to move seen), ms, %d rounds:\n",
                options_.rounds);
    std::printf("    %-28s %21s %21s %11s %23s\n", "", "other: median / 99th", "this: median / 99th", "this/other",
                "key press to move: o / t");
    for (const Typist& typist : typists_) {
      const auto& other = shares[1][typist.name];
      const auto& mine = shares[0][typist.name];
      std::printf("    %-28s %10.2f / %8.2f %10.2f / %8.2f %10.0f %% %11.2f / %9.2f\n", typist.name.c_str(),
                  percentile(other, 0.5), percentile(other, 0.99), percentile(mine, 0.5), percentile(mine, 0.99),
                  100.0 * percentile(mine, 0.5) / percentile(other, 0.5), percentile(presses[1][typist.name], 0.5),
                  percentile(presses[0][typist.name], 0.5));
    }
    return 0;
  }

 private:
  static bool fail(const std::string& why) {
    std::fprintf(stderr, "benchmark: %s\n", why.c_str());
    return false;
  }

  bool startClients() {
    const QRect places[] = {{40, 60, 480, 320}, {660, 60, 480, 320}};
    int i = 0;
    for (Toolkit toolkit : {Toolkit::Gtk3, Toolkit::Qt6}) {
      QString error;
      auto client = TextClient::start(toolkit, {toolkitName(toolkit), places[i++]}, &error);
      if (!client) return fail(error.toStdString());
      const qint64 pid = client->pid();
      if (!pollUntil([&] { return isRegistered(pid); }, 10s)) return fail("a client did not register");
      typists_.push_back({toolkit == Toolkit::Gtk3 ? "GTK 3" : "Qt 6", pid, client->windowId(), false});
      clients_.push_back(std::move(client));
    }
    QString error;
    editor_ = Gtk4Editor::start(&error);
    if (!editor_) return fail(error.toStdString());
    // Below the two clients, where its text stays on the screen.
    moveWindow(editor_->windowId(), {40, 400});
    typists_.push_back({"GTK 4 (gnome-text-editor)", editor_->pid(), editor_->windowId(), true});
    return true;
  }

  bool startProgram(const QString& path) {
    ++runs_;
    breakdown_ = std::make_unique<LatencyBreakdown>(config_.path() + QStringLiteral("/moves%1").arg(runs_));
    QDir().mkpath(config_.path() + QStringLiteral("/zorbel"));
    QFile suite(config_.path() + QStringLiteral("/zorbel/quellan.brindot.ini"));
    if (!suite.open(QIODevice::WriteOnly)) return fail("cannot write the settings");
    suite.write("[General]\nisBrindotEnabled=true\n");
    suite.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
    environment.insert(QStringLiteral("ZORBEL_CALL_COUNTER"), counterFile());
    environment.insert(QStringLiteral("ZORBEL_LATENCY_TRACE"), breakdown_->path());
    program_.setProcessEnvironment(environment);
    // A file, not a pipe: nobody reads a pipe while keystrokes are timed, and a full one would stall it.
    program_.setStandardOutputFile(config_.path() + QStringLiteral("/zorbel.log"));
    program_.setStandardErrorFile(config_.path() + QStringLiteral("/zorbel.log"), QIODevice::Append);
    program_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    program_.start(path, QStringList());
    if (!program_.waitForStarted()) return fail("cannot start " + path.toStdString());
    desktop_.busCalls().follow(program_.processId());
    if (!desktop_.busCalls().connected()) std::printf("(bus round trips are not counted: cannot monitor the bus)\n");
    return true;
  }

  // The window appears with the first caret it marks.
  bool findIndicator() {
    if (!focus(typists_.front())) return fail("cannot focus the GTK 3 client");
    std::optional<quint64> window;
    if (!pollUntil([&] { return (window = windowNamed(QStringLiteral("Zorbel indicator"))) && isViewable(*window) == true; }, 15s))
      return fail("the indicator never appeared; the program wrote:\n" + programLog());
    desktop_.watch(*window);
    return true;
  }

  // Where the program counts its accessibility calls (all of them: GTK 3 applications
  // answer on a connection of their own, which no monitor of the bus sees).
  QString counterFile() const { return config_.path() + QStringLiteral("/calls%1").arg(runs_); }
  std::uint64_t callsSoFar() const {
    QFile file(counterFile());
    std::uint64_t count = 0;
    if (file.open(QIODevice::ReadOnly)) file.read(reinterpret_cast<char*>(&count), sizeof count);
    return count;
  }

  std::string programLog() const {
    QFile log(config_.path() + QStringLiteral("/zorbel.log"));
    return log.open(QIODevice::ReadOnly) ? log.readAll().right(3000).toStdString() : std::string();
  }

  bool focus(const Typist& typist) {
    const auto window = windowGeometry(typist.window);
    return window && focusWindow(typist.window) && clickAt(clickPoint(typist, *window));
  }

  // Types x, then erases it, so every keystroke moves the caret by a character and the
  // text stays short.
  std::optional<BenchmarkDesktop::Move> keystroke() {
    ++typed_;
    const bool erase = typedX_;
    typedX_ = !typedX_;
    return desktop_.pressAndAwaitMove(erase ? BenchmarkDesktop::Key::erase : BenchmarkDesktop::Key::x, 1s);
  }

  void measureIdle() {
    runFor(1s);  // idle is measured after the start-up's timed work
    const Usage before = usageOf(program_.processId());
    runFor(seconds(options_.idleSeconds));
    const Usage after = usageOf(program_.processId());
    const double used = after.cpuSeconds - before.cpuSeconds;
    std::printf("CPU while idle for %d s: %.2f s (%.3f %% of one core)\n", options_.idleSeconds, used,
                100.0 * used / options_.idleSeconds);
  }

  // Where the keystrokes go: after the last character of a line, between two characters,
  // and on the line a line feed began. Each is set up by keys that are not timed.
  struct Situation {
    const char* name;
    bool inView;          // the multi-line view (GTK 3, Qt 6); the editor is always one
    const char* setup;    // xdotool keys before the timed keystrokes, after any text typed
    const char* text;     // typed before the keys
  };
  static constexpr Situation situations[] = {
      {"end of a line", false, "End", "abc"},
      {"mid-text", false, "Left Left", ""},
      {"after a newline", true, "ctrl+End Return", "abc"},
  };

  bool prepare(const Typist& typist, const Situation& situation) {
    Typist target = typist;
    if (situation.inView) target.clickMiddle = true;
    if ((&situation == &situations[0] || situation.inView) && !focus(target)) return false;
    // The program observes an application from half a second after it became active, on its
    // own clock.
    runFor(1s);
    if (*situation.text && !typeText(QString::fromLatin1(situation.text))) return false;
    if (!pressKeys(QString::fromLatin1(situation.setup))) return false;
    desktop_.pause(300ms);
    return true;
  }

  // The program's share of a keystroke: from the application's event to the move seen.
  static std::optional<double> ownShare(const BenchmarkDesktop::Move& move) {
    if (!move.applicationEvent) return std::nullopt;
    return duration<double, std::milli>(move.moved - *move.applicationEvent).count();
  }

  struct Timings {
    std::vector<double> fromKey, own;
  };

  Timings measureLatency(const Typist& typist) {
    const std::string& name = typist.name;
    const Usage before = usageOf(program_.processId());
    const int unmapsBefore = desktop_.unmaps();
    desktop_.busCalls().reset();
    std::vector<double> fromKey, fromCaretEvent, own;
    std::uint64_t calls = 0;
    int missed = 0;
    int keys = 0;
    const int perSituation = std::max(2, options_.keys / int(std::size(situations)));
    for (const Situation& situation : situations) {
      if (!prepare(typist, situation)) {
        fail("cannot set up " + std::string(situation.name) + " in " + name);
        continue;
      }
      typedX_ = false;
      const std::uint64_t callsBefore = callsSoFar();
      std::vector<double> situationOwn, situationKey;
      for (int i = 0; i < perSituation; ++i) {
        const auto move = keystroke();
        ++keys;
        if (!move) {
          ++missed;
          continue;
        }
        fromKey.push_back(move->sincePress);
        situationKey.push_back(move->sincePress);
        breakdown_->add(*move);
        if (move->sinceCaretEvent) fromCaretEvent.push_back(*move->sinceCaretEvent);
        if (const auto share = ownShare(*move)) {
          own.push_back(*share);
          situationOwn.push_back(*share);
        }
        desktop_.pause(20ms);
      }
      // An erase is left over: the text keeps its length from run to run.
      if (typedX_) keystroke();
      const std::uint64_t used = callsSoFar() - callsBefore;
      calls += used;
      std::printf("%s, %s: accessibility round trips per keystroke %.2f; key press to move median %.2f ms; "
                  "the program's share (application's event to move) median %.2f ms\n",
                  name.c_str(), situation.name, double(used) / perSituation, percentile(situationKey, 0.5),
                  percentile(situationOwn, 0.5));
    }
    const double cpu = usageOf(program_.processId()).cpuSeconds - before.cpuSeconds;
    desktop_.busCalls().drain();
    std::printf("%s: key press to indicator move: %s (%zu of %d keystrokes moved it)\n", name.c_str(),
                figures(fromKey).c_str(), fromKey.size(), keys);
    if (fromCaretEvent.empty())
      std::printf("%s: AT-SPI caret event to indicator move: no caret event came with a keystroke\n", name.c_str());
    else
      std::printf("%s: AT-SPI caret event to indicator move: %s (%zu events seen)\n", name.c_str(),
                  figures(fromCaretEvent).c_str(), fromCaretEvent.size());
    std::printf("%s: the program's share (application's event to move seen): %s\n", name.c_str(),
                figures(own).c_str());
    std::printf("%s: CPU while typing: %.2f ms per keystroke\n", name.c_str(), 1000.0 * cpu / std::max(1, keys));
    std::printf("%s: accessibility round trips per keystroke: %.2f\n", name.c_str(), double(calls) / std::max(1, keys));
    printBusCalls(name, keys);
    breakdown_->print(name);
    if (missed) std::printf("%s: %d keystrokes did not move the indicator within 1 s\n", name.c_str(), missed);
    std::printf("%s: the indicator was hidden %d times while typing\n", name.c_str(), desktop_.unmaps() - unmapsBefore);
    return {std::move(fromKey), std::move(own)};
  }

  void printBusCalls(const std::string& name, int typed) {
    BusCallCounter& calls = desktop_.busCalls();
    if (!calls.connected()) return;
    const double keys = std::max(1, typed);
    std::printf("%s: through the bus daemon: %.1f per keystroke\n", name.c_str(), calls.total() / keys);
    int shown = 0;
    for (const auto& [member, count] : calls.byMember()) {
      if (shown++ == 10 || count < keys / 10) break;
      if (shown == 1) std::printf("%s: most often:\n", name.c_str());
      std::printf("    %-40s %.2f\n", member.c_str(), count / keys);
    }
  }

  // Types into the clients in turn, switching every 200 keystrokes, and samples memory.
  void measureTyping(const Usage& started) {
    const auto end = steady_clock::now() + duration_cast<steady_clock::duration>(duration<double>(options_.minutes * 60));
    auto nextSample = steady_clock::now() + 1min;
    const int before = typed_;
    int missed = 0;
    std::printf("Resident memory after start: %.1f MiB\n", started.residentMiB);
    for (std::size_t turn = 0; steady_clock::now() < end; ++turn) {
      focus(typists_[turn % typists_.size()]);
      desktop_.pause(1s);
      typedX_ = false;  // each turn starts by typing into the empty field
      for (int i = 0; i < 200 && steady_clock::now() < end; ++i) {
        if (!keystroke()) ++missed;
        desktop_.pause(10ms);
      }
      if (steady_clock::now() >= nextSample) {
        nextSample += 1min;
        std::printf("  after %d keystrokes: %.1f MiB\n", typed_ - before, usageOf(program_.processId()).residentMiB);
        std::fflush(stdout);
      }
    }
    const Usage after = usageOf(program_.processId());
    std::printf("Resident memory after %.1f min of typing (%d keystrokes, %d without a move): %.1f MiB (%+.1f MiB)\n",
                options_.minutes, typed_ - before, missed, after.residentMiB, after.residentMiB - started.residentMiB);
  }

  int stopProgram() {
    ::kill(static_cast<pid_t>(program_.processId()), SIGTERM);
    if (!program_.waitForFinished(5000)) {
      fail("the program did not quit on TERM");
      return 1;
    }
    return program_.exitCode();
  }

  Options options_;
  BenchmarkDesktop desktop_;
  std::vector<std::unique_ptr<TextClient>> clients_;
  std::unique_ptr<Gtk4Editor> editor_;
  std::vector<Typist> typists_;
  QTemporaryDir config_;
  std::unique_ptr<LatencyBreakdown> breakdown_;  // of the program running now
  QProcess program_;
  int runs_ = 0;  // programs started so far, each with files of its own
  int typed_ = 0;
  bool typedX_ = false;  // so the next keystroke erases it
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // A tray on the bus, so the program keeps to it rather than opening its settings window.
  zorbel::integration::TrayHost tray;
  const auto options = parse(QCoreApplication::arguments());
  if (!options) {
    std::fprintf(stderr,
                 "usage: %s PROGRAM [--keys N] [--idle SECONDS] [--minutes M]\n"
                 "       %s PROGRAM --against OTHER [--keys N] [--rounds R]\n",
                 argv[0], argv[0]);
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  return Benchmark(*options).run();
}
