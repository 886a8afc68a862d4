// Text, caret geometry, typing and quitting, through the AT-SPI back end on real
// GTK 3 and Qt 6 clients.
#include "LinuxDesktopDriver.h"

#include "Platform/NotificationCenter.h"
#include "Platform/Services.h"
#include "Platform/Workspace.h"
#include "support/DesktopTools.h"
#include "support/DrawnCaret.h"

#include <QProcess>
#include <QScopeGuard>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <span>

namespace zorbel::integration {
namespace {

using namespace zorbel::platform;
using contract::TextElement;

const QString kValueChanged = QStringLiteral("AXValueChanged");
const QString kSelectionChanged = QStringLiteral("AXSelectedTextChanged");

// Texts without vertical strokes, so the caret is the only tall dark line near it.
contract::TextApplicationLayout caretLayout()
{
    contract::TextApplicationLayout layout;
    layout.windowTitle = QStringLiteral("Caret");
    layout.fieldText = QStringLiteral("xxxx xxxx");
    layout.areaText = QStringLiteral("xxxx\nxx\n");
    return layout;
}

class AtspiTextTest : public ::testing::TestWithParam<Toolkit> {
protected:
    void SetUp() override
    {
        driver_ = std::make_unique<LinuxDesktopDriver>(toolkit());
        driver_->setUp();
    }
    void TearDown() override
    {
        resetSharedInstances();
        driver_.reset();
    }

    LinuxDesktopDriver& driver() { return *driver_; }
    virtual Toolkit toolkit() const { return GetParam(); }

    AXValue read(const AXElementRef& element, const QString& attribute)
    {
        AXValue value;
        EXPECT_EQ(accessibility().attributeValue(element, attribute, value), axcode::success)
            << attribute.toStdString();
        return value;
    }

    // The caret's own box, as the caret lookup asks for it: through text markers.
    std::optional<QRectF> caretBox(const AXElementRef& element)
    {
        const AXValue markers = read(element, "AXSelectedTextMarkerRange");
        if (!markers.textMarkerRange()) return std::nullopt;
        AXValue box;
        if (accessibility().parameterizedAttributeValue(element, "AXBoundsForTextMarkerRange", markers, box) ||
            !box.rect())
            return std::nullopt;
        return *box.rect();
    }

    std::optional<QRectF> frameOf(const AXElementRef& element)
    {
        const AXValue frame = read(element, "AXFrame");
        return frame.rect() ? std::optional<QRectF>(*frame.rect()) : std::nullopt;
    }

    // The element's caret box: zero wide, a line high, where the caret is drawn.
    void expectCaretBoxOnTheDrawnCaret(const AXElementRef& element)
    {
        const auto box = caretBox(element);
        const auto frame = frameOf(element);
        ASSERT_TRUE(box && frame);
        EXPECT_EQ(box->width(), 0) << "the caret's own box is zero wide";
        EXPECT_GT(box->height(), 8);
        const auto drawn = drawnCaret(*box, *frame);
        ASSERT_TRUE(drawn) << "a caret is drawn near x=" << box->x();
        EXPECT_NEAR(drawn->x(), box->x(), 3.0);
        EXPECT_NEAR(drawn->center().y(), box->center().y(), 6.0);
    }

    // Keys pressed one step after another, each leaving the caret at an offset: the caret box
    // of each on the drawn caret. Where `told` counts the caret notifications heard, each step
    // is told too: the indicator looks the caret up only when told.
    struct TypingStep {
        const char* keys;
        std::int64_t caret;
    };
    void expectCaretsWhileTyping(const AXElementRef& element, std::span<const TypingStep> steps,
                                 const std::function<std::size_t()>& told = {})
    {
        for (const TypingStep& step : steps) {
            SCOPED_TRACE(step.keys);
            const std::size_t before = told ? told() : 0;
            ASSERT_TRUE(pressKeys(QString::fromLatin1(step.keys)));
            if (told) {
                ASSERT_TRUE(driver().waitUntil([&] { return told() > before; })) << "the caret's move is told";
            }
            ASSERT_TRUE(driver().waitUntil([&] {
                AXValue range;
                return accessibility().attributeValue(element, "AXSelectedTextRange", range) == axcode::success &&
                       range == AXValue(AXRange{step.caret, 0});
            }));
            expectCaretBoxOnTheDrawnCaret(element);
        }
    }

    std::unique_ptr<LinuxDesktopDriver> driver_;
};

TEST_P(AtspiTextTest, CaretBoxMarksTheDrawnCaretAlsoAtTheEndOfTheText)
{
    struct Case {
        TextElement element;
        std::int64_t caret;
        const char* what;
    };
    const Case cases[] = {
        {TextElement::field, 4, "field, inside the text"},
        {TextElement::field, 9, "field, at the end of the text"},
        {TextElement::area, 2, "area, inside the first line"},
        {TextElement::area, 7, "area, at the end of a line"},
        {TextElement::area, 8, "area, after the final line feed"},
    };
    const auto app = driver().launch(caretLayout());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        driver().focus(app.pid, c.element);
        driver().moveCaret(app.pid, c.element, c.caret);
        expectCaretBoxOnTheDrawnCaret(driver().textElement(app.pid, c.element));
    }
}

// Typing at the end of a line, after a line feed and in mid-text: each caret where it is
// drawn, from what the back end keeps of the text (its length, the characters typed, the
// field's box) and what each answer tells.
TEST_P(AtspiTextTest, CaretBoxFollowsTypingAtTheEndAfterALineFeedAndInMidText)
{
    const auto app = driver().launch(caretLayout());
    driver().focus(app.pid, TextElement::area);
    driver().moveCaret(app.pid, TextElement::area, 8);
    const AXElementRef area = driver().textElement(app.pid, TextElement::area);
    // "xxxx\nxx\n": after the final line feed, a new line there, typed on and erased;
    // the end of the second line; the first line's middle.
    const TypingStep steps[] = {{"x", 9},         {"Return", 10},     {"x", 11},    {"BackSpace", 10},
                          {"BackSpace", 9}, {"BackSpace", 8},   {"Up End", 7}, {"x", 8},
                          {"BackSpace", 7}, {"ctrl+Home Right Right", 2}, {"x", 3}, {"BackSpace", 2}};
    expectCaretsWhileTyping(area, steps);
}

// Toolkits place the end of right-to-left text where left-to-right text would end; the
// caret is drawn at the far (left) end of the line.
TEST_P(AtspiTextTest, CaretBoxAtTheEndOfRightToLeftTextMarksTheDrawnCaret)
{
    const auto app = driver().launch(caretLayout());
    driver().focus(app.pid, TextElement::field);
    const AXElementRef field = driver().textElement(app.pid, TextElement::field);
    ASSERT_EQ(accessibility().setAttributeValue(field, "AXValue", AXValue(QStringLiteral("שששש שש"))), axcode::success);
    driver().moveCaret(app.pid, TextElement::field, 7);
    const auto box = caretBox(field);
    const auto frame = frameOf(field);
    ASSERT_TRUE(box && frame);
    const auto drawn = drawnCaret(*box, *frame);
    ASSERT_TRUE(drawn) << "a caret is drawn near x=" << box->x();
    EXPECT_NEAR(drawn->x(), box->x(), 3.0);
}

TEST_P(AtspiTextTest, TypingChangesValueAndCaretAndIsNotified)
{
    contract::TextApplicationLayout layout;
    layout.windowTitle = QStringLiteral("Typing");
    const auto app = driver().launch(layout);
    driver().focus(app.pid, TextElement::field);
    const AXElementRef field = driver().textElement(app.pid, TextElement::field);

    std::vector<QString> heard;
    AXObserverRef observer;
    ASSERT_EQ(accessibility().createObserver(
                  app.pid, [&](const AXElementRef& element, const QString& name, const AXValue&) {
                      if (element == field) heard.push_back(name);
                  },
                  observer),
              axcode::success);
    for (const QString& name : {kValueChanged, kSelectionChanged})
        ASSERT_EQ(accessibility().addNotification(observer, accessibility().applicationElement(app.pid), name),
                  axcode::success);

    ASSERT_TRUE(typeText(QStringLiteral("abc")));
    EXPECT_TRUE(driver().waitUntil([&] { return read(field, "AXValue") == AXValue("abc"); }));
    EXPECT_EQ(read(field, "AXSelectedTextRange"), AXValue(AXRange{3, 0}));
    EXPECT_EQ(read(field, "AXNumberOfCharacters"), AXValue(3));
    EXPECT_TRUE(driver().waitUntil([&] {
        return std::count(heard.begin(), heard.end(), kValueChanged) > 0 &&
               std::count(heard.begin(), heard.end(), kSelectionChanged) > 0;
    }));
}

TEST_P(AtspiTextTest, AnApplicationThatQuitsMidQueryGivesInvalidElements)
{
    const auto app = driver().launch(caretLayout());
    driver().focus(app.pid, TextElement::area);
    const AXElementRef area = driver().textElement(app.pid, TextElement::area);
    ASSERT_TRUE(caretBox(area));

    // Killed outright, between two reads of one lookup: nothing has told us yet. The
    // accessibility bus is held still so that it cannot tell us either (on a busy machine it
    // often has not).
    const auto bus = accessibilityBusPid();
    ASSERT_TRUE(bus) << "this desktop's accessibility bus";
    ::kill(static_cast<pid_t>(*bus), SIGSTOP);
    const auto resumeBus = [&] { ::kill(static_cast<pid_t>(*bus), SIGCONT); };
    const auto resumeAtEnd = qScopeGuard(resumeBus);
    ::kill(app.pid, SIGKILL);
    EXPECT_TRUE(driver().waitUntil([&] { return ::kill(app.pid, 0) != 0; }));
    for (const char* attribute : {"AXRole", "AXValue", "AXSelectedTextMarkerRange", "AXFrame"}) {
        AXValue value;
        EXPECT_EQ(accessibility().attributeValue(area, attribute, value), axcode::invalidUIElement) << attribute;
    }
    AXValue box;
    EXPECT_EQ(accessibility().parameterizedAttributeValue(area, "AXBoundsForRange", AXRange{0, 1}, box),
              axcode::invalidUIElement);
    resumeBus();
    AXValue focused;
    const AXCode systemWide =
        accessibility().attributeValue(accessibility().systemWideElement(), "AXFocusedUIElement", focused);
    EXPECT_TRUE(systemWide == axcode::noValue || systemWide == axcode::invalidUIElement) << systemWide;
}

// After one timeout a hung application is skipped for a moment: a lookup costs one
// timeout, not one per call. Once it resumes (it answers the ping sent when it was marked,
// and sends no event), it answers.
TEST_P(AtspiTextTest, AHungApplicationIsSkippedForAMomentAfterOneTimeout)
{
    const auto app = driver().launch(caretLayout());
    const AXElementRef field = driver().textElement(app.pid, TextElement::field);
    const AXElementRef area = driver().textElement(app.pid, TextElement::area);
    ASSERT_EQ(accessibility().setMessagingTimeout(field, 0.3f), axcode::success);
    ::kill(app.pid, SIGSTOP);
    AXValue value;
    EXPECT_EQ(accessibility().attributeValue(field, "AXValue", value), axcode::cannotComplete);
    EXPECT_EQ(accessibility().attributeValue(area, "AXValue", value), axcode::cannotComplete)
        << "remembered as hung";
    ::kill(app.pid, SIGCONT);
    EXPECT_TRUE(driver().waitUntil([&] { return accessibility().attributeValue(area, "AXValue", value) == 0; }));
    EXPECT_EQ(value, AXValue("xxxx\nxx\n"));
}

TEST_P(AtspiTextTest, LinesOfTheTextAreaAgreeWithTheCaret)
{
    const auto app = driver().launch(caretLayout());
    driver().focus(app.pid, TextElement::area);
    driver().moveCaret(app.pid, TextElement::area, 8);
    const AXElementRef area = driver().textElement(app.pid, TextElement::area);
    EXPECT_EQ(read(area, "AXInsertionPointLineNumber"), AXValue(2));
    AXValue line;
    ASSERT_EQ(accessibility().parameterizedAttributeValue(area, "AXRangeForLine", 1, line), axcode::success);
    EXPECT_EQ(line, AXValue(AXRange{5, 3}));
    ASSERT_EQ(accessibility().parameterizedAttributeValue(area, "AXLineForIndex", 6, line), axcode::success);
    EXPECT_EQ(line, AXValue(1));
    AXValue text;
    ASSERT_EQ(accessibility().parameterizedAttributeValue(area, "AXStringForRange", AXRange{5, 2}, text),
              axcode::success);
    EXPECT_EQ(text, AXValue("xx"));
}

TEST_P(AtspiTextTest, MovingAWindowIsNotifiedAsWindowMoved)
{
    const auto app = driver().launch(caretLayout());
    std::vector<QString> heard;
    AXObserverRef observer;
    ASSERT_EQ(accessibility().createObserver(
                  app.pid, [&](const AXElementRef&, const QString& name, const AXValue&) { heard.push_back(name); },
                  observer),
              axcode::success);
    ASSERT_EQ(accessibility().addNotification(observer, accessibility().applicationElement(app.pid),
                                              QStringLiteral("AXWindowMoved")),
              axcode::success);
    const QString window = QString::number(driver().client(app.pid).windowId());
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {"windowmove", window, "420", "260"}), 0);
    EXPECT_TRUE(driver().waitUntil([&] { return !heard.empty(); }));
    for (const QString& name : heard) EXPECT_EQ(name, QStringLiteral("AXWindowMoved"));
}

// The system-wide focused element and the frontmost application follow the X
// focus from one toolkit's window to the other's.
TEST_P(AtspiTextTest, FocusAndFrontmostFollowTheFocusedWindowAcrossToolkits)
{
    const auto first = driver().launch(caretLayout());
    ClientOptions options;
    options.title = QStringLiteral("Other toolkit");
    options.geometry = QRect(600, 300, 400, 240);
    QString error;
    const auto other =
        TextClient::start(GetParam() == Toolkit::Gtk3 ? Toolkit::Qt6 : Toolkit::Gtk3, options, &error);
    ASSERT_TRUE(other) << error.toStdString();
    const auto second = static_cast<std::int32_t>(other->pid());

    std::vector<std::int32_t> activated;
    auto token = workspace().notificationCenter().addObserver(
        WorkspaceService::didActivateApplicationNotification, [&](const Notification& n) {
            if (auto app = WorkspaceService::applicationFrom(n)) activated.push_back(app->processIdentifier());
        });
    auto focusedPid = [&] {
        AXValue focused;
        std::int32_t pid = 0;
        if (accessibility().attributeValue(accessibility().systemWideElement(), "AXFocusedUIElement", focused) ||
            !focused.element() || accessibility().pid(*focused.element(), pid))
            return 0;
        return pid;
    };
    auto frontmost = [&] {
        auto app = workspace().frontmostApplication();
        return app ? app->processIdentifier() : 0;
    };
    for (std::int32_t pid : {second, first.pid, second}) {
        ASSERT_TRUE(focusWindow(pid == second ? other->windowId() : driver().client(first.pid).windowId()));
        EXPECT_TRUE(driver().waitUntil([&] { return focusedPid() == pid && frontmost() == pid; }))
            << "focus in " << pid << ", found " << focusedPid() << " and frontmost " << frontmost();
        EXPECT_TRUE(driver().waitUntil([&] { return !activated.empty() && activated.back() == pid; }));
    }
}

// GTK 4 gives window coordinates only: boxes are placed at its window's position on screen.
class AtspiGtk4Test : public AtspiTextTest {
protected:
    Toolkit toolkit() const override { return Toolkit::Gtk3; }
    void TearDown() override
    {
        client_.reset();
        AtspiTextTest::TearDown();
    }

    // The GTK 4 client at (210, 150), focused, and its text view ("xxxx xxxx", the caret at 4).
    void startClient()
    {
        ASSERT_EQ(QProcess::execute(QStringLiteral("/usr/bin/python3"), {"-c", "import gi; gi.require_version('Gtk', '4.0')"}), 0)
            << "GTK 4 for Python (gir1.2-gtk-4.0) is installed by scripts/install-deps.sh";
        QString error;
        client_ = TextClient::startProgram(QStringLiteral("/usr/bin/python3"), {QStringLiteral(ZORBEL_GTK4_TEXT_CLIENT)},
                                           &error, std::chrono::seconds(10));
        ASSERT_TRUE(client_) << error.toStdString();
        ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"),
                                    {"windowmove", "--sync", QString::number(client_->windowId()), "210", "150"}),
                  0);
        ASSERT_TRUE(focusWindow(client_->windowId()));
        const auto pid = static_cast<std::int32_t>(client_->pid());
        ASSERT_TRUE(driver().waitUntil([&] {
            AXValue focused;
            if (accessibility().attributeValue(accessibility().applicationElement(pid), "AXFocusedUIElement", focused) ||
                !focused.element())
                return false;
            view_ = *focused.element();
            AXValue role;
            return accessibility().attributeValue(view_, "AXRole", role) == axcode::success && role == AXValue("AXTextArea");
        }));
        ASSERT_EQ(accessibility().createObserver(
                      pid,
                      [this](const AXElementRef& element, const QString& name, const AXValue&) {
                          if (element == view_ && name == kSelectionChanged) ++caretsTold_;
                      },
                      observer_),
                  axcode::success);
        ASSERT_EQ(accessibility().addNotification(observer_, accessibility().applicationElement(pid), kSelectionChanged),
                  axcode::success);
    }

    std::unique_ptr<TextClient> client_;
    AXElementRef view_;
    AXObserverRef observer_;
    std::size_t caretsTold_ = 0;
};

TEST_F(AtspiGtk4Test, WindowCoordinatesArePlacedOnTheScreen)
{
    ASSERT_NO_FATAL_FAILURE(startClient());
    const auto& client = client_;
    const AXElementRef view = view_;
    const QString window = QString::number(client->windowId());
    const auto geometry = windowGeometry(client->windowId());
    const auto frame = frameOf(view);
    ASSERT_TRUE(geometry && frame);
    EXPECT_TRUE(QRectF(*geometry).adjusted(-2, -2, 2, 2).contains(*frame)) << "the view lies in its window";
    EXPECT_EQ(read(view, "AXSelectedTextRange"), AXValue(AXRange{4, 0}));
    const auto box = caretBox(view);
    ASSERT_TRUE(box);
    const auto drawn = drawnCaret(*box, *frame);
    ASSERT_TRUE(drawn) << "a caret is drawn near x=" << box->x();
    EXPECT_NEAR(drawn->x(), box->x(), 3.0);
    EXPECT_NEAR(drawn->center().y(), box->center().y(), 6.0);

    // The window's place, kept from one lookup to the next, follows the window's move.
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {"windowmove", "--sync", window, "330", "210"}), 0);
    std::optional<QRectF> moved;
    EXPECT_TRUE(driver().waitUntil([&] {
        moved = caretBox(view);
        return moved && std::abs(moved->x() - box->x() - 120) < 1 && std::abs(moved->y() - box->y() - 60) < 1;
    })) << "the caret box still at x=" << (moved ? moved->x() : -1);
}

// GTK 4's text view tells a typed character one offset before where it went in, follows it with
// the caret from before the keystroke, and tells no move back to the offset it told last: typed
// at the end of a line, after a line feed and in mid-text, and moved by arrows, Home and End
// after typing (Left and Home back to where it told the caret), each caret is told and lands
// where it is drawn, also once the back end takes it from the edit rather than asking.
TEST_F(AtspiGtk4Test, TypingInTheTextViewLandsEveryCaretWhereItIsDrawn)
{
    ASSERT_NO_FATAL_FAILURE(startClient());
    const TypingStep steps[] = {{"End", 9},       {"x", 10},        {"Return", 11},    {"x", 12},
                                {"x", 13},        {"BackSpace", 12}, {"BackSpace", 11}, {"BackSpace", 10},
                                {"x", 11},        {"BackSpace", 10}, {"ctrl+Home", 0},   {"Right", 1},
                                {"Right", 2},     {"x", 3},          {"BackSpace", 2},  {"x", 3},
                                {"x", 4},         {"Left", 3},       {"Right", 4},      {"Home", 0},
                                {"x", 1},         {"Home", 0},       {"End", 13},       {"Return", 14},
                                {"x", 15},        {"Up", 1},         {"Down", 15}};
    expectCaretsWhileTyping(view_, steps, [this] { return caretsTold_; });
}

INSTANTIATE_TEST_SUITE_P(Linux, AtspiTextTest, ::testing::Values(Toolkit::Gtk3, Toolkit::Qt6), toolkitParamName);

}  // namespace
}  // namespace zorbel::integration
