#include "Caret/UI/ShapeDrawing.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zorbel::drawing {

using Shape = PerfectCaretStyle::Shape;

QPainterPath shapePath(const QPointF& c, const PerfectCaretStyle& s)
{
    QPainterPath path;
    switch (s.shape) {
    case Shape::rectangle:
    case Shape::line:
        path.addRect(QRectF(c.x() - s.width / 2, c.y() - s.height / 2, s.width, s.height));
        break;
    case Shape::circle: {
        const double d = std::min(s.width, s.height);
        path.addEllipse(QRectF(c.x() - d / 2, c.y() - d / 2, d, d));
        break;
    }
    case Shape::triangle: {
        const double q = std::min(s.width, s.height) * 0.5;
        path.moveTo(c.x(), c.y() - q);
        path.lineTo(c.x() - q, c.y() + q);
        path.lineTo(c.x() + q, c.y() + q);
        path.closeSubpath();
        path.setFillRule(Qt::WindingFill);
        break;
    }
    }
    return path;
}

void drawShape(QPainter& p, const QPointF& centre, const PerfectCaretStyle& s)
{
    const QPainterPath path = shapePath(centre, s);
    p.fillPath(path, s.color);
    if (s.shape == Shape::line || s.borderWidth <= 0) return;
    QPen pen(s.borderColor, s.borderWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    p.strokePath(path, pen);
}

void drawGlow(QPainter& p, const QPointF& centre, double r, const PerfectCaretStyle& s)
{
    static constexpr double reach[] = {0.8, 0.6, 0.4, 0.2};
    static constexpr double alpha[] = {0.3, 0.5, 0.7, 0.9};
    p.setPen(Qt::NoPen);
    const double base = p.opacity();
    for (int i = 0; i < 4; ++i) {
        const double radius = r + s.shadowRadius * reach[i];
        p.setOpacity(base * s.shadowOpacity * alpha[i]);
        p.setBrush(s.shadowColor);
        p.drawEllipse(centre, radius, radius);
    }
    p.setOpacity(base);
}

namespace {

// Three box-blur passes approximate a Gaussian of the given radius.
void blurAlpha(QImage& img, int radius)
{
    if (radius <= 0) return;
    const int w = img.width(), h = img.height();
    std::vector<int> line(static_cast<size_t>(std::max(w, h)));
    auto pass = [&](bool horizontal) {
        const int outer = horizontal ? h : w, inner = horizontal ? w : h;
        for (int o = 0; o < outer; ++o) {
            auto at = [&](int i) -> uchar& {
                const int x = horizontal ? i : o, y = horizontal ? o : i;
                return img.scanLine(y)[x * 4 + 3];
            };
            for (int i = 0; i < inner; ++i) line[static_cast<size_t>(i)] = at(i);
            int sum = 0;
            for (int i = -radius; i <= radius; ++i) sum += (i >= 0 && i < inner) ? line[static_cast<size_t>(i)] : 0;
            for (int i = 0; i < inner; ++i) {
                at(i) = static_cast<uchar>(sum / (2 * radius + 1));
                const int add = i + radius + 1, drop = i - radius;
                sum += (add < inner ? line[static_cast<size_t>(add)] : 0) - (drop >= 0 ? line[static_cast<size_t>(drop)] : 0);
            }
        }
    };
    for (int k = 0; k < 3; ++k) {
        pass(true);
        pass(false);
    }
}

}  // namespace

void tintAndBlur(QImage& img, const QColor& color, int radius)
{
    const QRgb tint = color.rgb();
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            row[x] = qRgba(qRed(tint), qGreen(tint), qBlue(tint), qAlpha(row[x]) * color.alpha() / 255);
    }
    blurAlpha(img, radius);
}

void drawDropShadow(QPainter& p, const QRectF& bounds, const PerfectCaretStyle& s)
{
    const int blur = static_cast<int>(std::ceil(s.shadowRadius / 2.0));
    const QSize size(static_cast<int>(std::ceil(bounds.width())), static_cast<int>(std::ceil(bounds.height())));
    if (size.isEmpty()) return;
    // Silhouette in the shape's own colours, so a clear fill casts only its border.
    QImage img(size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    {
        QPainter ip(&img);
        ip.setRenderHint(QPainter::Antialiasing);
        drawShape(ip, QPointF(size.width() / 2.0, size.height() / 2.0), s);
    }
    img = img.convertToFormat(QImage::Format_ARGB32);
    tintAndBlur(img, s.shadowColor, blur);
    const double base = p.opacity();
    p.setOpacity(base * s.shadowOpacity);
    // The offset's height points up, as the rest of the system's geometry does.
    const QPointF offset(s.shadowOffset.width(), -s.shadowOffset.height());
    p.drawImage(bounds.topLeft() + offset, img);
    p.setOpacity(base);
}

}  // namespace zorbel::drawing
