#include "Platform/IniUserDefaults.h"

#include "Platform/IniText.h"
#include "Platform/LogSink.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cstdio>

namespace zorbel::platform {

namespace {

// Qt reads INI text only from a file. A fresh file name each time keeps
// QSettings' per-process cache of files from answering with an older text.
std::optional<IniUserDefaults::Values> parseIni(const QByteArray& bytes, bool* formatError)
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/zorbel-settings-XXXXXX.ini"));
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush()) return std::nullopt;
    file.close();
    QSettings settings(file.fileName(), QSettings::IniFormat);
    IniUserDefaults::Values values;
    for (const QString& key : settings.allKeys()) values[key] = settings.value(key);
    *formatError = settings.status() == QSettings::FormatError;
    return values;
}

QString freeName(const QString& base)
{
    QString name = base;
    for (int n = 1; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

}  // namespace

IniUserDefaults::IniUserDefaults(QString filePath) : path_(std::move(filePath))
{
    Contents contents = readFile();
    values_ = std::move(contents.values);
    if (contents.state == State::damaged) {
        const QString where = contents.firstDamagedLine
                                  ? QStringLiteral(" at line %1").arg(contents.firstDamagedLine)
                                  : QString();
        ZORBEL_PLATFORM_WARNING(QStringLiteral("Settings file %1 is damaged%2; readable keys are used, "
                                               "the rest read as defaults")
                                    .arg(path_, where));
    } else if (contents.state == State::unreadable) {
        ZORBEL_PLATFORM_WARNING(QStringLiteral("Settings file %1 cannot be read; defaults are used").arg(path_));
    }
}

IniUserDefaults::Contents IniUserDefaults::readFile() const
{
    Contents contents;
    const QFileInfo info(path_);
    if (!info.exists()) return contents;
    contents.state = State::unreadable;
    // Opening a FIFO waits for a writer that never comes; a device or a folder
    // holds no settings.
    if (!info.isFile()) return contents;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return contents;
    contents.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return contents;
    const IniText text = checkIniText(contents.bytes);
    bool formatError = false;
    auto values = parseIni(text.damaged() ? text.trusted : contents.bytes, &formatError);
    if (!values) return contents;
    contents.values = std::move(*values);
    contents.firstDamagedLine = text.firstDamagedLine;
    contents.state = text.damaged() || formatError ? State::damaged : State::sound;
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

bool IniUserDefaults::setObject(const QString& key, const QVariant& value) { return change(key, value); }

bool IniUserDefaults::removeObject(const QString& key) { return change(key, std::nullopt); }

// The value applies in memory even when it cannot be saved.
bool IniUserDefaults::change(const QString& key, const std::optional<QVariant>& value)
{
    const auto apply = [&](Values& values) {
        if (value) {
            values[key] = *value;
        } else {
            values.erase(key);
        }
    };
    apply(values_);
    Contents disk = readFile();
    if (disk.state == State::unreadable) {
        ZORBEL_PLATFORM_ERROR(QStringLiteral("Cannot write \"%1\" to %2: the file cannot be read, and replacing "
                                             "it would lose what it holds")
                                  .arg(key, path_));
        return false;
    }
    if (disk.state == State::damaged && !keepDamagedBytes(disk.bytes)) return false;
    apply(disk.values);
    if (!replaceFile(disk.values, key)) return false;
    values_ = std::move(disk.values);
    return true;
}

// Replacing a damaged file drops what could not be read, so its bytes are
// kept beside it first.
bool IniUserDefaults::keepDamagedBytes(const QByteArray& bytes)
{
    if (kept_ && bytes == keptBytes_) return true;
    const QString copy =
        freeName(path_ + QStringLiteral(".damaged-") + QString::number(QDateTime::currentSecsSinceEpoch()));
    QFile file(copy);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(bytes) != bytes.size() ||
        !file.flush()) {
        file.remove();
        ZORBEL_PLATFORM_ERROR(QStringLiteral("Cannot keep a copy of the damaged settings file %1; "
                                             "the change is not saved")
                                  .arg(path_));
        return false;
    }
    ZORBEL_PLATFORM_WARNING(QStringLiteral("The damaged settings file was kept as %1").arg(copy));
    keptBytes_ = bytes;
    kept_ = true;
    return true;
}

// Written beside the file and renamed over it: readers see the old file or
// the new one, never a part of either. A link is followed, not replaced.
bool IniUserDefaults::replaceFile(const Values& values, const QString& key) const
{
    const QFileInfo link(path_);
    const QFileInfo target(link.isSymLink() ? link.symLinkTarget() : path_);
    const auto fail = [&] {
        ZORBEL_PLATFORM_ERROR(
            QStringLiteral("Cannot write \"%1\" to %2: the file or its folder is not writable").arg(key, path_));
        return false;
    };
    QDir().mkpath(target.absolutePath());
    QTemporaryFile temp(target.absoluteFilePath() + QStringLiteral(".XXXXXX"));
    if (!temp.open()) return fail();
    temp.close();
    {
        QSettings out(temp.fileName(), QSettings::IniFormat);
        for (const auto& [name, value] : values) out.setValue(name, value);
        out.sync();
        if (out.status() != QSettings::NoError) return fail();
    }
    QFile::setPermissions(temp.fileName(), target.exists() ? target.permissions()
                                                           : QFile::ReadOwner | QFile::WriteOwner |
                                                                 QFile::ReadGroup | QFile::ReadOther);
    if (std::rename(QFile::encodeName(temp.fileName()).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        return fail();
    temp.setAutoRemove(false);
    return true;
}

IniUserDefaultsProvider::IniUserDefaultsProvider(QString folder) : folder_(std::move(folder)) {}

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
