#pragma once

#include "Platform/Reactive/Cancellable.h"
#include "Shell/StatusBadge.h"

namespace zorbel {

// Whether the program may read other applications' accessibility data; a
// click while it may not opens the desktop's accessibility settings.
class PermissionStatusView : public StatusBadge {
    Q_OBJECT
public:
    explicit PermissionStatusView(QWidget* parent = nullptr);

protected:
    void activate() override;

private:
    void showPermission(bool granted);
    bool granted_ = false;
    rx::Cancellable subscription_;
};

}  // namespace zorbel
