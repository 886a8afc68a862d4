#pragma once

#include "Platform/Reactive/Published.h"
#include "Platform/Scheduler.h"

#include <cstdint>
#include <set>

namespace zorbel {

// The one clock every animated glass layer of the settings window draws from.
// It ticks at a modest frame rate only while at least one viewer (an animated
// layer whose window is on screen) exists and the user did something in the
// window lately; hidden, minimised or covered windows stop it, and so does a
// window left alone, so the glass costs nothing while nobody can see it or
// works in it. Elapsed time stands still while it is stopped.
class GlassClock {
public:
    static GlassClock& shared();
    GlassClock();
    ~GlassClock();
    GlassClock(const GlassClock&) = delete;
    GlassClock& operator=(const GlassClock&) = delete;

    // Slow, soft movements: five frames a second are enough for them, and
    // every frame repaints the text and controls over what moved.
    static constexpr double frameInterval = 1.0 / 5.0;

    // Without input for this long the glass stands still until the next one:
    // an idle window left open all day would otherwise keep repainting.
    static constexpr double restAfter = 10.0;

    // Seconds of animation shown so far.
    double elapsed() const;
    bool isRunning() const { return timer_ != nullptr; }

    // A viewer says whether it is on screen; the clock runs while any is.
    using ViewerId = std::uint64_t;
    ViewerId addViewer();
    void setViewerOnScreen(ViewerId id, bool onScreen);
    void removeViewer(ViewerId id);

    // Input in a glass window, or a viewer coming on screen: the glass moves
    // again for the next `restAfter` seconds.
    void wake();
    bool isResting() const { return resting_; }

    // Sends elapsed() on every frame.
    rx::Publisher<double> ticks() const { return ticks_.publisher(); }

private:
    void update();
    void tick();

    std::set<ViewerId> onScreen_;
    ViewerId nextId_ = 1;
    double elapsedBeforeStart_ = 0.0;
    double startedAt_ = 0.0;
    double lastWake_ = 0.0;
    bool resting_ = false;
    platform::TimerRef timer_;
    rx::PassthroughSubject<double> ticks_;
};

}  // namespace zorbel
