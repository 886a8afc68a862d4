#include "Platform/IniUserDefaults.h"

#include "Platform/LogSink.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace zorbel::platform {

IniUserDefaults::IniUserDefaults(const QString& filePath) : settings_(filePath, QSettings::IniFormat)
{
    if (settings_.status() == QSettings::FormatError) {
        damaged_ = true;
        ZORBEL_PLATFORM_WARNING(QStringLiteral("Settings file %1 is damaged; readable keys are used, "
                                               "the rest read as defaults")
                                    .arg(filePath));
    } else if (settings_.status() == QSettings::AccessError) {
        ZORBEL_PLATFORM_WARNING(QStringLiteral("Settings file %1 cannot be read; defaults are used").arg(filePath));
    }
}

std::optional<QVariant> IniUserDefaults::object(const QString& key) const
{
    if (!settings_.contains(key)) return std::nullopt;
    return settings_.value(key);
}

// QSettings rewrites a damaged file from what it could parse, so keep the
// original bytes beside it before the first write.
bool IniUserDefaults::prepareForWrite()
{
    if (!damaged_ || backedUp_) return true;
    const QString original = settings_.fileName();
    const QString backup =
        original + QStringLiteral(".damaged-") + QString::number(QDateTime::currentSecsSinceEpoch());
    if (!QFile::copy(original, backup)) {
        ZORBEL_PLATFORM_ERROR(QStringLiteral("Cannot keep a copy of the damaged settings file %1; "
                                             "the change is not saved")
                                  .arg(original));
        return false;
    }
    ZORBEL_PLATFORM_WARNING(QStringLiteral("The damaged settings file was kept as %1").arg(backup));
    backedUp_ = true;
    return true;
}

bool IniUserDefaults::commit(const QString& key)
{
    settings_.sync();
    if (settings_.status() == QSettings::AccessError) {
        ZORBEL_PLATFORM_ERROR(
            QStringLiteral("Cannot write \"%1\" to %2: the file or its folder is not writable").arg(key, settings_.fileName()));
        return false;
    }
    return true;
}

bool IniUserDefaults::setObject(const QString& key, const QVariant& value)
{
    if (!prepareForWrite()) return false;
    const QFileInfo info(settings_.fileName());
    QDir().mkpath(info.absolutePath());
    settings_.setValue(key, value);
    return commit(key);
}

bool IniUserDefaults::removeObject(const QString& key)
{
    if (!prepareForWrite()) return false;
    settings_.remove(key);
    return commit(key);
}

QStringList IniUserDefaults::keys() const { return settings_.allKeys(); }

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
