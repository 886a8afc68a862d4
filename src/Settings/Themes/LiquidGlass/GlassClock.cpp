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
    if (onScreen) {
        // Coming into view (opened, uncovered, restored) counts as something new to see.
        if (onScreen_.insert(id).second) return wake();
    } else {
        onScreen_.erase(id);
    }
    update();
}

void GlassClock::wake()
{
    lastWake_ = platform::scheduler().now();
    resting_ = false;
    update();
}

void GlassClock::removeViewer(ViewerId id) { setViewerOnScreen(id, false); }

void GlassClock::update()
{
    const bool wanted = !onScreen_.empty() && !resting_;
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

void GlassClock::tick()
{
    ticks_.send(elapsed());
    if (platform::scheduler().now() - lastWake_ < restAfter) return;
    resting_ = true;
    update();
}

}  // namespace zorbel
