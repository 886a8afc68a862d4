#pragma once

#include "Platform/Linux/Fcitx5InputSources.h"
#include "Platform/Linux/IbusInputSources.h"

namespace zorbel::platform {

class X11Keyboard;

// The input sources of whatever runs: Fcitx 5 when its controller answers,
// else IBus, else the XKB layout groups. A daemon that starts, quits or
// restarts is followed as it happens; while the session is set up for a
// daemon that does not answer, the layouts stand in and the listing says it
// may lack sources.
class LinuxInputSources final : public InputSourceService {
public:
    explicit LinuxInputSources(X11Keyboard& keyboard);

    InputSourceListing enabledSources() override;
    std::optional<InputSourceProperties> currentKeyboardSource() override;
    rx::Cancellable observeSelectionChanges(std::function<void()> handler) override;

    // Which input-method daemon the environment names ("fcitx", "ibus"), if any.
    static QString configuredDaemon();

private:
    InputSourceService& active();
    void watch();
    void followKeys();

    X11Keyboard& keyboard_;
    Fcitx5InputSources fcitx_;
    IbusInputSources ibus_;
    ObserverList<> observers_;
    rx::CancellableSet backEnds_;
    rx::Cancellable keyReleases_;
};

}  // namespace zorbel::platform
