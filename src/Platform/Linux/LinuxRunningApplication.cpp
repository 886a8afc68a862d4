#include "Platform/Linux/LinuxRunningApplication.h"

#include "Platform/Linux/Atspi/AtspiRuntime.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zorbel::platform {

LinuxRunningApplication::LinuxRunningApplication(std::int32_t pid, std::uint64_t startTime, const Facts& facts)
    : pid_(pid), startTime_(startTime), facts_(facts)
{
    if (pid <= 0) {
        gone_ = true;
        return;
    }
    // Through syscall(): glibc 2.36 declares pidfd_open for C only.
    pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd_ < 0) {
        gone_ = errno == ESRCH;
        return;
    }
    // The id may have been given to another process since the start time was read.
    const auto start = processStartTime(pid);
    gone_ = !start || *start != startTime;
}

LinuxRunningApplication::~LinuxRunningApplication()
{
    if (pidfd_ >= 0) ::close(pidfd_);
}

std::optional<QString> LinuxRunningApplication::bundleIdentifier() const
{
    if (facts_.bundleIdentifier.isEmpty()) return std::nullopt;
    return facts_.bundleIdentifier;
}

std::optional<QString> LinuxRunningApplication::localizedName() const
{
    if (facts_.localizedName.isEmpty()) return std::nullopt;
    return facts_.localizedName;
}

ActivationPolicy LinuxRunningApplication::activationPolicy() const
{
    return facts_.hasWindows ? ActivationPolicy::regular : ActivationPolicy::accessory;
}

bool LinuxRunningApplication::isTerminated() const
{
    if (gone_) return true;
    if (pidfd_ >= 0) {
        pollfd ended{pidfd_, POLLIN, 0};
        const int ready = ::poll(&ended, 1, 0);
        if (ready >= 0) return ready > 0;
    }
    const auto now = processStartTime(pid_);
    return !now || *now != startTime_ || !atspi::Runtime::instance().processAlive(pid_);
}

void LinuxRunningApplication::update(const Facts& facts)
{
    // Names found once stay: a window that goes away does not rename the application.
    if (facts_.bundleIdentifier.isEmpty()) facts_.bundleIdentifier = facts.bundleIdentifier;
    if (facts_.localizedName.isEmpty()) facts_.localizedName = facts.localizedName;
    facts_.hasWindows = facts_.hasWindows || facts.hasWindows;
}

std::optional<std::uint64_t> LinuxRunningApplication::processStartTime(std::int32_t pid)
{
    if (pid <= 0) return std::nullopt;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray line = stat.readAll();
    // The command name may hold spaces and parentheses; fields resume after the last ')'.
    const auto close = line.lastIndexOf(')');
    if (close < 0) return std::nullopt;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    // Field 22 of the whole line (start time) is the 20th after the name.
    if (fields.size() < 20) return std::nullopt;
    if (fields.at(0) == "Z" || fields.at(0) == "X") return std::nullopt;
    bool ok = false;
    const std::uint64_t start = fields.at(19).toULongLong(&ok);
    return ok ? std::optional<std::uint64_t>(start) : std::nullopt;
}

QString LinuxRunningApplication::executableName(std::int32_t pid)
{
    const QString target = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    if (!target.isEmpty()) return QFileInfo(target).fileName();
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(comm.readAll()).trimmed();
}

}  // namespace zorbel::platform
