#pragma once

#include "Platform/EventMonitor.h"
#include "Platform/Scheduler.h"

#include <QDateTime>
#include <QString>

#include <functional>

namespace zorbel {

// Today's typing counts for the HUD's "今日打字" item: keystrokes, typed
// characters and backspaces, counted from key presses by their kind only
// (which keys were pressed is never seen or kept). The counts are stored as
// the day's typing record at most once a minute and when the program quits;
// a new day starts from that day's record.
class TypingCounter {
public:
    struct Counts {
        int characters = 0, keystrokes = 0, backspaces = 0;
        bool operator==(const Counts&) const = default;
    };
    using WallClock = std::function<QDateTime()>;

    TypingCounter();
    ~TypingCounter();
    TypingCounter(const TypingCounter&) = delete;
    TypingCounter& operator=(const TypingCounter&) = delete;

    void count(platform::KeyKind key);
    // The counts of today, stored or not yet stored.
    Counts today();
    // Stores what was counted since the last store, if anything.
    void save();

    static constexpr double saveInterval = 60;
    // The stored counts of the day that starts at `startOfDay`; zeros when
    // there is no readable record.
    static Counts stored(const QDateTime& startOfDay);
    void setWallClock(WallClock clock) { wallClock_ = std::move(clock); }

private:
    // Moves to the day the wall clock is in, storing the day that ended.
    void followTheDay();

    WallClock wallClock_ = [] { return QDateTime::currentDateTime(); };
    QDateTime day_;
    Counts counts_;
    bool unsaved_ = false;
    platform::TimerRef saveTimer_;
};

}  // namespace zorbel
