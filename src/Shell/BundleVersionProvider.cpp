#include "Shell/BundleVersionProvider.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace zorbel {

namespace {
QString textFor(const QVariantMap& info, const char* key, const QString& fallback)
{
    const auto it = info.constFind(QLatin1String(key));
    if (it == info.constEnd() || it->typeId() != QMetaType::QString || it->toString().isEmpty()) return fallback;
    return it->toString();
}
}  // namespace

QVariantMap BundleVersionProvider::mainInfoDictionary()
{
    QVariantMap info;
    if (!QCoreApplication::instance()) return info;
    if (!QCoreApplication::applicationVersion().isEmpty())
        info.insert(QStringLiteral("CFBundleShortVersionString"), QCoreApplication::applicationVersion());
    if (!QGuiApplication::desktopFileName().isEmpty())
        info.insert(QStringLiteral("CFBundleIdentifier"), QGuiApplication::desktopFileName());
    return info;
}

QString BundleVersionProvider::version() const
{
    return textFor(info(), "CFBundleShortVersionString", QStringLiteral("1.0.0"));
}

QString BundleVersionProvider::buildNumber() const { return textFor(info(), "CFBundleVersion", version()); }

QString BundleVersionProvider::bundleIdentifier() const
{
    return textFor(info(), "CFBundleIdentifier", QString());
}

const AppVersionProvider& appVersionProvider()
{
    static const BundleVersionProvider provider;
    return provider;
}

}  // namespace zorbel
