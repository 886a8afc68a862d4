#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace zorbel::platform {

// A desktop notification shown at once. A second request with the same
// identifier replaces the first one on screen. Title and body are plain text.
struct UserNotificationRequest {
    QString identifier;
    QString title;
    QString body;
    bool defaultSound = true;
    // Called when the user clicks the notification; may be empty.
    std::function<void()> onActivate;
};

class UserNotificationService {
public:
    // Nothing on success, else why the notification could not be shown.
    using Completion = std::function<void(const std::optional<QString>& error)>;
    virtual ~UserNotificationService() = default;
    // Never blocks; the completion runs on a later turn of the main loop.
    virtual void add(const UserNotificationRequest& request, Completion completion) = 0;
};

}  // namespace zorbel::platform
