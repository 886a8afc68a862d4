#pragma once

#include <QPointF>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace zorbel::platform {

enum class GlobalEventType { leftMouseDown, flagsChanged, keyDown };

// What a key press did, never which key it was: typing counts and "hide
// while typing" need no more, and nothing more is ever kept.
enum class KeyKind { character, backspace, modifier, other };

// Modifier keys held or locked when the event happened.
struct ModifierFlags {
    bool capsLock = false;
    bool shift = false;
    bool control = false;
    bool option = false;
    bool command = false;
    friend bool operator==(const ModifierFlags&, const ModifierFlags&) = default;
};

struct GlobalEvent {
    GlobalEventType type = GlobalEventType::leftMouseDown;
    // Pointer position in screen coordinates, top-left origin.
    QPointF location;
    ModifierFlags modifiers;
    KeyKind key = KeyKind::other;  // keyDown only
    double timestamp = 0;  // seconds on the scheduler's clock
};

// Keeps a monitor installed; destroying it or calling remove() removes it.
class EventMonitorToken {
public:
    EventMonitorToken() = default;
    explicit EventMonitorToken(std::function<void()> remove) : remove_(std::move(remove)) {}
    EventMonitorToken(EventMonitorToken&& other) noexcept : remove_(std::move(other.remove_)) { other.remove_ = nullptr; }
    EventMonitorToken& operator=(EventMonitorToken&& other) noexcept
    {
        if (this != &other) {
            remove();
            remove_ = std::move(other.remove_);
            other.remove_ = nullptr;
        }
        return *this;
    }
    EventMonitorToken(const EventMonitorToken&) = delete;
    EventMonitorToken& operator=(const EventMonitorToken&) = delete;
    ~EventMonitorToken() { remove(); }

    void remove()
    {
        auto r = std::move(remove_);
        remove_ = nullptr;
        if (r) r();
    }
    bool isActive() const { return static_cast<bool>(remove_); }

private:
    std::function<void()> remove_;
};

// The installed monitors of one service, shared by its implementations.
// Tokens stay safe to use after the registry is gone.
class GlobalMonitorRegistry {
public:
    // Called after a monitor was added or removed.
    explicit GlobalMonitorRegistry(std::function<void()> changed = {});
    EventMonitorToken add(GlobalEventType type, std::function<void(const GlobalEvent&)> handler);
    // Hands the event, stamped with the scheduler's time, to each monitor of
    // its type in the order they were added.
    void deliver(const GlobalEvent& event) const;
    int count(GlobalEventType type) const;

private:
    struct Entry {
        GlobalEventType type;
        std::function<void(const GlobalEvent&)> handler;
        bool active = true;
    };
    struct State {
        std::vector<std::shared_ptr<Entry>> entries;
        std::function<void()> changed;
    };
    std::shared_ptr<State> state_;
};

// Global monitors: events of the given type that happen in other
// applications, delivered on the main loop. Events in this program's own
// windows are not reported.
class EventMonitorService {
public:
    virtual ~EventMonitorService() = default;
    [[nodiscard]] virtual EventMonitorToken addGlobalMonitor(GlobalEventType type,
                                                             std::function<void(const GlobalEvent&)> handler) = 0;
};

}  // namespace zorbel::platform
