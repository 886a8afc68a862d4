#include "Platform/Linux/ScreenPixels.h"

#include <QGuiApplication>
#include <QScreen>

namespace zorbel::platform {

namespace {
QRectF physicalGeometry(const ScreenScale& screen)
{
    const QRectF g(screen.geometry);
    return QRectF(g.topLeft(), g.size() * screen.ratio);
}

template <class Contains>
ScreenScale screenWhere(const QList<ScreenScale>& screens, Contains contains)
{
    for (const ScreenScale& screen : screens)
        if (contains(screen)) return screen;
    return screens.isEmpty() ? ScreenScale{} : screens.constFirst();
}

bool usableRatio(double ratio) { return ratio >= 0.25 && ratio <= 16; }
}  // namespace

QList<ScreenScale> programScreens()
{
    QList<ScreenScale> screens;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const double ratio = screen->devicePixelRatio();
        screens << ScreenScale{screen->geometry(), usableRatio(ratio) ? ratio : 1.0};
    }
    return screens;
}

QPointF programFromPixels(const QPointF& pixels, const QList<ScreenScale>& screens)
{
    return programFromPixels(QRectF(pixels, QSizeF()), screens).topLeft();
}

QPointF pixelsFromProgram(const QPointF& point, const QList<ScreenScale>& screens)
{
    const ScreenScale screen =
        screenWhere(screens, [&](const ScreenScale& s) { return QRectF(s.geometry).contains(point); });
    const QPointF origin = screen.geometry.topLeft();
    return origin + (point - origin) * screen.ratio;
}

QRectF programFromPixels(const QRectF& pixels, const QList<ScreenScale>& screens)
{
    const ScreenScale screen = screenWhere(
        screens, [&](const ScreenScale& s) { return physicalGeometry(s).contains(pixels.topLeft()); });
    const QPointF origin = screen.geometry.topLeft();
    return QRectF(origin + (pixels.topLeft() - origin) / screen.ratio, pixels.size() / screen.ratio);
}

}  // namespace zorbel::platform
