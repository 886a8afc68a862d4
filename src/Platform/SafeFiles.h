#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The one place that opens files named by stored values or found in known
// folders. Qt's own file classes open a path blindly: a FIFO blocks the
// caller until a writer appears, a device reads forever, a planted link
// leads a write anywhere, and QSaveFile or QSettings report success on a
// full disk. These calls never block, never follow a link they create a file
// at, and check what reached the disk.
namespace zorbel::platform::files {

struct ReadResult {
    enum class Status { read, absent, notRegular, tooLarge, failed };
    Status status = Status::failed;
    QByteArray bytes;
    QString problem;  // why not, to follow "it" ("is a folder, not a file", "cannot be opened: ...")

    bool ok() const { return status == Status::read; }
};

// Reads `path` when it is a regular file of at most `maximumSize` bytes. The
// file is opened without blocking and checked on the open descriptor, so a
// FIFO, a device or a folder swapped in at the name is never read from.
ReadResult readRegularFile(const QString& path, qint64 maximumSize);

// Replaces the file at `path` with `bytes` so that the old file stays as it
// was unless the new one reached the disk whole: a fresh file beside it
// (created exclusively), written, flushed to the disk, read back and
// compared, then renamed over the name, and the folder flushed. A link at
// `path` is replaced, not followed. `mode` is the new file's permission bits;
// with `keepMode`, a file that exists keeps its own. The reason of a failure,
// or nothing.
std::optional<QString> replaceFile(const QString& path, const QByteArray& bytes, int mode, bool keepMode = false);

// Creates `path` with `bytes` only when nothing (not even a dangling link)
// has that name yet. The reason of a failure, or nothing.
std::optional<QString> createNewFile(const QString& path, const QByteArray& bytes, int mode);

// Removes what a write killed midway left beside `path` (its temporary files,
// and those of earlier versions' writer). Answers how many were removed.
int removeAbandonedWrites(const QString& path);

// Removes the regular files of this user in `folder` whose names match one of
// `patterns` and that are older than a minute, so that a write of another
// process in progress is left alone (with `emptyOnly`, only empty ones).
int removeStaleFiles(const QString& folder, const QStringList& patterns, bool emptyOnly);

// The name prefix of `replaceFile`'s temporary files beside `path`.
QString temporaryPrefix(const QString& path);

}  // namespace zorbel::platform::files
