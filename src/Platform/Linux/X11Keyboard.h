#pragma once

#include "Platform/InputSources.h"

#include <memory>

class QSocketNotifier;
class QTimer;
struct _XDisplay;

namespace zorbel::platform {

// The flags of the XKB state's effective and locked modifiers.
ModifierFlags modifierFlagsFromXkb(unsigned int mods, unsigned int locked);

// The X keyboard through XKB: its layout groups as input sources (the
// server's rules names and the rules description file), the selected group,
// and the modifier state with Caps Lock. Events are asked of the server only
// while someone observes them, so an idle program gets no wake-ups.
class X11Keyboard final : public InputSourceService, public KeyboardStateService {
public:
    X11Keyboard();
    ~X11Keyboard() override;
    X11Keyboard(const X11Keyboard&) = delete;
    X11Keyboard& operator=(const X11Keyboard&) = delete;

    InputSourceListing enabledSources() override;
    std::optional<InputSourceProperties> currentKeyboardSource() override;
    rx::Cancellable observeSelectionChanges(std::function<void()> handler) override;
    ModifierFlags currentModifierFlags() override;
    rx::Cancellable observeModifierChanges(std::function<void(const ModifierFlags&)> handler) override;

    // Any key released anywhere (XInput 2 raw events), for daemons that do not
    // announce what their switch keys did.
    rx::Cancellable observeKeyReleases(std::function<void()> handler);

    bool isConnected() const { return display_ != nullptr; }
    // The group in force, or -1 without a server.
    int currentGroup() const;

    // A group that changes and changes back within this time (key tools flip
    // the group around each synthetic key) is no switch.
    static constexpr int settleMilliseconds = 5;

private:
    std::vector<InputSourceProperties> sources() const;
    // Keeps the observation, selecting the events it needs until it ends.
    rx::Cancellable selecting(rx::Cancellable token);
    void updateSelections();
    void drain();
    // Handles, on the next turn of the loop, events a reply brought in with it.
    void drainQueuedEvents() const;
    void groupMayHaveChanged();
    QString currentSourceId();

    _XDisplay* display_ = nullptr;
    int xkbEventBase_ = -1;
    int xiOpcode_ = -1;
    bool keysSelected_ = false;
    unsigned long selected_ = 0;
    ModifierFlags lastFlags_;
    QString lastSourceId_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* settle_ = nullptr;
    ObserverList<> selectionObservers_;
    ObserverList<const ModifierFlags&> modifierObservers_;
    ObserverList<> keyObservers_;
    std::shared_ptr<X11Keyboard*> self_ = std::make_shared<X11Keyboard*>(this);
};

}  // namespace zorbel::platform
