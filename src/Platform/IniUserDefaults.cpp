#include "Platform/IniUserDefaults.h"

#include "Platform/IniFormat.h"
#include "Platform/IniText.h"
#include "Platform/LogSink.h"
#include "Platform/SafeFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace zorbel::platform {

namespace {

QString freeName(const QString& base)
{
    QString name = base;
    for (int n = 1; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

// A link is followed, so that a settings file kept elsewhere stays linked.
QString resolvedPath(const QString& path)
{
    const QFileInfo link(path);
    return link.isSymLink() ? link.symLinkTarget() : link.absoluteFilePath();
}

}  // namespace

IniUserDefaults::IniUserDefaults(QString filePath) : path_(std::move(filePath))
{
    files::removeAbandonedWrites(resolvedPath(path_));
    Contents contents = readFile();
    remember(contents);
    values_ = std::move(contents.values);
    if (contents.state == State::damaged) {
        const QString where = contents.firstDamagedLine
                                  ? QStringLiteral(" at line %1").arg(contents.firstDamagedLine)
                                  : QString();
        ZORBEL_PLATFORM_WARNING(QStringLiteral("Settings file %1 is damaged%2; readable keys are used, "
                                               "the rest read as defaults")
                                    .arg(path_, where));
    } else if (contents.state == State::unreadable) {
        ZORBEL_PLATFORM_WARNING(
            QStringLiteral("Settings file %1 cannot be read; defaults are used (it %2)").arg(path_, contents.problem));
    }
}

IniUserDefaults::Contents IniUserDefaults::readFile() const
{
    Contents contents;
    const files::ReadResult file = files::readRegularFile(path_, maximumFileSize);
    if (file.status == files::ReadResult::Status::absent) return contents;
    // A FIFO would wait for a writer that never comes; a device or a folder
    // holds no settings.
    if (!file.ok()) {
        contents.state = State::unreadable;
        contents.problem = file.problem;
        return contents;
    }
    contents.bytes = file.bytes;
    return parse(std::move(contents));
}

IniUserDefaults::Contents IniUserDefaults::parse(Contents contents) const
{
    if (known_ && contents.bytes == *known_) {
        contents.values = values_;
        contents.state = State::sound;
        return contents;
    }
    const IniText text = checkIniText(contents.bytes);
    contents.values = ini::decode(text.trusted);
    contents.firstDamagedLine = text.firstDamagedLine;
    contents.state = text.damaged() ? State::damaged : State::sound;
    return contents;
}

std::optional<QVariant> IniUserDefaults::object(const QString& key) const
{
    const auto found = values_.find(key);
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

QStringList IniUserDefaults::keys() const
{
    QStringList out;
    for (const auto& entry : values_) out << entry.first;
    return out;
}

bool IniUserDefaults::setObject(const QString& key, const QVariant& value) { return change({{key, value}}); }

bool IniUserDefaults::setObjects(const std::map<QString, QVariant>& values)
{
    if (values.empty()) return true;
    Changes changes;
    for (const auto& [key, value] : values) changes[key] = value;
    return change(changes);
}

bool IniUserDefaults::removeObject(const QString& key) { return change({{key, std::nullopt}}); }

// The value applies in memory even when it cannot be saved, and every change
// not saved yet goes with the next write, so a write that fails loses nothing
// that a later one can still save.
bool IniUserDefaults::change(const Changes& changes)
{
    const auto apply = [](Values& values, const QString& name, const std::optional<QVariant>& v) {
        if (v) {
            values[name] = *v;
        } else {
            values.erase(name);
        }
    };
    for (const auto& [key, value] : changes) {
        apply(values_, key, value);
        unsaved_[key] = value;
    }
    Contents disk = readFile();
    remember(disk);
    if (disk.state == State::unreadable) {
        reportFailure(QStringLiteral("the file cannot be read (it %1), and replacing it would lose what it holds")
                          .arg(disk.problem));
        return false;
    }
    if (disk.state == State::damaged && !keepDamagedBytes(disk.bytes)) return false;
    for (const auto& [name, v] : unsaved_) apply(disk.values, name, v);
    const QByteArray text = ini::encode(disk.values);
    // A file the next start could not read would set every setting back to its default.
    if (text.size() > maximumFileSize) {
        reportFailure(QStringLiteral("the file would grow to %1 bytes, more than the %2 that are read back at start")
                          .arg(text.size())
                          .arg(maximumFileSize));
        return false;
    }
    if (!replaceFile(text)) return false;
    unsaved_.clear();
    reported_.clear();
    values_ = std::move(disk.values);
    return true;
}

// One line per cause, not one per write: dragging a slider on a full disk
// would print a line for every step.
void IniUserDefaults::reportFailure(const QString& reason)
{
    if (reason == reported_) return;
    reported_ = reason;
    ZORBEL_PLATFORM_WARNING(QStringLiteral("Settings file %1 was not changed: %2; changes apply until the program "
                                           "ends")
                                .arg(path_, reason));
}

// Replacing a damaged file drops what could not be read, so its bytes are
// kept beside it first.
bool IniUserDefaults::keepDamagedBytes(const QByteArray& bytes)
{
    if (kept_ && bytes == keptBytes_) return true;
    const QString copy =
        freeName(path_ + QStringLiteral(".damaged-") + QString::number(QDateTime::currentSecsSinceEpoch()));
    if (const auto failure = files::createNewFile(copy, bytes, 0600)) {
        reportFailure(QStringLiteral("a copy of the damaged file cannot be kept (%1)").arg(*failure));
        return false;
    }
    ZORBEL_PLATFORM_WARNING(QStringLiteral("The damaged settings file was kept as %1").arg(copy));
    keptBytes_ = bytes;
    kept_ = true;
    return true;
}

// Checked on the disk before it replaces the file: the old file or the whole
// new one, never a part of either, also on a full disk.
bool IniUserDefaults::replaceFile(const QByteArray& text)
{
    const QString target = resolvedPath(path_);
    QDir().mkpath(QFileInfo(target).absolutePath());
    if (const auto failure = files::replaceFile(target, text, 0644, true)) {
        reportFailure(*failure);
        return false;
    }
    known_ = text;
    return true;
}

void IniUserDefaults::remember(const Contents& contents)
{
    if (contents.state == State::sound) {
        known_ = contents.bytes;
    } else {
        known_.reset();
    }
}

IniUserDefaultsProvider::IniUserDefaultsProvider(QString folder) : folder_(std::move(folder))
{
    // Earlier versions parsed settings through copies in the temporary folder.
    files::removeStaleFiles(QDir::tempPath(), {QStringLiteral("zorbel-settings-??????.ini")}, false);
}

QString IniUserDefaultsProvider::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/zorbel");
}

UserDefaults& IniUserDefaultsProvider::standard()
{
    if (!standard_) standard_ = std::make_unique<IniUserDefaults>(folder_ + QStringLiteral("/defaults.ini"));
    return *standard_;
}

UserDefaults* IniUserDefaultsProvider::suite(const QString& name)
{
    // A suite name becomes a file name: refuse names that could leave the folder.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.'))) return nullptr;
    auto& slot = suites_[name];
    if (!slot) slot = std::make_unique<IniUserDefaults>(folder_ + QLatin1Char('/') + name + QStringLiteral(".ini"));
    return slot.get();
}

}  // namespace zorbel::platform
