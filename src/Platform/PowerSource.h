#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace zorbel::platform {

// One power source as the desktop describes it; a value the source does not
// report is absent.
struct PowerSourceDescription {
    QString name;
    std::optional<int> currentCapacity;  // charge in per cent
    std::optional<int> timeToEmpty;      // seconds, while discharging
    friend bool operator==(const PowerSourceDescription&, const PowerSourceDescription&) = default;
};

// The machine's batteries. Answers at once, from what the back end last
// learnt: never waits on a daemon.
class PowerSourceService {
public:
    virtual ~PowerSourceService() = default;
    // Nothing when the desktop offers no list of power sources at all; an
    // empty list when it has one and no battery is in it.
    virtual std::optional<std::vector<PowerSourceDescription>> powerSources() = 0;
};

// A scriptable power source for tests.
class SimulatedPowerSource final : public PowerSourceService {
public:
    std::optional<std::vector<PowerSourceDescription>> powerSources() override
    {
        ++readCount;
        return sources;
    }
    std::optional<std::vector<PowerSourceDescription>> sources;
    int readCount = 0;
};

}  // namespace zorbel::platform
