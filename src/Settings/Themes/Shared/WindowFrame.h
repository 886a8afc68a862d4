#pragma once

#include "Settings/Themes/LiquidGlass/GlassPainting.h"
#include "Shell/UIStyle.h"

#include <QColor>
#include <QImage>
#include <QMargins>
#include <QPointF>
#include <QWidget>

#include <vector>

class QBoxLayout;

namespace zorbel {

// What the settings window itself shows under a theme's layout.
struct WindowChrome {
    bool opaque = true;
    QColor backgroundColor;
};
WindowChrome windowChrome(UIStyle theme);
// Paints the chrome into `rect` of a widget of `window`. Where the window is
// not translucent (nothing blurs behind it) glass lies on a lit pane, so the
// desktop never runs sharp behind the text.
void paintWindowChrome(QPainter& p, const QRectF& rect, const WindowChrome& chrome, const QWidget& window);

// The rounded frame a theme's layout lies in: its corners, outline and the
// shadows it casts. The colours and the shadow come from the theme's
// UIStyleConfig row; the radius is the layout's own.
struct WindowFrameLook {
    struct Shadow {
        QColor color;
        double radius = 0;
        QPointF offset;
    };
    UIStyle theme = UIStyle::system;
    double cornerRadius = 0;
    QColor outlineColor = Qt::transparent;  // none
    double outlineWidth = 0;
    std::vector<Shadow> shadows;

    // Room kept round the frame for its first shadow: there is no window
    // manager shadow to count on, so the shadow is drawn inside the window.
    QMargins margins() const;
};
WindowFrameLook windowFrameLook(UIStyle theme);

// A frame's shadows in the room round it and in its corners outside the
// rounded edge, never under the frame. Kept as a small picture per frame.
class FrameShadow {
public:
    // `cornersOnly` for those over the columns, whose room round the frame is
    // painted below them.
    void draw(QPainter& p, const QRectF& frame, const WindowFrameLook& look, bool cornersOnly = false);

private:
    QRectF frame_;
    QImage image_;
};

// Lays a theme's layout in its frame: `layout` of `host` keeps the frame's
// margins, the host paints the shadows with a FrameShadow, and a child laid
// over everything clips the corners and strokes the outline.
class WindowFrameOverlay final : public QWidget {
public:
    WindowFrameOverlay(WindowFrameLook look, QWidget* host);
    const WindowFrameLook& look() const { return look_; }
    QRectF frameRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowFrameLook look_;
    FrameShadow shadow_;
};

// Installs the frame on a layout widget whose box layout holds its content.
WindowFrameOverlay* installWindowFrame(QWidget* host, QBoxLayout* layout, UIStyle theme);

}  // namespace zorbel
