#include "Settings/Themes/Shared/WindowFrame.h"

#include "Caret/Styles/PerfectCaretStyle.h"

#include <QBoxLayout>
#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace zorbel {

WindowChrome windowChrome(UIStyle theme)
{
    const UIStyleConfig config = UIStyleConfig::config(theme);
    switch (theme) {
    case UIStyle::system: return {true, platformColor(config.backgroundColor)};
    case UIStyle::frostedGlass: return {false, QColor::fromRgbF(0.98f, 0.98f, 0.98f, 0.4f)};
    case UIStyle::liquidGlass: return {false, platformColor(config.backgroundColor)};
    }
    return {};
}

void paintWindowChrome(QPainter& p, const QRectF& rect, const WindowChrome& chrome, const QWidget& window)
{
    p.save();
    if (window.testAttribute(Qt::WA_TranslucentBackground)) {
        // The compositor blurs the desktop behind; the chrome replaces
        // whatever lay here.
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(rect, chrome.backgroundColor);
    } else {
        if (!chrome.opaque) glass::fillOpaqueBackdrop(p, QRectF(window.rect()));
        p.fillRect(rect, chrome.backgroundColor);
    }
    p.restore();
}

WindowFrameLook windowFrameLook(UIStyle theme)
{
    const UIStyleConfig config = UIStyleConfig::config(theme);
    WindowFrameLook look;
    look.theme = theme;
    const QColor shadow = glass::faded(platformColor(config.shadowColor), config.shadowOpacity);
    switch (theme) {
    case UIStyle::system:
        look.cornerRadius = 8;
        look.outlineColor = platformColor(config.borderColor);
        look.outlineWidth = config.borderWidth;
        break;
    case UIStyle::frostedGlass:
        look.cornerRadius = 12;
        look.outlineColor = platformColor(config.borderColor);
        look.outlineWidth = config.borderWidth;
        look.shadows = {{shadow, config.shadowRadius, {0, 10}}};
        break;
    case UIStyle::liquidGlass:
        // No outline of its own: the animated border lies over it. A near
        // shadow and a wider, fainter one below it.
        look.cornerRadius = 16;
        look.shadows = {{shadow, config.shadowRadius, {0, 12}},
                        {glass::faded(shadow, 0.5), 2 * config.shadowRadius, {0, 20}}};
        break;
    }
    return look;
}

QMargins WindowFrameLook::margins() const
{
    if (shadows.empty()) return {};
    const Shadow& s = shadows.front();
    const int side = int(std::ceil(s.radius / 2));
    return QMargins(side, side, side, int(std::ceil(s.radius / 2 + s.offset.y())));
}

namespace {
// The parts of the frame's four corner squares outside its rounded edge.
QPainterPath cornersOutside(const QRectF& frame, double cornerRadius)
{
    const double c = cornerRadius + 1;
    QPainterPath squares;
    for (const QPointF& corner : {frame.topLeft(), frame.topRight() - QPointF(c, 0), frame.bottomLeft() - QPointF(0, c),
                                  frame.bottomRight() - QPointF(c, c)})
        squares.addRect(QRectF(corner, QSizeF(c, c)));
    return squares.subtracted(glass::roundedRect(frame, cornerRadius));
}
}  // namespace

void FrameShadow::draw(QPainter& p, const QRectF& frame, const WindowFrameLook& look, bool cornersOnly)
{
    if (look.shadows.empty()) return;
    // Shadows this soft are drawn at a quarter of the size and enlarged:
    // a window-sized ring drawn thirty times over would cost a resize step.
    constexpr double scale = 4;
    QRectF area = frame;
    for (const auto& s : look.shadows) area |= frame.adjusted(-s.radius, -s.radius, s.radius, s.radius).translated(s.offset);
    area = area.toAlignedRect();
    if (frame != frame_ || image_.isNull()) {
        frame_ = frame;
        image_ = QImage((area.size() / scale).toSize() + QSize(1, 1), QImage::Format_ARGB32_Premultiplied);
        image_.fill(Qt::transparent);
        QPainter sp(&image_);
        sp.setRenderHint(QPainter::Antialiasing);
        sp.scale(1 / scale, 1 / scale);
        sp.translate(-area.topLeft());
        for (auto it = look.shadows.rbegin(); it != look.shadows.rend(); ++it)
            glass::paintShadowRings(sp, frame, look.cornerRadius, it->radius, it->offset, it->color);
    }
    const QRectF target(area.topLeft(), QSizeF(image_.size()) * scale);
    // Only round the frame: plain rectangles clip cheaply, and the four
    // corners outside its rounded edge take a small path each.
    const QRegion around = QRegion(area.toRect()) - QRegion(frame.toAlignedRect());
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!cornersOnly)
        for (const QRect& r : around) {
            p.setClipRect(r);
            p.drawImage(target, image_);
        }
    p.setClipPath(cornersOutside(frame, look.cornerRadius));
    p.drawImage(target, image_);
    p.restore();
}

WindowFrameOverlay::WindowFrameOverlay(WindowFrameLook look, QWidget* host) : QWidget(host), look_(std::move(look))
{
    setObjectName(QStringLiteral("WindowFrameOverlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    host->installEventFilter(this);
    setGeometry(host->rect());
    raise();
}

QRectF WindowFrameOverlay::frameRect() const { return QRectF(rect()).marginsRemoved(look_.margins()); }

bool WindowFrameOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent()) {
        if (event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
        // Children added later would lie over the corners.
        if (event->type() == QEvent::ChildAdded || event->type() == QEvent::Show) raise();
    }
    return QWidget::eventFilter(watched, event);
}

void WindowFrameOverlay::paintEvent(QPaintEvent* event)
{
    const QRectF frame = frameRect();
    const int r = int(std::ceil(look_.cornerRadius)) + 1;
    const int band = int(std::ceil(look_.outlineWidth)) + 1;
    const QRect f = frame.toAlignedRect();
    // Most repaints below it miss its corners and its edge: nothing to do.
    const QRegion edge = QRegion(f) - QRegion(f.adjusted(std::max(r, band), std::max(r, band), -std::max(r, band),
                                                       -std::max(r, band)));
    if ((event->region() & edge).isEmpty()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // The corners outside the rounded frame get back what lies behind the
    // frame, replacing what the columns drew there.
    const QPainterPath corners = cornersOutside(frame, look_.cornerRadius);
    p.save();
    p.setClipPath(corners);
    if (window()->testAttribute(Qt::WA_TranslucentBackground)) {
        // Taken away first, so the desktop shows through as round the frame.
        p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        p.fillRect(f, Qt::black);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    paintWindowChrome(p, f, windowChrome(look_.theme), *window());
    p.restore();
    shadow_.draw(p, frame, look_, true);
    if (look_.outlineColor.alpha() == 0 || look_.outlineWidth <= 0) return;
    const double in = look_.outlineWidth / 2;
    p.strokePath(glass::roundedRect(frame.adjusted(in, in, -in, -in), look_.cornerRadius - in),
                 QPen(look_.outlineColor, look_.outlineWidth));
}

WindowFrameOverlay* installWindowFrame(QWidget* host, QBoxLayout* layout, UIStyle theme)
{
    const WindowFrameLook look = windowFrameLook(theme);
    layout->setContentsMargins(look.margins());
    return new WindowFrameOverlay(look, host);
}

}  // namespace zorbel
