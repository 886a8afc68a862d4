#pragma once

#include "Platform/UserNotifications.h"

#include <QHash>
#include <QObject>

namespace zorbel::platform {

// Desktop notifications through org.freedesktop.Notifications on the session
// bus. Calls are asynchronous; a request's identifier maps to the id the
// server gave its last notification, so a repeat replaces it on screen. The
// body is always escaped: servers such as dunst read markup in it even when
// they do not announce body markup.
class DBusNotifications final : public QObject, public UserNotificationService {
    Q_OBJECT
public:
    DBusNotifications();
    void add(const UserNotificationRequest& request, Completion completion) override;

private slots:
    void actionInvoked(uint id, const QString& actionKey);
    void notificationClosed(uint id, uint reason);

private:
    void notify(const UserNotificationRequest& request, const Completion& completion);

    QHash<QString, uint> idsByIdentifier_;
    QHash<uint, std::function<void()>> activations_;
};

}  // namespace zorbel::platform
