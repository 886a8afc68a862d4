#pragma once

#include "Platform/Reactive/Cancellable.h"
#include "Platform/Scheduler.h"
#include "Shell/StatusBadge.h"

namespace zorbel {

// "开机自启动": whether the user has arranged for the program to start at
// login. It checks again every 2 s while shown and whenever a window of the
// program becomes active; a click while it is off opens the guide.
class AutoStartupStatusView : public StatusBadge {
    Q_OBJECT
public:
    explicit AutoStartupStatusView(QWidget* parent = nullptr);
    ~AutoStartupStatusView() override;

protected:
    void activate() override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    void showEnabled(bool enabled);
    bool enabled_ = false;
    rx::Cancellable subscription_;
    platform::TimerRef recheck_;
};

}  // namespace zorbel
