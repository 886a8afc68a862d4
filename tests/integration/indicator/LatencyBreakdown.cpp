#include "indicator/LatencyBreakdown.h"

#include "Platform/LatencyTrace.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

namespace zorbel::integration {

namespace latency = platform::latency;
using Clock = BenchmarkDesktop::Clock;

namespace {
double ms(std::int64_t ns) { return double(ns) / 1e6; }
std::int64_t ns(Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}
}  // namespace

// Milliseconds per phase of one keystroke; NAN where the phase's start is unknown.
struct LatencyBreakdown::Phases {
  double total = NAN;
  double application = NAN;  // key press to the application's first caret or text event
  double heard = NAN;        // that event to the program's listener
  double queued = NAN;       // heard to the main loop's delivery of it
  double waited = NAN;       // on to the start of the lookup that found the new place
  int lookups = 0;           // lookups run meanwhile, that one included
  double lookup = NAN;
  double lookupCpu = NAN;  // the program's processor time in it
  int busCalls = 0;
  double bus = NAN;
  int xTrips = 0;
  double x = NAN;
  double placing = NAN;  // the lookup's end to the window's new place
  int placingXTrips = 0;
  double placingX = NAN;
  double shown = NAN;  // placed to the move seen here (Qt's flush, the X server)
  int afterXTrips = 0;  // after placing, before the next lookup
  double afterX = NAN;
  bool traced = false;
};

LatencyBreakdown::LatencyBreakdown(QString path) : path_(std::move(path)) {}

LatencyBreakdown::~LatencyBreakdown() { delete file_; }

bool LatencyBreakdown::map() {
  if (base_) return true;
  if (!file_) file_ = new QFile(path_);
  const qint64 size = qint64(sizeof(std::uint64_t) + latency::capacity * sizeof(latency::Move));
  if (!file_->isOpen() && !file_->open(QIODevice::ReadOnly)) return false;
  if (file_->size() < size) return false;
  base_ = file_->map(0, size);
  return base_ != nullptr;
}

// The program writes a move's record once its next lookup begins.
LatencyBreakdown::Phases LatencyBreakdown::phasesOf(const BenchmarkDesktop::Move& move) {
  Phases p;
  p.total = move.sincePress;
  const std::int64_t pressed = ns(move.pressed), moved = ns(move.moved);
  if (move.applicationEvent) p.application = ms(ns(*move.applicationEvent) - pressed);
  if (map()) {
    std::uint64_t count = 0;
    __atomic_load(reinterpret_cast<const std::uint64_t*>(base_), &count, __ATOMIC_ACQUIRE);
    const auto* records = reinterpret_cast<const latency::Move*>(base_ + sizeof(std::uint64_t));
    // The last move the program made before this one was seen, and after the key.
    for (std::uint64_t i = count; i > 0 && i + latency::capacity > count; --i) {
      const latency::Move& r = records[(i - 1) % latency::capacity];
      if (r.placed > moved) continue;
      if (r.placed < pressed) break;
      p.traced = true;
      const std::int64_t heard = r.firstHeard >= pressed ? r.firstHeard : r.lastHeard >= pressed ? r.lastHeard : 0;
      if (heard) {
        if (move.applicationEvent) p.heard = ms(heard - ns(*move.applicationEvent));
        else p.application = ms(heard - pressed);
        const bool delivered = r.delivered >= heard && r.delivered <= r.lookupStart;
        if (delivered) p.queued = ms(r.delivered - heard);
        p.waited = ms(r.lookupStart - (delivered ? r.delivered : heard));
      }
      p.lookups = r.lookups;
      p.lookup = ms(r.lookupEnd - r.lookupStart);
      p.lookupCpu = r.lookupCpuUs / 1000.0;
      p.busCalls = r.busCalls;
      p.bus = ms(r.busNs);
      p.xTrips = r.xTrips;
      p.x = ms(r.xNs);
      p.placing = ms(r.placed - r.lookupEnd);
      p.placingXTrips = r.placingXTrips;
      p.placingX = ms(r.placingXNs);
      p.shown = ms(moved - r.placed);
      p.afterXTrips = r.afterXTrips;
      p.afterX = ms(r.afterXNs);
      break;
    }
  }
  return p;
}

namespace {
// The columns printed, in order, with the width and precision of each.
struct Column {
  const char* title;
  double (*value)(const LatencyBreakdown::Phases&);
  int width, precision;
};

double medianOf(std::vector<double> values) {
  std::erase_if(values, [](double v) { return std::isnan(v); });
  if (values.empty()) return NAN;
  std::sort(values.begin(), values.end());
  return values[(values.size() - 1) / 2];
}
}  // namespace

void LatencyBreakdown::print(const std::string& name) {
  std::vector<Phases> keystrokes;
  for (const auto& move : std::exchange(moves_, {})) keystrokes.push_back(phasesOf(move));
  if (keystrokes.empty()) return;
  using P = Phases;
  static const Column columns[] = {
      {"total", [](const P& p) { return p.total; }, 6, 2},
      {"app", [](const P& p) { return p.application; }, 6, 2},
      {"heard", [](const P& p) { return p.heard; }, 6, 2},
      {"queue", [](const P& p) { return p.queued; }, 6, 2},
      {"wait", [](const P& p) { return p.waited; }, 6, 2},
      {"looks", [](const P& p) { return double(p.lookups); }, 5, 1},
      {"lookup", [](const P& p) { return p.lookup; }, 6, 2},
      {"cpu", [](const P& p) { return p.lookupCpu; }, 6, 2},
      {"bus n", [](const P& p) { return double(p.busCalls); }, 5, 1},
      {"bus", [](const P& p) { return p.bus; }, 6, 2},
      {"X n", [](const P& p) { return double(p.xTrips); }, 4, 1},
      {"X", [](const P& p) { return p.x; }, 6, 2},
      {"place", [](const P& p) { return p.placing; }, 6, 2},
      {"X n", [](const P& p) { return double(p.placingXTrips); }, 4, 1},
      {"shown", [](const P& p) { return p.shown; }, 6, 2},
      {"X n", [](const P& p) { return double(p.afterXTrips); }, 4, 1},
      {"X", [](const P& p) { return p.afterX; }, 6, 2},
  };
  const auto traced = std::count_if(keystrokes.begin(), keystrokes.end(), [](const P& p) { return p.traced; });
  std::printf("%s: where the time went, ms (%zd of %zu moves traced by the program): app = key press to the "
              "application's first caret or text event; heard = on to the program's listener; queue = on to the main "
              "loop's delivery; wait = on to the lookup that found the place (looks: lookups run); lookup, with the program's processor time in it (cpu), its accessibility calls (bus) and X round trips; "
              "place = on to the window's move request; shown = on to its move seen here; last: X round trips after "
              "it\n",
              name.c_str(), traced, keystrokes.size());
  std::string header = "    " + std::string(12, ' ');
  for (const Column& c : columns) {
    char cell[32];
    std::snprintf(cell, sizeof cell, " %*s", c.width, c.title);
    header += cell;
  }
  std::printf("%s\n", header.c_str());
  const auto printRow = [&](const char* label, auto valueOf) {
    std::string line;
    char cell[32];
    std::snprintf(cell, sizeof cell, "    %-12s", label);
    line += cell;
    for (const Column& c : columns) {
      std::snprintf(cell, sizeof cell, " %*.*f", c.width, c.precision, valueOf(c));
      line += cell;
    }
    std::printf("%s\n", line.c_str());
  };
  std::vector<P> traces;
  std::copy_if(keystrokes.begin(), keystrokes.end(), std::back_inserter(traces), [](const P& p) { return p.traced; });
  printRow("median", [&](const Column& c) {
    std::vector<double> values;
    for (const P& p : c.value == columns[0].value ? keystrokes : traces) values.push_back(c.value(p));
    return medianOf(values);
  });
  std::sort(keystrokes.begin(), keystrokes.end(), [](const P& a, const P& b) { return a.total > b.total; });
  keystrokes.resize(std::max<std::size_t>(1, (keystrokes.size() + 99) / 100));
  for (const P& p : keystrokes) printRow("slowest 1 %", [&](const Column& c) { return c.value(p); });
  // What each of them waited on most.
  std::map<std::string, int> most;
  for (const P& p : keystrokes) {
    const auto or0 = [](double v) { return std::isnan(v) ? 0.0 : v; };
    const std::pair<const char*, double> parts[] = {
        {"the application's event", or0(p.application)},
        {"the application's answers", or0(p.bus)},
        {"the X server", or0(p.x) + or0(p.placingX)},
        {"the event's delivery", or0(p.heard) + or0(p.queued)},
        {"the throttle or earlier lookups", or0(p.waited)},
        {"the program's own work", or0(p.lookup) - or0(p.bus) - or0(p.x) + or0(p.placing) - or0(p.placingX)},
        {"showing the move", or0(p.shown)},
    };
    ++most[std::max_element(std::begin(parts), std::end(parts), [](const auto& a, const auto& b) {
             return a.second < b.second;
           })->first];
  }
  std::string line;
  for (const auto& [part, count] : most) line += (line.empty() ? "" : ", ") + part + " " + std::to_string(count);
  std::printf("%s: the slowest 1 %% waited most on: %s\n", name.c_str(), line.c_str());
}

}  // namespace zorbel::integration
