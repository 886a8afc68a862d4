#include "Settings/Widgets/SymbolIcon.h"

#include "Settings/Widgets/PageSymbols.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>
#include <map>

namespace zorbel::ui {

QPen strokePen(const QColor& c, double width)
{
    QPen pen(c, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void discWithCutout(QPainter& p, double s, const QColor& c, const std::function<void(QPainter&)>& cut)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QRectF(0.5, 0.5, s - 1, s - 1));
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    cut(p);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

namespace {

using Draw = std::function<void(QPainter&, double s, const QColor&)>;

// An arrow pointing along `angle` (degrees, 0 = right, 90 = up), centred in s.
QPainterPath arrowPath(double s, double angle, double length)
{
    QPainterPath path;
    const double r = length / 2, rad = angle * M_PI / 180.0;
    const QPointF c(s / 2, s / 2), dir(std::cos(rad), -std::sin(rad));
    const QPointF tip = c + dir * r, tail = c - dir * r;
    const QPointF side(-dir.y(), dir.x());
    path.moveTo(tail);
    path.lineTo(tip);
    path.moveTo(tip - dir * (r * 0.8) + side * (r * 0.8));
    path.lineTo(tip);
    path.lineTo(tip - dir * (r * 0.8) - side * (r * 0.8));
    return path;
}


Draw circleArrow(double angle)
{
    return [angle](QPainter& p, double s, const QColor& c) {
        discWithCutout(p, s, c, [&](QPainter& q) {
            q.setBrush(Qt::NoBrush);
            q.setPen(strokePen(Qt::black, s * 0.11));
            q.drawPath(arrowPath(s, angle, s * 0.5));
        });
    };
}

QPainterPath shieldPath(double s)
{
    QPainterPath path;
    path.moveTo(s * 0.5, s * 0.06);
    path.cubicTo(s * 0.66, s * 0.16, s * 0.8, s * 0.18, s * 0.9, s * 0.18);
    path.cubicTo(s * 0.9, s * 0.6, s * 0.75, s * 0.82, s * 0.5, s * 0.96);
    path.cubicTo(s * 0.25, s * 0.82, s * 0.1, s * 0.6, s * 0.1, s * 0.18);
    path.cubicTo(s * 0.2, s * 0.18, s * 0.34, s * 0.16, s * 0.5, s * 0.06);
    return path;
}

QPainterPath checkPath(double s, double cx, double cy, double k)
{
    QPainterPath path;
    path.moveTo(cx - s * 0.2 * k, cy);
    path.lineTo(cx - s * 0.05 * k, cy + s * 0.15 * k);
    path.lineTo(cx + s * 0.22 * k, cy - s * 0.15 * k);
    return path;
}

void exclamation(QPainter& p, double s, double cx, double top, double bottom)
{
    p.setPen(strokePen(Qt::black, s * 0.12));
    p.drawLine(QPointF(cx, top), QPointF(cx, bottom - s * 0.2));
    p.drawPoint(QPointF(cx, bottom - s * 0.02));
}

QPainterPath bubblePath(double s)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(s * 0.08, s * 0.12, s * 0.84, s * 0.6), s * 0.2, s * 0.2);
    QPainterPath tail;
    tail.moveTo(s * 0.22, s * 0.66);
    tail.lineTo(s * 0.16, s * 0.92);
    tail.lineTo(s * 0.45, s * 0.7);
    return path.united(tail);
}

void gear(QPainter& p, double s, const QColor& c)
{
    QPainterPath teeth;
    const QPointF centre(s / 2, s / 2);
    for (int i = 0; i < 8; ++i) {
        QTransform t;
        t.translate(centre.x(), centre.y());
        t.rotate(i * 45.0);
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-s * 0.09, -s * 0.47, s * 0.18, s * 0.22), s * 0.04, s * 0.04);
        teeth.addPath(t.map(tooth));
    }
    QPainterPath ring;
    ring.addEllipse(centre, s * 0.34, s * 0.34);
    QPainterPath hole;
    hole.addEllipse(centre, s * 0.14, s * 0.14);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(ring.united(teeth).subtracted(hole));
}

void paintbrush(QPainter& p, double s, const QColor& c)
{
    p.save();
    p.translate(s / 2, s / 2);
    p.rotate(45);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(-s * 0.08, -s * 0.48, s * 0.16, s * 0.5), s * 0.06, s * 0.06);
    QPainterPath bristles;
    bristles.moveTo(-s * 0.14, s * 0.06);
    bristles.lineTo(s * 0.14, s * 0.06);
    bristles.quadTo(s * 0.16, s * 0.4, 0, s * 0.48);
    bristles.quadTo(-s * 0.16, s * 0.4, -s * 0.14, s * 0.06);
    p.drawPath(bristles);
    p.restore();
}

void keyboard(QPainter& p, double s, const QColor& c)
{
    p.setPen(strokePen(c, s * 0.08));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(s * 0.06, s * 0.22, s * 0.88, s * 0.56), s * 0.1, s * 0.1);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 5; ++col)
            p.drawRect(QRectF(s * (0.17 + col * 0.14), s * (0.33 + row * 0.13), s * 0.08, s * 0.08));
    p.drawRect(QRectF(s * 0.3, s * 0.6, s * 0.4, s * 0.07));
}

void sparkles(QPainter& p, double s, const QColor& c)
{
    auto star = [&](QPointF centre, double r) {
        QPainterPath path;
        path.moveTo(centre + QPointF(0, -r));
        path.quadTo(centre, centre + QPointF(r, 0));
        path.quadTo(centre, centre + QPointF(0, r));
        path.quadTo(centre, centre + QPointF(-r, 0));
        path.quadTo(centre, centre + QPointF(0, -r));
        p.drawPath(path);
    };
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    star(QPointF(s * 0.42, s * 0.56), s * 0.38);
    star(QPointF(s * 0.8, s * 0.2), s * 0.17);
    star(QPointF(s * 0.82, s * 0.8), s * 0.12);
}

void cursorClick(QPainter& p, double s, const QColor& c)
{
    QPainterPath arrow;
    arrow.moveTo(s * 0.38, s * 0.3);
    arrow.lineTo(s * 0.38, s * 0.95);
    arrow.lineTo(s * 0.53, s * 0.8);
    arrow.lineTo(s * 0.65, s * 0.98);
    arrow.lineTo(s * 0.74, s * 0.93);
    arrow.lineTo(s * 0.63, s * 0.76);
    arrow.lineTo(s * 0.85, s * 0.74);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(arrow);
    p.setPen(strokePen(c, s * 0.07));
    p.drawLine(QPointF(s * 0.38, s * 0.04), QPointF(s * 0.38, s * 0.16));
    p.drawLine(QPointF(s * 0.1, s * 0.3), QPointF(s * 0.22, s * 0.3));
    p.drawLine(QPointF(s * 0.16, s * 0.1), QPointF(s * 0.25, s * 0.18));
    p.drawLine(QPointF(s * 0.6, s * 0.1), QPointF(s * 0.51, s * 0.18));
}

void clockwiseCircle(QPainter& p, double s, const QColor& c)
{
    discWithCutout(p, s, c, [&](QPainter& q) {
        q.setBrush(Qt::NoBrush);
        q.setPen(strokePen(Qt::black, s * 0.1));
        const QRectF r(s * 0.27, s * 0.27, s * 0.46, s * 0.46);
        q.drawArc(r, 100 * 16, -300 * 16);
        QPainterPath head;
        head.moveTo(s * 0.5, s * 0.16);
        head.lineTo(s * 0.62, s * 0.27);
        head.lineTo(s * 0.5, s * 0.38);
        q.setBrush(Qt::black);
        q.setPen(Qt::NoPen);
        q.drawPath(head);
    });
}

const std::map<QString, Draw>& symbols()
{
    static const std::map<QString, Draw> table{
        {QStringLiteral("gear"), gear},
        {QStringLiteral("paintbrush"), paintbrush},
        {QStringLiteral("keyboard"), keyboard},
        {QStringLiteral("bubble.left"),
         [](QPainter& p, double s, const QColor& c) {
             p.setPen(strokePen(c, s * 0.08));
             p.setBrush(Qt::NoBrush);
             p.drawPath(bubblePath(s).simplified());
         }},
        {QStringLiteral("exclamationmark.bubble"),
         [](QPainter& p, double s, const QColor& c) {
             p.setPen(strokePen(c, s * 0.08));
             p.setBrush(Qt::NoBrush);
             p.drawPath(bubblePath(s).simplified());
             QPen pen = strokePen(c, s * 0.1);
             p.setPen(pen);
             p.drawLine(QPointF(s * 0.5, s * 0.25), QPointF(s * 0.5, s * 0.46));
             p.drawPoint(QPointF(s * 0.5, s * 0.58));
         }},
        {QStringLiteral("sparkles"), sparkles},
        {QStringLiteral("cursorarrow.click"), cursorClick},
        {QStringLiteral("arrow.clockwise.circle.fill"), clockwiseCircle},
        {QStringLiteral("arrow.up.left.circle.fill"), circleArrow(135)},
        {QStringLiteral("arrow.up.circle.fill"), circleArrow(90)},
        {QStringLiteral("arrow.up.right.circle.fill"), circleArrow(45)},
        {QStringLiteral("arrow.left.circle.fill"), circleArrow(180)},
        {QStringLiteral("arrow.right.circle.fill"), circleArrow(0)},
        {QStringLiteral("arrow.down.left.circle.fill"), circleArrow(225)},
        {QStringLiteral("arrow.down.circle.fill"), circleArrow(270)},
        {QStringLiteral("arrow.down.right.circle.fill"), circleArrow(315)},
        {QStringLiteral("circle.fill"),
         [](QPainter& p, double s, const QColor& c) {
             p.setPen(Qt::NoPen);
             p.setBrush(c);
             p.drawEllipse(QRectF(s * 0.1, s * 0.1, s * 0.8, s * 0.8));
         }},
        {QStringLiteral("checkmark.shield.fill"),
         [](QPainter& p, double s, const QColor& c) {
             p.setPen(Qt::NoPen);
             p.setBrush(c);
             p.drawPath(shieldPath(s));
             p.setCompositionMode(QPainter::CompositionMode_Clear);
             p.setBrush(Qt::NoBrush);
             p.setPen(strokePen(Qt::black, s * 0.11));
             p.drawPath(checkPath(s, s * 0.5, s * 0.5, 1.0));
         }},
        {QStringLiteral("exclamationmark.shield.fill"),
         [](QPainter& p, double s, const QColor& c) {
             p.setPen(Qt::NoPen);
             p.setBrush(c);
             p.drawPath(shieldPath(s));
             p.setCompositionMode(QPainter::CompositionMode_Clear);
             exclamation(p, s, s * 0.5, s * 0.28, s * 0.78);
         }},
        {QStringLiteral("checkmark.circle.fill"),
         [](QPainter& p, double s, const QColor& c) {
             discWithCutout(p, s, c, [&](QPainter& q) {
                 q.setBrush(Qt::NoBrush);
                 q.setPen(strokePen(Qt::black, s * 0.11));
                 q.drawPath(checkPath(s, s * 0.5, s * 0.5, 1.0));
             });
         }},
        {QStringLiteral("exclamationmark.circle.fill"),
         [](QPainter& p, double s, const QColor& c) {
             discWithCutout(p, s, c, [&](QPainter& q) { exclamation(q, s, s * 0.5, s * 0.24, s * 0.78); });
         }},
        {QStringLiteral("checkmark.square.fill"),
         [](QPainter& p, double s, const QColor& c) {
             p.setPen(Qt::NoPen);
             p.setBrush(c);
             p.drawRoundedRect(QRectF(s * 0.08, s * 0.08, s * 0.84, s * 0.84), s * 0.2, s * 0.2);
             p.setCompositionMode(QPainter::CompositionMode_Clear);
             p.setBrush(Qt::NoBrush);
             p.setPen(strokePen(Qt::black, s * 0.12));
             p.drawPath(checkPath(s, s * 0.5, s * 0.5, 1.1));
         }},
        {QStringLiteral("square"),
         [](QPainter& p, double s, const QColor& c) {
             p.setPen(strokePen(c, s * 0.08));
             p.setBrush(Qt::NoBrush);
             p.drawRoundedRect(QRectF(s * 0.12, s * 0.12, s * 0.76, s * 0.76), s * 0.18, s * 0.18);
         }},
    };
    return table;
}

}  // namespace

QPixmap symbolPixmap(const QString& name, int pixelSize, const QColor& color, qreal devicePixelRatio)
{
    const int side = static_cast<int>(std::ceil(pixelSize * devicePixelRatio));
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = pixelSize;
    const auto& table = symbols();
    if (auto it = table.find(name); it != table.end()) {
        it->second(p, s, color);
    } else if (!drawPageSymbol(p, name, s, color)) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QRectF(s * 0.3, s * 0.3, s * 0.4, s * 0.4));
    }
    return pixmap;
}

}  // namespace zorbel::ui
