#pragma once

#include "Platform/Linux/Atspi/AtspiEvents.h"

#include <QRectF>
#include <QSize>

#include <chrono>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

namespace zorbel::platform::atspi {

// What an application's caret events have shown of themselves: false once two that came with an
// edit named another offset than the element's own (a keystroke typed while the element was
// asked explains one), true after three that agreed (one could agree by chance), unknown before.
std::optional<bool> caretEventVerdict(int agreements, int disagreements);

// Where an object tells its insertions, from the carets asked after them: its
// own length before where it went in (true), where it went in (false), or
// unknown: before three said the same, and for good once both were seen (an
// application's own edit beside the typed one, or a keystroke typed while the
// caret was asked, may say either).
std::optional<bool> insertionsToldEarly(int whereTold, int earlier);

// What an object said of itself that stays true until one of its events says
// otherwise: its role, interfaces, parent, name and states; and where its
// caret is, as its latest caret event told. A caret lookup would otherwise
// ask all of it again on every keystroke, one bus round trip each.
//
// Facts are served only while their application could be asked: one known
// to hang, or whose process is stopped, answers cannotComplete as a call
// would, one whose process has ended invalidUIElement; the first question to
// an object goes to its application. Events are taken in as libatspi reads
// them, and what has arrived is read before a fact is served, so a fact is
// never older than an answer already received. Everything of an application
// is forgotten when its name leaves the bus.
class ObjectFacts {
public:
    static ObjectFacts& instance();

    struct Facts {
        std::optional<int> role;
        std::optional<std::uint64_t> states;  // one bit per AtspiStateType
        std::uint32_t interfacesKnown = 0;    // one bit per Interface
        std::uint32_t interfaces = 0;
        bool parentKnown = false;
        AccPtr parent;
        std::optional<QString> name;
        // From caret events only: a toolkit that sends none is always asked.
        std::optional<int> caret;
        std::chrono::steady_clock::time_point caretAt;
        // The caret event came with a change of the text (a typed or erased
        // character), where a toolkit may tell another offset than the caret.
        bool caretWithEdit = false;
        // Where an edit at the caret left it (after an insertion, at the
        // start of a removal), until the caret event that follows: typing
        // is placed before that event comes, which corrects it.
        std::optional<int> caretAfterEdit;
        std::chrono::steady_clock::time_point textChangedAt;
        // Whether the caret comes from its caret events (unknown until a
        // lookup asked for it): an object whose caret events cannot stand for
        // its caret (GTK 4's text view) may tell its edits at other offsets.
        std::optional<bool> caretFromEvents;
        // Its caret where its caret events cannot stand for it: as asked last,
        // or (`caretInferred`, since `caretInferredAt`) where a keyboard edit
        // touching that caret left it or as asked after a key that edited
        // nothing; dropped by its caret events, an edit elsewhere or a change
        // of selection.
        std::optional<int> caretAnswered;
        bool caretInferred = false;
        std::chrono::steady_clock::time_point caretInferredAt;
        // Its latest insertion as told (offset, length), until the caret asked
        // after it shows where it went in: GTK 4.8's text view tells an
        // insertion its own length before where it went, its entries where
        // it went.
        std::optional<std::pair<int, int>> insertion;
        int insertionsWhereTold = 0;
        int insertionsEarlier = 0;
        std::optional<int> selections;
        // The number of characters, counted on with each insertion and
        // removal; kept only for an application whose events and answers
        // come in one stream (GTK answers on a connection of its own, so an
        // answer may overtake the event of a change it already counts).
        std::optional<int> characterCount;
        // A window's own size (window coordinates) and the size of its X
        // window it was measured beside, and since when that X size is seen.
        std::optional<QSize> windowSize;
        QSize windowSizeAtX;
        std::chrono::steady_clock::time_point xSizeSince;
        // The font size of the text's default attributes, as told (empty:
        // none told), and when; kept until its text attributes, children or
        // bounds change, and a short while at most: Qt announces none of
        // these (a field zoomed or given another font says nothing).
        std::optional<QString> fontSize;
        std::chrono::steady_clock::time_point fontSizeAt;
        // The element's box (accessibility coordinates), as asked while its
        // application's layout count and its X window's changes were these.
        // What is known of the text before an offset, while no change of the
        // text came before that offset (and a few seconds at most: a text
        // may change without a word): the character right before it (the
        // last one typed, or one read), and where its line starts.
        struct Before {
            int offset;
            int value;
            std::chrono::steady_clock::time_point at;
        };
        std::vector<Before> before;
        std::vector<Before> lineStarts;
        // Changes of its text or its text's attributes so far.
        std::uint64_t textChanges = 0;
        // The caret's box found last, at this offset, with these counts.
        std::optional<QRectF> caretBox;
        int caretBoxOffset = -1;
        std::uint64_t caretBoxLayout = 0;
        std::uint64_t caretBoxTextChanges = 0;
        std::uint32_t caretBoxWindow = 0;
        std::uint64_t caretBoxWindowChanges = 0;
        std::chrono::steady_clock::time_point caretBoxAt;
        std::optional<QRectF> extents;
        std::uint64_t extentsLayout = 0;
        std::uint32_t extentsWindow = 0;
        std::uint64_t extentsWindowChanges = 0;
        std::chrono::steady_clock::time_point extentsAt;
    };
    enum Interface : std::uint32_t { text = 1, component = 2, editableText = 4, value = 8, action = 16 };

    // What the object's application would answer now, without asking it:
    // success when a remembered fact may be served.
    static AXCode admission(AtspiAccessible* accessible);
    // Brings the facts up to date with one event, as libatspi delivers it.
    void take(const EventRecord& record);
    // The object's facts (null when none are known); only asked after a
    // successful admission.
    Facts* find(AtspiAccessible* accessible);
    Facts& remember(AtspiAccessible* accessible);

    // Answers that hold while the main loop has not turned (and a few
    // milliseconds at most, for callers that wait without letting it turn):
    // one lookup asks some of them several times.
    struct Moment {
        std::optional<int> characterCount;
        std::optional<QRectF> extents;
        // The box was asked of the application in this moment, not kept.
        bool extentsAsked = false;
    };
    Moment& moment(AtspiAccessible* accessible);

    // An element's box is kept until its application announces a change
    // of its layout (a bounds, children, state, property or window event of
    // any of its objects) or its X window (`xWindow`, whose changes are
    // counted at `xChanges`) moves or changes size, and a few seconds at
    // most: Qt moves a widget inside its window without a word. An answer
    // given just after the window changed may be the old one, and is not
    // kept.
    std::optional<QRectF> keptExtents(AtspiAccessible* accessible, std::uint32_t xWindow, std::uint64_t xChanges);
    void keepExtents(AtspiAccessible* accessible, const QRectF& box, std::uint32_t xWindow, std::uint64_t xChanges);
    // The character right before `offset`, where a text change or a read
    // told it and no change before it came since; and one read now.
    std::optional<QString> characterBefore(AtspiAccessible* accessible, int offset);
    void setCharacterBefore(AtspiAccessible* accessible, int offset, const QString& character);
    std::optional<int> lineStart(AtspiAccessible* accessible, int offset);
    void setLineStart(AtspiAccessible* accessible, int offset, int start);
    // The caret's box found a moment ago at the same offset, while neither
    // the text, nor the layout, nor the X window changed: a keystroke whose
    // events come in two batches is looked up twice.
    std::optional<QRectF> recentCaretBox(AtspiAccessible* accessible, int offset, std::uint32_t xWindow,
                                         std::uint64_t xChanges);
    void setRecentCaretBox(AtspiAccessible* accessible, int offset, const QRectF& box, std::uint32_t xWindow,
                           std::uint64_t xChanges);
    // A caret found outside the kept box says that the box has moved: it is
    // asked again (unless it was asked just now).
    void checkExtents(AtspiAccessible* accessible, const QRectF& caret);

    // Whether the application answers all zeros for the caret box at the end
    // of a text (Qt does; the character before it is then asked at once).
    bool zerosAtTextEnd(AtspiAccessible* accessible) const;
    void setZerosAtTextEnd(AtspiAccessible* accessible);
    // Whether the application answers character boxes without height, whose
    // corners alone place the caret (they are then asked at once).
    bool flatBoxes(AtspiAccessible* accessible) const;
    void setFlatBoxes(AtspiAccessible* accessible);
    // The distance between lines such boxes showed last (0 before any).
    double linePitch(AtspiAccessible* accessible) const;
    void setLinePitch(AtspiAccessible* accessible, double pitch);

    // Whether the caret offset of the application's caret events can stand
    // for the caret: false once one event that came with an edit named
    // another offset than the element's own (the insertion point of the
    // typed character; twice, since a keystroke typed meanwhile may have
    // moved the caret on before the element was asked), true after a few
    // that agreed, unknown before.
    std::optional<bool> caretEventsTell(AtspiAccessible* accessible) const;
    void judgeCaretEvent(AtspiAccessible* accessible, bool agreed);

    // Where an object whose caret is asked has its caret: asked now (with
    // `ask`), or inferred from the keyboard edit just told.
    AXCode answeredCaret(AtspiAccessible* accessible, const std::function<AXCode(int&)>& ask, int& offset);
    void setCaretFromEvents(AtspiAccessible* accessible, bool fromEvents);
    // After a key that edits nothing (an arrow, Home) or a click pressed at
    // `pressed`: the object whose caret was asked last, where no caret event
    // of it came since (GTK 4's text view tells no move back to the offset it
    // told last); null elsewhere.
    AccPtr caretUntoldSince(std::chrono::steady_clock::time_point pressed);
    // Asks such an object's caret (with `ask`) and keeps it for the lookup
    // that follows: whether it stands elsewhere than where it was asked or
    // inferred last (an edit or a move told meanwhile, or a call that failed,
    // leave it to their own lookups).
    bool caretMovedUntold(AtspiAccessible* accessible, const std::function<AXCode(int&)>& ask);

    // Whether the object's application answers on the connection its events
    // come by.
    static bool answersWithEvents(AtspiAccessible* accessible);

    // Its name has left the bus: the application has gone.
    void forgetApplication(const QString& bus);

private:
    ObjectFacts();
    void forget(AtspiAccessible* accessible);

    std::unordered_map<QString, std::unordered_map<QString, Facts>> byApplication_;
    // The object whose caret was asked last where caret events cannot stand
    // for it.
    AccPtr caretAskedLast_;
    // What was learnt of how an application answers, by its bus name.
    struct Habits {
        bool zerosAtTextEnd = false;
        bool flatBoxes = false;
        double linePitch = 0;
        int caretEventAgreements = 0;
        int caretEventDisagreements = 0;
    };
    const Habits* habits(AtspiAccessible* accessible) const;
    std::unordered_map<QString, Habits> habits_;
    // Counts the layout events of each application, by its bus name.
    std::unordered_map<QString, std::uint64_t> layouts_;
    std::unordered_map<QString, Moment> moments_;
    std::chrono::steady_clock::time_point momentsSince_;
    bool momentsScheduled_ = false;
    std::size_t count_ = 0;
};

}  // namespace zorbel::platform::atspi
