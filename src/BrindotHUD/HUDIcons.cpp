#include "BrindotHUD/HUDIcons.h"

#include "BrindotHUD/HUDTexts.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>
#include <optional>

namespace zorbel::hud {

namespace {

constexpr double kScale = 2.0;
const QString kNameKey = QStringLiteral("name");
const QString kTemplateKey = QStringLiteral("template");

QImage blank(double width, double height, const QString& name)
{
    QImage image(static_cast<int>(width * kScale), static_cast<int>(height * kScale), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(kScale);
    image.fill(Qt::transparent);
    image.setText(kNameKey, name);
    return image;
}

// A painter in points whose y axis grows upwards.
void flipUp(QPainter& p, double height)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(0, height);
    p.scale(1, -1);
}

void drawKeyboard(QPainter& p, const QColor& c, const QRectF& body)
{
    p.setPen(QPen(c, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body, 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    const double key = 1.8, gap = (body.width() - 4) / 5;
    for (int row = 0; row < 2; ++row)
        for (int i = 0; i < 5; ++i)
            p.drawRect(QRectF(body.left() + 2.2 + i * gap, body.top() + 2.2 + row * 2.8, key, key));
    p.drawRect(QRectF(body.left() + 2 + gap, body.bottom() - 3.4, body.width() - 4 - 2 * gap, 1.6));
}

void drawStar(QPainter& p, const QColor& c)
{
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 ? 3.6 : 8.2;
        const double a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const QPointF pt(9 + r * std::cos(a), 9.6 + r * std::sin(a));
        i ? star.lineTo(pt) : star.moveTo(pt);
    }
    star.closeSubpath();
    p.setPen(QPen(c, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(star);
}

void drawSymbol(QPainter& p, const QString& name, const QColor& c)
{
    if (name == QLatin1String("keyboard")) {
        drawKeyboard(p, c, QRectF(1, 4.5, 16, 10));
    } else if (name == QLatin1String("keyboard.badge.ellipsis")) {
        drawKeyboard(p, c, QRectF(1, 6.5, 12.5, 9));
        p.setBrush(c);
        for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(10 + i * 3, 3), 1.1, 1.1);
    } else if (name == QLatin1String("star")) {
        drawStar(p, c);
    }
}

}  // namespace

QString imageName(const QImage& image) { return image.text(kNameKey); }
bool isTemplateImage(const QImage& image) { return image.text(kTemplateKey) == QLatin1String("1"); }
void setTemplateImage(QImage& image, bool isTemplate) { image.setText(kTemplateKey, isTemplate ? QStringLiteral("1") : QString()); }
QSizeF pointSize(const QImage& image) { return image.deviceIndependentSize(); }

std::optional<QImage> symbolImage(const QString& name, const QColor& color)
{
    if (name == QLatin1String("clock")) {
        QImage image = clockImage(10, 10, color);
        image.setText(kNameKey, name);
        setTemplateImage(image, true);
        return image;
    }
    if (name == QLatin1String("battery.100")) {
        QImage image = batteryImage(100, color);
        image.setText(kNameKey, name);
        setTemplateImage(image, true);
        return image;
    }
    static const QStringList drawn{QStringLiteral("keyboard"), QStringLiteral("keyboard.badge.ellipsis"),
                                   QStringLiteral("star")};
    if (!drawn.contains(name)) return std::nullopt;
    QImage image = blank(18, 18, name);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        drawSymbol(p, name, color);
    }
    setTemplateImage(image, true);
    return image;
}

QImage clockImage(int hour, int minute, const QColor& label)
{
    // Every show asks for the face of the current minute: it is drawn once a minute.
    struct Face {
        int hour, minute;
        QRgb label;
        QImage image;
    };
    static std::optional<Face> last;
    if (last && last->hour == hour && last->minute == minute && last->label == label.rgba()) return last->image;
    QImage image = blank(20, 20, {});
    QPainter p(&image);
    flipUp(p, 20);
    p.setPen(QPen(label, 1.0));
    p.drawEllipse(QRectF(2, 2, 16, 16));
    p.setPen(Qt::NoPen);
    p.setBrush(label);
    p.drawEllipse(QRectF(9.5, 9.5, 1, 1));
    p.setPen(QPen(label, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(hourHand(hour, minute));
    p.setPen(QPen(label, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(minuteHand(minute));
    p.end();
    last = Face{hour, minute, label.rgba(), image};
    return image;
}

QImage batteryImage(std::optional<int> level, const QColor& label)
{
    QImage image = blank(12, 20, {});
    QPainter p(&image);
    flipUp(p, 20);
    p.setPen(QPen(label, 1.0));
    p.drawRoundedRect(QRectF(1.5, 1.0, 7.0, 16.0), 1.0, 1.0);
    p.setPen(Qt::NoPen);
    p.setBrush(label);
    p.drawRoundedRect(QRectF(3.5, 17.0, 3.0, 1.5), 0.5, 0.5);
    if (!level) return image;
    const double h = batteryChargeHeight(*level);
    if (h <= 0) return image;
    const QColor fill = *level <= 20 ? QColor(0xFF, 0x3B, 0x30) : *level <= 50 ? QColor(0xFF, 0x95, 0x00) : QColor(0x34, 0xC7, 0x59);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(2.5, 2.0, 5.0, h), 0.5, 0.5);
    return image;
}

}  // namespace zorbel::hud
