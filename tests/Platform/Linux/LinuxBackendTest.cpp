// The Linux services without a desktop: role mapping, screen frames, processes,
// and what a missing accessibility bus answers.
#include "Platform/Linux/AtspiAccessibility.h"
#include "Platform/Linux/Atspi/AtspiCaret.h"
#include "Platform/Linux/Atspi/AtspiFacts.h"
#include "Platform/Linux/Atspi/AtspiObservers.h"
#include "Platform/Linux/Atspi/AtspiRoles.h"
#include "Platform/Linux/Atspi/AtspiRuntime.h"
#include "Platform/Linux/Atspi/AtspiScale.h"
#include "Platform/Linux/LinuxRunningApplication.h"
#include "Platform/Linux/LinuxPowerSource.h"
#include "Platform/Linux/LinuxWorkspace.h"
#include "Platform/Linux/ScreenPixels.h"
#include "Platform/Linux/X11EventMonitor.h"
#include "support/TestWorld.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <X11/keysym.h>
#include <atspi/atspi.h>
#include <gtest/gtest.h>

#include <functional>

#include <sys/wait.h>
#include <unistd.h>

namespace zorbel::platform {
namespace {

using atspi::RoleFacts;

RoleFacts facts(int role, bool singleLine = false, bool multiLine = false, bool editable = false,
                bool topLevel = false, bool text = false)
{
    return RoleFacts{role, singleLine, multiLine, editable, topLevel, text};
}

TEST(AtspiRoles, TextRolesFollowTheLineStatesOfEachToolkit)
{
    // GtkEntry and GtkTextView are both "text"; their line states tell them apart.
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_TEXT, true, false, true)), "AXTextField");
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_TEXT, false, true, true)), "AXTextArea");
    // Qt's line edit carries neither state.
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_TEXT, false, false, true)), "AXTextField");
    // Browsers expose text areas as multi-line entries.
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_ENTRY, false, true, true)), "AXTextArea");
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_PASSWORD_TEXT, true, false, true)), "AXTextField");
    EXPECT_EQ(atspi::axSubrole(facts(ATSPI_ROLE_PASSWORD_TEXT, true, false, true)), "AXSecureTextField");
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_TEXT)), "AXStaticText") << "text that cannot be edited";
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_COMBO_BOX)), "AXComboBox");
    // A word processor's paragraphs take the caret where they are editable text.
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_PARAGRAPH, false, true, true, false, true)), "AXTextArea");
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_PARAGRAPH, false, true, false, false, true)), "AXGroup");
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_PARAGRAPH, false, true, true)), "AXGroup") << "no text to read";

    // Every role that takes typed text, editable and not; a terminal is always many lines.
    for (int role : {ATSPI_ROLE_TEXT, ATSPI_ROLE_ENTRY, ATSPI_ROLE_PASSWORD_TEXT, ATSPI_ROLE_EDITBAR, ATSPI_ROLE_TERMINAL}) {
        SCOPED_TRACE(role);
        EXPECT_EQ(atspi::axRole(facts(role, false, true, true)), "AXTextArea");
        EXPECT_EQ(atspi::axRole(facts(role, true, false, true)), role == ATSPI_ROLE_TERMINAL ? "AXTextArea" : "AXTextField");
    }
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_EDITBAR)), "AXStaticText");
    // Entries and password fields take text whatever states they carry.
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_ENTRY)), "AXTextField");
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_PASSWORD_TEXT)), "AXTextField");
    // The parts of a document a word processor lets the user type into, and only those.
    for (int role : {ATSPI_ROLE_PARAGRAPH, ATSPI_ROLE_HEADING, ATSPI_ROLE_SECTION, ATSPI_ROLE_DOCUMENT_TEXT,
                     ATSPI_ROLE_DOCUMENT_FRAME}) {
        SCOPED_TRACE(role);
        EXPECT_EQ(atspi::axRole(facts(role, false, true, true, false, true)), "AXTextArea");
        EXPECT_EQ(atspi::axRole(facts(role, true, false, true, false, true)), "AXTextField");
        EXPECT_NE(atspi::axRole(facts(role, false, true, false, false, true)), "AXTextArea") << "read-only";
    }
    for (int role : {ATSPI_ROLE_LABEL, ATSPI_ROLE_PANEL, ATSPI_ROLE_DOCUMENT_WEB}) {
        SCOPED_TRACE(role);
        const QString mapped = atspi::axRole(facts(role, false, true, true, false, true));
        EXPECT_NE(mapped, "AXTextArea");
        EXPECT_NE(mapped, "AXTextField");
    }
}

TEST(AtspiRoles, WhatAnApplicationHoldsDirectlyIsAWindow)
{
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_FRAME, false, false, false, true)), "AXWindow");
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_DIALOG, false, false, false, true)), "AXWindow");
    EXPECT_EQ(atspi::axSubrole(facts(ATSPI_ROLE_DIALOG, false, false, false, true)), "AXDialog");
    // Qt's top-level widgets are fillers.
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_FILLER, false, false, false, true)), "AXWindow");
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_FILLER)), "AXGroup");
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_APPLICATION)), "AXApplication");
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_SCROLL_PANE)), "AXScrollArea");
    EXPECT_EQ(atspi::axRole(facts(ATSPI_ROLE_CALENDAR)), "AXUnknown");
}

// A window activation stands for two notifications; an owner that lets its
// observer go on the first must not hear the second through freed code.
TEST(AtspiObservers, AnObserverLetGoInsideItsCallbackHearsNothingMore)
{
    int calls = 0;
    std::shared_ptr<atspi::AtspiObserver> owned;
    owned = std::make_shared<atspi::AtspiObserver>(42, [&](const AXElementRef&, const QString&, const AXValue&) {
        ++calls;
        owned.reset();
    });
    const std::weak_ptr<atspi::AtspiObserver> weak = owned;
    for (const char* name : {"AXFocusedWindowChanged", "AXMainWindowChanged"})
        owned->registrations.push_back({AXElementRef(), QString::fromLatin1(name)});
    const atspi::ObserverRegistry::Notifications activation{{QStringLiteral("AXFocusedWindowChanged"), AXElementRef()},
                                                            {QStringLiteral("AXMainWindowChanged"), AXElementRef()}};
    atspi::ObserverRegistry::deliver({weak}, activation, [](const auto&, const auto&) { return true; });
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(weak.expired()) << "released as soon as its callback returned";
}

TEST(LinuxWorkspaceScreens, FramesAreFlippedAgainstTheFirstScreen)
{
    const auto frames = cocoaScreenFrames({QRect(0, 0, 1280, 800), QRect(1280, 0, 1920, 1080),
                                           QRect(0, -600, 800, 600)});
    ASSERT_EQ(frames.size(), 3);
    EXPECT_EQ(frames[0], QRectF(0, 0, 1280, 800));
    EXPECT_EQ(frames[1], QRectF(1280, -280, 1920, 1080)) << "taller screen to the right reaches below";
    EXPECT_EQ(frames[2], QRectF(0, 800, 800, 600)) << "a screen above the first lies at y = its height";
    // A first screen away from the root origin still starts the Cocoa space.
    const auto shifted = cocoaScreenFrames({QRect(1920, 0, 1280, 1024), QRect(0, 0, 1920, 1080)});
    EXPECT_EQ(shifted[0], QRectF(0, 0, 1280, 1024));
    EXPECT_EQ(shifted[1], QRectF(-1920, -56, 1920, 1080));
    EXPECT_TRUE(cocoaScreenFrames({}).isEmpty());
}

// Measured on real windows: GTK 3 counts the window manager's frame into its window's size,
// GTK 4 without a compositor keeps an invisible border, Qt reports its window exactly.
TEST(ApplicationScale, WindowRatiosGiveTheToolkitsFactor)
{
    EXPECT_EQ(atspi::scaleFromRatios(600.0 / 301, 400.0 / 213), 2.0) << "GTK 3 at GDK_SCALE=2";
    EXPECT_EQ(atspi::scaleFromRatios(700.0 / 690, 520.0 / 510), 1.0) << "GTK 4, 5 px border";
    EXPECT_EQ(atspi::scaleFromRatios(1400.0 / 690, 1040.0 / 510), 2.0) << "GTK 4 at GDK_SCALE=2";
    EXPECT_EQ(atspi::scaleFromRatios(600.0 / 300, 400.0 / 200), 2.0) << "Qt at QT_SCALE_FACTOR=2";
    EXPECT_DOUBLE_EQ(*atspi::scaleFromRatios(520.0 / 400, 390.0 / 300), 1.3) << "QT_SCALE_FACTOR=1.3";
    EXPECT_FALSE(atspi::scaleFromRatios(1280.0 / 300, 800.0 / 213)) << "a size caught in the middle of a resize";
    EXPECT_FALSE(atspi::scaleFromRatios(6000.0 / 2, 1.0));
}

// The window box a scale is measured from: GTK 4 and GTK 3 with client-side decorations draw
// shadows inside their X window and report their size without them.
TEST(ApplicationScale, AWindowIsMeasuredWithoutTheFrameItsToolkitDrawsAroundIt)
{
    EXPECT_EQ(atspi::scaleOfWindow({700, 520}, QMargins(23, 16, 23, 30), {654, 474}), 1.0) << "GTK 4's shadows";
    EXPECT_EQ(atspi::scaleOfWindow({1400, 1040}, QMargins(46, 32, 46, 60), {654, 474}), 2.0) << "at GDK_SCALE=2";
    EXPECT_EQ(atspi::scaleOfWindow({1308, 948}, std::nullopt, {654, 474}), 2.0) << "no frame drawn";
    EXPECT_EQ(atspi::scaleOfWindow({600, 400}, QMargins(), {300, 200}), 2.0);
    // Windows too small to tell a factor by, with or without their frame.
    EXPECT_FALSE(atspi::scaleOfWindow({62, 62}, std::nullopt, {31, 31}));
    EXPECT_FALSE(atspi::scaleOfWindow({100, 100}, QMargins(40, 40, 40, 40), {50, 50}));
    EXPECT_TRUE(atspi::scaleOfWindow({64, 64}, std::nullopt, {32, 32}));
}

// An empty Qt field or browser text answers no caret box: the caret is drawn where their styles
// put it, at the left of a field halfway down, at the top left of a multi-line view.
TEST(AtspiCaret, AnEmptyTextsCaretStandsWhereItsStyleDrawsIt)
{
    const QRectF field(100, 200, 300, 30);
    EXPECT_EQ(atspi::emptyTextCaretBox(field, false, {3, 3}, 18), QRectF(103, 206, 0, 18));
    EXPECT_EQ(atspi::emptyTextCaretBox(field, false, {3, 3}, 40), QRectF(103, 200, 0, 30)) << "no higher than the field";
    const QRectF view(100, 200, 300, 400);
    EXPECT_EQ(atspi::emptyTextCaretBox(view, true, {5, 5}, 18), QRectF(105, 205, 0, 18));
    EXPECT_EQ(atspi::emptyTextCaretBox(QRectF(100, 200, 300, 20), true, {5, 5}, 18), QRectF(105, 205, 0, 10));
    EXPECT_EQ(atspi::emptyTextCaretBox(view, true, {10, 10}, 36), QRectF(110, 210, 0, 36)) << "at scale 2";
}

// A one-line KTextEditor line is as high as its font; the font's size is told by how wide the
// text before the caret is drawn, counted in cells: Chinese fills two, a tab an unknown number.
TEST(AtspiCaret, TextBeforeTheCaretIsCountedInFixedWidthCells)
{
    EXPECT_EQ(atspi::textColumns(QStringLiteral("caret")), 5);
    EXPECT_EQ(atspi::textColumns(QStringLiteral("你好, x")), 7);
    EXPECT_EQ(atspi::textColumns(QStringLiteral("e\u0301")), 1) << "a combining accent takes no cell";
    EXPECT_EQ(atspi::textColumns(QString::fromUcs4(U"\U00020000a")), 3) << "beyond the first plane";
    EXPECT_EQ(atspi::textColumns(QStringLiteral("a\tb")), 0);
    EXPECT_EQ(atspi::textColumns(QString()), 0);
}

// Three caret events that agreed with the element make an application's events believed, two
// that disagreed make them doubted for good; one alone may be a keystroke typed meanwhile.
TEST(AtspiFacts, CaretEventsAreBelievedAfterThreeAgreementsAndNeverAfterTwoDisagreements)
{
    EXPECT_EQ(atspi::caretEventVerdict(0, 0), std::nullopt);
    EXPECT_EQ(atspi::caretEventVerdict(2, 0), std::nullopt);
    EXPECT_EQ(atspi::caretEventVerdict(3, 0), true);
    EXPECT_EQ(atspi::caretEventVerdict(40, 0), true);
    EXPECT_EQ(atspi::caretEventVerdict(1, 1), std::nullopt) << "one disagreement may be a keystroke typed meanwhile";
    EXPECT_EQ(atspi::caretEventVerdict(3, 1), true);
    EXPECT_EQ(atspi::caretEventVerdict(1, 2), false);
    EXPECT_EQ(atspi::caretEventVerdict(40, 2), false) << "agreements after two disagreements do not undo them";
}

namespace {
// A text object of an application on no bus, whose events are handed to the facts directly.
atspi::AccPtr textObject(const char* bus, const char* path)
{
    auto* app = static_cast<AtspiApplication*>(g_object_new(ATSPI_TYPE_APPLICATION, nullptr));
    app->bus_name = g_strdup(bus);
    auto* object = static_cast<AtspiAccessible*>(g_object_new(ATSPI_TYPE_ACCESSIBLE, nullptr));
    ATSPI_OBJECT(object)->app = app;
    ATSPI_OBJECT(object)->path = g_strdup(path);
    // Never released: libatspi's release would look for the application's own tables.
    return atspi::AccPtr(object, [](AtspiAccessible*) {});
}

atspi::EventRecord textChange(const atspi::AccPtr& source, const char* kind, int offset, const QString& text)
{
    atspi::EventRecord record;
    record.type = QStringLiteral("object:text-changed:") + QLatin1String(kind);
    record.detail1 = offset;
    record.detail2 = static_cast<int>(text.toUcs4().size());
    record.source = source;
    record.text = text;
    return record;
}

// An application that answers `caret` when asked for its caret, counting the questions.
std::function<AXCode(int&)> answering(const int& caret, int& asks)
{
    return [&caret, &asks](int& offset) {
        ++asks;
        offset = caret;
        return axcode::success;
    };
}

QString before(const atspi::AccPtr& object, int offset)
{
    return atspi::ObjectFacts::instance().characterBefore(object.get(), offset).value_or(QStringLiteral("?"));
}
}  // namespace

// GTK 4.8's text view tells a typed character one offset before where it went in (its caret is
// asked, its caret events name the caret from before the keystroke): what the back end keeps of
// the character before the caret comes from where the text went in, as the carets asked after
// three insertions showed, and from nothing before. Its entries, and toolkits whose caret events
// stand for the caret, tell insertions where they went in.
TEST(AtspiFacts, TheCharacterBeforeTheCaretIsKeptFromWhereTheTextWentIn)
{
    auto& facts = atspi::ObjectFacts::instance();
    const auto view = textObject(":1.901", "/gtk4/view");
    facts.remember(view.get());
    int caret = 9;  // "xxxx xxxx", the caret at its end, as the application answers
    int asks = 0;
    const auto ask = answering(caret, asks);
    int offset = 0;
    ASSERT_EQ(facts.answeredCaret(view.get(), ask, offset), axcode::success);
    for (int typed = 0; typed < 3; ++typed) {
        SCOPED_TRACE(typed);
        // "y" goes in at the caret, told one offset before it.
        facts.take(textChange(view, "insert", caret - 1, QStringLiteral("y")));
        ++caret;
        EXPECT_EQ(before(view, caret - 1), QStringLiteral("?")) << "not the typed character";
        EXPECT_EQ(before(view, caret), QStringLiteral("?")) << "where insertions go in is not yet known";
        ASSERT_EQ(facts.answeredCaret(view.get(), ask, offset), axcode::success);
        EXPECT_EQ(offset, caret);
    }
    EXPECT_EQ(asks, 4);
    facts.setCharacterBefore(view.get(), caret, QStringLiteral("y"));
    facts.take(textChange(view, "insert", caret - 1, QStringLiteral("z")));
    EXPECT_EQ(before(view, caret + 1), QStringLiteral("z"));
    EXPECT_EQ(before(view, caret), QStringLiteral("y")) << "what stood before the insertion stays";
    facts.take(textChange(view, "delete", caret, QStringLiteral("z")));
    EXPECT_EQ(before(view, caret), QStringLiteral("y")) << "nor does erasing what follows it change it";
    EXPECT_EQ(before(view, caret + 1), QStringLiteral("?"));

    // An entry of the same toolkit tells where the text went in.
    const auto entry = textObject(":1.901", "/gtk4/entry");
    facts.remember(entry.get());
    caret = 3;
    ASSERT_EQ(facts.answeredCaret(entry.get(), ask, offset), axcode::success);
    for (int typed = 0; typed < 3; ++typed) {
        facts.take(textChange(entry, "insert", caret, QStringLiteral("y")));
        ++caret;
        ASSERT_EQ(facts.answeredCaret(entry.get(), ask, offset), axcode::success);
    }
    facts.take(textChange(entry, "insert", caret, QStringLiteral("z")));
    EXPECT_EQ(before(entry, caret + 1), QStringLiteral("z"));

    // A view where both were seen (an application's own insertion beside the typed one) is not
    // believed either way.
    const auto mixed = textObject(":1.901", "/gtk4/mixed");
    facts.remember(mixed.get());
    caret = 0;
    ASSERT_EQ(facts.answeredCaret(mixed.get(), ask, offset), axcode::success);
    for (int typed = 0; typed < 5; ++typed) {
        facts.take(textChange(mixed, "insert", typed == 0 ? caret : caret - 1, QStringLiteral("y")));
        ++caret;
        ASSERT_EQ(facts.answeredCaret(mixed.get(), ask, offset), axcode::success);
    }
    facts.take(textChange(mixed, "insert", caret - 1, QStringLiteral("z")));
    EXPECT_EQ(before(mixed, caret), QStringLiteral("?"));
    EXPECT_EQ(before(mixed, caret + 1), QStringLiteral("?"));

    // Where caret events stand for the caret (GTK 3, Qt), an insertion counts at once.
    const auto field = textObject(":1.902", "/gtk3/entry");
    facts.setCaretFromEvents(field.get(), true);
    facts.take(textChange(field, "insert", 4, QStringLiteral("z")));
    EXPECT_EQ(before(field, 5), QStringLiteral("z"));
}

// GTK 4.8's text view tells no move back to the offset it told last (Left right after a typed
// character): after a key that edits nothing its caret is asked once, and only a caret elsewhere
// than the one asked or inferred last is a move to tell, kept for the lookup that follows; an
// edit or a move told meanwhile has a lookup of its own, and a caret a key moved judges no
// insertion.
TEST(AtspiFacts, AKeyThatEditsNothingTellsOnlyAMoveItMade)
{
    auto& facts = atspi::ObjectFacts::instance();
    const auto view = textObject(":1.903", "/gtk4/view");
    facts.remember(view.get());
    int caret = 9;
    int asks = 0;
    const auto ask = answering(caret, asks);
    int offset = 0;
    ASSERT_EQ(facts.answeredCaret(view.get(), ask, offset), axcode::success);
    EXPECT_FALSE(facts.caretMovedUntold(view.get(), ask)) << "Right at the end of the text";
    caret = 8;
    EXPECT_TRUE(facts.caretMovedUntold(view.get(), ask)) << "Left";
    EXPECT_FALSE(facts.caretMovedUntold(view.get(), ask)) << "the caret asked is kept";
    EXPECT_EQ(asks, 4);

    // "y" typed at 8, told at 7; Left brings the caret back to 8, where the insertion would
    // read as told where it went in.
    facts.take(textChange(view, "insert", caret - 1, QStringLiteral("y")));
    EXPECT_TRUE(facts.caretMovedUntold(view.get(), ask));
    ASSERT_EQ(facts.answeredCaret(view.get(), ask, offset), axcode::success);
    EXPECT_EQ(facts.find(view.get())->insertionsWhereTold, 0);
    EXPECT_EQ(facts.find(view.get())->insertionsEarlier, 0);

    caret = 3;
    const auto typedMeanwhile = [&](int& asked) {
        facts.take(textChange(view, "insert", 2, QStringLiteral("y")));
        return ask(asked);
    };
    EXPECT_FALSE(facts.caretMovedUntold(view.get(), typedMeanwhile));
    const auto movedMeanwhile = [&](int& asked) {
        atspi::EventRecord moved;
        moved.type = QStringLiteral("object:text-caret-moved");
        moved.detail1 = 2;
        moved.source = view;
        facts.take(moved);
        return ask(asked);
    };
    EXPECT_FALSE(facts.caretMovedUntold(view.get(), movedMeanwhile));
    EXPECT_FALSE(facts.caretMovedUntold(view.get(), [](int&) { return axcode::cannotComplete; }))
        << "a caret that could not be asked is left to the lookup";
}

// A window drawn at x = 1480 on a monitor whose corner is x = 1280, at scale 2: GDK says 740
// (half of everything), Qt 6 says 1380 (half of what lies past the corner). A toolkit that
// has not yet heard of the move to that monitor still answers its old place: no way of
// counting is learnt from it.
TEST(ApplicationScale, WhereAScaledWindowStandsTellsHowItsToolkitCountsOnAnotherScreen)
{
    using atspi::ScreenOrigins;
    const QPointF corner(1280, 0);
    EXPECT_EQ(atspi::screenOriginsFrom({740, 75}, {1480, 150}, 2, corner), ScreenOrigins::root);
    EXPECT_EQ(atspi::screenOriginsFrom({728, 60}, {1480, 150}, 2, corner), ScreenOrigins::root)
        << "a window manager's frame between the two";
    EXPECT_EQ(atspi::screenOriginsFrom({1380, 75}, {1480, 150}, 2, corner), ScreenOrigins::eachScreen);
    EXPECT_EQ(atspi::screenOriginsFrom({200, 150}, {1480, 150}, 2, corner), ScreenOrigins::unknown);
    const atspi::ApplicationScale onSecond{2, corner * (1 - 2), {}};
    EXPECT_EQ(onSecond.toPixels(QRectF(1380, 75, 10, 20)), QRectF(1480, 150, 20, 40));
    EXPECT_EQ(onSecond.toUnits(QPointF(1480, 150)), QPointF(1380, 75));
}

// Two monitors of 1280 × 800 side by side, and two stacked (the second at y = 1080). A window
// of 480 × 320 units at scale 2 is 960 × 640 pixels: on the second monitor its middle may lie
// past every monitor's edge, where the root's corner was taken (the indicator 1280 px off). A
// toolkit that counts each screen from its own corner counts each point from the corner of the
// screen that holds it, and a point on no screen from the window's own screen.
TEST(ApplicationScale, EachPointIsCountedFromItsOwnScreensCornerWhereverTheWindowsMiddleLies)
{
    const QList<QRectF> sideBySide{QRectF(0, 0, 1280, 800), QRectF(1280, 0, 1280, 800)};
    const QList<QRectF> stacked{QRectF(0, 0, 1920, 1080), QRectF(0, 1080, 1920, 1080)};
    EXPECT_EQ(atspi::screenOfWindow(QRectF(1480, 150, 960, 640), sideBySide), sideBySide[1]) << "middle on it";
    EXPECT_EQ(atspi::screenOfWindow(QRectF(2000, 300, 960, 640), sideBySide), sideBySide[1])
        << "middle past the right edge: the screen with the largest part";
    EXPECT_EQ(atspi::screenOfWindow(QRectF(1000, 100, 960, 640), sideBySide), sideBySide[1])
        << "across both, middle on the second";
    EXPECT_EQ(atspi::screenOfWindow(QRectF(900, 1900, 960, 640), stacked), stacked[1]) << "past the bottom";
    EXPECT_EQ(atspi::screenOfWindow(QRectF(3000, 100, 100, 100), sideBySide), std::nullopt);

    for (const auto& [screens, second] : {std::pair{sideBySide, QPointF(1280, 0)}, std::pair{stacked, QPointF(0, 1080)}}) {
        // Counted on the first screen (its middle there), the window still counts a caret on
        // the second screen from that screen's corner.
        const atspi::ApplicationScale scale{2, {}, screens};
        const QPointF caret = second + QPointF(300, 400);  // in pixels
        const QPointF units = second + QPointF(150, 200);
        EXPECT_EQ(scale.toPixels(QRectF(units, QSizeF(1, 10))), QRectF(caret, QSizeF(2, 20)));
        EXPECT_EQ(scale.toUnits(caret), units);
        EXPECT_EQ(scale.toPixels(QRectF(100, 50, 1, 10)), QRectF(200, 100, 2, 20)) << "on the first screen";
        EXPECT_EQ(scale.toUnits(QPointF(200, 100)), QPointF(100, 50));
        const atspi::ApplicationScale atOneAndAHalf{1.5, second * (1 - 1.5), screens};
        EXPECT_EQ(atOneAndAHalf.toPixels(QRectF(second + QPointF(100, 100), QSizeF(2, 10))),
                  QRectF(second + QPointF(150, 150), QSizeF(3, 15)));
        EXPECT_EQ(atOneAndAHalf.toUnits(QPointF(5000, 5000)), (QPointF(5000, 5000) - second * (1 - 1.5)) / 1.5)
            << "a point on no screen: the window's own screen";
    }
}

// Qt keeps each screen's top-left corner and scales what lies on it.
TEST(ScreenPixels, AScaledProgramCountsFewerPixelsFromEachScreensCorner)
{
    const QList<ScreenScale> screens{{QRect(0, 0, 640, 400), 2}, {QRect(1280, 0, 960, 540), 2}};
    EXPECT_EQ(programFromPixels(QRectF(404, 254, 0, 46), screens), QRectF(202, 127, 0, 23));
    EXPECT_EQ(programFromPixels(QPointF(1300, 20), screens), QPointF(1290, 10)) << "on the second screen";
    EXPECT_EQ(pixelsFromProgram(QPointF(1290, 10), screens), QPointF(1300, 20));
    EXPECT_EQ(programFromPixels(QPointF(7, 9), {}), QPointF(7, 9)) << "no screens: pixels as they are";
}

TEST(LinuxRunningApplication, AProcessThatEndedIsTerminated)
{
    const auto self = LinuxRunningApplication::processStartTime(::getpid());
    ASSERT_TRUE(self);
    const LinuxRunningApplication me(::getpid(), *self, {QStringLiteral("tests"), QStringLiteral("Tests"), false});
    EXPECT_FALSE(me.isTerminated());
    EXPECT_EQ(me.activationPolicy(), ActivationPolicy::accessory) << "no windows";
    EXPECT_EQ(LinuxRunningApplication::executableName(::getpid()),
              QFileInfo(QCoreApplication::applicationFilePath()).fileName());

    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ASSERT_GT(child, 0);
    const auto start = LinuxRunningApplication::processStartTime(child);
    int status = 0;
    ::waitpid(child, &status, 0);
    const LinuxRunningApplication gone(child, start.value_or(0), {});
    EXPECT_TRUE(gone.isTerminated());
    EXPECT_EQ(gone.bundleIdentifier(), std::nullopt);
    // The same process id with another start time is another process.
    const LinuxRunningApplication other(::getpid(), *self + 1, {});
    EXPECT_TRUE(other.isTerminated());

    // One that ends while it is known: stopped it still runs; ended it is terminated
    // before its parent reaps it and after.
    int toChild[2];
    ASSERT_EQ(::pipe(toChild), 0);
    const pid_t waiting = ::fork();
    if (waiting == 0) {
        char byte = 0;
        ::_exit(::read(toChild[0], &byte, 1) == 1 ? 0 : 1);
    }
    ASSERT_GT(waiting, 0);
    const auto waitingStart = LinuxRunningApplication::processStartTime(waiting);
    ASSERT_TRUE(waitingStart);
    const LinuxRunningApplication ending(waiting, *waitingStart, {});
    EXPECT_FALSE(ending.isTerminated());
    // The accessibility back end's view of the same process, whose state it reads anew every
    // few milliseconds.
    using Process = atspi::Runtime::Process;
    const auto processBecomes = [waiting](Process expected) {
        QDeadlineTimer deadline(5000);
        while (atspi::Runtime::instance().process(waiting) != expected)
            if (deadline.hasExpired()) return false;
        return true;
    };
    EXPECT_TRUE(processBecomes(Process::running));
    ::kill(waiting, SIGSTOP);
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, waiting, &info, WSTOPPED | WNOWAIT), 0);
    EXPECT_FALSE(ending.isTerminated()) << "stopped, not ended";
    EXPECT_TRUE(processBecomes(Process::stopped));
    ::kill(waiting, SIGCONT);
    EXPECT_TRUE(processBecomes(Process::running)) << "resumed";
    ASSERT_EQ(::write(toChild[1], "x", 1), 1);
    ASSERT_EQ(::waitid(P_PID, waiting, &info, WEXITED | WNOWAIT), 0);
    EXPECT_TRUE(ending.isTerminated()) << "ended, not yet reaped";
    EXPECT_TRUE(processBecomes(Process::gone)) << "ended, not yet reaped";
    ::waitpid(waiting, &status, 0);
    EXPECT_TRUE(ending.isTerminated()) << "reaped";
    EXPECT_EQ(atspi::Runtime::instance().process(waiting), Process::gone) << "reaped";
    ::close(toChild[0]);
    ::close(toChild[1]);
}

class DeadBus : public testing::WorldTest {};

// The whole program runs without an accessibility bus: every call answers at
// once, nothing crashes, and the reason is logged once.
TEST_F(DeadBus, EveryCallAnswersAPIDisabledAndTheReasonIsLoggedOnce)
{
    AtspiAccessibilityService ax;
    AXValue value;
    EXPECT_EQ(ax.attributeValue(ax.systemWideElement(), "AXFocusedUIElement", value), axcode::apiDisabled);
    EXPECT_EQ(ax.attributeValue(ax.applicationElement(::getpid()), "AXWindows", value), axcode::apiDisabled);
    QStringList names;
    EXPECT_EQ(ax.attributeNames(ax.applicationElement(::getpid()), names), axcode::apiDisabled);
    AXObserverRef observer;
    EXPECT_EQ(ax.createObserver(::getpid(), [](auto&&...) {}, observer), axcode::apiDisabled);
    EXPECT_FALSE(observer);
    EXPECT_EQ(ax.setMessagingTimeout(ax.systemWideElement(), 0.1f), axcode::success);

    EXPECT_FALSE(ax.isProcessTrusted(false));
    EXPECT_FALSE(ax.isProcessTrusted(true));
    EXPECT_EQ(world().log.linesContaining("Accessibility is not available").size(), 1);

    LinuxWorkspace workspace;
    EXPECT_FALSE(workspace.frontmostApplication());
    EXPECT_FALSE(workspace.applicationForProcessIdentifier(-5));
    EXPECT_FALSE(workspace.screens().isEmpty()) << "the offscreen platform has one screen";
}

// What a key press counts as for the day's typing: a shortcut types nothing, keypad digits
// and letters of any script do, and modifiers are told apart from keys that type.
TEST(X11KeyKinds, ShortcutsTypeNothingAndModifiersAreNoTyping)
{
    const ModifierFlags none, control{.control = true}, shift{.shift = true};
    EXPECT_EQ(keyKindOf(XK_a, none), KeyKind::character);
    EXPECT_EQ(keyKindOf(XK_a, shift), KeyKind::character);
    EXPECT_EQ(keyKindOf(XK_c, control), KeyKind::other);
    EXPECT_EQ(keyKindOf(XK_KP_7, none), KeyKind::character);
    EXPECT_EQ(keyKindOf(XK_Cyrillic_a, none), KeyKind::character);
    EXPECT_EQ(keyKindOf(XK_BackSpace, control), KeyKind::backspace);
    for (const unsigned long modifier : {XK_Shift_L, XK_Control_R, XK_Caps_Lock, XK_ISO_Level3_Shift, XK_Super_L})
        EXPECT_EQ(keyKindOf(modifier, none), KeyKind::modifier) << modifier;
    for (const unsigned long other : {XK_Escape, XK_Left, XK_F5, XK_Delete})
        EXPECT_EQ(keyKindOf(other, none), KeyKind::other) << other;
}

}  // namespace
}  // namespace zorbel::platform

// No session bus at all, decided before anything asks for one.
int main(int argc, char** argv)
{
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/zorbel-test-bus");
    qunsetenv("AT_SPI_BUS_ADDRESS");
    qunsetenv("DISPLAY");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

TEST(LinuxPowerSource, BatteriesOfThePowerSupplyFolder)
{
    using zorbel::platform::LinuxPowerSource;
    QTemporaryDir dir;
    auto write = [&](const QString& file, const QByteArray& text) {
        QDir().mkpath(QFileInfo(dir.filePath(file)).path());
        QFile f(dir.filePath(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text + "\n");
    };
    write("AC/type", "Mains");
    write("BAT0/type", "Battery");
    write("BAT0/capacity", "42");
    write("BAT0/status", "Discharging");
    write("BAT0/energy_now", "20000000");
    write("BAT0/power_now", "10000000");
    write("BAT1/type", "Battery");
    write("BAT1/present", "0");
    const auto found = LinuxPowerSource::readPowerSupplyFolder(dir.path());
    ASSERT_TRUE(found.has_value());
    ASSERT_EQ(found->size(), 1u);
    EXPECT_EQ(found->front().currentCapacity, 42);
    EXPECT_EQ(found->front().timeToEmpty, 7200);
    EXPECT_FALSE(LinuxPowerSource::readPowerSupplyFolder(dir.filePath("missing")).has_value());
}
