#include "AXLayerTest.h"

#include "Platform/Simulated/SimulatedAccessibility.h"
#include "Platform/TextForm.h"

#include <functional>

using namespace zorbel;
using namespace zorbel::platform;
using zorbel::testing::AXLayerTest;

namespace {

QString found(bool present) { return present ? QStringLiteral("value") : QStringLiteral("none"); }
QString listed(const QStringList& names) { return names.isEmpty() ? QStringLiteral("[]") : QStringLiteral("names"); }

struct OperationCase {
    const char* name;
    const char* serviceOperation;  // the call the forced code is put on
    std::function<QString(const UIElement&)> run;
    std::map<AXCode, QString> noValue;  // codes that do not report, and what they give
};

// Answers multiple-attribute reads with one entry fewer than asked for.
class ShortAnswers final : public SimulatedAccessibility {
public:
    using SimulatedAccessibility::SimulatedAccessibility;
    AXCode multipleAttributeValues(const AXElementRef& element, const QStringList& names,
                                   AXValue::Array& values) override
    {
        const auto code = SimulatedAccessibility::multipleAttributeValues(element, names, values);
        if (!values.empty()) values.pop_back();
        return code;
    }
};

}  // namespace

class UIElementTest : public AXLayerTest {};

TEST_F(UIElementTest, EachOperationMapsOnlyItsOwnCodesToNoValue)
{
    const auto none = QStringLiteral("none");
    const auto empty = QStringLiteral("[]");
    const std::vector<OperationCase> cases{
        {"attributeNames", "attributeNames",
         [](const UIElement& e) { return listed(e.attributeNames()); },
         {{axcode::noValue, empty}, {axcode::attributeUnsupported, empty}}},
        {"supportsAttribute", "attributeValues",
         [](const UIElement& e) { return zorbel::text::boolean(e.supportsAttribute(Attribute::role)); },
         {{axcode::noValue, "true"}, {axcode::attributeUnsupported, "false"}}},
        {"attributeIsSettable", "isAttributeSettable",
         [](const UIElement& e) { return zorbel::text::boolean(e.attributeIsSettable("AXValue")); },
         {{axcode::noValue, "false"}, {axcode::attributeUnsupported, "false"}}},
        {"attribute", "attributeValue", [](const UIElement& e) { return found(e.attribute("AXValue").has_value()); },
         {{axcode::noValue, none}, {axcode::attributeUnsupported, none}}},
        {"attributeArray", "attributeValue",
         [](const UIElement& e) { return found(e.attributeArray(Attribute::children).has_value()); },
         {{axcode::noValue, none}, {axcode::attributeUnsupported, none}}},
        {"attributeValues", "attributeValues",
         [](const UIElement& e) { return found(e.attributeValues("AXSelectedTextRanges", 0, 1).has_value()); },
         {{axcode::noValue, none}, {axcode::attributeUnsupported, none}}},
        {"attributeValueCount", "attributeValueCount",
         [](const UIElement& e) { return found(e.attributeValueCount(Attribute::children).has_value()); },
         {{axcode::attributeUnsupported, none}, {axcode::illegalArgument, none}}},
        {"setAttribute", "setAttributeValue",
         [](const UIElement& e) { return e.setAttribute("AXValue", "x"), QStringLiteral("done"); }, {}},
        {"multipleAttributes", "multipleAttributeValues",
         [](const UIElement& e) { return found(!e.multipleAttributes(Attribute::role).empty()); }, {}},
        {"parameterizedAttributeNames", "parameterizedAttributeNames",
         [](const UIElement& e) { return listed(e.parameterizedAttributeNames()); },
         {{axcode::noValue, empty}, {axcode::attributeUnsupported, empty}}},
        {"parameterizedAttribute", "parameterizedAttributeValue",
         [](const UIElement& e) {
             return found(e.parameterizedAttribute("AXBoundsForRange", AXRange{0, 1}).has_value());
         },
         {{axcode::noValue, none}, {axcode::attributeUnsupported, none}}},
        {"actionNames", "actionNames",
         [](const UIElement& e) { return listed(e.actionNames()); },
         {{axcode::noValue, empty}, {axcode::attributeUnsupported, empty}}},
        {"actionDescription", "actionDescription",
         [](const UIElement& e) { return found(e.actionDescription(Action::press).has_value()); },
         {{axcode::actionUnsupported, none}, {axcode::noValue, none}}},
        {"performAction", "performAction",
         [](const UIElement& e) { return e.performAction(Action::press), QStringLiteral("done"); }, {}},
        {"pid", "pid", [](const UIElement& e) { return QString::number(e.pid()); }, {}},
        {"elementAt", "elementAtPosition", [](const UIElement& e) { return found(e.elementAt(120, 115).has_value()); },
         {{axcode::noValue, none}}},
    };
    const std::vector<AXCode> codes{axcode::noValue,         axcode::attributeUnsupported, axcode::illegalArgument,
                                    axcode::actionUnsupported, axcode::cannotComplete,      axcode::invalidUIElement};
    const auto element = wrap(field);
    for (const auto& c : cases) {
        for (const auto code : codes) {
            desktop().clearForcedResults();
            desktop().forceResult(code, QString::fromLatin1(c.serviceOperation));
            const auto it = c.noValue.find(code);
            const QString expected = it != c.noValue.end() ? it->second : AXError(code).description();
            EXPECT_EQ(outcome([&] { return c.run(element); }), expected) << c.name << " with " << AXError(code).what();
        }
    }
}

TEST_F(UIElementTest, MissingAttributesGiveNoValueButGoneElementsReport)
{
    const auto element = wrap(field);
    EXPECT_EQ(element.attribute("AXZorbelMissing"), std::nullopt);
    field->setAttribute("AXPlaceholderValue", AXValue());
    EXPECT_EQ(element.attribute(Attribute::placeholderValue), std::nullopt);
    EXPECT_TRUE(element.supportsAttribute(Attribute::placeholderValue)) << "it exists without a value";
    EXPECT_FALSE(element.supportsAttribute("AXZorbelMissing"));
    EXPECT_EQ(element.attribute<int>(Attribute::role), std::nullopt) << "a value of another type is no value";
    EXPECT_EQ(element.attribute<QString>(Attribute::value), "hello");
    EXPECT_EQ(element.attribute<std::int64_t>(Attribute::numberOfCharacters), 5);
    EXPECT_EQ(element.attribute<double>(Attribute::numberOfCharacters), 5.0);
    EXPECT_EQ(element.role(), Role::textField);
    field->setAttribute("AXRole", "AXZorbelWidget");
    EXPECT_EQ(element.role(), std::nullopt);

    notes->quit();
    EXPECT_EQ(outcome([&] { return found(element.attribute("AXZorbelMissing").has_value()); }),
              "AXError.InvalidUIElement");
}

TEST_F(UIElementTest, UnknownNamesAreDroppedAndOnlyAttributesSayWhy)
{
    field->setAttribute("AXZorbelPrivate", 1);
    field->addAction("AXZorbelPoke", "poke");
    const auto attributes = wrap(field).attributes();
    ASSERT_FALSE(attributes.empty());
    EXPECT_EQ(attributes.front(), Attribute::role);
    EXPECT_EQ(std::count(attributes.begin(), attributes.end(), Attribute::value), 1);
    EXPECT_EQ(world().console.lines, QStringList{"Unrecognized attribute: AXZorbelPrivate"});

    world().console.lines.clear();
    EXPECT_EQ(wrap(button).actions(), std::vector<Action>{Action::press});
    button->addAction("AXZorbelPoke", "poke");
    EXPECT_EQ(wrap(button).actions(), std::vector<Action>{Action::press});
    // The platform names parameterized attributes without the "Parameterized"
    // of the case names, so none of them is kept.
    EXPECT_FALSE(wrap(field).parameterizedAttributeNames().isEmpty());
    EXPECT_TRUE(wrap(field).parameterizedAttributes().empty());
    EXPECT_TRUE(world().console.lines.isEmpty());
}

TEST_F(UIElementTest, MultipleAttributesLeaveOutWhatIsMissing)
{
    const auto win = wrap(window);
    const auto both = win.multipleAttributes(Attribute::role, Attribute::value);
    ASSERT_EQ(both.size(), 1u);
    EXPECT_EQ(both.at(Attribute::role), Value("AXWindow"));

    const auto byName = win.multipleAttributes(QStringList{"AXTitle", "AXZorbelMissing", "AXRole", "AXTitle"});
    EXPECT_EQ(byName.size(), 2u);
    EXPECT_EQ(byName.at("AXTitle"), Value("Notes"));

    desktop().forceResult(axcode::noValue, *window, "AXTitle");
    EXPECT_EQ(win.multipleAttributes(Attribute::role, Attribute::title).size(), 1u) << "a no-value marker is left out";
    desktop().forceResult(axcode::cannotComplete, *window, "AXRole");
    EXPECT_EQ(outcome([&] { return found(!win.multipleAttributes(Attribute::role).empty()); }),
              "AXError.CannotComplete");
}

TEST_F(UIElementTest, AShortMultipleAnswerCountsTheMissingEntriesAsAbsent)
{
    ShortAnswers shortAnswers(desktop());
    installAccessibility(shortAnswers);
    const auto values = wrap(window).multipleAttributes(Attribute::role, Attribute::title);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values.at(Attribute::role), Value("AXWindow"));
    EXPECT_TRUE(wrap(window).multipleAttributes(Attribute::role).empty());
}

TEST_F(UIElementTest, ListsAreDecodedEntryByEntry)
{
    const auto win = wrap(window);
    const auto children = win.attributeArray<UIElement>(Attribute::children);
    ASSERT_TRUE(children);
    EXPECT_EQ(*children, (std::vector<UIElement>{wrap(field), wrap(area), wrap(button)}));
    EXPECT_EQ(win.attributeArray<QString>(Attribute::children), std::nullopt) << "entries of another type";
    EXPECT_EQ(outcome([&] { return found(win.attributeArray(Attribute::title).has_value()); }),
              "AXError.IllegalArgument");
    EXPECT_EQ(win.attributeValues<UIElement>(Attribute::children, 1, 5),
              (std::vector<UIElement>{wrap(area), wrap(button)}));
    EXPECT_EQ(win.attributeValueCount(Attribute::children), 3);
    EXPECT_EQ(win.attributeValueCount(Attribute::title), std::nullopt) << "not a list";
}

TEST_F(UIElementTest, ValuesDecodeAndEncode)
{
    field->setAttribute("AXZorbelError", AXErrorMarker{axcode::cannotComplete});
    EXPECT_EQ(wrap(field).attribute<AXError>("AXZorbelError"), AXError::cannotComplete) << "a value, not a report";
    EXPECT_EQ(wrap(field).attribute<UIElement>(Attribute::parent), wrap(window));
    EXPECT_EQ(wrap(field).parameterizedAttribute<QRectF>("AXBoundsForRange", AXRange{1, 1}), QRectF(118, 110, 8, 16));

    EXPECT_EQ(encodeValue(QRectF(1, 2, 3, 4)).kind(), AXValue::Kind::rect);
    EXPECT_EQ(encodeValue(true), AXValue(true));
    EXPECT_EQ(encodeValue(wrap(area)), AXValue(area->ref()));
    EXPECT_EQ(encodeValue(AXError::noValue), AXValue(AXErrorMarker{axcode::noValue}));
    wrap(field).setAttribute(Attribute::value, "typed");
    EXPECT_EQ(field->text(), "typed");
}

TEST_F(UIElementTest, WrappersOfOneElementAreEqual)
{
    EXPECT_EQ(wrap(field), UIElement(field->ref()));
    EXPECT_NE(wrap(field), wrap(area));
    EXPECT_EQ(Application(notes->element().ref()), *wrap(window).attribute<UIElement>(Attribute::parent));
    EXPECT_EQ(wrap(window).elementAt(115, 145), wrap(area));
    EXPECT_EQ(wrap(window).elementAt(5, 5), std::nullopt);
}

TEST_F(UIElementTest, MessagingTimeoutStoresWhatItSetAndLogsOnlyUnexpectedFailures)
{
    auto element = wrap(field);
    auto& service = static_cast<SimulatedAccessibility&>(desktop().accessibility());
    element.setMessagingTimeout(-1);
    EXPECT_EQ(element.messagingTimeout(), 0.0f);
    EXPECT_EQ(service.messagingTimeoutOf(field->ref()), 0.0f);

    desktop().forceResult(axcode::cannotComplete, "setMessagingTimeout");
    element.setMessagingTimeout(2.5f);
    EXPECT_EQ(element.messagingTimeout(), 2.5f);
    ASSERT_EQ(world().log.lines().size(), 1);
    EXPECT_TRUE(world().log.lines()[0].startsWith("[ERROR] UIElement.cpp:"));
    EXPECT_TRUE(world().log.lines()[0].endsWith(
        " messagingTimeout - Unexpected error setting messaging timeout: AXError.CannotComplete"));

    desktop().clearForcedResults();
    notes->quit();
    element.setMessagingTimeout(1.0f);
    EXPECT_EQ(world().log.lines().size(), 1) << "a gone element is accepted silently";

    UIElement::setGlobalMessagingTimeout(3.0f);
    EXPECT_EQ(UIElement::globalMessagingTimeout(), 3.0f);
    EXPECT_EQ(service.messagingTimeoutOf(desktop().systemWide().ref()), 3.0f);
}
