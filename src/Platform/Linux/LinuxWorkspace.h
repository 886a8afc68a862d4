#pragma once

#include "Platform/Linux/LinuxRunningApplication.h"
#include "Platform/Workspace.h"

#include <QObject>

#include <map>
#include <memory>

namespace zorbel::platform {

// The workspace on an X11 desktop: applications are the processes with
// client windows or on the accessibility desktop; the frontmost one is the
// window manager's active window, or, without a window manager, the last
// application that activated a window or took the focus (AT-SPI events).
class LinuxWorkspace final : public QObject, public WorkspaceService {
    Q_OBJECT
public:
    LinuxWorkspace();

    QList<RunningApplicationRef> runningApplications() override;
    RunningApplicationRef applicationForProcessIdentifier(std::int32_t pid) override;
    RunningApplicationRef frontmostApplication() override;
    QList<QRectF> screens() override;
    QPointF firstScreenOrigin() override;
    bool hasCompositingManager() override;
    bool offersBlurBehind() override;
    void requestBlurBehind(std::uint64_t window) override;
    bool isObscured(std::uint64_t window) override;
    void keepWindowInFront(std::uint64_t window) override;
    void ignorePropertyChanges(std::uint64_t window) override;
    std::optional<QPointF> mouseLocation() override;
    bool openURL(const QString& url) override;
    void openURLThen(const QString& url, std::function<void(bool taken)> answered) override;

private:
    using Facts = LinuxRunningApplication::Facts;
    std::map<std::int32_t, Facts> scan();
    RunningApplicationRef remember(std::int32_t pid, const Facts& facts);
    void frontmostMayHaveChanged();
    // Posts did-terminate for the applications of the process that have ended.
    void mayHaveTerminated(std::int32_t pid);
    void post(const char* notification, const RunningApplicationRef& app);

    // One object per process while it runs; in order of discovery.
    std::vector<std::shared_ptr<LinuxRunningApplication>> apps_;
    std::int32_t frontmostPid_ = 0;
};

// Screen frames in Cocoa coordinates (origin at the bottom left of the first
// screen, y up), from top-left screen geometries whose first is the first screen.
QList<QRectF> cocoaScreenFrames(const QList<QRect>& geometries);

}  // namespace zorbel::platform
