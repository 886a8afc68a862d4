#pragma once

#include "Platform/AXValue.h"

#include <QString>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

typedef struct _AtspiAccessible AtspiAccessible;
typedef struct _GError GError;

namespace zorbel::platform::atspi {

// One counted reference on an AT-SPI object.
using AccPtr = std::shared_ptr<AtspiAccessible>;
// Takes over a reference the caller owns (what libatspi's getters return).
AccPtr adopt(AtspiAccessible* accessible);
// Adds a reference of its own.
AccPtr retain(AtspiAccessible* accessible);

QString busName(AtspiAccessible* accessible);
QString objectPath(AtspiAccessible* accessible);
bool sameObject(AtspiAccessible* a, AtspiAccessible* b);

// The connection to the accessibility bus, shared by every Linux service:
// starting libatspi without ever blocking for long, the messaging timeouts,
// the process behind each bus name, and applications that stopped answering.
class Runtime {
public:
    static Runtime& instance();

    // Connects on first use; a missing bus is retried now and then, never
    // waited for. False while no accessibility bus answers.
    bool available();
    // The reason the bus is not available (for the trust check's log line).
    QString unavailableReason() const { return reason_; }
    // From the loss of a bus until a bus answers again.
    bool busLost() const { return wasLost_; }

    // Timeouts in seconds; 0 means "the default". The element's own timeout
    // wins, then the system-wide one, then the default.
    void setGlobalTimeout(float seconds) { globalTimeout_ = seconds; }
    float globalTimeout() const { return globalTimeout_; }
    int timeoutMs(float elementSeconds) const;

    // The process behind an object's connection (asked once per connection).
    std::optional<std::int32_t> pidOf(AtspiAccessible* accessible);

    // The toolkit of the application an object belongs to, with its version
    // ("GTK 4.8.3", "Qt 6.4.2"), asked once per application; empty when it
    // does not say.
    QString toolkitOf(AtspiAccessible* accessible);

    // An application whose call timed out is skipped for a short while, so a
    // hung application costs one timeout per lookup, not one per call.
    bool isHung(const QString& bus) const;
    // Marking one also pings it; its answer clears the mark.
    void markHung(const QString& bus);
    void clearHung(const QString& bus);
    void pingReturned(const QString& bus, bool answered);

    // Whether the process behind a connection still runs, and whether it is
    // stopped (it cannot answer then).
    bool processAlive(std::int32_t pid) const;
    enum class Process { gone, stopped, running };
    Process process(std::int32_t pid) const;
    // An event of the process came in: it was running when it sent it, as
    // good as a read of its state (the keystroke that brought the event
    // needs no /proc read in its lookup).
    void heardFrom(std::int32_t pid);
    // Takes in what has arrived on the bus without waiting: events reach
    // their listeners, and applications whose name left the bus are let go.
    void takeIncoming();

    // Told on the main loop when the bus goes away (false) and when a bus
    // answers again after that (true).
    void onBusChange(std::function<void(bool up)> listener) { busListeners_.push_back(std::move(listener)); }
    // An application's name has left the bus: what is known of it goes, and
    // the listeners below are told.
    void forget(const QString& bus);
    // Told when an application's name leaves the bus (the application has gone).
    void onApplicationGone(std::function<void(const QString& bus)> listener)
    {
        goneListeners_.push_back(std::move(listener));
    }
    // Runs before libatspi lets go of a lost bus, while its objects still exist.
    void beforeRelease(std::function<void()> hook) { releaseHooks_.push_back(std::move(hook)); }

private:
    Runtime() = default;
    bool connect();
    // The bus went away: says so once, lets libatspi go (it starts afresh
    // on a later connect) and tries again now and then.
    void lost();
    void tell(bool up);
    void ping(const QString& bus);

    enum class State { idle, up, down };
    State state_ = State::idle;
    std::chrono::steady_clock::time_point retryAt_{};
    QString reason_;
    float globalTimeout_ = 0;
    std::map<QString, std::int32_t> pids_;
    std::map<QString, QString> toolkits_;
    std::map<QString, std::chrono::steady_clock::time_point> hungUntil_;
    std::set<QString> pinged_;
    struct ProcessSeen {
        Process process = Process::gone;
        std::chrono::steady_clock::time_point at;
        int stat = -1;  // its /proc/PID/stat, kept open: read again from the start, it tells the state anew
    };
    mutable std::map<std::int32_t, ProcessSeen> processes_;
    ProcessSeen& seenAnew(std::int32_t pid) const;
    // Round trips made when what had arrived was last taken in.
    std::uint64_t takenAfter_ = ~std::uint64_t(0);
    std::vector<std::function<void(bool)>> busListeners_;
    std::vector<std::function<void()>> releaseHooks_;
    std::vector<std::function<void(const QString&)>> goneListeners_;
    bool wasLost_ = false;
};

// Counts the calls made on the accessibility bus (each waits for its answer),
// for figures: where ZORBEL_CALL_COUNTER names a file, its first eight bytes
// hold the count so far (native byte order), readable at any time.
void countRoundTrip();
// The calls counted so far in this process.
std::uint64_t roundTrips();

// Brackets one libatspi call on one object: refuses at once when the bus is
// down or the application is known to hang, sets the timeout, and turns the
// call's error into a result code.
class Call {
public:
    Call(AtspiAccessible* accessible, float elementTimeout);
    ~Call();
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    // Success when the call may be made; otherwise the code to answer.
    AXCode admit() const { return admit_; }
    GError** error() { return &error_; }
    bool failed() const { return error_ != nullptr; }
    // The result code of the finished call. A call that set no error but
    // answered nothing usable (resultValid false) is told apart by how long
    // it took and whether its application is still there; libatspi reports
    // some timeouts without an error.
    AXCode finish(bool resultValid = true);

private:
    AtspiAccessible* accessible_;
    AXCode admit_ = axcode::success;
    GError* error_ = nullptr;
    int timeoutMs_ = 0;
    std::chrono::steady_clock::time_point started_;
};

}  // namespace zorbel::platform::atspi
