#pragma once

#include <optional>

namespace zorbel {

// Pairs Caps Lock changes: two changes less than 0.6 s apart are a double
// tap; after one the next change starts a new pair.
class CapsLockDoubleTap {
public:
    static constexpr double doubleTapThreshold = 0.6;

    enum class Outcome { unchanged, change, doubleTap };
    struct Step {
        Outcome outcome = Outcome::unchanged;
        bool oldState = false;
        std::optional<double> elapsed;  // since the unpaired change before this one
    };

    explicit CapsLockDoubleTap(bool initialState = false) : lastState_(initialState) {}

    // One Caps Lock reading at `now` (seconds); a reading equal to the last
    // is no change.
    Step handle(bool newState, double now);

    bool lastState() const { return lastState_; }
    bool isArmed() const { return lastChangeTime_.has_value(); }

private:
    bool lastState_;
    std::optional<double> lastChangeTime_;
};

}  // namespace zorbel
