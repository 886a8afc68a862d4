#pragma once

#include "Platform/StatusItem.h"

namespace zorbel::platform {

// The tray through Qt's tray icon: a StatusNotifierItem with its menu over
// D-Bus where a tray host runs, an XEmbed icon where only an old-style tray
// runs. Alerts are Qt message boxes; quitting ends Qt's main loop.
class QtShellService final : public ShellService {
public:
    std::unique_ptr<StatusItem> makeStatusItem(double length, ActionHandler onAction) override;
    bool isStatusAreaAvailable() const override;
    int runModal(const Alert& alert) override;
    void terminate() override;
};

}  // namespace zorbel::platform
