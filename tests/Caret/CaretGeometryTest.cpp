#include "AXLayer/SystemWideElement.h"
#include "Caret/Core/CaretGeometry.h"
#include "Platform/Simulated/SimulatedAccessibility.h"
#include "support/AXPrinters.h"
#include "support/SimulatedDesktopTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace zorbel;
using platform::AXRange;
using platform::AXValue;
using platform::SimulatedElement;

namespace {

// Accessibility y of 200 is Cocoa y 1080 - 200 - height on the default
// 1920 x 1080 screen. Characters are 8 x 16 boxes from the frame's corner.
const QRectF kFieldFrame(100, 200, 300, 20);
const QRectF kAreaFrame(100, 200, 300, 100);

// A back end whose character bounds fail where the test says, and that may
// answer a box for one-character ranges past the text.
class ScriptedBounds : public platform::SimulatedAccessibility {
public:
    using SimulatedAccessibility::SimulatedAccessibility;
    std::function<bool(const AXRange&)> refuse = [](const AXRange&) { return false; };
    std::optional<QRectF> pastTheText;

    platform::AXCode parameterizedAttributeValue(const platform::AXElementRef& element, const QString& attribute,
                                                 const AXValue& parameter, AXValue& value) override
    {
        const auto* range = attribute == QLatin1String("AXBoundsForRange") ? parameter.range() : nullptr;
        if (range && refuse(*range)) {
            desktop().record(QStringLiteral("parameterizedAttributeValue"), element, attribute);
            return platform::axcode::noValue;
        }
        const auto code = SimulatedAccessibility::parameterizedAttributeValue(element, attribute, parameter, value);
        if (code == platform::axcode::success || !range || range->length != 1 || !pastTheText) return code;
        value = *pastTheText;
        return platform::axcode::success;
    }
};

class CaretGeometry : public zorbel::testing::SimulatedDesktopTest {
protected:
    void SetUp() override
    {
        SimulatedDesktopTest::SetUp();
        app_ = &addApplication(41, QStringLiteral("org.example.editor"), QStringLiteral("Editor"));
        window_ = &app_->addWindow(QStringLiteral("Doc"), QRectF(50, 100, 800, 600));
        desktop().activate(*app_);
    }

    SimulatedElement& focused(SimulatedElement& element)
    {
        desktop().focus(element);
        deliver();
        return element;
    }
    SimulatedElement& field(const QString& text) { return focused(window_->addTextField(kFieldFrame, text)); }
    SimulatedElement& area(const QString& text) { return focused(window_->addTextArea(kAreaFrame, text)); }
    std::optional<FocusedCaretRect> lookup() { return focusedCaretRect(systemWideElement()); }
    static UIElement handle(const SimulatedElement& e) { return UIElement(e.ref()); }
    int boundsCalls() { return desktop().callCount("parameterizedAttributeValue", "AXBoundsForRange"); }
    ScriptedBounds& scriptedBounds()
    {
        scripted_ = std::make_unique<ScriptedBounds>(desktop());
        installAccessibility(*scripted_);
        return *scripted_;
    }

    platform::SimulatedApplication* app_ = nullptr;
    SimulatedElement* window_ = nullptr;
    std::unique_ptr<ScriptedBounds> scripted_;
};

}  // namespace

TEST_F(CaretGeometry, CaretInsideAndAtTheEndOfTheText)
{
    auto& f = field(QStringLiteral("hello"));
    f.setCaret(2);
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(116, 864, 8, 16), false})) << "the character at the caret";

    f.setText(QStringLiteral("abc"));
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(116, 864, 8, 16), false})) << "at the end: the last character, c";

    // Qt answers an empty box at the end of the text; the character before
    // the caret is asked instead, so it does not matter there.
    f.setLayout({QPointF(100, 200), 8, 16, true});
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(116, 864, 8, 16), false}));
}

TEST_F(CaretGeometry, CaretAfterAFinalLineFeedIsOneLineBelowTheCharacterBeforeIt)
{
    auto& a = area(QStringLiteral("abc\n"));
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(116, 848, 8, 16), false}))
        << "at the x of c, one line lower, sized as the line feed's box";

    a.setText(QStringLiteral("ab\ncd\n"));
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(108, 832, 8, 16), false}));
}

TEST_F(CaretGeometry, WideCharactersCountAsOneTextPosition)
{
    // Each emoji is two UTF-16 units but one position of the element, so
    // the caret after the final line feed still finds that line feed.
    auto& a = area(QString::fromUtf8("\U0001F600\U0001F600\n"));
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(108, 848, 8, 16), false}));

    a.setText(QString::fromUtf8("中文字\n"));
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(116, 848, 8, 16), false}));

    a.setText(QStringLiteral("ab\r\n"));
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(116, 848, 8, 16), false})) << "CR and LF are two positions";

    a.setText(QString::fromUtf8("\U0001F600x\U0001F600y"));
    a.setCaret(3);
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(124, 864, 8, 16), false})) << "caret before y";
}

TEST_F(CaretGeometry, CharacterAtCountsCodePointsAndClamps)
{
    EXPECT_EQ(character(0, {}), QString());
    EXPECT_EQ(character(-5, QStringLiteral("abc")), "a");
    EXPECT_EQ(character(99, QStringLiteral("abc")), "c");
    const auto text = QString::fromUtf8("a\U0001F600b");
    EXPECT_EQ(character(1, text), QString::fromUtf8("\U0001F600"));
    EXPECT_EQ(character(2, text), "b");
    EXPECT_EQ(character(3, QStringLiteral("x\r\n")), "\n");
}

TEST_F(CaretGeometry, EmptyTextAsksForTheBoxAtZero)
{
    auto& f = field({});
    desktop().clearCalls();
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(100, 864, 0, 16), false})) << "a GTK-like empty caret box";
    EXPECT_EQ(boundsCalls(), 1);

    // A Qt-like (0,0,0,0) box lies outside the field: the field's frame.
    f.setLayout({QPointF(100, 200), 8, 16, true});
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(100, 860, 300, 20), true}));
}

TEST_F(CaretGeometry, ContainmentInTheFrameCountsTouchingEdgesInside)
{
    auto& f = field(QStringLiteral("abc"));
    f.setCaret(0);
    f.setLayout({QPointF(100, 204), 8, 16, false});
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(100, 860, 8, 16), false})) << "bottom edges touch";

    f.setLayout({QPointF(100, 204.5), 8, 16, false});
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(100, 860, 300, 20), true})) << "half a point below";
    f.setLayout({QPointF(100, 199.5), 8, 16, false});
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(100, 860, 300, 20), true})) << "half a point above";

    EXPECT_TRUE(rectContainsRect(QRectF(0, 0, 10, 10), QRectF(10, 10, 0, 0)));
    EXPECT_TRUE(rectContainsRect(QRectF(0, 0, 10, 10), QRectF(10, 10, -10, -10))) << "sizes are normalised";
    EXPECT_FALSE(rectContainsRect(QRectF(0, 0, 10, 10), QRectF(std::nan(""), 0, 1, 1)));
}

TEST_F(CaretGeometry, FallbacksWhenTheElementGivesLessText)
{
    auto& f = field(QStringLiteral("hello"));
    f.removeAttribute(QStringLiteral("AXSelectedTextRange"));
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(100, 860, 300, 20), true})) << "no ranges: the frame";

    f.setAttribute(QStringLiteral("AXSelectedTextRange"), AXRange{1, 0});
    f.setAttribute(QStringLiteral("AXValue"), 42);
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(100, 860, 300, 20), true})) << "a value that is no string";

    f.setAttribute(QStringLiteral("AXValue"), QStringLiteral("hello"));
    scriptedBounds().refuse = [](const AXRange& r) { return r.length == 1; };
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(100, 864, 40, 16), false})) << "the line's bounds";
}

TEST_F(CaretGeometry, TextMarkersComeFirst)
{
    app_->setTextMarkers(true);
    auto& f = field(QStringLiteral("hello"));
    f.setCaret(2);
    desktop().clearCalls();
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(116, 864, 8, 16), false})) << "the box at the caret";
    EXPECT_EQ(boundsCalls(), 0);
}

TEST_F(CaretGeometry, ASelectionsCaretIsItsMovingEnd)
{
    app_->setTextMarkers(true);
    auto& a = area(QStringLiteral("hello world\nsecond line"));
    a.selectFrom(2, 7);
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(156, 864, 8, 16), false})) << "Shift+Right: at its right end";
    a.selectFrom(7, 2);
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(116, 864, 8, 16), false})) << "Shift+Left: at its left end";
    a.selectFrom(2, 14);
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(116, 848, 8, 16), false})) << "Shift+Down: on the next line";

    // An application that does not tell where its caret stands: the
    // selection's box, as before.
    a.setSelection(AXRange{2, 5});
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(116, 864, 40, 16), false}));
}

// Boxes that cannot be right: the same box for positions on different lines
// (every box the first character's, as a Scintilla port in Qt 5 answers), or
// boxes outside the element while the caret is in view. The caret is then
// placed from the positions the application answers at points (a quarter of
// a character right of where they reach it), and the application is known
// for it from then on; others are not affected.
TEST_F(CaretGeometry, BoxesThatCannotBeRightArePlacedFromThePositionsAtPoints)
{
    app_->setTextMarkers(true);
    auto& a = area(QStringLiteral("hello world\nsecond line"));
    a.setWrongBoxes({true, QPointF()});
    a.setCaret(16);
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(134, 848, 0, 16), false})) << "line 2, after 4 characters";
    a.setCaret(3);
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(126, 864, 0, 16), false})) << "line 1, remembered";
    a.setCaret(23);
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(190, 848, 0, 16), false})) << "at the end of the text";
    a.setVisibleRange(AXRange{0, 12});
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(100, 780, 300, 100), true})) << "not in view: the frame";

    auto& notes = addApplication(42, QStringLiteral("org.example.notes"), QStringLiteral("Notes"));
    notes.setTextMarkers(true);
    auto& other = notes.addWindow(QStringLiteral("Notes"), QRectF(50, 100, 800, 600))
                      .addTextArea(kAreaFrame, QStringLiteral("hello world\nsecond line"));
    desktop().activate(notes);
    focused(other).setCaret(16);
    desktop().clearCalls();
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(132, 848, 8, 16), false})) << "another application's own box";
    other.setCaret(17);
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(140, 848, 8, 16), false}));
    EXPECT_EQ(desktop().callCount("parameterizedAttributeValue", "AXRangeForPosition"), 0);
    EXPECT_EQ(desktop().callCount("parameterizedAttributeValue", "AXStringForRange"), 1)
        << "its boxes are checked once against the first character's";
}

// A box far outside the element while the caret is seen in view gives way to
// where it is seen; a second one, at another caret, shows the application's boxes wrong, and it
// is placed from its positions at points until two boxes at different
// positions agree with where the caret is seen.
TEST_F(CaretGeometry, BoxesFarOutsideTheElementArePlacedWhereTheCaretIsSeenUntilBoxesProveRight)
{
    app_->setTextMarkers(true);
    auto& a = area(QStringLiteral("hello world\nsecond line"));
    const QPointF farOff(0, 300);
    a.setWrongBoxes({false, farOff});
    a.setCaret(16);
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(134, 848, 0, 16), false}));
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(134, 848, 0, 16), false}))
        << "again at the same caret, as a dragged window's toolkit answers its old place at each move";
    a.setWrongBoxes({});
    a.setCaret(17);
    desktop().clearCalls();
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(140, 848, 8, 16), false})) << "one caret's boxes are not enough";
    EXPECT_EQ(desktop().callCount("parameterizedAttributeValue", "AXRangeForPosition"), 0);
    a.setWrongBoxes({false, farOff});
    a.setCaret(16);
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(134, 848, 0, 16), false}));
    a.setCaret(17);
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(142, 848, 0, 16), false})) << "twice in a row: its boxes are wrong";
    a.setWrongBoxes({});
    a.setCaret(18);
    desktop().clearCalls();
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(150, 848, 0, 16), false}));
    const int asked = desktop().callCount("parameterizedAttributeValue", "AXRangeForPosition");
    EXPECT_GT(asked, 0) << "an application caught is placed from its positions at points";
    EXPECT_LE(asked, 8) << "a caret one character on is looked for on its row, near where it was";
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(150, 848, 0, 16), false})) << "the same box agreeing again";
    a.setCaret(19);
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(158, 848, 0, 16), false})) << "another box agrees";
    a.setCaret(20);
    desktop().clearCalls();
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(164, 848, 8, 16), false})) << "its own box is believed again";
    EXPECT_EQ(desktop().callCount("parameterizedAttributeValue", "AXRangeForPosition"), 0);

    // A caret scrolled out of view lies outside its element too, rightly:
    // the frame, and the application's boxes are still believed.
    auto& notes = addApplication(42, QStringLiteral("org.example.notes"), QStringLiteral("Notes"));
    notes.setTextMarkers(true);
    auto& other = notes.addWindow(QStringLiteral("Notes"), QRectF(50, 100, 800, 600))
                      .addTextArea(kAreaFrame, QStringLiteral("one\ntwo\nthree\nfour\nfive\nsix\nseven\neight"));
    desktop().activate(notes);
    focused(other).setLayout({kAreaFrame.topLeft() - QPointF(0, 32), 8, 16, false});
    other.setVisibleRange(AXRange{8, 31});
    other.setCaret(1);
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(100, 780, 300, 100), true}));
    other.setCaret(9);
    desktop().clearCalls();
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(108, 864, 8, 16), false}));
    EXPECT_EQ(desktop().callCount("parameterizedAttributeValue", "AXRangeForPosition"), 0);

    // So does a caret on a line scrolled partly out of view, its box across
    // the element's edge, however often.
    focused(other).setLayout({kAreaFrame.topLeft() - QPointF(0, 8), 8, 16, false});
    other.setVisibleRange(AXRange{0, 31});
    for (const std::int64_t partlyOut : {1, 2, 3}) {
        other.setCaret(partlyOut);
        ASSERT_TRUE(lookup());
    }
    other.setCaret(9);
    desktop().clearCalls();
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(108, 840, 8, 16), false}));
    EXPECT_EQ(desktop().callCount("parameterizedAttributeValue", "AXRangeForPosition"), 0)
        << "boxes across the edge are no sign of wrong ones";
}

TEST_F(CaretGeometry, ScrollAreaFrameIsTheTextViewsFrame)
{
    auto& scroll = window_->addScrollArea(QRectF(90, 190, 400, 300));
    auto& view = focused(scroll.addTextArea(kAreaFrame, QStringLiteral("hello")));
    view.removeAttribute(QStringLiteral("AXSelectedTextRange"));
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(90, 590, 400, 300), true}));

    scroll.removeAttribute(QStringLiteral("AXSize"));
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(100, 780, 300, 100), true})) << "unreadable parent: own frame";
}

TEST_F(CaretGeometry, NoCaretForOtherFocusOrNoScreens)
{
    EXPECT_EQ(lookup(), std::nullopt) << "nothing focused";
    focused(window_->addButton(QStringLiteral("OK"), QRectF(10, 10, 50, 20)));
    EXPECT_EQ(lookup(), std::nullopt);
    focused(window_->addChild(QStringLiteral("AXWebArea"), QRectF(10, 10, 50, 20)));
    EXPECT_EQ(lookup(), std::nullopt) << "a role outside the known set";

    auto& combo = focused(window_->addComboBox(kFieldFrame, QStringLiteral("abc")));
    combo.setCaret(0);
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(100, 864, 8, 16), false})) << "an editable combo box takes text";

    auto& f = field(QStringLiteral("abc"));
    f.removeAttribute(QStringLiteral("AXPosition"));
    EXPECT_EQ(lookup(), std::nullopt) << "no frame";

    field(QStringLiteral("abc"));
    desktop().setScreens({});
    EXPECT_EQ(lookup(), std::nullopt);
    EXPECT_EQ(flipToCocoa(QRectF(1, 2, 3, 4)), std::nullopt);
}

TEST_F(CaretGeometry, FlipUsesTheFirstScreenAndErrorsGiveNothing)
{
    desktop().setScreens({QRectF(0, 0, 1000, 800), QRectF(1000, 0, 1000, 1200)});
    EXPECT_EQ(flipToCocoa(QRectF(10, 20, 30, 40)), QRectF(10, 740, 30, 40));

    auto& f = field(QStringLiteral("abc"));
    desktop().forceResult(platform::axcode::cannotComplete, {QStringLiteral("attributeValue"), &f, {}});
    EXPECT_EQ(lookup(), std::nullopt) << "a hung element answers nothing, and nothing throws";
    desktop().clearForcedResults();
    desktop().forceResult(platform::axcode::failure, {QStringLiteral("parameterizedAttributeValue"), nullptr, {}});
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(100, 580, 300, 20), true}));
}

TEST_F(CaretGeometry, PositionsNearTheIntegerLimitsGiveNoCaretRect)
{
    auto& f = field(QStringLiteral("abc"));
    const auto e = handle(f);
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(caretRectNearIndex(max, 1, 2, e, f.text()), std::nullopt);
    EXPECT_EQ(caretRectNearIndex(min, 0, min, e, f.text()), std::nullopt);
    EXPECT_NE(caretRectNearIndex(0, 3, min, e, f.text()), std::nullopt) << "index below zero reads position 0";

    f.setAttribute(QStringLiteral("AXVisibleCharacterRange"), AXRange{max, max});
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(100, 864, 24, 16), false})) << "on to the line's bounds";
}

TEST_F(CaretGeometry, WalkBackOverLineFeedsSkipsFailuresAndIsBounded)
{
    area(QStringLiteral("ab\ncd\n"));
    auto& scripted = scriptedBounds();
    scripted.refuse = [](const AXRange& r) { return r.location == 4; };
    EXPECT_EQ(lookup(), (FocusedCaretRect{QRectF(108, 848, 8, 16), false}))
        << "d cannot be had: below b, before the line feed before it";

    const QString feeds(1000, QLatin1Char('\n'));
    const auto& a = area(feeds);
    scripted.refuse = [](const AXRange& r) { return r.location != 999; };
    desktop().clearCalls();
    EXPECT_EQ(caretRectNearIndex(0, 1000, 1000, handle(a), feeds), std::nullopt);
    EXPECT_EQ(boundsCalls(), 1 + 3) << "the caret's own box, then the three nearest line feeds";

    // A caret far past the end of a text that ends in a line feed.
    scripted.refuse = [](const AXRange& r) { return r.location != 999'999'999; };
    scripted.pastTheText = QRectF(100, 200, 8, 16);
    desktop().clearCalls();
    EXPECT_EQ(caretRectNearIndex(0, 1000, 1'000'000'000, handle(a), feeds), std::nullopt);
    EXPECT_EQ(boundsCalls(), 1 + 3);
}
