#pragma once

// Where the time of each keystroke went, from the program's own record of
// its moves (ZORBEL_LATENCY_TRACE) and the benchmark's view of the key, the
// application's event and the window's move: printed for the slowest 1 %.
#include "indicator/BenchmarkDesktop.h"

#include <QString>

#include <string>
#include <vector>

class QFile;

namespace zorbel::integration {

class LatencyBreakdown {
 public:
  struct Phases;
  // `path`: the file the program writes its records to (it makes it).
  explicit LatencyBreakdown(QString path);
  ~LatencyBreakdown();
  LatencyBreakdown(const LatencyBreakdown&) = delete;
  LatencyBreakdown& operator=(const LatencyBreakdown&) = delete;

  const QString& path() const { return path_; }
  void add(const BenchmarkDesktop::Move& move) { moves_.push_back(move); }
  // Prints the median of every phase over all keystrokes added, then each of
  // the slowest 1 % (at least one), and forgets them.
  void print(const std::string& name);

 private:
  bool map();
  Phases phasesOf(const BenchmarkDesktop::Move& move);
  std::vector<BenchmarkDesktop::Move> moves_;
  QString path_;
  QFile* file_ = nullptr;
  const unsigned char* base_ = nullptr;
};

}  // namespace zorbel::integration
