#include "BrindotHUD/CapsLockDoubleTap.h"

namespace zorbel {

CapsLockDoubleTap::Step CapsLockDoubleTap::handle(bool newState, double now)
{
    Step step;
    step.oldState = lastState_;
    if (newState == lastState_) return step;
    if (lastChangeTime_) {
        step.elapsed = now - *lastChangeTime_;
        if (*step.elapsed < doubleTapThreshold) {
            lastChangeTime_.reset();
            lastState_ = newState;
            step.outcome = Outcome::doubleTap;
            return step;
        }
    }
    lastChangeTime_ = now;
    lastState_ = newState;
    step.outcome = Outcome::change;
    return step;
}

}  // namespace zorbel
