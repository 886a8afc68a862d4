#pragma once

#include "Platform/EventMonitor.h"
#include "Platform/Reactive/Cancellable.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zorbel::platform {

// What the input-method system says about one input source. A property the
// back end does not know stays empty; readers above apply their own fallbacks.
struct InputSourceProperties {
    static constexpr const char* keyboardCategory = "keyboard";

    QString id;                       // stable key, e.g. "xkb:us::eng", "pinyin"
    std::optional<QString> localizedName;
    QStringList languages;            // BCP 47 codes, most fitting first
    std::optional<QString> category;  // keyboardCategory for sources that type
    std::optional<bool> selectCapable;
    QString iconName;                 // a freedesktop icon-theme name
    QString iconPath;                 // an image file
    QString shortLabel;               // what a panel shows in its tray ("us", "拼")

    bool operator==(const InputSourceProperties&) const = default;
};

struct InputSourceListing {
    std::vector<InputSourceProperties> sources;
    // False when sources the user has may be missing: the listing failed, or
    // the input-method daemon the session is set up for does not answer and
    // the keyboard layouts stand in for it.
    bool complete = true;
};

// The enabled input sources and the one selected for typing. Every call asks
// afresh; nothing is cached above this layer.
class InputSourceService {
public:
    virtual ~InputSourceService() = default;
    virtual InputSourceListing enabledSources() = 0;
    // None when no input-method system answers at all.
    virtual std::optional<InputSourceProperties> currentKeyboardSource() = 0;
    // Called on the main loop once per change of the selected source.
    [[nodiscard]] virtual rx::Cancellable observeSelectionChanges(std::function<void()> handler) = 0;
};

// The keyboard's lock and modifier state.
class KeyboardStateService {
public:
    virtual ~KeyboardStateService() = default;
    virtual ModifierFlags currentModifierFlags() = 0;
    // Called on the main loop when held or locked modifiers change.
    [[nodiscard]] virtual rx::Cancellable observeModifierChanges(std::function<void(const ModifierFlags&)> handler) = 0;
};

// The modifier flags as one number, with the bits other desktops use
// (Caps Lock 0x10000, Shift 0x20000, Control 0x40000, Option 0x80000,
// Command 0x100000), and a readable list of them.
std::uint64_t modifierFlagsRawValue(const ModifierFlags& flags);
QString describeModifierFlags(const ModifierFlags& flags);

// Observers of one kind of change, shared by the back ends. Handles stay safe
// after the list is gone; a handler removed during a call is not called again.
template <class... Args>
class ObserverList {
public:
    rx::Cancellable add(std::function<void(Args...)> handler)
    {
        auto entry = std::make_shared<Entry>(Entry{std::move(handler)});
        entries_->push_back(entry);
        std::weak_ptr<std::vector<std::shared_ptr<Entry>>> weak = entries_;
        return rx::Cancellable([weak, entry]() {
            entry->active = false;
            if (auto list = weak.lock()) std::erase(*list, entry);
        });
    }
    void notify(Args... args) const
    {
        const auto snapshot = *entries_;
        for (const auto& e : snapshot)
            if (e->active) e->handler(args...);
    }
    bool empty() const { return entries_->empty(); }

private:
    struct Entry {
        std::function<void(Args...)> handler;
        bool active = true;
    };
    std::shared_ptr<std::vector<std::shared_ptr<Entry>>> entries_ =
        std::make_shared<std::vector<std::shared_ptr<Entry>>>();
};

}  // namespace zorbel::platform
