#include "Caret/UI/PerfectCaretView.h"

#include "Caret/Core/Logger.h"
#include "Caret/UI/ShapeDrawing.h"
#include "Platform/Console.h"
#include "Platform/Services.h"
#include "Platform/TextForm.h"

#include <QBitmap>
#include <QImage>
#include <QPainter>

#include <algorithm>

namespace zorbel {

PerfectCaretView::PerfectCaretView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAutoFillBackground(false);
}

PerfectCaretView::~PerfectCaretView()
{
    *self_ = nullptr;
    invalidateFlashTimer();
}

double PerfectCaretView::margin(const PerfectCaretStyle& s)
{
    return s.borderWidth * 0.5 + (s.shadowEnabled ? s.shadowRadius * 1.8 : 0.0) + 2.0;
}

void PerfectCaretView::updateStyle(const PerfectCaretStyle& style)
{
    style_ = style;
    update();
    startFlash();
    debugPrint(QStringLiteral("[PerfectCaretView] Style updated: shape=") + rawValue(style.shape) +
               QStringLiteral(", size=") + text::number(style.width) + QLatin1Char('x') + text::number(style.height));
}

void PerfectCaretView::invalidateFlashTimer()
{
    if (flashTimer_) flashTimer_->cancel();
    flashTimer_.reset();
}

void PerfectCaretView::startFlash()
{
    invalidateFlashTimer();
    if (!enableBlinking_) {
        // Without blinking a flash changes nothing on screen: no repaint (the
        // indicator flashes after every move, so typing would redraw it, shadow
        // and all, for every key).
        if (isFlashEffect_) {
            isFlashEffect_ = false;
            update();
        }
        return;
    }
    isFlashEffect_ = true;
    flashCount_ = 0;
    flashTimer_ = platform::scheduler().every(0.1, [self = self_]() {
        if (*self) (*self)->flashTick();
    });
}

void PerfectCaretView::flashTick()
{
    ++flashCount_;
    update();
    if (flashCount_ >= maxFlashCount) {
        isFlashEffect_ = false;
        invalidateFlashTimer();
        update();
    }
}

void PerfectCaretView::stopFlash()
{
    invalidateFlashTimer();
    isFlashEffect_ = false;
    update();
}

double PerfectCaretView::currentOpacity() const
{
    if (!isFlashEffect_) return 1.0;
    return flashCount_ % 2 == 1 ? 0.3 : 1.0;
}

void PerfectCaretView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    draw(painter, QRectF(rect()));
}

QRegion PerfectCaretView::opaqueRegion(const QSize& size) const
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawShadow(painter, QRectF(image.rect()));
    painter.end();
    // Without a compositor a kept pixel shows its colour scaled by its alpha over black, so
    // the half-clear rim of a glow would show as a dotted grey ring: keep only pixels
    // opaque enough to look like themselves.
    constexpr int kOpaqueEnough = 224;
    QImage mask(size, QImage::Format_MonoLSB);
    mask.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mask.fill(0);
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(row[x]) >= kOpaqueEnough) mask.setPixel(x, y, 1);
        }
    }
    return QRegion(QBitmap::fromImage(mask));
}

void PerfectCaretView::draw(QPainter& painter, const QRectF& bounds) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(currentOpacity());
    drawShadow(painter, bounds);
    painter.restore();
}

void PerfectCaretView::drawShadow(QPainter& painter, const QRectF& bounds) const
{
    if (style_.shadowEnabled) {
        painter.save();
        // Shadow and glow keep their own opacity; a flash dims only the shape.
        painter.setOpacity(1.0);
        if (style_.shape == PerfectCaretStyle::Shape::circle) {
            drawing::drawGlow(painter, bounds.center(), std::min(style_.width, style_.height) * 0.5, style_);
        } else {
            // The shadow is cast by the shape in its own colours.
            drawing::drawDropShadow(painter, bounds, style_);
        }
        painter.restore();
    }
    drawShape(painter, bounds);
}

void PerfectCaretView::drawShape(QPainter& painter, const QRectF& bounds) const
{
    drawing::drawShape(painter, bounds.center(), style_);
}

}  // namespace zorbel
