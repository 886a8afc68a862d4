#include "Settings/Themes/LiquidGlass/LiquidGlassLayers.h"

#include "Settings/Themes/LiquidGlass/GlassMotion.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zorbel {

using namespace glass;

namespace {
constexpr double kRimRadius = 16;

QImage blankImage(const QSize& size, qreal dpr)
{
    QImage image((QSizeF(size) * dpr).toSize(), QImage::Format_RGBA64_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    return image;
}
}  // namespace

GlassStackSurface::GlassStackSurface(Periods periods, const GlassTint& tint, QWidget* parent)
    : GlassSurface(parent), periods_(periods), tint_(tint)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    settle_.setSingleShot(true);
    settle_.setInterval(250);
    connect(&settle_, &QTimer::timeout, this, [this] { update(); });
}

void GlassStackSurface::resizeEvent(QResizeEvent* event)
{
    GlassSurface::resizeEvent(event);
    if (!current_.base.isNull()) settle_.start();
}

GlassStackSurface::Phases GlassStackSurface::phasesAt(double t) const
{
    Phases p;
    p.veil = loopPhase(t, periods_.veil);
    p.caustics = loopPhase(std::floor(t / causticStep) * causticStep, periods_.caustics);
    p.tint = loopPhase(t, periods_.tint);
    p.borderRefraction = loopPhase(t, 8.0);
    p.borderDroplets = loopPhase(t, 12.0);
    p.rimRefraction = loopPhase(t, 8.0);
    p.rimDroplets = loopPhase(t, 15.0);
    return p;
}

void GlassStackSurface::ensureStill()
{
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    if (still_.size() == pixels) return;
    const QRectF r = rect();
    still_ = blankImage(size(), dpr);
    QPainter p(&still_);
    p.setRenderHint(QPainter::Antialiasing);
    paintFrostedBase(p, r);
    paintEdgeHighlight(p, r);
    paintStillBorderLines(p, r, tint_);
    paintInnerShade(p, r);
    paintRimHighlights(p, r, kRimRadius);
    current_ = {};
    next_ = {};
}

QSize GlassStackSurface::driftSize() const
{
    return (size() + QSize(driftScale - 1, driftScale - 1)) / driftScale;
}

int GlassStackSurface::bandCount() const
{
    const qreal dpr = devicePixelRatioF();
    return int(pieces(QRect(QPoint(0, 0), driftSize()), 1.0).size() + pieces(rect(), dpr).size());
}

void GlassStackSurface::drawBands(Composition& c, double driftTime, int bands)
{
    const QRectF r = rect();
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    if (c.at != driftTime || c.base.size() != pixels) {
        // The buffers are kept and overwritten: Qt hands fills and
        // conversions of pictures this large to worker threads, and waking
        // them ten times over costs more than the work itself.
        if (c.base.size() != pixels) {
            c.drift = blankImage(driftSize(), 1.0);
            c.base = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
            c.base.setDevicePixelRatio(dpr);
        }
        c.at = driftTime;
        c.done = 0;
    }
    const auto driftBands = pieces(c.drift.rect(), 1.0);
    const auto baseBands = pieces(rect(), dpr);
    const int total = int(driftBands.size() + baseBands.size());
    const int until = std::min(total, c.done + bands);
    if (c.done >= until) return;
    const Phases ph = phasesAt(driftTime);
    while (c.done < until && c.done < int(driftBands.size())) {
        // The veil and tint are soft enough to draw at a quarter size and enlarge.
        const QRect& band = driftBands[size_t(c.done++)];
        QPainter p(&c.drift);
        p.setRenderHint(QPainter::Antialiasing);
        p.setClipRect(band);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(band, Qt::transparent);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.scale(1.0 / driftScale, 1.0 / driftScale);
        paintWaterVeil(p, r, ph.veil, tint_);
        paintHolographicTint(p, r, ph.tint);
    }
    if (c.done >= until) return;
    // Composed straight into the 8-bit picture the frames draw from: the
    // faint layers keep their 16-bit precision until this one rounding.
    QPainter p(&c.base);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    while (c.done < until) {
        const QRect& band = baseBands[size_t(c.done++ - int(driftBands.size()))];
        p.setClipRect(band);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        if (paintsBackdrop()) {
            fillOpaqueBackdrop(p, r);
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
        p.drawImage(QRectF(band), still_, QRectF(QPointF(band.topLeft()) * dpr, QSizeF(band.size()) * dpr));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.drawImage(QRectF(0, 0, c.drift.width() * driftScale, c.drift.height() * driftScale), c.drift);
    }
}

void GlassStackSurface::refreshBase(double driftTime)
{
    ensureStill();
    // The picture shown is the current one, or the step prepared ahead
    // while it is being revealed; only a first paint, a new size or a jump
    // of more than a step draws in one go.
    const bool fresh = !current_.base.isNull() && current_.done == bandCount() &&
                       (current_.at == driftTime || current_.at + driftStep == driftTime);
    if (fresh) return;
    ++drawnAtPaint_;
    drawBands(current_, driftTime, bandCount());
    previous_ = {};
    revealedTo_ = height();
}

QRegion GlassStackSurface::advance(double now)
{
    // Nothing to prepare for before the first paint at this size.
    if (still_.isNull() || still_.size() != (QSizeF(size()) * devicePixelRatioF()).toSize()) return {};
    const double step = std::floor(now / driftStep) * driftStep;
    const int total = bandCount();
    QRegion dirty;
    // The step prepared ahead has begun: it replaces the old picture a band
    // at a time, so that no frame repaints the whole window.
    if (revealedTo_ >= height() && next_.at == step && current_.at != step) {
        drawBands(next_, step, total);
        std::swap(previous_, current_);
        std::swap(current_, next_);
        revealedTo_ = 0;
    }
    if (revealedTo_ < height()) {
        const int from = revealedTo_;
        revealedTo_ = std::min(height(), revealedTo_ + (height() + revealFrames - 1) / revealFrames);
        dirty = QRect(0, from, width(), revealedTo_ - from);
        if (revealedTo_ < height()) return dirty;
        next_ = std::move(previous_);
        previous_ = {};
    }
    drawBands(next_, step + driftStep, (total + preparationFrames - 1) / preparationFrames);
    return dirty;
}

void GlassStackSurface::showEvent(QShowEvent* event)
{
    // Over its opaque pane the stack hides all below it: nothing under it
    // needs painting again at every frame.
    setAttribute(Qt::WA_OpaquePaintEvent, paintsBackdrop());
    GlassSurface::showEvent(event);
}

void GlassStackSurface::paintEvent(QPaintEvent* event)
{
    const double t = frameTime();
    const bool resizing = settle_.isActive() && !current_.base.isNull();
    if (!resizing) refreshBase(std::floor(t / driftStep) * driftStep);
    QPainter p(this);
    const QRectF r = rect();
    const Phases ph = phasesAt(t);
    const QImage& base = current_.base;
    const qreal dpr = base.devicePixelRatio();
    if (resizing && base.size() != (QSizeF(size()) * dpr).toSize()) {
        for (const QRect& piece : pieces(event->region(), dpr)) {
            p.setClipRect(piece);
            p.drawImage(r, base);
        }
        return;
    }
    // Piece by piece: see drawPieces. Each moving detail is drawn only into
    // the pieces it reaches. Below the band revealed so far the last step's
    // picture still shows.
    for (const QRect& piece : pieces(event->region(), dpr)) {
        p.setClipRect(piece);
        p.setRenderHint(QPainter::Antialiasing, false);
        const QRect fresh = piece & QRect(0, 0, width(), revealedTo_);
        const QRect old = piece & QRect(0, revealedTo_, width(), height());
        for (const auto& [part, picture] : {std::pair(fresh, &base), std::pair(old, static_cast<const QImage*>(&previous_.base))})
            if (!part.isEmpty() && !picture->isNull())
                p.drawImage(QRectF(part), *picture, QRectF(QPointF(part.topLeft()) * dpr, QSizeF(part.size()) * dpr));
        p.setRenderHint(QPainter::Antialiasing);
        paintCaustics(p, r, ph.caustics);
        paintContourGlow(p, r, ph.borderRefraction);
        paintWindowDroplets(p, r, ph.borderDroplets, tint_);
        paintRimMotion(p, r, kRimRadius, ph.rimRefraction, ph.rimDroplets, tint_);
    }
}

QRegion GlassStackSurface::detailRegion(double t) const
{
    const QRectF r = rect();
    const Phases ph = phasesAt(t);
    QRegion region;
    const auto add = [&region](const QRectF& area) { region += area.toAlignedRect(); };
    for (int k = 0; k < 8; ++k) add(windowDropletBounds(r, ph.borderDroplets, k));
    for (int k = 0; k < 4; ++k) add(controlDropletBounds(r, ph.rimDroplets, k));
    for (double phase : {ph.borderRefraction, ph.rimRefraction})
        if (const auto strip = contourGlow(phase, r.size())) add(strip->rect);
    return region;
}

QRegion GlassStackSurface::movedRegion(double before, double now) const
{
    QRegion region = detailRegion(before) + detailRegion(now) +
                     changedOrbs(rect(), kRimRadius, phasesAt(before).rimRefraction, phasesAt(now).rimRefraction);
    // The caustics are the largest moving parts and drift a point or two a
    // frame: they move in steps of a few frames, unseen in shapes this soft.
    const double was = phasesAt(before).caustics, is = phasesAt(now).caustics;
    if (was != is)
        for (int i = 0; i < 2; ++i)
            region += causticBounds(rect(), was, i).toAlignedRect() | causticBounds(rect(), is, i).toAlignedRect();
    return region;
}

WhiteBackgroundLiquidGlassEffect::WhiteBackgroundLiquidGlassEffect(const GlassTint& tint, QWidget* parent)
    : GlassStackSurface({25.0, 18.0, 30.0}, tint, parent)
{
}

WhiteBackgroundLiquidGlassBackground::WhiteBackgroundLiquidGlassBackground(const GlassTint& tint, QWidget* parent)
    : GlassStackSurface({30.0, 30.0, 30.0}, tint, parent)
{
}

bool WhiteBackgroundLiquidGlassBackground::paintsBackdrop() const
{
    return !window()->testAttribute(Qt::WA_TranslucentBackground);
}

WhiteBackgroundFrostedGlassBase::WhiteBackgroundFrostedGlassBase(double opacity, QWidget* parent)
    : QWidget(parent), opacity_(opacity)
{
}

void WhiteBackgroundFrostedGlassBase::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setOpacity(opacity_);
    paintFrostedBase(p, rect());
}

}  // namespace zorbel
