#include "Platform/NotificationCenter.h"

#include <algorithm>

namespace zorbel::platform {

NotificationToken& NotificationToken::operator=(NotificationToken&& other) noexcept
{
    if (this != &other) {
        remove();
        entry_ = std::move(other.entry_);
    }
    return *this;
}

void NotificationToken::remove()
{
    if (entry_) {
        entry_->active = false;
        entry_->handler = nullptr;
        entry_.reset();
    }
}

bool NotificationToken::isActive() const { return entry_ && entry_->active; }

NotificationToken NotificationCenter::addObserver(const QString& name, Handler handler)
{
    std::erase_if(entries_, [](const auto& e) { return !e->active; });
    auto entry = std::make_shared<NotificationToken::Entry>();
    entry->name = name;
    entry->handler = std::move(handler);
    entry->serial = nextSerial_++;
    entries_.push_back(entry);
    return NotificationToken(entry);
}

void NotificationCenter::post(const QString& name, const QVariant& object, const QVariantMap& userInfo)
{
    post(Notification{name, object, userInfo});
}

void NotificationCenter::post(const Notification& notification)
{
    // Deliver to a snapshot so observers may add or remove observers while
    // being called; the serial bound keeps newcomers out of this post.
    const auto snapshot = entries_;
    const std::uint64_t bound = nextSerial_;
    for (const auto& entry : snapshot) {
        if (entry->serial >= bound || !entry->active) continue;
        if (!entry->name.isEmpty() && entry->name != notification.name) continue;
        auto handler = entry->handler;  // the observer may remove itself while running
        if (handler) handler(notification);
    }
}

std::size_t NotificationCenter::observerCount(const QString& name) const
{
    return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(), [&](const auto& e) {
        return e->active && e->name == name;
    }));
}

}  // namespace zorbel::platform
