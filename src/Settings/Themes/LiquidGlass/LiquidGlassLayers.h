#pragma once

#include "Settings/Themes/LiquidGlass/GlassPainting.h"
#include "Settings/Themes/LiquidGlass/GlassSurface.h"

#include <QImage>
#include <QTimer>

namespace zorbel {

// A window-scale stack of glass layers, back to front: frosted base, water
// veil, edge highlight, caustics, rim with droplets, inner shade,
// iridescent tint and refraction rim. The still layers are drawn once per
// size; the slowly drifting veil and tint are redrawn at a quarter of the
// resolution every three seconds into one picture with them, a few bands a frame
// ahead of the moment they show, and shown a band a frame, so no frame carries
// the whole redraw or a repaint of the whole window;
// caustics, droplets, glow and orbs move every frame. Pictures are drawn in
// 16 bits a channel, as such faint layers would otherwise show rings and bands.
class GlassStackSurface : public GlassSurface {
public:
    // Seconds for one turn of each drifting layer's phase.
    struct Periods {
        double veil;
        double caustics;
        double tint;
    };
    struct Phases {
        double veil = 0;
        double caustics = 0;
        double tint = 0;
        double borderRefraction = 0;  // the rim with droplets
        double borderDroplets = 0;
        double rimRefraction = 0;  // the refraction rim in front
        double rimDroplets = 0;
    };
    GlassStackSurface(Periods periods, const glass::GlassTint& tint, QWidget* parent);

    Phases phasesAt(double seconds) const;
    // Seconds between two redraws of the drifting layers.
    static constexpr double driftStep = 3.0;
    // Seconds between two moves of the caustics.
    static constexpr double causticStep = 0.6;
    // Frames over which the next drift picture is prepared, and over which
    // it then replaces the last one, band by band from the top; together
    // fewer than a step holds.
    static constexpr int preparationFrames = 8;
    static constexpr int revealFrames = 4;
    // How many times the drift pictures were drawn in one go at a paint
    // (first showing, a new size, or a jump in time), not ahead.
    int drawnAtPaint() const { return drawnAtPaint_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QRegion movedRegion(double before, double now) const override;
    QRegion advance(double now) override;
    // Whether this stack lies directly on the window and must stand in for
    // the desktop behind it when the window cannot be translucent.
    virtual bool paintsBackdrop() const { return false; }

private:
    // The drifting layers at half size and the still ones with them, for
    // one drift step, drawn band by band.
    struct Composition {
        QImage drift;
        QImage base;
        double at = -1;  // the step's time; -1 while none
        int done = 0;    // bands drawn
    };
    void refreshBase(double driftTime);
    void ensureStill();
    int bandCount() const;
    // The drifting layers are drawn this many times smaller than the stack.
    static constexpr int driftScale = 4;
    QSize driftSize() const;
    void drawBands(Composition& c, double driftTime, int bands);
    QRegion detailRegion(double seconds) const;

    Periods periods_;
    glass::GlassTint tint_;
    QImage still_;  // the layers that never move, for the current size
    // While the window is being resized the pictures of the last size are
    // stretched; they are drawn again once the size has held a moment.
    QTimer settle_;
    Composition current_;
    Composition next_;
    Composition previous_;  // still shown below revealedTo_
    int revealedTo_ = 0;
    int drawnAtPaint_ = 0;
};

// Behind each column of the liquid-glass layout; its veil, caustics and
// tint drift with different periods.
class WhiteBackgroundLiquidGlassEffect final : public GlassStackSurface {
public:
    explicit WhiteBackgroundLiquidGlassEffect(const glass::GlassTint& tint, QWidget* parent = nullptr);
};

// Behind the whole liquid-glass window; one phase moves all its layers in step.
class WhiteBackgroundLiquidGlassBackground final : public GlassStackSurface {
public:
    explicit WhiteBackgroundLiquidGlassBackground(const glass::GlassTint& tint, QWidget* parent = nullptr);

protected:
    bool paintsBackdrop() const override;
};

// The still frosted pane on its own, under the liquid-glass footer.
class WhiteBackgroundFrostedGlassBase final : public QWidget {
public:
    explicit WhiteBackgroundFrostedGlassBase(double opacity = 1.0, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double opacity_;
};

}  // namespace zorbel
