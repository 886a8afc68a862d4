#include "Platform/Workspace.h"

namespace zorbel::platform {

RunningApplicationRef WorkspaceService::applicationFrom(const Notification& notification)
{
    const QVariant v = notification.userInfo.value(QString::fromLatin1(applicationKey));
    if (!v.canConvert<RunningApplicationRef>()) return nullptr;
    return v.value<RunningApplicationRef>();
}

}  // namespace zorbel::platform
