#pragma once

#include "Platform/Accessibility.h"
#include "Platform/Linux/Atspi/AtspiEvents.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace zorbel::platform::atspi {

// One observer: its process, its callback and what it registered.
class AtspiObserver final : public AXObserverData {
public:
    AtspiObserver(std::int32_t pid, AXObserverCallback callback) : pid(pid), callback(std::move(callback)) {}

    struct Registration {
        AXElementRef element;
        QString notification;
    };

    std::int32_t pid;
    AXObserverCallback callback;
    bool delivering = true;
    std::vector<Registration> registrations;
};

// Turns AT-SPI events into notifications for the observers registered on
// the events' elements, their ancestors or their application.
class ObserverRegistry {
public:
    static ObserverRegistry& instance();

    std::shared_ptr<AtspiObserver> create(std::int32_t pid, AXObserverCallback callback);

    // The notifications one event stands for, with the element each concerns.
    std::vector<std::pair<QString, AXElementRef>> notificationsFor(const EventRecord& record);

    using Notifications = std::vector<std::pair<QString, AXElementRef>>;
    using Covers = std::function<bool(const AtspiObserver::Registration&, const AXElementRef&)>;
    // Hands each notification to each observer registered for it. An owner may
    // let its observer go inside a callback; that observer hears nothing more,
    // not even the rest of the same event.
    static void deliver(const std::vector<std::weak_ptr<AtspiObserver>>& observers,
                        const Notifications& notifications, const Covers& covers);

    // A key that edits nothing (an arrow, Home, a page key) or a click was
    // pressed: where the text whose caret was asked last tells no such move
    // (GTK 4's text view, back to the offset it told last), its caret is
    // asked once the application has had the keystroke, and a move it did
    // not tell is told as AXSelectedTextChanged.
    void inputWithoutEdit();

private:
    ObserverRegistry();
    void dispatch(const EventRecord& record);
    void windowConfigured(std::uint32_t window, std::int32_t pid, const QRect& geometry);
    void checkCaretAfter(std::chrono::steady_clock::time_point pressed);
    std::vector<std::weak_ptr<AtspiObserver>> observersOf(std::int32_t pid) const;
    void deliver(const std::vector<std::weak_ptr<AtspiObserver>>& observers, std::int32_t pid,
                 const Notifications& notifications) const;
    bool covers(const AtspiObserver::Registration& registration, const AXElementRef& element,
                std::int32_t pid) const;
    QString boundsNotification(const EventRecord& record, bool window);

    std::vector<std::weak_ptr<AtspiObserver>> observers_;
    std::map<QString, QRect> lastBounds_;
    std::map<std::uint32_t, QRect> lastWindowGeometry_;
};

}  // namespace zorbel::platform::atspi
