#include "BrindotHUD/HUDAnimation.h"

#include "Platform/Services.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zorbel::hud {

QTransform PanelState::transform() const
{
    QTransform t;
    t.rotateRadians(zTurn);
    t.scale(scale * std::cos(yTurn), scale);
    return t;
}

QRectF scaledAboutCentre(const QRectF& f, double s)
{
    const QSizeF size(f.width() * s, f.height() * s);
    return {f.center().x() - size.width() / 2, f.center().y() - size.height() / 2, size.width(), size.height()};
}

AnimationPlan makePlan(const PanelState& from, const PanelState& to, double duration, Timing timing,
                       std::optional<double> cutAfter, std::optional<PanelState> cutTo)
{
    AnimationPlan plan;
    plan.from = from;
    plan.to = to;
    plan.duration = duration;
    plan.timing = timing;
    plan.cutAfter = cutAfter;
    plan.cutTo = cutTo;
    return plan;
}

namespace {
constexpr double pi = std::numbers::pi;

PanelState at(const QRectF& frame, double alpha) { return PanelState{frame, alpha}; }
QRectF point(const QRectF& f) { return {f.center(), QSizeF(0, 0)}; }
QRectF tenth(const QRectF& f) { return {f.center(), QSizeF(0.1 * f.width(), 0.1 * f.height())}; }
QRectF sunk(const QRectF& f) { return {f.center().x() - 1, f.center().y() - 1, 2, 2}; }
QRectF lowered(const QRectF& f) { return f.translated(0, -f.height()); }
PanelState turned(const QRectF& f, double alpha, double y, double z, double s) { return PanelState{f, alpha, y, z, s}; }
}  // namespace

std::optional<AnimationPlan> showPlan(AnimationType type, const QRectF& f, double a, double d)
{
    const PanelState rest = at(f, a);
    switch (type) {
    case AnimationType::none: return std::nullopt;
    case AnimationType::fade: return makePlan(at(f, 0), rest, d);
    case AnimationType::scale: return makePlan(at(scaledAboutCentre(f, 0.1), a), rest, d);
    case AnimationType::slide: return makePlan(at(lowered(f), a), rest, d);
    case AnimationType::bounce: return makePlan(at(scaledAboutCentre(f, 1.2), a), rest, 0.5 * d);
    case AnimationType::genie: return makePlan(at(point(f), 0), rest, d, Timing::easeInEaseOut);
    case AnimationType::magic: return makePlan(at(tenth(f), 0), rest, 0.8 * d, Timing::easeOut);
    case AnimationType::suck: return makePlan(rest, at(sunk(f), 0.1), d, Timing::easeIn, 0.1 * d, rest);
    case AnimationType::flip: return makePlan(turned(f, 0, pi, 0, 1), rest, 0.5 * d);
    case AnimationType::rotate: return makePlan(turned(f, 0, 0, 2 * pi, 0.1), rest, d, Timing::easeOut);
    }
    return std::nullopt;
}

std::optional<AnimationPlan> hidePlan(AnimationType type, const QRectF& f, double a, double d)
{
    const PanelState rest = at(f, a);
    switch (type) {
    case AnimationType::none:
    case AnimationType::bounce: return std::nullopt;
    case AnimationType::fade: return makePlan(rest, at(f, 0), d);
    case AnimationType::scale: return makePlan(rest, at(scaledAboutCentre(f, 0.1), a), d);
    case AnimationType::slide: return makePlan(rest, at(lowered(f), a), d);
    case AnimationType::genie: return makePlan(rest, at(point(f), 0), d, Timing::easeInEaseOut);
    case AnimationType::magic: return makePlan(rest, at(tenth(f), 0), 0.8 * d, Timing::easeIn);
    case AnimationType::suck: return makePlan(rest, at(sunk(f), 0), d, Timing::easeIn);
    case AnimationType::flip: return makePlan(rest, turned(f, 0, pi, 0, 1), 0.5 * d);
    case AnimationType::rotate: return makePlan(rest, turned(f, 0, 0, 2 * pi, 0.1), d, Timing::easeIn);
    }
    return std::nullopt;
}

double timingCurve(Timing timing, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    switch (timing) {
    case Timing::easeIn: return t * t;
    case Timing::easeOut: return 1 - (1 - t) * (1 - t);
    case Timing::easeInEaseOut: return t < 0.5 ? 2 * t * t : 1 - 2 * (1 - t) * (1 - t);
    }
    return t;
}

PanelState interpolate(const PanelState& a, const PanelState& b, double t)
{
    auto mix = [t](double x, double y) { return x + (y - x) * t; };
    return PanelState{QRectF(mix(a.frame.x(), b.frame.x()), mix(a.frame.y(), b.frame.y()),
                             mix(a.frame.width(), b.frame.width()), mix(a.frame.height(), b.frame.height())),
                      mix(a.alpha, b.alpha), mix(a.yTurn, b.yTurn), mix(a.zTurn, b.zTurn), mix(a.scale, b.scale)};
}

double stepsPerSecond(const AnimationPlan& plan)
{
    const auto still = [](const PanelState& a, const PanelState& b) {
        return a.frame == b.frame && a.yTurn == b.yTurn && a.zTurn == b.zTurn && a.scale == b.scale;
    };
    const bool fadeOnly = still(plan.from, plan.to) && (!plan.cutTo || still(plan.from, *plan.cutTo));
    return fadeOnly ? 30.0 : 60.0;
}

void PanelAnimation::start(const AnimationPlan& plan, Apply apply, std::function<void()> done)
{
    cancel();
    auto& scheduler = platform::scheduler();
    const double begin = scheduler.now();
    const double end = plan.cutAfter ? std::min(*plan.cutAfter, plan.duration) : plan.duration;
    apply(plan.from);
    auto step = [plan, apply, done, begin, end, &scheduler, this]() {
        const double elapsed = scheduler.now() - begin;
        if (elapsed < end) {
            apply(interpolate(plan.from, plan.to, timingCurve(plan.timing, elapsed / plan.duration)));
            return;
        }
        timer_->cancel();
        apply(plan.cutAfter && plan.cutTo ? *plan.cutTo : plan.to);
        if (done) done();
    };
    if (end <= 0) {
        apply(plan.cutAfter && plan.cutTo ? *plan.cutTo : plan.to);
        if (done) done();
        return;
    }
    timer_ = scheduler.every(1.0 / stepsPerSecond(plan), step);
}

void PanelAnimation::cancel()
{
    if (timer_) timer_->cancel();
    timer_.reset();
}

}  // namespace zorbel::hud
