#include "Settings/Widgets/PageSymbols.h"

#include "Settings/Widgets/SymbolIcon.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>
#include <map>

namespace zorbel::ui {

namespace {

using Draw = std::function<void(QPainter&, double s, const QColor&)>;



// An open circular arrow, turning clockwise or not.
Draw circularArrow(bool clockwise)
{
    return [clockwise](QPainter& p, double s, const QColor& c) {
        p.setPen(strokePen(c, s * 0.1));
        p.setBrush(Qt::NoBrush);
        const QRectF r(s * 0.18, s * 0.18, s * 0.64, s * 0.64);
        p.drawArc(r, (clockwise ? 60 : 120) * 16, (clockwise ? -300 : 300) * 16);
        const double x = clockwise ? s * 0.66 : s * 0.34;
        QPainterPath head;
        head.moveTo(x, s * 0.04);
        head.lineTo(clockwise ? x + s * 0.2 : x - s * 0.2, s * 0.2);
        head.lineTo(x, s * 0.34);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawPath(head);
    };
}

// The ring the outlined circle symbols draw inside.
void circleOutline(QPainter& p, double s, const QColor& c)
{
    p.setPen(strokePen(c, s * 0.08));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.88));
}

void keyboardOutline(QPainter& p, double s, const QColor& c, double top)
{
    p.setPen(strokePen(c, s * 0.06));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(s * 0.06, top, s * 0.88, s * 0.46), s * 0.08, s * 0.08);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    for (int col = 0; col < 5; ++col) p.drawRect(QRectF(s * (0.17 + col * 0.14), top + s * 0.1, s * 0.07, s * 0.07));
    p.drawRect(QRectF(s * 0.3, top + s * 0.28, s * 0.4, s * 0.06));
}

void star(QPainter& p, double s, const QColor& c)
{
    QPainterPath path;
    const QPointF centre(s / 2, s * 0.53);
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2 ? 0.2 : 0.47) * s, a = (-90 + i * 36) * M_PI / 180;
        const QPointF pt = centre + QPointF(r * std::cos(a), r * std::sin(a));
        i ? path.lineTo(pt) : path.moveTo(pt);
    }
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path);
}

void text(QPainter& p, const QRectF& r, const QString& t, double size, const QColor& c, bool bold = true)
{
    QFont f = p.font();
    f.setPixelSize(std::max(1, static_cast<int>(size)));
    f.setBold(bold);
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, Qt::AlignCenter, t);
}

// A rounded frame split into cells.
Draw split(int columns, int rows)
{
    return [columns, rows](QPainter& p, double s, const QColor& c) {
        const QRectF r(s * 0.08, s * 0.18, s * 0.84, s * 0.64);
        p.setPen(strokePen(c, s * 0.07));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r, s * 0.08, s * 0.08);
        for (int i = 1; i < columns; ++i) {
            const double x = r.left() + r.width() * i / columns;
            p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
        }
        for (int i = 1; i < rows; ++i) {
            const double y = r.top() + r.height() * i / rows;
            p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
        }
    };
}

const std::map<QString, Draw>& table()
{
    static const std::map<QString, Draw> symbols{
        {QStringLiteral("arrow.clockwise"), circularArrow(true)},
        {QStringLiteral("arrow.counterclockwise"), circularArrow(false)},
        {QStringLiteral("xmark.circle.fill"),
         [](QPainter& p, double s, const QColor& c) {
             discWithCutout(p, s, c, [s](QPainter& q) {
                 q.setPen(strokePen(Qt::black, s * 0.1));
                 q.drawLine(QPointF(s * 0.34, s * 0.34), QPointF(s * 0.66, s * 0.66));
                 q.drawLine(QPointF(s * 0.66, s * 0.34), QPointF(s * 0.34, s * 0.66));
             });
         }},
        {QStringLiteral("info.circle.fill"),
         [](QPainter& p, double s, const QColor& c) {
             discWithCutout(p, s, c, [s](QPainter& q) {
                 q.setPen(strokePen(Qt::black, s * 0.12));
                 q.drawLine(QPointF(s * 0.5, s * 0.46), QPointF(s * 0.5, s * 0.74));
                 q.drawPoint(QPointF(s * 0.5, s * 0.28));
             });
         }},
        {QStringLiteral("minus.circle.fill"),
         [](QPainter& p, double s, const QColor& c) {
             discWithCutout(p, s, c, [s](QPainter& q) {
                 q.setPen(strokePen(Qt::black, s * 0.12));
                 q.drawLine(QPointF(s * 0.3, s * 0.5), QPointF(s * 0.7, s * 0.5));
             });
         }},
        {QStringLiteral("plus.circle"),
         [](QPainter& p, double s, const QColor& c) {
             circleOutline(p, s, c);
             p.drawLine(QPointF(s * 0.3, s * 0.5), QPointF(s * 0.7, s * 0.5));
             p.drawLine(QPointF(s * 0.5, s * 0.3), QPointF(s * 0.5, s * 0.7));
         }},
        {QStringLiteral("line.3.horizontal"),
         [](QPainter& p, double s, const QColor& c) {
             p.setPen(strokePen(c, s * 0.1));
             for (double y : {0.25, 0.5, 0.75}) p.drawLine(QPointF(s * 0.12, s * y), QPointF(s * 0.88, s * y));
         }},
        {QStringLiteral("clock"),
         [](QPainter& p, double s, const QColor& c) {
             circleOutline(p, s, c);
             p.drawLine(QPointF(s * 0.5, s * 0.5), QPointF(s * 0.5, s * 0.24));
             p.drawLine(QPointF(s * 0.5, s * 0.5), QPointF(s * 0.7, s * 0.6));
         }},
        {QStringLiteral("battery.100"),
         [](QPainter& p, double s, const QColor& c) {
             p.setPen(strokePen(c, s * 0.07));
             p.setBrush(Qt::NoBrush);
             p.drawRoundedRect(QRectF(s * 0.04, s * 0.28, s * 0.8, s * 0.44), s * 0.1, s * 0.1);
             p.setPen(Qt::NoPen);
             p.setBrush(c);
             p.drawRoundedRect(QRectF(s * 0.12, s * 0.36, s * 0.64, s * 0.28), s * 0.05, s * 0.05);
             p.drawRoundedRect(QRectF(s * 0.87, s * 0.41, s * 0.08, s * 0.18), s * 0.03, s * 0.03);
         }},
        {QStringLiteral("star"), star},
        {QStringLiteral("keyboard.badge.ellipsis"),
         [](QPainter& p, double s, const QColor& c) {
             keyboardOutline(p, s, c, s * 0.1);
             p.setPen(Qt::NoPen);
             p.setBrush(c);
             for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(s * (0.32 + i * 0.18), s * 0.8), s * 0.06, s * 0.06);
         }},
        {QStringLiteral("textformat.size"),
         [](QPainter& p, double s, const QColor& c) {
             text(p, QRectF(0, s * 0.1, s * 0.62, s * 0.85), QStringLiteral("A"), s * 0.8, c);
             text(p, QRectF(s * 0.5, s * 0.35, s * 0.5, s * 0.6), QStringLiteral("A"), s * 0.5, c);
         }},
        {QStringLiteral("textformat.abc"),
         [](QPainter& p, double s, const QColor& c) { text(p, QRectF(0, 0, s, s), QStringLiteral("abc"), s * 0.48, c); }},
        {QStringLiteral("rectangle.split.2x1"), split(2, 1)},
        {QStringLiteral("rectangle.split.1x2"), split(1, 2)},
        {QStringLiteral("grid"), split(3, 3)},
    };
    return symbols;
}

}  // namespace

bool drawPageSymbol(QPainter& p, const QString& name, double s, const QColor& color)
{
    const auto& symbols = table();
    const auto it = symbols.find(name);
    if (it == symbols.end()) return false;
    it->second(p, s, color);
    return true;
}

}  // namespace zorbel::ui
