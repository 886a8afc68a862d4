#include "Platform/SafeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zorbel::platform::files {

namespace {

QString reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// What a path that is no regular file is, for a message the user can act on.
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode)) return QStringLiteral("is a folder, not a file");
    if (S_ISFIFO(mode)) return QStringLiteral("is a named pipe (FIFO), not a file");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("is a device, not a file");
    if (S_ISSOCK(mode)) return QStringLiteral("is a socket, not a file");
    return QStringLiteral("is not a regular file");
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // A close can be the first to report a failed write (network file systems).
    bool close()
    {
        if (fd_ < 0) return true;
        const bool ok = ::close(fd_) == 0;
        fd_ = -1;
        return ok;
    }

private:
    int fd_;
};

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

// Reads up to `limit` bytes from `offset` on; fewer only at the end of the file.
std::optional<QByteArray> readUpTo(int fd, qint64 limit, off_t offset)
{
    QByteArray out;
    char buffer[65536];
    while (out.size() < limit) {
        const auto want = static_cast<size_t>(std::min<qint64>(sizeof buffer, limit - out.size()));
        const ssize_t n = ::pread(fd, buffer, want, offset + out.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        out.append(buffer, n);
    }
    return out;
}

void syncFolder(const QByteArray& folder)
{
    Descriptor dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid()) ::fsync(dir.get());
}

}  // namespace

ReadResult readRegularFile(const QString& path, qint64 maximumSize)
{
    ReadResult result;
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    // Asked of the name first, so that a device is never even opened (opening
    // some has effects); asked again of what was opened, since the name may
    // have changed in between.
    if (::stat(name.constData(), &info) != 0) {
        const int error = errno;
        result.status = error == ENOENT || error == ENOTDIR ? ReadResult::Status::absent : ReadResult::Status::failed;
        result.problem = error == ENOENT ? QStringLiteral("does not exist") : QStringLiteral("cannot be found: ") + reason(error);
        return result;
    }
    const auto refuse = [&](ReadResult::Status status, QString problem) {
        result.status = status;
        result.problem = std::move(problem);
        return result;
    };
    if (!S_ISREG(info.st_mode)) return refuse(ReadResult::Status::notRegular, kindOf(info.st_mode));
    Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    const auto failed = [&](const char* what) {
        return refuse(ReadResult::Status::failed, QLatin1String(what) + reason(errno));
    };
    if (!fd.valid()) return failed("cannot be opened: ");
    if (::fstat(fd.get(), &info) != 0) return failed("cannot be read: ");
    if (!S_ISREG(info.st_mode)) return refuse(ReadResult::Status::notRegular, kindOf(info.st_mode));
    const auto tooLarge = [&] {
        return refuse(ReadResult::Status::tooLarge,
                      QStringLiteral("is larger than %1 bytes").arg(maximumSize));
    };
    if (info.st_size > maximumSize) return tooLarge();
    // One byte more than allowed tells a file that grew since fstat.
    auto bytes = readUpTo(fd.get(), maximumSize + 1, 0);
    if (!bytes) return failed("cannot be read: ");
    if (bytes->size() > maximumSize) return tooLarge();
    result.status = ReadResult::Status::read;
    result.bytes = std::move(*bytes);
    return result;
}

QString temporaryPrefix(const QString& path) { return path + QStringLiteral(".writing-"); }

std::optional<QString> replaceFile(const QString& path, const QByteArray& bytes, int mode, bool keepMode)
{
    const QByteArray target = QFile::encodeName(path);
    struct stat old {};
    if (keepMode && ::stat(target.constData(), &old) == 0) mode = static_cast<int>(old.st_mode & 07777);
    QByteArray temporary = QFile::encodeName(temporaryPrefix(path)) + "XXXXXX";
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.valid()) return QStringLiteral("cannot create a file in its folder: ") + reason(errno);
    const auto fail = [&](const QString& step, int error) -> std::optional<QString> {
        fd.close();
        ::unlink(temporary.constData());
        return step + QStringLiteral(": ") + reason(error);
    };
    if (::fchmod(fd.get(), static_cast<mode_t>(mode)) != 0) return fail(QStringLiteral("cannot set its permissions"), errno);
    if (!writeAll(fd.get(), bytes)) return fail(QStringLiteral("cannot write"), errno);
    if (::fsync(fd.get()) != 0) return fail(QStringLiteral("cannot flush to the disk"), errno);
    const auto back = readUpTo(fd.get(), bytes.size() + 1, 0);
    if (!back) return fail(QStringLiteral("cannot read back"), errno);
    if (*back != bytes) return fail(QStringLiteral("what reached the disk differs from what was written"), EIO);
    if (!fd.close()) return fail(QStringLiteral("cannot close"), errno);
    if (::rename(temporary.constData(), target.constData()) != 0)
        return fail(QStringLiteral("cannot replace the file"), errno);
    syncFolder(QFile::encodeName(QFileInfo(path).absolutePath()));
    return std::nullopt;
}

std::optional<QString> createNewFile(const QString& path, const QByteArray& bytes, int mode)
{
    const QByteArray name = QFile::encodeName(path);
    Descriptor fd(::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
                         static_cast<mode_t>(mode)));
    if (!fd.valid()) {
        const int error = errno;
        if (error == EEXIST) return QStringLiteral("a file or link of that name already exists");
        return reason(error);
    }
    const auto fail = [&](int error) -> std::optional<QString> {
        fd.close();
        ::unlink(name.constData());
        return reason(error);
    };
    if (::fchmod(fd.get(), static_cast<mode_t>(mode)) != 0) return fail(errno);
    if (!writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) return fail(errno);
    if (!fd.close()) return fail(errno);
    return std::nullopt;
}

int removeStaleFiles(const QString& folder, const QStringList& patterns, bool emptyOnly)
{
    const QDir dir(folder);
    const std::time_t now = std::time(nullptr);
    int removed = 0;
    for (const QString& entry : dir.entryList(patterns, QDir::Files | QDir::Hidden | QDir::System)) {
        const QByteArray name = QFile::encodeName(dir.filePath(entry));
        struct stat info {};
        if (::lstat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid()) continue;
        if (now - info.st_mtime < 60 || (emptyOnly && info.st_size != 0)) continue;
        if (::unlink(name.constData()) == 0) ++removed;
    }
    return removed;
}

int removeAbandonedWrites(const QString& path)
{
    const QFileInfo file(path);
    const QString base = file.fileName();
    const QString folder = file.absolutePath();
    // The writer of earlier versions (QTemporaryFile under QSettings) left an
    // empty "<name>.XXXXXX" and its ".lock"; an empty file is never a copy
    // the user kept.
    return removeStaleFiles(folder, {base + QStringLiteral(".writing-??????"), base + QStringLiteral(".??????.lock")},
                            false) +
           removeStaleFiles(folder, {base + QStringLiteral(".??????")}, true);
}

}  // namespace zorbel::platform::files
