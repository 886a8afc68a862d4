#include "Shell/StatusIcon.h"

#include "Caret/Styles/SystemColors.h"

#include <QPainter>
#include <QPainterPath>

namespace zorbel {

namespace {

constexpr double side = 22;  // points
constexpr double scale = 2;  // pixels per point

QImage blankImage()
{
    QImage image(QSize(int(side * scale), int(side * scale)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    return image;
}

QPainterPath arrowPath()
{
    QPainterPath arrow;
    arrow.moveTo(5, 3);
    arrow.lineTo(5, 17);
    arrow.lineTo(8.6, 13.6);
    arrow.lineTo(11.2, 19.2);
    arrow.lineTo(13.6, 18.1);
    arrow.lineTo(11, 12.6);
    arrow.lineTo(16, 12.4);
    arrow.closeSubpath();
    return arrow;
}

}  // namespace

QImage statusSymbolImage()
{
    QImage image = blankImage();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The click mark: three short rays above and left of the tip.
    painter.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(4.6, 0.8), QPointF(4.6, 0.9));
    painter.drawLine(QPointF(1.2, 1.6), QPointF(2.4, 2.8));
    painter.drawLine(QPointF(0.8, 5.2), QPointF(2.4, 5.2));
    painter.drawLine(QPointF(8.8, 1.6), QPointF(7.6, 2.8));
    painter.setPen(QPen(QColor(0xFF, 0xFF, 0xFF, 0xE0), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(0x20, 0x20, 0x20));
    painter.drawPath(arrowPath());
    return image;
}

QImage makeBadgedStatusImage(const QImage& symbol)
{
    QImage image = blankImage();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawImage(QRectF(0, 0, side, side), symbol);
    // x 14, y 14, 8 x 8 counted from the bottom left: the top right corner.
    painter.setPen(QPen(systemColors::white(), 1.0));
    painter.setBrush(systemColors::red());
    painter.drawEllipse(QRectF(14, side - 14 - 8, 8, 8));
    return image;
}

}  // namespace zorbel
