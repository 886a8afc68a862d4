#pragma once

#include <QList>
#include <QPointF>
#include <QRect>
#include <QRectF>

namespace zorbel::platform {

// The X screen counts physical pixels; the program counts Qt's
// device-independent pixels, fewer of them when it runs scaled
// (QT_SCALE_FACTOR=2 makes a screen of 1280 pixels 640 wide). Qt keeps each
// screen's top-left corner where it is and scales what lies on the screen.
struct ScreenScale {
    QRect geometry;     // in the program's coordinates
    double ratio = 1;   // physical pixels per program pixel
};

// The program's screens; empty without a GUI.
QList<ScreenScale> programScreens();

// A point or box on the X screen in the program's coordinates, and back.
// A point off every screen takes the first screen's scale.
QPointF programFromPixels(const QPointF& pixels, const QList<ScreenScale>& screens);
QPointF pixelsFromProgram(const QPointF& point, const QList<ScreenScale>& screens);
QRectF programFromPixels(const QRectF& pixels, const QList<ScreenScale>& screens);

}  // namespace zorbel::platform
