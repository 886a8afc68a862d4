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

std::optional<QPointF> WorkspaceService::desktopPointFromCocoa(const QPointF& cocoa)
{
    const auto rect = desktopRectFromCocoa(QRectF(cocoa, QSizeF(0, 0)));
    if (!rect) return std::nullopt;
    return rect->topLeft();
}

std::optional<QPointF> WorkspaceService::cocoaPointFromDesktop(const QPointF& desktop)
{
    const auto all = screens();
    if (all.isEmpty()) return std::nullopt;
    const QPointF origin = firstScreenOrigin();
    const double top = all.first().y() + all.first().height();
    return QPointF(desktop.x() - origin.x(), top - (desktop.y() - origin.y()));
}

}  // namespace zorbel::platform
