#include "Platform/Workspace.h"

namespace zorbel::platform {

RunningApplicationRef WorkspaceService::applicationFrom(const Notification& notification)
{
    const QVariant v = notification.userInfo.value(QString::fromLatin1(applicationKey));
    if (!v.canConvert<RunningApplicationRef>()) return nullptr;
    return v.value<RunningApplicationRef>();
}

std::optional<QRectF> WorkspaceService::desktopRectFromCocoa(const QRectF& cocoa)
{
    const auto all = screens();
    if (all.isEmpty()) return std::nullopt;
    const QPointF origin = firstScreenOrigin();
    const double top = all.first().y() + all.first().height() - (cocoa.y() + cocoa.height());
    return QRectF(origin.x() + cocoa.x(), origin.y() + top, cocoa.width(), cocoa.height());
}

}  // namespace zorbel::platform
