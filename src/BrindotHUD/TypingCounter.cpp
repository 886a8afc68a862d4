#include "BrindotHUD/TypingCounter.h"

#include "BrindotHUD/BrindotHUDConfig.h"
#include "BrindotHUD/HUDBounds.h"
#include "Platform/Console.h"
#include "Platform/Services.h"
#include "Platform/UserDefaults.h"

#include <limits>

namespace zorbel {

namespace {
// Seconds from 1 January 2001 UTC, the record's date form.
double referenceSeconds(const QDateTime& t)
{
    return static_cast<double>(t.toSecsSinceEpoch()) - 978307200.0;
}
int plusOne(int n) { return n < std::numeric_limits<int>::max() ? n + 1 : n; }
}  // namespace

TypingCounter::TypingCounter() = default;

TypingCounter::~TypingCounter()
{
    if (saveTimer_) saveTimer_->cancel();
}

TypingCounter::Counts TypingCounter::stored(const QDateTime& startOfDay)
{
    const auto data = platform::userDefaults().standard().dataForKey(typingStatisticsKey(startOfDay));
    if (!data || data->size() > hudBounds::maxRecordBytes) return {};
    const auto stats = decodeTypingStatistics(*data);
    if (!stats.ok() || stats.value->characters < 0 || stats.value->keystrokes < 0 || stats.value->backspaces < 0)
        return {};
    return {stats.value->characters, stats.value->keystrokes, stats.value->backspaces};
}

void TypingCounter::followTheDay()
{
    const QDateTime day = wallClock_().date().startOfDay();
    if (day == day_) return;
    if (day_.isValid()) save();
    day_ = day;
    counts_ = stored(day_);
}

void TypingCounter::count(platform::KeyKind key)
{
    followTheDay();
    counts_.keystrokes = plusOne(counts_.keystrokes);
    if (key == platform::KeyKind::character) counts_.characters = plusOne(counts_.characters);
    if (key == platform::KeyKind::backspace) counts_.backspaces = plusOne(counts_.backspaces);
    unsaved_ = true;
    if (saveTimer_ && saveTimer_->isActive()) return;
    saveTimer_ = platform::scheduler().after(saveInterval, [this] { save(); });
}

TypingCounter::Counts TypingCounter::today()
{
    followTheDay();
    return counts_;
}

void TypingCounter::save()
{
    if (saveTimer_) saveTimer_->cancel();
    saveTimer_.reset();
    if (!unsaved_) return;
    TypingStatistics record{counts_.characters, counts_.keystrokes, counts_.backspaces, referenceSeconds(day_)};
    const auto encoded = encodeJson(record);
    if (!encoded.ok() || !platform::userDefaults().standard().setData(typingStatisticsKey(day_), *encoded.value)) {
        print(QStringLiteral("[BrindotHUDManager] Failed to save typing statistics"));
        return;
    }
    unsaved_ = false;
}

}  // namespace zorbel
