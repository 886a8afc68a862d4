#pragma once

#include "BrindotHUD/BrindotHUDConfig.h"
#include "Platform/Scheduler.h"

#include <QRectF>
#include <QTransform>

#include <functional>
#include <memory>
#include <optional>

namespace zorbel::hud {

// What an animation changes on the panel: its frame (bottom-left
// coordinates), its opacity, and the drawing's turn about the vertical axis
// (flip) or the screen's normal (rotate) with a scale.
struct PanelState {
    QRectF frame;
    double alpha = 1;
    double yTurn = 0;  // radians
    double zTurn = 0;  // radians
    double scale = 1;
    QTransform transform() const;
    friend bool operator==(const PanelState&, const PanelState&) = default;
};

enum class Timing { easeInEaseOut, easeIn, easeOut };

struct AnimationPlan {
    PanelState from, to;
    double duration = 0;
    Timing timing = Timing::easeInEaseOut;
    // Where the animation is cut short and the panel set to `cutTo` at once.
    std::optional<double> cutAfter;
    std::optional<PanelState> cutTo;
};

AnimationPlan makePlan(const PanelState& from, const PanelState& to, double duration,
                       Timing timing = Timing::easeInEaseOut, std::optional<double> cutAfter = std::nullopt,
                       std::optional<PanelState> cutTo = std::nullopt);

// How a panel of frame `frame` appears, ending at its resting opacity.
// Nothing for "none".
std::optional<AnimationPlan> showPlan(AnimationType type, const QRectF& frame, double opacity, double duration);
// How it leaves from its resting state; nothing when it goes at once.
std::optional<AnimationPlan> hidePlan(AnimationType type, const QRectF& frame, double opacity, double duration);

double timingCurve(Timing timing, double t);
PanelState interpolate(const PanelState& from, const PanelState& to, double t);
// A frame of `scale` times the size, centred where `frame` is.
QRectF scaledAboutCentre(const QRectF& frame, double scale);

// Steps a second for a plan: 60 for one that moves, resizes or turns the
// panel, 30 for one that only fades it (each step of a fade wakes the
// program and the compositor, and the eye takes a fade at 30 for smooth).
double stepsPerSecond(const AnimationPlan& plan);

// Runs a plan on the scheduler at its steps a second; the last step applies
// the plan's end state exactly. Nothing runs once it has ended or was
// cancelled, so an idle panel costs nothing.
class PanelAnimation {
public:
    using Apply = std::function<void(const PanelState&)>;
    PanelAnimation() = default;
    ~PanelAnimation() { cancel(); }
    PanelAnimation(const PanelAnimation&) = delete;
    PanelAnimation& operator=(const PanelAnimation&) = delete;

    void start(const AnimationPlan& plan, Apply apply, std::function<void()> done = {});
    void cancel();
    bool isRunning() const { return timer_ && timer_->isActive(); }

private:
    platform::TimerRef timer_;
};

}  // namespace zorbel::hud
