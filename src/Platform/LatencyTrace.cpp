#include "Platform/LatencyTrace.h"

#include <QFile>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

namespace zorbel::platform::latency {

namespace detail {

namespace {

const char* tracePath()
{
    const char* path = std::getenv("ZORBEL_LATENCY_TRACE");
    return path && *path ? path : nullptr;
}

std::int64_t threadCpuNs()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

std::int64_t now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Trace {
    std::uint64_t* count = nullptr;
    Move* records = nullptr;
    Move pending;  // what the next move will say
    // The lookup running now, until it ends.
    Move current;
    bool inLookup = false;
    std::int64_t heardSinceLookup = 0;  // the last event heard while no lookup ran
    std::int64_t lookupCpuStart = 0;
    std::int64_t firstHeard = 0;        // the first event heard since the last move
    std::int64_t delivered = 0;         // the first delivery after it
    Move* written = nullptr;            // the last move's record, while no lookup ran since

    Trace()
    {
        // The file stays mapped for the life of the process.
        auto* file = new QFile(QString::fromLocal8Bit(tracePath()));
        const qint64 size = qint64(sizeof(std::uint64_t) + capacity * sizeof(Move));
        if (!file->open(QIODevice::ReadWrite | QIODevice::Truncate) || !file->resize(size)) return;
        uchar* base = file->map(0, size);
        if (!base) return;
        std::memset(base, 0, std::size_t(size));
        count = reinterpret_cast<std::uint64_t*>(base);
        records = reinterpret_cast<Move*>(base + sizeof(std::uint64_t));
    }
};

Trace& trace()
{
    static Trace* t = new Trace();
    return *t;
}

}  // namespace

bool on = tracePath() != nullptr;

void heard()
{
    Trace& t = trace();
    const std::int64_t at = now();
    if (!t.firstHeard) t.firstHeard = at;
    if (!t.inLookup) t.heardSinceLookup = at;
}

void delivering()
{
    Trace& t = trace();
    if (t.firstHeard && !t.delivered) t.delivered = now();
}

void lookupStarted()
{
    Trace& t = trace();
    t.written = nullptr;
    t.inLookup = true;
    t.current = Move{};
    t.current.lastHeard = t.heardSinceLookup;
    t.current.lookupStart = now();
    t.lookupCpuStart = threadCpuNs();
}

void lookupEnded(bool found)
{
    Trace& t = trace();
    t.inLookup = false;
    ++t.pending.lookups;
    if (!found) return;
    t.current.lookupEnd = now();
    t.current.lookupCpuUs = static_cast<std::int32_t>((threadCpuNs() - t.lookupCpuStart) / 1000);
    const Move& c = t.current;
    t.pending.lastHeard = c.lastHeard;
    t.pending.lookupStart = c.lookupStart;
    t.pending.lookupEnd = c.lookupEnd;
    t.pending.busCalls = c.busCalls;
    t.pending.busNs = c.busNs;
    t.pending.xTrips = c.xTrips;
    t.pending.xNs = c.xNs;
    t.pending.lookupCpuUs = c.lookupCpuUs;
    t.pending.placingXTrips = 0;
    t.pending.placingXNs = 0;
}

void waited(Wait kind, std::chrono::nanoseconds took)
{
    Trace& t = trace();
    if (kind == Wait::bus) {
        if (!t.inLookup) return;
        ++t.current.busCalls;
        t.current.busNs += took.count();
    } else if (t.inLookup) {
        ++t.current.xTrips;
        t.current.xNs += took.count();
    } else if (t.written) {
        ++t.written->afterXTrips;
        t.written->afterXNs += took.count();
    } else {
        ++t.pending.placingXTrips;
        t.pending.placingXNs += took.count();
    }
}

void placed()
{
    Trace& t = trace();
    t.pending.placed = now();
    t.pending.firstHeard = std::exchange(t.firstHeard, 0);
    t.pending.delivered = std::exchange(t.delivered, 0);
    t.written = nullptr;
    if (t.records && t.pending.lookupEnd) {
        t.written = &t.records[*t.count % capacity];
        *t.written = t.pending;
        // Counted after the record is in, so a reader that sees the count sees the record.
        __atomic_store_n(t.count, *t.count + 1, __ATOMIC_RELEASE);
    }
    t.pending = Move{};
}

}  // namespace detail

}  // namespace zorbel::platform::latency
