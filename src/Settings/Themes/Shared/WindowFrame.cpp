#include "Settings/Themes/Shared/WindowFrame.h"

#include "Caret/Styles/PerfectCaretStyle.h"

#include <QBoxLayout>
#include <QEvent>
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

void paintFrameShadows(QPainter& p, const QRectF& frame, const WindowFrameLook& look)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    for (auto it = look.shadows.rbegin(); it != look.shadows.rend(); ++it)
        glass::paintSoftShadow(p, frame, look.cornerRadius, it->radius, it->offset, it->color);
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
    QPainter p(this);
    const QRectF frame = frameRect();
    const QPainterPath shape = glass::roundedRect(frame, look_.cornerRadius);
    // The corners outside the rounded frame get back what lies behind the
    // frame, replacing what the columns drew there.
    const double r = look_.cornerRadius + 1;
    QRegion corners;
    for (const QPointF& corner : {frame.topLeft(), frame.topRight() - QPointF(r, 0), frame.bottomLeft() - QPointF(0, r),
                                  frame.bottomRight() - QPointF(r, r)})
        corners += QRectF(corner, QSizeF(r, r)).toAlignedRect();
    const QRegion dirtyCorners = event->region() & corners;
    if (!dirtyCorners.isEmpty()) {
        const auto outside = [shape](QPainter& ip, const QRectF& all) {
            QPainterPath path;
            path.addRect(all);
            ip.setClipPath(path.subtracted(shape));
        };
        if (window()->testAttribute(Qt::WA_TranslucentBackground)) {
            // What the columns drew there is taken away first, so the
            // desktop shows through as it does round the frame.
            p.save();
            p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            cornerMask_.draw(p, *this, dirtyCorners, [&outside](QPainter& ip, const QRectF& all) {
                outside(ip, all);
                ip.fillRect(all, Qt::black);
            });
            p.restore();
        }
        corners_.draw(p, *this, dirtyCorners, [this, frame, &outside](QPainter& ip, const QRectF& all) {
            outside(ip, all);
            paintWindowChrome(ip, all, windowChrome(look_.theme), *window());
            paintFrameShadows(ip, frame, look_);
        });
    }
    if (look_.outlineColor.alpha() == 0 || look_.outlineWidth <= 0) return;
    const int band = int(std::ceil(look_.outlineWidth)) + 1;
    const QRegion edge = QRegion(frame.toAlignedRect()) - QRegion(frame.toAlignedRect().adjusted(band, band, -band, -band));
    const QRegion dirtyEdge = event->region() & (edge + corners);
    if (dirtyEdge.isEmpty()) return;
    outline_.draw(p, *this, dirtyEdge, [this, frame](QPainter& ip, const QRectF&) {
        const double in = look_.outlineWidth / 2;
        ip.strokePath(glass::roundedRect(frame.adjusted(in, in, -in, -in), look_.cornerRadius - in),
                      QPen(look_.outlineColor, look_.outlineWidth));
    });
}

WindowFrameOverlay* installWindowFrame(QWidget* host, QBoxLayout* layout, UIStyle theme)
{
    const WindowFrameLook look = windowFrameLook(theme);
    layout->setContentsMargins(look.margins());
    return new WindowFrameOverlay(look, host);
}

}  // namespace zorbel
