#pragma once

#include "Settings/Themes/LiquidGlass/GlassPainting.h"

#include <QColor>
#include <QFont>
#include <QMargins>
#include <QString>
#include <QWidget>

#include <functional>

namespace zorbel {

// A status dot: a soft glow under a solid core, optionally ringed.
class GlowDot final : public QWidget {
public:
    struct Look {
        double glowDiameter;
        double coreDiameter;
        double glowOpacity;     // at the centre of the glow
        double glowMidOpacity;  // half way out
        double ringOpacity;     // white ring round the core; 0 for none
    };
    GlowDot(const Look& look, const QColor& color, QWidget* parent = nullptr);
    QColor color() const { return color_; }
    void setColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Look look_;
    QColor color_;
};

// What tells the title bars of the glass themes apart; one builder lays
// them all out: icon, product name over caption, then the badges and the
// running mark at the trailing end.
struct GlassTitleBarLook {
    QString objectName;
    std::function<QWidget*()> icon;
    int iconSpacing;
    QFont nameFont;
    // The product name's soft shadow (black at this opacity, just below
    // it); 0 for none.
    double nameShadowOpacity = 0;
    int namesSpacing;
    QString caption;
    QFont captionFont;
    QColor captionColor;
    int badgeSpacing;
    GlowDot::Look runningDot;
    QColor runningDotColor;
    QFont runningFont;
    QColor runningColor;
    QMargins padding;
    // Paints the bar's background into the bar's rectangle.
    std::function<void(QPainter&, const QRectF&)> background;
};

class GlassTitleBar final : public QWidget {
public:
    explicit GlassTitleBar(GlassTitleBarLook look, QWidget* parent = nullptr);
    const GlassTitleBarLook& look() const { return look_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    GlassTitleBarLook look_;
    glass::CachedPainting background_;
};

}  // namespace zorbel
