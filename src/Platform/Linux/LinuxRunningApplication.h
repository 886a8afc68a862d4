#pragma once

#include "Platform/Workspace.h"

namespace zorbel::platform {

// A process with windows or an accessibility presence. Its identity is the
// process id together with the process's start time, so a reused id is a
// different application.
class LinuxRunningApplication final : public RunningApplication {
public:
    struct Facts {
        QString bundleIdentifier;
        QString localizedName;
        bool hasWindows = false;
    };
    LinuxRunningApplication(std::int32_t pid, std::uint64_t startTime, const Facts& facts);

    std::int32_t processIdentifier() const override { return pid_; }
    std::optional<QString> bundleIdentifier() const override;
    std::optional<QString> localizedName() const override;
    ActivationPolicy activationPolicy() const override;
    bool isTerminated() const override;

    std::uint64_t startTime() const { return startTime_; }
    void update(const Facts& facts);

    // The process's start time (clock ticks since boot), none when it has gone.
    static std::optional<std::uint64_t> processStartTime(std::int32_t pid);
    // The executable's file name.
    static QString executableName(std::int32_t pid);

private:
    std::int32_t pid_;
    std::uint64_t startTime_;
    Facts facts_;
};

}  // namespace zorbel::platform
