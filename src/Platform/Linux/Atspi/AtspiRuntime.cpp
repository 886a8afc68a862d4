#include "Platform/Linux/Atspi/AtspiRuntime.h"

#include "Platform/Linux/Atspi/AtspiApplications.h"
#include "Platform/LatencyTrace.h"
#include "Platform/LogSink.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QTimer>

#include <atspi/atspi.h>
#include <dbus/dbus.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace zorbel::platform::atspi {

namespace {
using Clock = std::chrono::steady_clock;

constexpr int defaultTimeoutMs = 250;
// Asking the session bus for the accessibility bus may start its launcher.
constexpr int busAddressTimeoutMs = 1000;
constexpr auto retryInterval = std::chrono::seconds(5);
constexpr auto hungInterval = std::chrono::seconds(2);
// A ping to a hung application waits for as long as it takes the
// application to get back to its messages.
constexpr int pingTimeoutMs = 30000;

DBusConnection* g_connection = nullptr;

std::optional<QString> accessibilityBusAddress(QString& reason)
{
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected()) {
        reason = QStringLiteral("there is no session bus (DBUS_SESSION_BUS_ADDRESS is not usable)");
        return std::nullopt;
    }
    auto call = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                               QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
    const QDBusMessage reply = session.call(call, QDBus::Block, busAddressTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        reason = QStringLiteral("the accessibility bus launcher does not answer: ") + reply.errorMessage();
        return std::nullopt;
    }
    const QString address = reply.arguments().constFirst().toString();
    if (address.isEmpty()) {
        reason = QStringLiteral("the accessibility bus launcher gave no address");
        return std::nullopt;
    }
    return address;
}

// libatspi finds the bus through this variable first, so it never waits on
// its own (untimed) question to the session bus. Our children must not
// inherit it, so the old value comes back at once.
bool initWithAddress(const QString& address)
{
    const QByteArray old = qgetenv("AT_SPI_BUS_ADDRESS");
    const bool hadOld = qEnvironmentVariableIsSet("AT_SPI_BUS_ADDRESS");
    qputenv("AT_SPI_BUS_ADDRESS", address.toUtf8());
    // Without libatspi's cache every answer comes from the application itself,
    // so a quit or hung application shows as such instead of answering from
    // memory (and states are never stale).
    const bool cacheWasSet = qEnvironmentVariableIsSet("ATSPI_NO_CACHE");
    const QByteArray cache = qgetenv("ATSPI_NO_CACHE");
    qputenv("ATSPI_NO_CACHE", "1");
    const int status = atspi_init();
    if (hadOld) qputenv("AT_SPI_BUS_ADDRESS", old);
    else qunsetenv("AT_SPI_BUS_ADDRESS");
    if (cacheWasSet) qputenv("ATSPI_NO_CACHE", cache);
    else qunsetenv("ATSPI_NO_CACHE");
    if (status != 0 && status != 1) return false;
    g_connection = atspi_get_a11y_bus();
    return g_connection != nullptr;
}

constexpr const char* nameOwnerRule =
    "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',member='NameOwnerChanged'";

// The unique name a NameOwnerChanged signal says has left the bus.
QString vanishedName(DBusMessage* message)
{
    const char* name = nullptr;
    const char* oldOwner = nullptr;
    const char* newOwner = nullptr;
    if (!dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING, &oldOwner,
                               DBUS_TYPE_STRING, &newOwner, DBUS_TYPE_INVALID))
        return {};
    if (!name || name[0] != ':' || !newOwner || newOwner[0] != '\0') return {};
    return QString::fromUtf8(name);
}

// libdbus reports a lost connection as a local signal, and the bus an
// application that has gone as the loss of its name; both arrive while the
// main loop dispatches libatspi's sources, so the handling waits a turn.
DBusHandlerResult watchConnection(DBusConnection*, DBusMessage* message, void*)
{
    if (dbus_message_is_signal(message, DBUS_INTERFACE_LOCAL, "Disconnected"))
        QTimer::singleShot(0, QCoreApplication::instance(), [] { Runtime::instance().available(); });
    else if (dbus_message_is_signal(message, DBUS_INTERFACE_DBUS, "NameOwnerChanged")) {
        if (const QString gone = vanishedName(message); !gone.isEmpty())
            QTimer::singleShot(0, QCoreApplication::instance(), [gone] { Runtime::instance().forget(gone); });
    }
    return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
}

// The answer to a ping: any answer but the bus's own (no reply in time, no
// such name) means the application's main loop reads its calls again.
void onPingReply(DBusPendingCall* pending, void* data)
{
    const QString bus = *static_cast<const QString*>(data);
    DBusMessage* reply = dbus_pending_call_steal_reply(pending);
    const char* error = reply ? dbus_message_get_error_name(reply) : DBUS_ERROR_NO_REPLY;
    const bool answered = !error || (std::strcmp(error, DBUS_ERROR_NO_REPLY) != 0 &&
                                     std::strcmp(error, DBUS_ERROR_SERVICE_UNKNOWN) != 0 &&
                                     std::strcmp(error, DBUS_ERROR_NAME_HAS_NO_OWNER) != 0);
    if (reply) dbus_message_unref(reply);
    Runtime::instance().pingReturned(bus, answered);
}

bool messageSays(const GError* error, std::initializer_list<const char*> words)
{
    const QString text = QString::fromUtf8(error->message ? error->message : "");
    for (const char* w : words)
        if (text.contains(QLatin1String(w), Qt::CaseInsensitive)) return true;
    return false;
}
}  // namespace

AccPtr adopt(AtspiAccessible* accessible)
{
    if (!accessible) return {};
    applications::remember(accessible);
    return AccPtr(accessible, [](AtspiAccessible* a) { g_object_unref(a); });
}

AccPtr retain(AtspiAccessible* accessible)
{
    if (!accessible) return {};
    g_object_ref(accessible);
    return adopt(accessible);
}

QString busName(AtspiAccessible* accessible)
{
    auto* object = ATSPI_OBJECT(accessible);
    if (!object || !object->app || !object->app->bus_name) return {};
    return QString::fromUtf8(object->app->bus_name);
}

QString objectPath(AtspiAccessible* accessible)
{
    auto* object = ATSPI_OBJECT(accessible);
    return object && object->path ? QString::fromUtf8(object->path) : QString();
}

bool sameObject(AtspiAccessible* a, AtspiAccessible* b)
{
    if (a == b) return true;
    if (!a || !b) return false;
    return busName(a) == busName(b) && objectPath(a) == objectPath(b);
}

namespace {
std::uint64_t roundTripsMade = 0;
}  // namespace

std::uint64_t roundTrips() { return roundTripsMade; }

void countRoundTrip()
{
    ++roundTripsMade;
    static std::uint64_t* counter = [] () -> std::uint64_t* {
        const QByteArray path = qgetenv("ZORBEL_CALL_COUNTER");
        if (path.isEmpty()) return nullptr;
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) return nullptr;
        void* shared = ::ftruncate(fd, sizeof(std::uint64_t)) == 0
                           ? ::mmap(nullptr, sizeof(std::uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                           : MAP_FAILED;
        ::close(fd);
        return shared == MAP_FAILED ? nullptr : static_cast<std::uint64_t*>(shared);
    }();
    if (counter) ++*counter;
}

Runtime& Runtime::instance()
{
    static Runtime* runtime = new Runtime();
    return *runtime;
}

bool Runtime::available()
{
    if (state_ == State::up) {
        if (dbus_connection_get_is_connected(g_connection)) return true;
        lost();
        return false;
    }
    if (state_ == State::down && Clock::now() < retryAt_) return false;
    return connect();
}

bool Runtime::connect()
{
    const bool firstTry = state_ == State::idle;
    QString reason;
    const auto address = accessibilityBusAddress(reason);
    if (address && initWithAddress(*address)) {
        atspi_set_timeout(defaultTimeoutMs, 0);
        dbus_connection_add_filter(g_connection, &watchConnection, nullptr, nullptr);
        dbus_bus_add_match(g_connection, nameOwnerRule, nullptr);  // not waited for
        if (wasLost_) applications::renewAll(g_connection);
        state_ = State::up;
        reason_.clear();
        ZORBEL_PLATFORM_INFO(QStringLiteral("Connected to the accessibility bus"));
        if (std::exchange(wasLost_, false)) tell(true);
        return true;
    }
    if (address) {
        reason = QStringLiteral("libatspi could not connect to the accessibility bus at ") + *address;
        retryAt_ = Clock::time_point::max();
    } else {
        retryAt_ = Clock::now() + retryInterval;
    }
    state_ = State::down;
    // After a loss the one line that said so stands for the retries too.
    if (firstTry || (!wasLost_ && reason != reason_))
        ZORBEL_PLATFORM_ERROR(QStringLiteral("Accessibility is unavailable: ") + reason);
    reason_ = reason;
    return false;
}

void Runtime::lost()
{
    state_ = State::down;
    wasLost_ = true;
    retryAt_ = Clock::now() + retryInterval;
    reason_ = QStringLiteral("the accessibility bus went away");
    ZORBEL_PLATFORM_ERROR(QStringLiteral("Accessibility is unavailable: ") + reason_ +
                          QStringLiteral("; the caret is not followed until it is back"));
    for (const auto& hook : releaseHooks_) hook();
    pids_.clear();
    toolkits_.clear();
    hungUntil_.clear();
    pinged_.clear();
    applications::rememberDesktop();
    dbus_connection_remove_filter(g_connection, &watchConnection, nullptr);
    atspi_exit();
    g_connection = nullptr;
    tell(false);
}

// Listeners hear it on a later turn: the change is noticed inside whatever
// call found it, maybe in the middle of a caret lookup.
void Runtime::tell(bool up)
{
    auto notify = [listeners = busListeners_, up] {
        for (const auto& listener : listeners) listener(up);
    };
    if (QCoreApplication::instance()) QTimer::singleShot(0, QCoreApplication::instance(), notify);
    else notify();
}

int Runtime::timeoutMs(float elementSeconds) const
{
    const float seconds = elementSeconds > 0 ? elementSeconds : globalTimeout_;
    if (seconds <= 0) return defaultTimeoutMs;
    return std::max(1, static_cast<int>(seconds * 1000.0f));
}

std::optional<std::int32_t> Runtime::pidOf(AtspiAccessible* accessible)
{
    const QString bus = busName(accessible);
    if (bus.isEmpty() || !available()) return std::nullopt;
    if (auto it = pids_.find(bus); it != pids_.end()) return it->second;

    DBusMessage* message = dbus_message_new_method_call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                        "org.freedesktop.DBus", "GetConnectionUnixProcessID");
    const QByteArray name = bus.toUtf8();
    const char* namePtr = name.constData();
    dbus_message_append_args(message, DBUS_TYPE_STRING, &namePtr, DBUS_TYPE_INVALID);
    DBusError error;
    dbus_error_init(&error);
    countRoundTrip();
    DBusMessage* reply =
        dbus_connection_send_with_reply_and_block(g_connection, message, timeoutMs(0), &error);
    dbus_message_unref(message);
    std::optional<std::int32_t> pid;
    dbus_uint32_t value = 0;
    if (reply && dbus_message_get_args(reply, &error, DBUS_TYPE_UINT32, &value, DBUS_TYPE_INVALID))
        pid = static_cast<std::int32_t>(value);
    if (reply) dbus_message_unref(reply);
    dbus_error_free(&error);
    if (pid) pids_[bus] = *pid;
    return pid;
}

QString Runtime::toolkitOf(AtspiAccessible* accessible)
{
    const QString bus = busName(accessible);
    if (bus.isEmpty()) return {};
    if (auto it = toolkits_.find(bus); it != toolkits_.end()) return it->second;
    Call call(accessible, 0);
    if (call.admit() != axcode::success) return {};
    // The name is a property of the application's root object.
    AccPtr root = adopt(atspi_accessible_get_application(accessible, call.error()));
    if (!root) return {};
    gchar* name = atspi_accessible_get_toolkit_name(root.get(), call.error());
    gchar* version = name ? atspi_accessible_get_toolkit_version(root.get(), call.error()) : nullptr;
    const QString toolkit =
        QString::fromUtf8(name ? name : "") + QLatin1Char(' ') + QString::fromUtf8(version ? version : "");
    const bool answered = name != nullptr;
    g_free(name);
    g_free(version);
    if (call.finish(answered) == axcode::success) toolkits_[bus] = toolkit.trimmed();
    return toolkit.trimmed();
}

bool Runtime::isHung(const QString& bus) const
{
    auto it = hungUntil_.find(bus);
    return it != hungUntil_.end() && Clock::now() < it->second;
}

void Runtime::markHung(const QString& bus)
{
    if (!isHung(bus))
        ZORBEL_PLATFORM_WARNING(QStringLiteral("The application at ") + bus +
                                QStringLiteral(" does not answer; skipping it for a moment"));
    hungUntil_[bus] = Clock::now() + hungInterval;
    ping(bus);
}

void Runtime::clearHung(const QString& bus) { hungUntil_.erase(bus); }

// Asks a hung application for its root's role, without waiting: its answer
// comes when its main loop reads its accessibility calls again, which ends
// its skipping at once, however quiet it stays (LibreOffice may send nothing
// once it has set up a new document). Not the bus's Peer.Ping: Qt answers that
// on a thread of its own while its main loop, which serves every other call,
// still hangs.
void Runtime::ping(const QString& bus)
{
    if (state_ != State::up || !g_connection || pinged_.count(bus)) return;
    const QByteArray name = bus.toUtf8();
    DBusMessage* message = dbus_message_new_method_call(name.constData(), "/org/a11y/atspi/accessible/root",
                                                        "org.a11y.atspi.Accessible", "GetRole");
    DBusPendingCall* pending = nullptr;
    if (message && dbus_connection_send_with_reply(g_connection, message, &pending, pingTimeoutMs) && pending &&
        dbus_pending_call_set_notify(pending, &onPingReply, new QString(bus),
                                     [](void* data) { delete static_cast<QString*>(data); })) {
        pinged_.insert(bus);
    }
    if (pending) dbus_pending_call_unref(pending);
    if (message) dbus_message_unref(message);
}

void Runtime::pingReturned(const QString& bus, bool answered)
{
    pinged_.erase(bus);
    if (answered) clearHung(bus);
}

void Runtime::forget(const QString& bus)
{
    pids_.erase(bus);
    toolkits_.erase(bus);
    hungUntil_.erase(bus);
    pinged_.erase(bus);
    for (const auto& listener : goneListeners_) listener(bus);
}

namespace {
// The state letter of /proc/PID/stat ('R', 'S', 'T', 'Z', ...); 0 when the
// process is not there, '?' when it cannot be read. `stat` is the file kept
// open for it, opened here when there is none.
char processState(std::int32_t pid, int& stat)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (stat < 0) {
            char path[64];
            std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
            stat = ::open(path, O_RDONLY | O_CLOEXEC);
            if (stat < 0) return 0;
        }
        char line[512] = {};
        const ssize_t n = ::pread(stat, line, sizeof line - 1, 0);
        if (n > 0) {
            const char* close = std::strrchr(line, ')');
            if (!close || close + 2 >= line + n) return '?';
            return close[2];
        }
        // The process it was opened for has ended; its id may be another's by now.
        ::close(stat);
        stat = -1;
    }
    return 0;
}
}  // namespace

Runtime::Process Runtime::process(std::int32_t pid) const
{
    // One lookup asks after the same process many times in a few
    // milliseconds: its state is read once for all of them; only whether it
    // is still there (one cheap system call) is asked every time.
    if (pid <= 0 || (::kill(pid, 0) != 0 && errno != EPERM)) return Process::gone;
    constexpr auto fresh = std::chrono::milliseconds(5);
    const auto now = Clock::now();
    auto it = processes_.find(pid);
    if (it != processes_.end() && now - it->second.at < fresh) return it->second.process;
    ProcessSeen& seen = it != processes_.end() ? it->second : seenAnew(pid);
    // A process that has ended but is not yet reaped is gone too.
    const char state = processState(pid, seen.stat);
    seen.process = Process::running;
    if (state == 0 || state == 'Z' || state == 'X') seen.process = Process::gone;
    else if (state == 'T' || state == 't') seen.process = Process::stopped;
    seen.at = now;
    return seen.process;
}

Runtime::ProcessSeen& Runtime::seenAnew(std::int32_t pid) const
{
    if (processes_.size() > 64) {
        for (auto& [_, seen] : processes_)
            if (seen.stat >= 0) ::close(seen.stat);
        processes_.clear();
    }
    return processes_[pid];
}

void Runtime::heardFrom(std::int32_t pid)
{
    if (pid <= 0) return;
    auto it = processes_.find(pid);
    ProcessSeen& seen = it != processes_.end() ? it->second : seenAnew(pid);
    seen.process = Process::running;
    seen.at = Clock::now();
}

bool Runtime::processAlive(std::int32_t pid) const { return process(pid) != Process::gone; }

void Runtime::takeIncoming()
{
    if (state_ != State::up || !g_connection) return;
    // Without an answer since the last time, nothing came in that an answer
    // could have overtaken: what arrives meanwhile is the main loop's, and a
    // lookup that asks for one fact after another reads the socket once.
    if (roundTripsMade == takenAfter_) return;
    takenAfter_ = roundTripsMade;
    dbus_connection_read_write(g_connection, 0);
    while (dbus_connection_dispatch(g_connection) == DBUS_DISPATCH_DATA_REMAINS) {
    }
}

Call::Call(AtspiAccessible* accessible, float elementTimeout) : accessible_(accessible)
{
    auto& runtime = Runtime::instance();
    if (!runtime.available()) {
        admit_ = axcode::apiDisabled;
        return;
    }
    if (!accessible) {
        admit_ = axcode::invalidUIElement;
        return;
    }
    // An application that has gone is known from its name leaving the bus
    // (libatspi then lets go of it), not by asking after its process.
    auto* object = ATSPI_OBJECT(accessible);
    const auto pid = object->app && object->app->bus ? runtime.pidOf(accessible) : std::nullopt;
    if (!pid) {
        admit_ = axcode::invalidUIElement;
        return;
    }
    // Our own windows would answer on the main thread that is waiting here: the call could
    // only time out.
    if (*pid == static_cast<std::int32_t>(::getpid())) {
        admit_ = axcode::cannotComplete;
        return;
    }
    if (runtime.isHung(busName(accessible))) {
        admit_ = axcode::cannotComplete;
        return;
    }
    timeoutMs_ = runtime.timeoutMs(elementTimeout);
    atspi_set_timeout(timeoutMs_, 0);
    countRoundTrip();
    started_ = Clock::now();
}

Call::~Call()
{
    if (started_ != Clock::time_point{}) latency::waited(latency::Wait::bus, Clock::now() - started_);
    if (error_) g_error_free(error_);
}

AXCode Call::finish(bool resultValid)
{
    if (admit_ != axcode::success) return admit_;
    // libatspi answers some timed-out property reads with a default value
    // and no error (a character count of 0): a call that took the whole
    // timeout did not complete, whatever it answered.
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_).count();
    const bool tookTimeout = elapsed >= timeoutMs_ * 9 / 10;
    if (!error_ && resultValid && !tookTimeout) return axcode::success;

    auto& runtime = Runtime::instance();
    auto* object = ATSPI_OBJECT(accessible_);
    const bool appGone = !object->app || !object->app->bus;
    if (appGone) return axcode::invalidUIElement;
    // libatspi's own error domain; code 0 is "the application no longer exists".
    if (error_ && error_->domain == g_quark_try_string("atspi_error") && error_->code == 0)
        return axcode::invalidUIElement;

    const auto pid = runtime.pidOf(accessible_);
    if (pid && !runtime.processAlive(*pid)) return axcode::invalidUIElement;
    if (error_ && messageSays(error_, {"Unsupported", "not supported", "NotSupported"}))
        return axcode::attributeUnsupported;
    if (error_ && messageSays(error_, {"disconnected", "not provided by any", "ServiceUnknown", "UnknownObject",
                                       "Unknown object", "does not exist", "defunct"}))
        return axcode::invalidUIElement;

    const bool timedOut =
        tookTimeout || (error_ && messageSays(error_, {"NoReply", "Did not receive a reply", "timed out"}));
    if (timedOut) {
        runtime.markHung(busName(accessible_));
        return axcode::cannotComplete;
    }
    return error_ ? axcode::cannotComplete : axcode::noValue;
}

}  // namespace zorbel::platform::atspi
