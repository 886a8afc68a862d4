#include "Platform/Linux/DBusNotifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace zorbel::platform {

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
constexpr int callTimeoutMs = 5000;

QString describe(const QDBusError& error)
{
    if (error.type() == QDBusError::ServiceUnknown || error.type() == QDBusError::NoReply ||
        error.type() == QDBusError::Disconnected)
        return QStringLiteral("没有正在运行的桌面通知服务（%1）").arg(error.message());
    return error.message();
}

QDBusPendingCall call(const QString& method, const QVariantList& arguments = {})
{
    auto message = QDBusMessage::createMethodCall(service, path, service, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().asyncCall(message, callTimeoutMs);
}

template <class Reply, class Handler>
void whenDone(const QDBusPendingCall& pending, QObject* context, Handler handler)
{
    auto* watcher = new QDBusPendingCallWatcher(pending, context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, handler] {
        watcher->deleteLater();
        handler(Reply(*watcher));
    });
}

}  // namespace

DBusNotifications::DBusNotifications()
{
    auto bus = QDBusConnection::sessionBus();
    bus.connect(service, path, service, QStringLiteral("ActionInvoked"), this, SLOT(actionInvoked(uint, QString)));
    bus.connect(service, path, service, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint)));
}

void DBusNotifications::add(const UserNotificationRequest& request, Completion completion)
{
    if (!QDBusConnection::sessionBus().isConnected()) {
        QMetaObject::invokeMethod(this, [completion] { completion(QStringLiteral("没有会话总线，无法显示桌面通知")); },
                                  Qt::QueuedConnection);
        return;
    }
    notify(request, completion);
}

void DBusNotifications::notify(const UserNotificationRequest& request, const Completion& completion)
{
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("quellan.Zorbel"));
    if (request.defaultSound) hints.insert(QStringLiteral("sound-name"), QStringLiteral("message-new-instant"));
    QStringList actions;
    if (request.onActivate) actions << QStringLiteral("default") << QStringLiteral("查看详情");
    const QVariantList arguments{QStringLiteral("Zorbel"),
                                 idsByIdentifier_.value(request.identifier, 0u),
                                 QString(),
                                 request.title,
                                 request.body.toHtmlEscaped(),
                                 actions,
                                 hints,
                                 -1};
    whenDone<QDBusPendingReply<uint>>(call(QStringLiteral("Notify"), arguments), this,
                                      [this, request, completion](const QDBusPendingReply<uint>& reply) {
        if (reply.isError()) {
            completion(describe(reply.error()));
            return;
        }
        const uint id = reply.value();
        activations_.remove(idsByIdentifier_.value(request.identifier, 0u));
        idsByIdentifier_.insert(request.identifier, id);
        if (request.onActivate) activations_.insert(id, request.onActivate);
        completion(std::nullopt);
    });
}

void DBusNotifications::actionInvoked(uint id, const QString& actionKey)
{
    if (actionKey != QLatin1String("default")) return;
    if (const auto it = activations_.constFind(id); it != activations_.constEnd()) (*it)();
}

void DBusNotifications::notificationClosed(uint id, uint) { activations_.remove(id); }

}  // namespace zorbel::platform
