#pragma once

#include "Platform/Workspace.h"

namespace zorbel::platform {

class SimulatedDesktop;

// The workspace interface served from a SimulatedDesktop.
class SimulatedWorkspace final : public WorkspaceService {
public:
    explicit SimulatedWorkspace(SimulatedDesktop& desktop) : desktop_(desktop) {}

    QList<RunningApplicationRef> runningApplications() override;
    RunningApplicationRef applicationForProcessIdentifier(std::int32_t pid) override;
    RunningApplicationRef frontmostApplication() override;
    QList<QRectF> screens() override;
    bool hasCompositingManager() override;
    bool offersBlurBehind() override;
    void requestBlurBehind(std::uint64_t window) override;
    bool isObscured(std::uint64_t window) override;
    std::optional<QPointF> mouseLocation() override;
    bool openURL(const QString& url) override;
    void openURLThen(const QString& url, std::function<void(bool taken)> answered) override;

private:
    SimulatedDesktop& desktop_;
};

}  // namespace zorbel::platform
