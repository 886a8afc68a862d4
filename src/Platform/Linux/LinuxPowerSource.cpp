#include "Platform/Linux/LinuxPowerSource.h"

#include "Platform/LogSink.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QVariantMap>

#include <cmath>

namespace zorbel::platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.UPower");
const QString kDeviceInterface = QStringLiteral("org.freedesktop.UPower.Device");
constexpr int kCallTimeoutMs = 1000;
constexpr uint kUPowerBattery = 2;

std::optional<QString> readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return QString::fromLatin1(file.read(256)).trimmed();
}

std::optional<double> readNumber(const QString& path)
{
    const auto text = readText(path);
    bool ok = false;
    const double v = text ? text->toDouble(&ok) : 0;
    if (!ok) return std::nullopt;
    return v;
}

// Seconds to empty: the driver's own estimate, else the remaining energy (or
// charge) over the present draw while discharging.
std::optional<int> sysfsTimeToEmpty(const QDir& dir)
{
    if (const auto t = readNumber(dir.filePath(QStringLiteral("time_to_empty_now"))); t && *t > 0)
        return static_cast<int>(*t);
    if (readText(dir.filePath(QStringLiteral("status"))) != QStringLiteral("Discharging")) return std::nullopt;
    for (const auto& [amount, rate] : {std::pair{"energy_now", "power_now"}, std::pair{"charge_now", "current_now"}}) {
        const auto a = readNumber(dir.filePath(QLatin1String(amount)));
        const auto r = readNumber(dir.filePath(QLatin1String(rate)));
        if (a && r && std::fabs(*r) > 0) return static_cast<int>(*a / std::fabs(*r) * 3600.0);
    }
    return std::nullopt;
}

PowerSourceDescription fromUPower(const QVariantMap& p)
{
    PowerSourceDescription d;
    d.name = p.value(QStringLiteral("NativePath")).toString();
    bool ok = false;
    const double percent = p.value(QStringLiteral("Percentage")).toDouble(&ok);
    if (ok) d.currentCapacity = static_cast<int>(std::lround(percent));
    const qint64 seconds = p.value(QStringLiteral("TimeToEmpty")).toLongLong();
    if (seconds > 0) d.timeToEmpty = static_cast<int>(seconds);
    return d;
}

bool isPresentBattery(const QVariantMap& p)
{
    return p.value(QStringLiteral("Type")).toUInt() == kUPowerBattery &&
           p.value(QStringLiteral("PowerSupply")).toBool() && p.value(QStringLiteral("IsPresent")).toBool();
}

}  // namespace

struct LinuxPowerSource::State {
    enum class UPower { unknown, absent, present } upower = UPower::unknown;
    std::vector<PowerSourceDescription> upowerSources;
    bool asking = false;
    // The round of device questions under way.
    std::vector<PowerSourceDescription> found;
    int pending = 0;
};

namespace {

void finishRound(LinuxPowerSource::State& state)
{
    state.upowerSources = std::move(state.found);
    state.found.clear();
    state.upower = LinuxPowerSource::State::UPower::present;
    state.asking = false;
}

void askDevices(const std::shared_ptr<LinuxPowerSource::State>& state, QDBusConnection bus,
                const QList<QDBusObjectPath>& paths)
{
    state->found.clear();
    state->pending = static_cast<int>(paths.size());
    if (paths.isEmpty()) return finishRound(*state);
    std::weak_ptr<LinuxPowerSource::State> weak = state;
    for (const QDBusObjectPath& path : paths) {
        auto get = QDBusMessage::createMethodCall(kService, path.path(), QStringLiteral("org.freedesktop.DBus.Properties"),
                                                  QStringLiteral("GetAll"));
        get << kDeviceInterface;
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(get, kCallTimeoutMs));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [weak](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            auto s = weak.lock();
            if (!s) return;
            const QDBusPendingReply<QVariantMap> reply = *w;
            if (!reply.isError() && isPresentBattery(reply.value())) s->found.push_back(fromUPower(reply.value()));
            if (--s->pending == 0) finishRound(*s);
        });
    }
}

}  // namespace

LinuxPowerSource::LinuxPowerSource() : state_(std::make_shared<State>()) { askUPower(); }

LinuxPowerSource::~LinuxPowerSource() = default;

std::optional<std::vector<PowerSourceDescription>> LinuxPowerSource::readPowerSupplyFolder(const QString& folder)
{
    const QDir root(folder);
    if (!root.exists()) return std::nullopt;
    std::vector<PowerSourceDescription> sources;
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QDir dir(root.filePath(name));
        if (readText(dir.filePath(QStringLiteral("type"))) != QStringLiteral("Battery")) continue;
        if (readText(dir.filePath(QStringLiteral("present"))) == QStringLiteral("0")) continue;
        PowerSourceDescription d;
        d.name = name;
        if (const auto c = readNumber(dir.filePath(QStringLiteral("capacity")))) d.currentCapacity = static_cast<int>(*c);
        d.timeToEmpty = sysfsTimeToEmpty(dir);
        sources.push_back(d);
    }
    return sources;
}

std::optional<std::vector<PowerSourceDescription>> LinuxPowerSource::powerSources()
{
    askUPower();
    if (state_->upower == State::UPower::present) return state_->upowerSources;
    return readPowerSupplyFolder(QStringLiteral("/sys/class/power_supply"));
}

// Two asynchronous steps: the device list, then every device's properties at
// once; the answer replaces the list the next read returns.
void LinuxPowerSource::askUPower()
{
    if (state_->asking || state_->upower == State::UPower::absent) return;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        state_->upower = State::UPower::absent;
        ZORBEL_PLATFORM_INFO(QStringLiteral("No system bus; batteries are read from /sys/class/power_supply"));
        return;
    }
    state_->asking = true;
    const auto list = QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/UPower"), kService,
                                                     QStringLiteral("EnumerateDevices"));
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(list, kCallTimeoutMs));
    std::weak_ptr<State> weak = state_;
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [weak, bus](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        auto state = weak.lock();
        if (!state) return;
        const QDBusPendingReply<QList<QDBusObjectPath>> reply = *w;
        if (reply.isError()) {
            state->asking = false;
            // A daemon that is not there stays away; one that was slow is asked again.
            const auto type = reply.error().type();
            if (type == QDBusError::ServiceUnknown) {
                state->upower = State::UPower::absent;
                ZORBEL_PLATFORM_INFO(QStringLiteral("UPower is not running; batteries are read from /sys/class/power_supply"));
            }
            return;
        }
        askDevices(state, bus, reply.value());
    });
}

}  // namespace zorbel::platform
