#include "Features/InputMethodStyle/Views/SimpleStylePreview.h"

#include "Caret/Styles/StylePreset.h"

#include <QPainter>
#include <QRadialGradient>

namespace zorbel {

SimpleStylePreview::SimpleStylePreview(const QString& colorHex, bool showCapsLockGlow, QWidget* parent)
    : QWidget(parent), colorHex_(colorHex), glow_(showCapsLockGlow)
{
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SimpleStylePreview::setColorHex(const QString& colorHex)
{
    colorHex_ = colorHex;
    update();
}

QSize SimpleStylePreview::sizeHint() const { return glow_ ? QSize(45, 45) : QSize(30, 30); }

QColor SimpleStylePreview::color(const QString& colorHex)
{
    const BrindotColor c = colorFromHex(colorHex, 1.0);
    return QColor::fromRgbF(static_cast<float>(c.red), static_cast<float>(c.green), static_cast<float>(c.blue));
}

QColor SimpleStylePreview::outline(const QString& colorHex)
{
    return colorHex == QLatin1String("#FFFFFF") ? QColor(Qt::black) : QColor(Qt::white);
}

void SimpleStylePreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    if (glow_) {
        // A soft green halo: the 45-point disc blurred by 7.5 points.
        QRadialGradient halo(centre, 22.5 + 7.5);
        halo.setColorAt(0.0, QColor(52, 199, 89, 153));
        halo.setColorAt(0.55, QColor(52, 199, 89, 140));
        halo.setColorAt(1.0, QColor(52, 199, 89, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(centre, 22.5, 22.5);
    }
    const QRectF disc(centre.x() - 14, centre.y() - 14, 28, 28);
    p.setBrush(color(colorHex_));
    p.setPen(QPen(outline(colorHex_), 2));
    p.drawEllipse(disc);
}

}  // namespace zorbel
