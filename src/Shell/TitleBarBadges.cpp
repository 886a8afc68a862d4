#include "Shell/TitleBarBadges.h"

#include "Shell/PermissionStatusView.h"

namespace zorbel {

std::vector<QWidget*> makeTitleBarBadges() { return {new PermissionStatusView}; }

}  // namespace zorbel
