#pragma once

#include "Platform/UserDefaults.h"

#include <QSettings>

#include <map>
#include <memory>

namespace zorbel::platform {

// One settings domain kept in an INI file.
class IniUserDefaults final : public UserDefaults {
public:
    explicit IniUserDefaults(const QString& filePath);

    std::optional<QVariant> object(const QString& key) const override;
    bool setObject(const QString& key, const QVariant& value) override;
    bool removeObject(const QString& key) override;
    QStringList keys() const override;

    QString filePath() const { return settings_.fileName(); }

private:
    bool prepareForWrite();
    bool commit(const QString& key);

    mutable QSettings settings_;
    bool damaged_ = false;
    bool backedUp_ = false;
};

// Domains under a folder (by default $XDG_CONFIG_HOME/zorbel): the standard
// domain in "defaults.ini", each suite in "<suite name>.ini".
class IniUserDefaultsProvider final : public UserDefaultsProvider {
public:
    explicit IniUserDefaultsProvider(QString folder = defaultFolder());
    UserDefaults& standard() override;
    UserDefaults* suite(const QString& name) override;

    static QString defaultFolder();

private:
    QString folder_;
    std::unique_ptr<IniUserDefaults> standard_;
    std::map<QString, std::unique_ptr<IniUserDefaults>> suites_;
};

}  // namespace zorbel::platform
