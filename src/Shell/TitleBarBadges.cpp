#include "Shell/TitleBarBadges.h"

#include "Shell/AutoStartupStatusView.h"
#include "Shell/PermissionStatusView.h"

namespace zorbel {

std::vector<QWidget*> makeTitleBarBadges() { return {new PermissionStatusView, new AutoStartupStatusView}; }

}  // namespace zorbel
