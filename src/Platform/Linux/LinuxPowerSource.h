#pragma once

#include "Platform/PowerSource.h"

#include <QString>

#include <memory>

namespace zorbel::platform {

// Batteries as UPower on the system bus reports them; the kernel's
// power-supply folder answers while UPower has not (yet) answered or is not
// running. UPower is asked asynchronously, so a read never waits: it returns
// what was last learnt and asks again for the next read.
class LinuxPowerSource final : public PowerSourceService {
public:
    LinuxPowerSource();
    ~LinuxPowerSource() override;
    LinuxPowerSource(const LinuxPowerSource&) = delete;
    LinuxPowerSource& operator=(const LinuxPowerSource&) = delete;

    std::optional<std::vector<PowerSourceDescription>> powerSources() override;

    // The batteries in a power-supply folder laid out as the kernel's
    // /sys/class/power_supply; nothing when the folder does not exist.
    static std::optional<std::vector<PowerSourceDescription>> readPowerSupplyFolder(const QString& folder);

    struct State;

private:
    void askUPower();
    std::shared_ptr<State> state_;
};

}  // namespace zorbel::platform
