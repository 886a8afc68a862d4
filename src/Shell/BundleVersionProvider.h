#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

namespace zorbel {

// What describes the running build.
class AppVersionProvider {
public:
    virtual ~AppVersionProvider() = default;
    virtual QString version() const = 0;
    virtual QString buildNumber() const = 0;
    virtual QString bundleIdentifier() const = 0;
};

// Reads the build's information: by default the application's own (its
// version and desktop-file name, set at start from the build), or the given
// dictionary. A missing or non-text "CFBundleShortVersionString" gives "1.0.0".
class BundleVersionProvider final : public AppVersionProvider {
public:
    BundleVersionProvider() = default;
    explicit BundleVersionProvider(QVariantMap infoDictionary) : info_(std::move(infoDictionary)) {}

    QString version() const override;
    QString buildNumber() const override;
    QString bundleIdentifier() const override;

    // The running application's information.
    static QVariantMap mainInfoDictionary();

private:
    QVariantMap info() const { return info_ ? *info_ : mainInfoDictionary(); }
    std::optional<QVariantMap> info_;
};

// The one process-wide provider.
const AppVersionProvider& appVersionProvider();

}  // namespace zorbel
