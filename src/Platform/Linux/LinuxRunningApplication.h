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
    ~LinuxRunningApplication() override;
    LinuxRunningApplication(const LinuxRunningApplication&) = delete;
    LinuxRunningApplication& operator=(const LinuxRunningApplication&) = delete;

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
    // The process itself, not its id: readable once it has ended, so asking
    // whether it has is one system call (every caret lookup asks). -1 where
    // the kernel gives none; then /proc is read.
    int pidfd_ = -1;
    bool gone_ = false;  // already ended, or its id is another process's, when made
};

}  // namespace zorbel::platform
