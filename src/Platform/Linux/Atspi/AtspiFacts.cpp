#include "Platform/Linux/Atspi/AtspiFacts.h"

#include <QCoreApplication>
#include <QTimer>

#include <atspi/atspi.h>

#include <utility>

namespace zorbel::platform::atspi {

namespace {
// Far more objects than a few applications' focused fields and their
// ancestors; past it everything is asked afresh.
constexpr std::size_t maxObjects = 4096;
constexpr auto momentLength = std::chrono::milliseconds(20);

bool starts(const QString& type, const char* prefix) { return type.startsWith(QLatin1String(prefix)); }
// How long a kept element box may go without an event that confirms it.
constexpr auto longestKeptExtents = std::chrono::seconds(2);

// Events that say nothing of where anything of the application stands:
// everything else (bounds, children, states other than focus, names,
// roles, windows) drops its kept boxes.
bool keepsLayout(const QString& type)
{
    return starts(type, "object:text-caret-moved") || starts(type, "object:text-changed") ||
           starts(type, "object:text-selection-changed") || starts(type, "object:text-attributes-changed") ||
           starts(type, "object:state-changed:focused") || starts(type, "object:active-descendant-changed");
}


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
    Runtime::instance().beforeRelease([this] { caretAskedLast_.reset(); });
    Runtime::instance().onBusChange([this](bool) {
        byApplication_.clear();
        habits_.clear();
        layouts_.clear();
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
    layouts_.erase(bus);
    if (caretAskedLast_ && busName(caretAskedLast_.get()) == bus) caretAskedLast_.reset();
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

std::optional<QRectF> ObjectFacts::keptExtents(AtspiAccessible* accessible, std::uint32_t xWindow,
                                               std::uint64_t xChanges)
{
    const Facts* known = find(accessible);
    if (!known || !known->extents || !xWindow) return std::nullopt;
    const auto layout = layouts_.find(busName(accessible));
    if (known->extentsWindow != xWindow || known->extentsWindowChanges != xChanges ||
        known->extentsLayout != (layout == layouts_.end() ? 0 : layout->second) ||
        std::chrono::steady_clock::now() - known->extentsAt > longestKeptExtents)
        return std::nullopt;
    return known->extents;
}

void ObjectFacts::keepExtents(AtspiAccessible* accessible, const QRectF& box, std::uint32_t xWindow,
                              std::uint64_t xChanges)
{
    Facts& known = remember(accessible);
    const auto layout = layouts_.find(busName(accessible));
    known.extents = box;
    known.extentsLayout = layout == layouts_.end() ? 0 : layout->second;
    known.extentsWindow = xWindow;
    known.extentsWindowChanges = xChanges;
    known.extentsAt = std::chrono::steady_clock::now();
}

namespace {
// A few places are enough: where the caret stood and stands.
constexpr std::size_t mostKnownBefore = 8;
constexpr auto longestKnownBefore = std::chrono::seconds(2);

bool isLineBreak(char32_t c) { return c == U'\n' || c == U'\r' || c == 0x2028 || c == 0x2029 || c == 0x85; }

void know(std::vector<ObjectFacts::Facts::Before>& known, int offset, int value)
{
    std::erase_if(known, [&](const auto& k) { return k.offset == offset; });
    if (known.size() >= mostKnownBefore) known.erase(known.begin());
    known.push_back({offset, value, std::chrono::steady_clock::now()});
}

std::optional<int> knownAt(const std::vector<ObjectFacts::Facts::Before>& known, int offset)
{
    const auto now = std::chrono::steady_clock::now();
    for (const auto& k : known)
        if (k.offset == offset && now - k.at <= longestKnownBefore) return k.value;
    return std::nullopt;
}

// A change of the text from `start` on leaves what stands before it as it
// was, and moves everything after it.
void textChangedFrom(ObjectFacts::Facts& facts, int start)
{
    std::erase_if(facts.before, [&](const auto& k) { return k.offset > start; });
    std::erase_if(facts.lineStarts, [&](const auto& k) { return k.offset > start; });
}
}  // namespace

std::optional<int> ObjectFacts::lineStart(AtspiAccessible* accessible, int offset)
{
    const Facts* known = find(accessible);
    return known ? knownAt(known->lineStarts, offset) : std::nullopt;
}

void ObjectFacts::setLineStart(AtspiAccessible* accessible, int offset, int start)
{
    know(remember(accessible).lineStarts, offset, start);
}

bool ObjectFacts::answersWithEvents(AtspiAccessible* accessible)
{
    auto* object = ATSPI_OBJECT(accessible);
    return object && object->app && object->app->bus && object->app->bus == atspi_get_a11y_bus();
}

std::optional<QString> ObjectFacts::characterBefore(AtspiAccessible* accessible, int offset)
{
    const Facts* known = find(accessible);
    const auto character = known ? knownAt(known->before, offset) : std::nullopt;
    if (!character) return std::nullopt;
    const char32_t c = static_cast<char32_t>(*character);
    return QString::fromUcs4(&c, 1);
}

void ObjectFacts::setCharacterBefore(AtspiAccessible* accessible, int offset, const QString& character)
{
    const auto chars = character.toUcs4();
    if (chars.size() != 1 || offset <= 0) return;
    know(remember(accessible).before, offset, static_cast<int>(chars.constFirst()));
}

namespace {
constexpr auto recentCaret = std::chrono::milliseconds(50);
}  // namespace

std::optional<QRectF> ObjectFacts::recentCaretBox(AtspiAccessible* accessible, int offset, std::uint32_t xWindow,
                                                  std::uint64_t xChanges)
{
    const Facts* known = find(accessible);
    if (!known || !known->caretBox || !xWindow) return std::nullopt;
    const auto layout = layouts_.find(busName(accessible));
    if (known->caretBoxOffset != offset || known->caretBoxTextChanges != known->textChanges ||
        known->caretBoxLayout != (layout == layouts_.end() ? 0 : layout->second) ||
        known->caretBoxWindow != xWindow || known->caretBoxWindowChanges != xChanges ||
        std::chrono::steady_clock::now() - known->caretBoxAt > recentCaret)
        return std::nullopt;
    return known->caretBox;
}

void ObjectFacts::setRecentCaretBox(AtspiAccessible* accessible, int offset, const QRectF& box,
                                    std::uint32_t xWindow, std::uint64_t xChanges)
{
    Facts& known = remember(accessible);
    const auto layout = layouts_.find(busName(accessible));
    known.caretBox = box;
    known.caretBoxOffset = offset;
    known.caretBoxLayout = layout == layouts_.end() ? 0 : layout->second;
    known.caretBoxTextChanges = known.textChanges;
    known.caretBoxWindow = xWindow;
    known.caretBoxWindowChanges = xChanges;
    known.caretBoxAt = std::chrono::steady_clock::now();
}

void ObjectFacts::checkExtents(AtspiAccessible* accessible, const QRectF& caret)
{
    Facts* known = find(accessible);
    if (!known || !known->extents) return;
    const QRectF frame = known->extents->normalized();
    const QRectF box = caret.normalized();
    if (box.left() >= frame.left() && box.right() <= frame.right() && box.top() >= frame.top() &&
        box.bottom() <= frame.bottom())
        return;
    Moment& now = moment(accessible);
    if (now.extentsAsked) return;
    known->extents.reset();
    now.extents.reset();
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

std::optional<bool> caretEventVerdict(int agreements, int disagreements)
{
    // Agreements after which an application's caret events are believed, and
    // disagreements after which they are not (a keystroke typed while the
    // element was asked may explain one).
    constexpr int needed = 3;
    constexpr int refuted = 2;
    if (disagreements >= refuted) return false;
    if (agreements >= needed) return true;
    return std::nullopt;
}

std::optional<bool> insertionsToldEarly(int whereTold, int earlier)
{
    constexpr int settled = 3;
    if (whereTold > 0 && earlier > 0) return std::nullopt;
    if (earlier >= settled) return true;
    if (whereTold >= settled) return false;
    return std::nullopt;
}

void ObjectFacts::setCaretFromEvents(AtspiAccessible* accessible, bool fromEvents)
{
    remember(accessible).caretFromEvents = fromEvents;
}

AXCode ObjectFacts::answeredCaret(AtspiAccessible* accessible, const std::function<AXCode(int&)>& ask, int& offset)
{
    // The lookups of the keystroke that made the edit; later ones ask, since
    // GTK 4's text view does not tell every move (one back to where it last
    // told the caret was).
    constexpr auto inferredFor = std::chrono::milliseconds(500);
    Facts& facts = remember(accessible);
    facts.caretFromEvents = false;
    if (!caretAskedLast_ || !sameObject(caretAskedLast_.get(), accessible)) caretAskedLast_ = retain(accessible);
    if (facts.caretInferred && facts.caretAnswered &&
        std::chrono::steady_clock::now() - facts.caretInferredAt <= inferredFor && admission(accessible) == axcode::success) {
        offset = *facts.caretAnswered;
        return axcode::success;
    }
    const auto changes = facts.textChanges;
    if (AXCode code = ask(offset)) return code;
    Runtime::instance().takeIncoming();
    Facts* again = find(accessible);
    // A change that came meanwhile may be in the answer or not.
    if (!again || again->textChanges != changes) return axcode::success;
    if (again->insertion) {
        const auto [told, length] = *again->insertion;
        if (offset == told + length) ++again->insertionsWhereTold;
        else if (offset == told + 2 * length) ++again->insertionsEarlier;
        again->insertion.reset();
    }
    again->caretAnswered = offset;
    again->caretInferred = false;
    return axcode::success;
}

AccPtr ObjectFacts::caretUntoldSince(std::chrono::steady_clock::time_point pressed)
{
    if (!caretAskedLast_ || admission(caretAskedLast_.get()) != axcode::success) return {};
    const Facts* facts = find(caretAskedLast_.get());
    if (!facts || facts->caretFromEvents != false || facts->caretAt >= pressed) return {};
    return caretAskedLast_;
}

bool ObjectFacts::caretMovedUntold(AtspiAccessible* accessible, const std::function<AXCode(int&)>& ask)
{
    Facts* facts = find(accessible);
    if (!facts) return false;
    // What the last lookup found; the insertion is not judged by a caret
    // that a key may have moved since.
    const auto known = facts->caretAnswered;
    facts->caretAnswered.reset();
    facts->caretInferred = false;
    facts->insertion.reset();
    const auto changes = facts->textChanges;
    const auto moves = facts->caretAt;
    int offset = -1;
    if (ask(offset)) return false;
    Runtime::instance().takeIncoming();
    Facts* again = find(accessible);
    // An edit or a move told meanwhile has its own lookup.
    if (!again || again->textChanges != changes || again->caretAt != moves) return false;
    again->caretAnswered = offset;
    again->caretInferred = true;
    again->caretInferredAt = std::chrono::steady_clock::now();
    return offset != known;
}

std::optional<bool> ObjectFacts::caretEventsTell(AtspiAccessible* accessible) const
{
    const Habits* known = habits(accessible);
    if (!known) return std::nullopt;
    return caretEventVerdict(known->caretEventAgreements, known->caretEventDisagreements);
}

void ObjectFacts::judgeCaretEvent(AtspiAccessible* accessible, bool agreed)
{
    Habits& known = habits_[busName(accessible)];
    if (agreed) ++known.caretEventAgreements;
    else ++known.caretEventDisagreements;
}

// Each event drops what it may have changed. Toolkits announce every change
// of state (focus, activation, being shown) with an event of the object; a
// removed child may be gone, or may appear elsewhere. Runs inside libatspi's
// calls: nothing is added or removed here, so facts in use stay in place.
void ObjectFacts::take(const EventRecord& record)
{
    const QString& type = record.type;
    if (!keepsLayout(type)) ++layouts_[busName(record.source.get())];
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
    if (starts(type, "object:text-changed") || starts(type, "object:text-attributes-changed")) ++facts->textChanges;
    if (starts(type, "object:text-caret-moved")) {
        if (record.detail1 >= 0) facts->caret = record.detail1;
        else facts->caret.reset();
        facts->caretAfterEdit.reset();
        facts->caretAt = now;
        facts->caretWithEdit = now - facts->textChangedAt <= sameKeystroke;
        if (facts->caretFromEvents == false) {
            // GTK 4's text view follows an edit with the caret from before
            // it; other moves it tells right, but the caret is asked again.
            facts->caretAnswered.reset();
            facts->caretInferred = false;
            if (now - facts->textChangedAt > sameKeystroke) facts->insertion.reset();
        }
    } else if (starts(type, "object:text-changed")) {
        // What stood before the change stays; the last character inserted
        // stands before the end of the insertion.
        const bool insert = starts(type, "object:text-changed:insert");
        int begins = -1;  // where the change begins, when known
        if (record.detail1 < 0 || record.detail2 < 0 || !(insert || starts(type, "object:text-changed:delete"))) {
            facts->before.clear();
            facts->lineStarts.clear();
            facts->characterCount.reset();
        } else {
            // GTK 3, GTK 4 and Qt all tell a removal by its start; where the
            // caret comes from caret events (GTK 3, Qt), an insertion too.
            // Elsewhere an insertion's start counts once the carets asked
            // after a few said where they go in.
            begins = record.detail1;
            if (insert && facts->caretFromEvents != true) {
                const auto early = insertionsToldEarly(facts->insertionsWhereTold, facts->insertionsEarlier);
                if (!early) begins = -1;
                else if (*early) begins += record.detail2;
            }
            if (facts->characterCount) *facts->characterCount += insert ? record.detail2 : -record.detail2;
            if (facts->characterCount && *facts->characterCount < 0) facts->characterCount.reset();
            // An insertion not known to be told where it went in begins
            // at the offset told or after it.
            textChangedFrom(*facts, begins >= 0 ? begins : record.detail1);
            // A line break is left to be read: Qt tells it as a paragraph
            // separator, and its text as a line feed.
            const auto chars = record.text.toUcs4();
            const bool told = insert && begins >= 0 && record.detail2 > 0;
            if (told && chars.size() == record.detail2 && !isLineBreak(chars.constLast()))
                know(facts->before, begins + record.detail2, static_cast<int>(chars.constLast()));
        }
        if (facts->caretFromEvents == false) {
            // A keyboard edit touching the caret leaves it after an insertion,
            // at the start of a removal (by either key).
            const auto caret = std::exchange(facts->caretAnswered, std::nullopt);
            facts->caretInferred = false;
            if (caret && begins >= 0 && record.detail2 > 0) {
                if (insert && begins == *caret) facts->caretAnswered = begins + record.detail2;
                else if (!insert && (*caret == begins || *caret == begins + record.detail2)) facts->caretAnswered = begins;
                facts->caretInferred = facts->caretAnswered.has_value();
                facts->caretInferredAt = now;
            }
            if (insert && record.detail1 >= 0 && record.detail2 > 0) facts->insertion = {record.detail1, record.detail2};
            else facts->insertion.reset();
        }
        // A caret event of the same keystroke says where the caret went;
        // a change without one (GTK 4) leaves the caret unknown.
        facts->textChangedAt = now;
        // An edit where the caret stood moves the caret with it; one
        // elsewhere (the application's own) leaves it unknown.
        facts->caretAfterEdit.reset();
        if (facts->caret && record.detail1 >= 0 && record.detail2 > 0) {
            const int start = record.detail1;
            const int end = record.detail1 + record.detail2;
            if (starts(type, "object:text-changed:insert") && *facts->caret == start) facts->caretAfterEdit = end;
            else if (starts(type, "object:text-changed:delete") && (*facts->caret == end || *facts->caret == start))
                facts->caretAfterEdit = start;
        }
        if (now - facts->caretAt > sameKeystroke) facts->caret.reset();
        else facts->caretWithEdit = true;
    } else if (starts(type, "object:text-selection-changed")) {
        facts->selections.reset();
        facts->caretAnswered.reset();
        facts->caretInferred = false;
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
