#pragma once

// Counts the method calls one process makes on the accessibility bus, by interface and
// member, as a monitor of that bus sees them: each call that waits for a reply is one
// round trip the process waited for.
#include <QString>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct DBusConnection;

namespace zorbel::integration {

class BusCallCounter {
 public:
  BusCallCounter();
  ~BusCallCounter();
  BusCallCounter(const BusCallCounter&) = delete;
  BusCallCounter& operator=(const BusCallCounter&) = delete;

  bool connected() const { return monitor_ != nullptr; }
  // Only calls of this process count, from now on.
  void follow(std::int64_t pid);
  // Takes in what the bus has copied to the monitor so far.
  void drain();
  void reset();
  int total() const { return total_; }
  // "Interface.Member count" per line, the most frequent first.
  std::vector<std::pair<std::string, int>> byMember() const;

 private:
  std::int64_t pidOf(const std::string& sender);

  DBusConnection* monitor_ = nullptr;
  DBusConnection* asker_ = nullptr;
  std::int64_t pid_ = 0;
  int total_ = 0;
  std::map<std::string, int> counts_;
  std::map<std::string, std::int64_t> senders_;
};

}  // namespace zorbel::integration
