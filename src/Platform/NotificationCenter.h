#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace zorbel::platform {

struct Notification {
    QString name;
    QVariant object;  // invalid when the poster gave none
    QVariantMap userInfo;
};

class NotificationCenter;

// Keeps one observation alive; destroying it or calling remove() ends it.
// After remove() returns the observer is never called again, even by a post
// that is being delivered at that moment.
class NotificationToken {
public:
    NotificationToken() = default;
    NotificationToken(NotificationToken&&) noexcept = default;
    NotificationToken& operator=(NotificationToken&& other) noexcept;
    NotificationToken(const NotificationToken&) = delete;
    NotificationToken& operator=(const NotificationToken&) = delete;
    ~NotificationToken() { remove(); }

    void remove();
    bool isActive() const;

private:
    friend class NotificationCenter;
    struct Entry;
    explicit NotificationToken(std::shared_ptr<Entry> entry) : entry_(std::move(entry)) {}
    std::shared_ptr<Entry> entry_;
};

// In-process notification centre: observers by name (an empty name observes
// every notification), delivered synchronously on the posting thread, in
// registration order. Observers added during a post are not called by it.
class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;

    [[nodiscard]] NotificationToken addObserver(const QString& name, Handler handler);
    void post(const QString& name, const QVariant& object = {}, const QVariantMap& userInfo = {});
    void post(const Notification& notification);

    std::size_t observerCount(const QString& name) const;

private:
    std::vector<std::shared_ptr<NotificationToken::Entry>> entries_;
    std::uint64_t nextSerial_ = 0;
};

struct NotificationToken::Entry {
    QString name;
    NotificationCenter::Handler handler;
    std::uint64_t serial = 0;
    bool active = true;
};

}  // namespace zorbel::platform
