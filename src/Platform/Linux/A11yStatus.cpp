#include "Platform/Linux/A11yStatus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

namespace zorbel::platform::a11ystatus {

namespace {
constexpr int timeoutMs = 250;

QDBusMessage propertyCall(const char* method)
{
    auto call = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                               QStringLiteral("org.freedesktop.DBus.Properties"),
                                               QLatin1String(method));
    return call;
}
}  // namespace

std::optional<bool> isEnabled()
{
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected()) return std::nullopt;
    QDBusMessage call = propertyCall("Get");
    call << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled");
    const QDBusMessage reply = session.call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

bool setEnabled(bool enabled)
{
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected()) return false;
    QDBusMessage call = propertyCall("Set");
    call << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled")
         << QVariant::fromValue(QDBusVariant(enabled));
    const QDBusMessage reply = session.call(call, QDBus::Block, timeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace zorbel::platform::a11ystatus
