#pragma once

// For figures only: where ZORBEL_LATENCY_TRACE names a file, every move of
// the indicator leaves one `Move` record there saying where the time went
// since the event that caused it (when the event was heard, the lookup that
// found the new place, the round trips it waited for, when the window was
// placed). The file is a shared mapping, so a benchmark reads it while the
// program runs; without the variable every call below is one test of a flag.
//
// File layout: a 64-bit count of the records written so far, then
// `capacity` records, record n at slot n % capacity. Times are nanoseconds of
// the monotonic clock (std::chrono::steady_clock), the same in every process.
// A move's record is written when the window is placed; the X round trips
// after it, until the next lookup, are added to it as they happen.
#include <chrono>
#include <cstdint>

namespace zorbel::platform::latency {

struct Move {
    std::int64_t firstHeard = 0;   // the first event heard since the move before, else 0
    std::int64_t lastHeard = 0;    // the last event heard before the lookup that found the place began
    std::int64_t lookupStart = 0;  // the lookup that found the new place
    std::int64_t lookupEnd = 0;
    std::int64_t placed = 0;       // the window was given its new place
    std::int32_t lookups = 0;      // lookups since the move before, this one included
    std::int32_t busCalls = 0;     // accessibility calls of the finding lookup
    std::int64_t busNs = 0;
    std::int32_t xTrips = 0;       // X round trips of the finding lookup
    std::int32_t placingXTrips = 0;  // X round trips after it, until the window was placed
    std::int64_t xNs = 0;
    std::int64_t placingXNs = 0;
    std::int32_t afterXTrips = 0;  // X round trips after the window was placed, until the next lookup
    std::int32_t lookupCpuUs = 0;  // processor time of the finding lookup (main thread), microseconds
    std::int64_t afterXNs = 0;
    std::int64_t delivered = 0;    // the main loop began handing out the first event heard
};

// 384 KiB, all of it touched at the start, so the trace adds nothing to the
// growth of resident memory that the benchmark measures.
constexpr std::uint32_t capacity = 4096;

enum class Wait { bus, x };

namespace detail {
extern bool on;
void heard();
void delivering();
void lookupStarted();
void lookupEnded(bool found);
void waited(Wait kind, std::chrono::nanoseconds took);
void placed();
}  // namespace detail

// An accessibility event reached the program.
inline void heard()
{
    if (detail::on) detail::heard();
}
// The main loop hands the events heard so far to the program.
inline void delivering()
{
    if (detail::on) detail::delivering();
}
inline void lookupStarted()
{
    if (detail::on) detail::lookupStarted();
}
// `found`: the lookup gave a new place for the indicator.
inline void lookupEnded(bool found)
{
    if (detail::on) detail::lookupEnded(found);
}
// A round trip of `took` was waited for.
inline void waited(Wait kind, std::chrono::nanoseconds took)
{
    if (detail::on) detail::waited(kind, took);
}
// The indicator's window is about to be moved to the place the last finding lookup found.
inline void placed()
{
    if (detail::on) detail::placed();
}

// Times a round trip from construction to destruction.
class Span {
public:
    explicit Span(Wait kind) : kind_(kind)
    {
        if (detail::on) start_ = std::chrono::steady_clock::now();
    }
    ~Span()
    {
        if (detail::on && start_.time_since_epoch().count()) waited(kind_, std::chrono::steady_clock::now() - start_);
    }
    Span(const Span&) = delete;
    Span& operator=(const Span&) = delete;

private:
    Wait kind_;
    std::chrono::steady_clock::time_point start_{};
};

}  // namespace zorbel::platform::latency
