// Elements, attributes and result codes.
#include "contract/AccessibilityContract.h"

#include "Platform/Services.h"

namespace zorbel::contract {

using namespace zorbel::platform;

void AccessibilityContract::SetUp()
{
    driver_ = GetParam().make();
    driver_->setUp();
}

void AccessibilityContract::TearDown()
{
    resetSharedInstances();
    driver_.reset();
}

AccessibilityService& AccessibilityContract::ax() { return accessibility(); }
WorkspaceService& AccessibilityContract::workspace() { return platform::workspace(); }

TextApplicationLayout AccessibilityContract::standardLayout()
{
    TextApplicationLayout layout;
    layout.windowTitle = QStringLiteral("Contract Notes");
    layout.fieldText = QStringLiteral("hello world");
    layout.fieldCaret = 5;
    layout.areaText = QStringLiteral("first\nsecond\nthird");
    layout.areaCaret = 8;
    return layout;
}

LaunchedApplication AccessibilityContract::launchAndFocus(TextElement element, const TextApplicationLayout& layout)
{
    const auto app = driver().launch(layout);
    driver().focus(app.pid, element);
    EXPECT_TRUE(waitForFocusedRole(element == TextElement::field ? "AXTextField" : "AXTextArea"));
    return app;
}

AXValue AccessibilityContract::read(const AXElementRef& element, const QString& attribute)
{
    AXValue value;
    const auto code = ax().attributeValue(element, attribute, value);
    EXPECT_EQ(code, axcode::success) << "reading " << attribute.toStdString();
    return code == axcode::success ? value : AXValue();
}

AXValue AccessibilityContract::readParameterized(const AXElementRef& element, const QString& attribute,
                                                 const AXValue& parameter)
{
    AXValue value;
    const auto code = ax().parameterizedAttributeValue(element, attribute, parameter, value);
    EXPECT_EQ(code, axcode::success) << "reading " << attribute.toStdString();
    return code == axcode::success ? value : AXValue();
}

AXCode AccessibilityContract::codeOf(const AXElementRef& element, const QString& attribute)
{
    AXValue ignored;
    return ax().attributeValue(element, attribute, ignored);
}

QString AccessibilityContract::roleOf(const AXElementRef& element)
{
    AXValue value;
    if (ax().attributeValue(element, "AXRole", value) != axcode::success || !value.string()) return {};
    return *value.string();
}

AXElementRef AccessibilityContract::focusedElement()
{
    AXValue value;
    if (ax().attributeValue(ax().systemWideElement(), "AXFocusedUIElement", value) != axcode::success) return {};
    return value.element() ? *value.element() : AXElementRef();
}

AXElementRef AccessibilityContract::windowOf(std::int32_t pid)
{
    const auto windows = read(ax().applicationElement(pid), "AXWindows");
    if (!windows.array() || windows.array()->empty() || !windows.array()->front().element()) return {};
    return *windows.array()->front().element();
}

std::optional<QRectF> AccessibilityContract::frameOf(const AXElementRef& element)
{
    const auto position = read(element, "AXPosition");
    const auto size = read(element, "AXSize");
    if (!position.point() || !size.size()) return std::nullopt;
    return QRectF(*position.point(), *size.size());
}

bool AccessibilityContract::waitForFocusedRole(const QString& role)
{
    return driver().waitUntil([&] { return roleOf(focusedElement()) == role; });
}

int Received::count(const QString& notification) const
{
    return static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                          [&](const Entry& e) { return e.notification == notification; }));
}

int Received::count(const QString& notification, const AXElementRef& element) const
{
    return static_cast<int>(std::count_if(entries.begin(), entries.end(), [&](const Entry& e) {
        return e.notification == notification && e.element == element;
    }));
}

std::string driverName(const ::testing::TestParamInfo<DriverParam>& info) { return info.param.name; }

TEST_P(AccessibilityContract, ApplicationElementAnswersForItsProcessAndListsItsWindow)
{
    const auto app = driver().launch(standardLayout());
    const auto element = ax().applicationElement(app.pid);
    EXPECT_TRUE(element == ax().applicationElement(app.pid)) << "two handles on one application are equal";
    std::int32_t pid = 0;
    EXPECT_EQ(ax().pid(element, pid), axcode::success);
    EXPECT_EQ(pid, app.pid);
    EXPECT_EQ(roleOf(element), "AXApplication");
    QStringList names;
    ASSERT_EQ(ax().attributeNames(element, names), axcode::success);
    for (const char* name : {"AXRole", "AXWindows", "AXFocusedUIElement"}) EXPECT_TRUE(names.contains(name)) << name;

    const auto windows = read(element, "AXWindows");
    ASSERT_TRUE(windows.array());
    ASSERT_EQ(windows.array()->size(), 1u);
    const auto window = windows.array()->front();
    ASSERT_TRUE(window.element());
    EXPECT_EQ(roleOf(*window.element()), "AXWindow");
    EXPECT_EQ(read(*window.element(), "AXTitle"), AXValue("Contract Notes"));
    EXPECT_EQ(ax().pid(*window.element(), pid), axcode::success);
    EXPECT_EQ(pid, app.pid);
    EXPECT_FALSE(window.element()->debugDescription().isEmpty());
    EXPECT_FALSE(*window.element() == element);
}

TEST_P(AccessibilityContract, FocusedTextFieldGivesTextCaretAndCharacterBounds)
{
    const auto app = launchAndFocus(TextElement::field);
    const auto field = focusedElement();
    ASSERT_FALSE(field.isNull());
    EXPECT_TRUE(field == focusedElement()) << "the same element read twice is equal";
    EXPECT_EQ(read(ax().applicationElement(app.pid), "AXFocusedUIElement"), AXValue(field));
    EXPECT_EQ(read(field, "AXValue"), AXValue("hello world"));
    EXPECT_EQ(read(field, "AXSelectedTextRange"), AXValue(AXRange{5, 0}));
    EXPECT_EQ(read(field, "AXNumberOfCharacters"), AXValue(11));
    EXPECT_EQ(read(field, "AXInsertionPointLineNumber"), AXValue(0));
    const auto visible = read(field, "AXVisibleCharacterRange");
    ASSERT_TRUE(visible.range());
    EXPECT_LE(visible.range()->location, 5);
    EXPECT_GE(visible.range()->location + visible.range()->length, 5);

    const auto frame = frameOf(field);
    ASSERT_TRUE(frame);
    EXPECT_GT(frame->width(), 0);
    const auto box = readParameterized(field, "AXBoundsForRange", AXRange{5, 1});
    ASSERT_TRUE(box.rect());
    EXPECT_GT(box.rect()->height(), 0);
    EXPECT_TRUE(frame->adjusted(-4, -4, 4, 4).contains(*box.rect())) << "the character lies inside its field";
    const auto first = readParameterized(field, "AXBoundsForRange", AXRange{0, 1});
    ASSERT_TRUE(first.rect());
    EXPECT_LT(first.rect()->x(), box.rect()->x()) << "later characters lie further right";
}

TEST_P(AccessibilityContract, TextAreaAnswersLineQueries)
{
    launchAndFocus(TextElement::area);
    const auto area = focusedElement();
    EXPECT_EQ(read(area, "AXSelectedTextRange"), AXValue(AXRange{8, 0}));
    EXPECT_EQ(read(area, "AXInsertionPointLineNumber"), AXValue(1));
    const auto line = readParameterized(area, "AXRangeForLine", 1);
    ASSERT_TRUE(line.range());
    EXPECT_EQ(line.range()->location, 6);
    EXPECT_TRUE(line.range()->length == 6 || line.range()->length == 7) << "with or without its line feed";
    const auto top = readParameterized(area, "AXBoundsForRange", AXRange{0, 1});
    const auto below = readParameterized(area, "AXBoundsForRange", AXRange{6, 1});
    ASSERT_TRUE(top.rect() && below.rect());
    EXPECT_GE(below.rect()->y(), top.rect()->bottom() - 1) << "the second line lies below the first";
    EXPECT_NEAR(below.rect()->x(), top.rect()->x(), 4.0);
}

TEST_P(AccessibilityContract, MissingAttributesAnswerTheNoValueCodes)
{
    const auto app = launchAndFocus(TextElement::field);
    const auto field = focusedElement();
    const auto window = windowOf(app.pid);
    EXPECT_EQ(codeOf(field, "AXNoSuchAttribute"), axcode::attributeUnsupported);
    const auto windowValue = codeOf(window, "AXValue");
    EXPECT_TRUE(windowValue == axcode::attributeUnsupported || windowValue == axcode::noValue);

    AXValue value;
    EXPECT_EQ(ax().parameterizedAttributeValue(field, "AXNoSuchParameterized", AXRange{0, 1}, value),
              axcode::attributeUnsupported);
    AXValue::Array none;
    EXPECT_EQ(ax().attributeValues(field, "AXRole", 0, 0, none), axcode::success)
        << "asking for 0 values tests existence";
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(ax().attributeValues(field, "AXNoSuchAttribute", 0, 0, none), axcode::attributeUnsupported);
    std::int64_t count = 0;
    EXPECT_EQ(ax().attributeValueCount(field, "AXRole", count), axcode::illegalArgument) << "not a list";
    bool settable = true;
    const auto settableCode = ax().isAttributeSettable(field, "AXNoSuchAttribute", settable);
    EXPECT_TRUE(settableCode == axcode::attributeUnsupported || (settableCode == axcode::success && !settable));
    QString description;
    const auto actionCode = ax().actionDescription(field, "AXNoSuchAction", description);
    EXPECT_TRUE(actionCode == axcode::actionUnsupported || actionCode == axcode::noValue);
}

TEST_P(AccessibilityContract, MultipleAttributesAnswerOneEntryPerName)
{
    const auto app = driver().launch(standardLayout());
    const auto window = windowOf(app.pid);
    AXValue::Array values;
    ASSERT_EQ(ax().multipleAttributeValues(window, {"AXRole", "AXValue", "AXNoSuchAttribute", "AXTitle"}, values),
              axcode::success);
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0], AXValue("AXWindow"));
    for (int i : {1, 2}) {
        const auto* marker = values[i].error();
        const bool noValueMarker =
            marker && (marker->code == axcode::noValue || marker->code == axcode::attributeUnsupported);
        const bool absent = values[i].isNull() || noValueMarker;
        EXPECT_TRUE(absent) << "entry " << i << " is null or a no-value marker";
    }
    EXPECT_EQ(values[3], AXValue("Contract Notes"));
}

TEST_P(AccessibilityContract, HitTestingFindsTheTextFieldUnderAPoint)
{
    const auto app = launchAndFocus(TextElement::field);
    const auto frame = frameOf(focusedElement());
    ASSERT_TRUE(frame);
    AXElementRef hit;
    ASSERT_EQ(ax().elementAtPosition(ax().systemWideElement(), static_cast<float>(frame->center().x()),
                                     static_cast<float>(frame->center().y()), hit),
              axcode::success);
    EXPECT_EQ(roleOf(hit), "AXTextField");
    std::int32_t pid = 0;
    EXPECT_EQ(ax().pid(hit, pid), axcode::success);
    EXPECT_EQ(pid, app.pid);
}

TEST_P(AccessibilityContract, ElementsOfAQuitApplicationAreInvalid)
{
    const auto app = launchAndFocus(TextElement::field);
    const auto field = focusedElement();
    const auto window = windowOf(app.pid);
    const auto running = workspace().applicationForProcessIdentifier(app.pid);
    ASSERT_TRUE(running);
    driver().quit(app.pid);

    EXPECT_EQ(codeOf(field, "AXRole"), axcode::invalidUIElement);
    EXPECT_EQ(codeOf(window, "AXTitle"), axcode::invalidUIElement);
    EXPECT_EQ(codeOf(ax().applicationElement(app.pid), "AXRole"), axcode::invalidUIElement);
    std::int32_t pid = 0;
    EXPECT_EQ(ax().pid(window, pid), axcode::invalidUIElement);
    AXObserverRef observer;
    EXPECT_EQ(ax().createObserver(app.pid, [](auto&&...) {}, observer), axcode::invalidUIElement);
    const auto timeout = ax().setMessagingTimeout(window, 1.0f);
    EXPECT_TRUE(timeout == axcode::success || timeout == axcode::invalidUIElement);

    EXPECT_TRUE(driver().waitUntil([&] { return !workspace().applicationForProcessIdentifier(app.pid); }));
    EXPECT_TRUE(running->isTerminated());
    for (const auto& other : workspace().runningApplications()) EXPECT_NE(other->processIdentifier(), app.pid);
}

// What an element said of itself before (its role) may be answered without
// asking it; the first read that asks the hung application cannot complete,
// and from then on nothing of it does, remembered or not.
TEST_P(AccessibilityContract, AHungApplicationCannotComplete)
{
    const auto app = driver().launch(standardLayout());
    const auto window = windowOf(app.pid);
    EXPECT_EQ(ax().setMessagingTimeout(window, 0.5f), axcode::success);
    driver().hang(app.pid);
    EXPECT_EQ(codeOf(window, "AXChildren"), axcode::cannotComplete);
    EXPECT_EQ(codeOf(window, "AXRole"), axcode::cannotComplete);
    driver().resume(app.pid);
    EXPECT_TRUE(driver().waitUntil([&] { return codeOf(window, "AXRole") == axcode::success; }));
}

TEST_P(AccessibilityContract, TheTestProcessIsTrustedAndScreensAreKnown)
{
    EXPECT_TRUE(ax().isProcessTrusted(false));
    const auto screens = workspace().screens();
    ASSERT_FALSE(screens.isEmpty());
    EXPECT_GT(screens.front().width(), 0);
    EXPECT_GT(screens.front().height(), 0);
}

}  // namespace zorbel::contract
