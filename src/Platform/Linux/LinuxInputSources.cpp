#include "Platform/Linux/LinuxInputSources.h"

#include "Platform/Linux/X11Keyboard.h"

namespace zorbel::platform {

LinuxInputSources::LinuxInputSources(X11Keyboard& keyboard) : keyboard_(keyboard) {}

QString LinuxInputSources::configuredDaemon()
{
    const QString modifiers = qEnvironmentVariable("XMODIFIERS");
    for (const char* daemon : {"fcitx", "ibus"}) {
        const QString name = QString::fromLatin1(daemon);
        if (modifiers.contains(QStringLiteral("@im=") + name) || qEnvironmentVariable("GTK_IM_MODULE").startsWith(name) ||
            qEnvironmentVariable("QT_IM_MODULE").startsWith(name))
            return name;
    }
    return {};
}

InputSourceService& LinuxInputSources::active()
{
    if (fcitx_.isAvailable()) return fcitx_;
    if (ibus_.isAvailable()) return ibus_;
    return keyboard_;
}

InputSourceListing LinuxInputSources::enabledSources()
{
    InputSourceService& source = active();
    InputSourceListing listing = source.enabledSources();
    if (&source == &keyboard_ && !configuredDaemon().isEmpty()) listing.complete = false;
    return listing;
}

std::optional<InputSourceProperties> LinuxInputSources::currentKeyboardSource()
{
    return active().currentKeyboardSource();
}

rx::Cancellable LinuxInputSources::observeSelectionChanges(std::function<void()> handler)
{
    if (observers_.empty()) watch();
    return observers_.add(std::move(handler));
}

void LinuxInputSources::watch()
{
    // A back end's change counts only while it is the one in use.
    auto from = [this](InputSourceService* backEnd) {
        return [this, backEnd]() {
            if (&active() == backEnd) observers_.notify();
        };
    };
    backEnds_.push_back(keyboard_.observeSelectionChanges(from(&keyboard_)));
    backEnds_.push_back(fcitx_.observeSelectionChanges(from(&fcitx_)));
    backEnds_.push_back(ibus_.observeSelectionChanges(from(&ibus_)));
    auto availability = [this]() {
        followKeys();
        observers_.notify();
    };
    backEnds_.push_back(fcitx_.observeAvailability(availability));
    backEnds_.push_back(ibus_.observeAvailability(availability));
    followKeys();
}

void LinuxInputSources::followKeys()
{
    // Without its tray item Fcitx does not announce a switch of its input method; the
    // switch keys do. The keys stay selected while Fcitx runs, with or without its item:
    // with the selection dropped while a tray was there and made again when it went, the
    // releases that followed were not seen (a restart of Fcitx, which drops and makes it
    // too, showed no such loss).
    if (!fcitx_.isAvailable()) {
        keyReleases_.cancel();
        return;
    }
    if (keyReleases_.isCancelled()) keyReleases_ = keyboard_.observeKeyReleases([this]() {
            if (!fcitx_.announcesSwitches()) fcitx_.recheck();
        });
}

}  // namespace zorbel::platform
