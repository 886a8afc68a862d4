#include "Platform/Linux/Atspi/AtspiFacts.h"

#include <QCoreApplication>
#include <QTimer>

#include <atspi/atspi.h>

namespace zorbel::platform::atspi {

namespace {
// Far more objects than a few applications' focused fields and their
// ancestors; past it everything is asked afresh.
constexpr std::size_t maxObjects = 4096;
constexpr auto momentLength = std::chrono::milliseconds(20);

bool starts(const QString& type, const char* prefix) { return type.startsWith(QLatin1String(prefix)); }

void forgetWindowSize(ObjectFacts::Facts& facts)
{
    facts.windowSize.reset();
    facts.windowSizeAtX = QSize();
}
}  // namespace

ObjectFacts& ObjectFacts::instance()
{
    static ObjectFacts* facts = new ObjectFacts();
    return *facts;
}

ObjectFacts::ObjectFacts()
{
    Runtime::instance().onApplicationGone([this](const QString& bus) { forgetApplication(bus); });
    Runtime::instance().onBusChange([this](bool) {
        byApplication_.clear();
        habits_.clear();
        count_ = 0;
    });
}

AXCode ObjectFacts::admission(AtspiAccessible* accessible)
{
    auto& runtime = Runtime::instance();
    if (!runtime.available()) return axcode::apiDisabled;
    if (!accessible) return axcode::invalidUIElement;
    // Events and the loss of names that have arrived are taken in first
    // (libatspi lets go of an application whose name left the bus).
    runtime.takeIncoming();
    auto* object = ATSPI_OBJECT(accessible);
    if (!object->app || !object->app->bus) return axcode::invalidUIElement;
    const QString bus = busName(accessible);
    if (runtime.isHung(bus)) return axcode::cannotComplete;
    // Its process is looked at (no bus call): one that ended or was stopped
    // would not answer a call.
    const auto pid = runtime.pidOf(accessible);
    const auto process = pid ? runtime.process(*pid) : Runtime::Process::gone;
    if (process == Runtime::Process::gone) return axcode::invalidUIElement;
    if (process == Runtime::Process::stopped) {
        runtime.markHung(bus);
        return axcode::cannotComplete;
    }
    return axcode::success;
}

ObjectFacts::Facts* ObjectFacts::find(AtspiAccessible* accessible)
{
    auto app = byApplication_.find(busName(accessible));
    if (app == byApplication_.end()) return nullptr;
    auto it = app->second.find(objectPath(accessible));
    return it == app->second.end() ? nullptr : &it->second;
}

ObjectFacts::Facts& ObjectFacts::remember(AtspiAccessible* accessible)
{
    if (Facts* known = find(accessible)) return *known;
    if (count_ >= maxObjects) {
        byApplication_.clear();
        count_ = 0;
    }
    ++count_;
    return byApplication_[busName(accessible)][objectPath(accessible)];
}

void ObjectFacts::forget(AtspiAccessible* accessible)
{
    auto app = byApplication_.find(busName(accessible));
    if (app != byApplication_.end() && app->second.erase(objectPath(accessible))) --count_;
}

void ObjectFacts::forgetApplication(const QString& bus)
{
    if (auto app = byApplication_.find(bus); app != byApplication_.end()) {
        count_ -= app->second.size();
        byApplication_.erase(app);
    }
    habits_.erase(bus);
}

ObjectFacts::Moment& ObjectFacts::moment(AtspiAccessible* accessible)
{
    const auto now = std::chrono::steady_clock::now();
    if (now - momentsSince_ > momentLength) moments_.clear();
    if (moments_.empty()) momentsSince_ = now;
    if (!momentsScheduled_ && QCoreApplication::instance()) {
        momentsScheduled_ = true;
        QTimer::singleShot(0, QCoreApplication::instance(), [this] {
            momentsScheduled_ = false;
            moments_.clear();
        });
    }
    return moments_[busName(accessible) + objectPath(accessible)];
}

const ObjectFacts::Habits* ObjectFacts::habits(AtspiAccessible* accessible) const
{
    auto it = habits_.find(busName(accessible));
    return it == habits_.end() ? nullptr : &it->second;
}

bool ObjectFacts::zerosAtTextEnd(AtspiAccessible* accessible) const
{
    const Habits* known = habits(accessible);
    return known && known->zerosAtTextEnd;
}

void ObjectFacts::setZerosAtTextEnd(AtspiAccessible* accessible) { habits_[busName(accessible)].zerosAtTextEnd = true; }

bool ObjectFacts::flatBoxes(AtspiAccessible* accessible) const
{
    const Habits* known = habits(accessible);
    return known && known->flatBoxes;
}

void ObjectFacts::setFlatBoxes(AtspiAccessible* accessible) { habits_[busName(accessible)].flatBoxes = true; }

double ObjectFacts::linePitch(AtspiAccessible* accessible) const
{
    const Habits* known = habits(accessible);
    return known ? known->linePitch : 0;
}

void ObjectFacts::setLinePitch(AtspiAccessible* accessible, double pitch) { habits_[busName(accessible)].linePitch = pitch; }

std::optional<bool> caretEventVerdict(int agreements, bool disagreed)
{
    // Agreements after which an application's caret events are believed.
    constexpr int needed = 3;
    if (disagreed) return false;
    if (agreements >= needed) return true;
    return std::nullopt;
}

std::optional<bool> ObjectFacts::caretEventsTell(AtspiAccessible* accessible) const
{
    const Habits* known = habits(accessible);
    if (!known) return std::nullopt;
    return caretEventVerdict(known->caretEventAgreements, known->caretEventDisagreed);
}

void ObjectFacts::judgeCaretEvent(AtspiAccessible* accessible, bool agreed)
{
    Habits& known = habits_[busName(accessible)];
    if (agreed) ++known.caretEventAgreements;
    else known.caretEventDisagreed = true;
}

// Each event drops what it may have changed. Toolkits announce every change
// of state (focus, activation, being shown) with an event of the object; a
// removed child may be gone, or may appear elsewhere. Runs inside libatspi's
// calls: nothing is added or removed here, so facts in use stay in place.
void ObjectFacts::take(const EventRecord& record)
{
    const QString& type = record.type;
    if (starts(type, "object:bounds-changed")) {
        // Reset in place: a caller may hold the moment while events come in.
        if (auto it = moments_.find(busName(record.source.get()) + objectPath(record.source.get()));
            it != moments_.end())
            it->second.extents.reset();
    }
    if (starts(type, "object:children-changed")) {
        if (Facts* child = record.child ? find(record.child.get()) : nullptr) *child = Facts{};
        if (Facts* parent = find(record.source.get())) parent->fontSize.reset();
        return;
    }
    Facts* facts = find(record.source.get());
    if (!facts) return;
    const auto now = std::chrono::steady_clock::now();
    constexpr auto sameKeystroke = std::chrono::milliseconds(5);
    if (starts(type, "object:text-caret-moved")) {
        if (record.detail1 >= 0) facts->caret = record.detail1;
        else facts->caret.reset();
        facts->caretAt = now;
        facts->caretWithEdit = now - facts->textChangedAt <= sameKeystroke;
    } else if (starts(type, "object:text-changed")) {
        // A caret event of the same keystroke says where the caret went;
        // a change without one (GTK 4) leaves the caret unknown.
        facts->textChangedAt = now;
        if (now - facts->caretAt > sameKeystroke) facts->caret.reset();
        else facts->caretWithEdit = true;
    } else if (starts(type, "object:text-selection-changed")) {
        facts->selections.reset();
    } else if (starts(type, "object:state-changed") || starts(type, "window:")) {
        facts->states.reset();
        forgetWindowSize(*facts);
    } else if (starts(type, "object:bounds-changed")) {
        forgetWindowSize(*facts);
        facts->fontSize.reset();
    } else if (starts(type, "object:text-attributes-changed")) {
        facts->fontSize.reset();
    } else if (starts(type, "object:property-change:accessible-name")) {
        facts->name.reset();
    } else if (starts(type, "object:property-change:accessible-role")) {
        facts->role.reset();
    } else if (starts(type, "object:property-change:accessible-parent")) {
        facts->parentKnown = false;
        facts->parent.reset();
    }
}

}  // namespace zorbel::platform::atspi
