#include "Settings/Themes/LiquidGlass/GlassClock.h"

#include "Platform/Services.h"

namespace zorbel {

GlassClock& GlassClock::shared() { return sharedInstance<GlassClock>(); }

GlassClock::GlassClock() = default;

GlassClock::~GlassClock()
{
    if (timer_) timer_->cancel();
}

double GlassClock::elapsed() const
{
    if (!timer_) return elapsedBeforeStart_;
    return elapsedBeforeStart_ + (platform::scheduler().now() - startedAt_);
}

GlassClock::ViewerId GlassClock::addViewer() { return nextId_++; }

void GlassClock::setViewerOnScreen(ViewerId id, bool onScreen)
{
    if (onScreen)
        onScreen_.insert(id);
    else
        onScreen_.erase(id);
    update();
}

void GlassClock::removeViewer(ViewerId id) { setViewerOnScreen(id, false); }

void GlassClock::update()
{
    const bool wanted = !onScreen_.empty();
    if (wanted == isRunning()) return;
    if (wanted) {
        startedAt_ = platform::scheduler().now();
        timer_ = platform::scheduler().every(frameInterval, [this]() { tick(); });
        return;
    }
    elapsedBeforeStart_ = elapsed();
    timer_->cancel();
    timer_.reset();
}

void GlassClock::tick() { ticks_.send(elapsed()); }

}  // namespace zorbel
