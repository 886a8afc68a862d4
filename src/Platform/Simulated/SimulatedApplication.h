#pragma once

#include "Platform/Simulated/SimulatedElement.h"
#include "Platform/Workspace.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace zorbel::platform {

struct ApplicationInfo {
    std::int32_t pid = 0;
    std::optional<QString> bundleIdentifier;
    std::optional<QString> localizedName;
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
};

// The running-application object of one simulated process.
class SimulatedRunningApplication final : public RunningApplication {
public:
    explicit SimulatedRunningApplication(ApplicationInfo info) : info_(std::move(info)) {}
    std::int32_t processIdentifier() const override { return info_.pid; }
    std::optional<QString> bundleIdentifier() const override { return info_.bundleIdentifier; }
    std::optional<QString> localizedName() const override { return info_.localizedName; }
    ActivationPolicy activationPolicy() const override { return info_.activationPolicy; }
    bool isTerminated() const override { return terminated_; }
    void terminate() { terminated_ = true; }

private:
    ApplicationInfo info_;
    bool terminated_ = false;
};

// One simulated process: its running-application object and its tree of
// accessibility elements, rooted at the application element.
class SimulatedApplication {
public:
    SimulatedApplication(SimulatedDesktop& desktop, const ApplicationInfo& info);
    SimulatedApplication(const SimulatedApplication&) = delete;
    SimulatedApplication& operator=(const SimulatedApplication&) = delete;

    std::int32_t pid() const { return running_->processIdentifier(); }
    RunningApplicationRef running() const { return running_; }
    SimulatedElement& element() { return *element_; }
    const SimulatedElement& element() const { return *element_; }
    SimulatedElement& addWindow(const QString& title, const QRectF& frame);
    std::vector<SimulatedElement*> windows() const;

    // The element with keyboard focus inside this application (see
    // SimulatedDesktop::focus).
    SimulatedElement* focusedElement() const { return focused_; }
    void setFocusedElement(SimulatedElement* element) { focused_ = element; }

    // A quit application's elements answer InvalidUIElement; a hung one's
    // CannotComplete until it answers again.
    void quit();
    bool isQuit() const { return running_->isTerminated(); }
    void hang(bool hung = true) { hung_ = hung; }
    bool isHung() const { return hung_; }

    // Whether its text elements answer "AXSelectedTextMarkerRange" and
    // "AXBoundsForTextMarkerRange" (off by default).
    void setTextMarkers(bool on) { textMarkers_ = on; }
    bool hasTextMarkers() const { return textMarkers_; }

private:
    SimulatedDesktop& desktop_;
    std::shared_ptr<SimulatedRunningApplication> running_;
    std::unique_ptr<SimulatedElement> element_;
    SimulatedElement* focused_ = nullptr;
    bool hung_ = false;
    bool textMarkers_ = false;
};

}  // namespace zorbel::platform
