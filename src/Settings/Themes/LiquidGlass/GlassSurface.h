#pragma once

#include "Platform/NotificationCenter.h"
#include "Platform/Reactive/Cancellable.h"
#include "Settings/Themes/LiquidGlass/GlassClock.h"

#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <optional>

class QWindow;

namespace zorbel {

// A widget that draws animated glass behind its children from the shared
// glass clock. Its animation starts from 0 when it first comes on screen and
// runs only while its window is shown, exposed, not minimised and not wholly
// covered by other windows, and stands still once the user has left the
// window alone for a while (input in it starts it again). Each frame
// repaints only what moved, so an idle window stays cheap.
class GlassSurface : public QWidget {
public:
    explicit GlassSurface(QWidget* parent = nullptr);
    ~GlassSurface() override;

    // Seconds of animation since this surface first came on screen.
    double animationTime() const;
    // The animation time the surface draws now: the clock's time at its last
    // frame, so what is drawn and what was marked for repainting agree.
    double frameTime() const { return frameTime_; }
    bool isOnScreen() const { return onScreen_; }

protected:
    // What the drawing at `before` and at `now` covers of the parts that move.
    virtual QRegion movedRegion(double before, double now) const = 0;
    // Work done at each frame before the repaint, at the animation time
    // `now`, such as preparing pictures ahead of the moment they show; what
    // it changed on screen is repainted with what moved.
    virtual QRegion advance(double /*now*/) { return {}; }

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchWindow();
    void refreshOnScreen();
    void onTick();

    GlassClock::ViewerId viewer_;
    bool onScreen_ = false;
    std::optional<double> startedAt_;
    double frameTime_ = 0;
    rx::Cancellable ticks_;
    QPointer<QWidget> watchedWindow_;
    QPointer<QWindow> watchedHandle_;
    platform::NotificationToken obscuredObserver_;
};

}  // namespace zorbel
