#include "AXLayer/AXError.h"
#include "AXLayer/Enumerations.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <limits>
#include <map>
#include <set>

using namespace zorbel;

namespace {

// Every case has a raw value of its own that builds it back: "AX" and its case name, first
// letter raised, but for the names the platform spells otherwise.
template <class E>
void expectRoundTrips(const char* enumeration, std::size_t count, const std::map<QString, QString>& renamed)
{
    SCOPED_TRACE(enumeration);
    const auto& cases = allCases<E>();
    EXPECT_EQ(cases.size(), count);
    std::set<QString> seen;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const E value = cases[i];
        const QString raw = rawValue(value);
        SCOPED_TRACE(raw.toStdString());
        EXPECT_EQ(static_cast<std::size_t>(value), i);
        EXPECT_TRUE(seen.insert(raw).second) << "two cases share this raw value";
        EXPECT_EQ(fromRawValue<E>(raw), value);
        const QString name = caseName(value);
        const auto it = renamed.find(name);
        EXPECT_EQ(raw, it != renamed.end() ? it->second : "AX" + name.left(1).toUpper() + name.mid(1));
    }
}

}  // namespace

TEST(EnumerationsTest, EveryRawValueBuildsItsCase)
{
    expectRoundTrips<Role>("Role", 54, {});
    expectRoundTrips<Subrole>("Subrole", 29, {{"switchSubrole", "AXSwitch"}});
    expectRoundTrips<AXNotification>("AXNotification", 33, {{"uiElementDestroyed", "AXUIElementDestroyed"}});
    expectRoundTrips<Action>("Action", 11, {});
    expectRoundTrips<Attribute>("Attribute", 158,
                                {{"url", "AXURL"}, {"rtfForRangeParameterized", "AXRTFForRangeParameterized"}});
    EXPECT_EQ(rawValue(Attribute::focusedUIElement), "AXFocusedUIElement");
    EXPECT_EQ(rawValue(Attribute::boundsForRangeParameterized), "AXBoundsForRangeParameterized");
    EXPECT_EQ(rawValue(AXNotification::focusedUIElementChanged), "AXFocusedUIElementChanged");
    EXPECT_EQ(rawValue(Role::textArea), "AXTextArea");
    EXPECT_EQ(caseName(Action::delete_), "delete");
    EXPECT_EQ(rawValue(Action::delete_), "AXDelete");
}

TEST(EnumerationsTest, UnmatchedRawValuesBuildNoCase)
{
    EXPECT_EQ(fromRawValue<Role>("AXUnknown"), Role::unknown) << "unknown is a case like the others";
    EXPECT_EQ(fromRawValue<Role>("AXNoSuchRole"), std::nullopt);
    EXPECT_EQ(fromRawValue<Attribute>("AXrole"), std::nullopt);
    EXPECT_EQ(fromRawValue<Attribute>("axrole"), std::nullopt);
    EXPECT_EQ(fromRawValue<Attribute>("AXRole "), std::nullopt);
    EXPECT_EQ(fromRawValue<Attribute>(""), std::nullopt);
    EXPECT_EQ(fromRawValue<Subrole>("AXSwitchSubrole"), std::nullopt);
    EXPECT_EQ(fromRawValue<AXNotification>("AXUiElementDestroyed"), std::nullopt);
    EXPECT_EQ(fromRawValue<Attribute>("AXUrl"), std::nullopt);
}

TEST(EnumerationsTest, OrientationUsesIntegers)
{
    EXPECT_EQ(fromRawValue<Orientation>(0), Orientation::unknown);
    EXPECT_EQ(fromRawValue<Orientation>(1), Orientation::vertical);
    EXPECT_EQ(fromRawValue<Orientation>(2), Orientation::horizontal);
    EXPECT_EQ(fromRawValue<Orientation>(3), std::nullopt);
    EXPECT_EQ(fromRawValue<Orientation>(-1), std::nullopt);
    EXPECT_EQ(rawValue(Orientation::horizontal), 2);
    EXPECT_EQ(caseName(Orientation::vertical), "vertical");
}

TEST(AXErrorTest, DescriptionNamesEveryKnownCode)
{
    const std::vector<std::pair<int, const char*>> table{
        {0, "Success"},
        {-25200, "Failure"},
        {-25201, "IllegalArgument"},
        {-25202, "InvalidUIElement"},
        {-25203, "InvalidUIElementObserver"},
        {-25204, "CannotComplete"},
        {-25205, "AttributeUnsupported"},
        {-25206, "ActionUnsupported"},
        {-25207, "NotificationUnsupported"},
        {-25208, "NotImplemented"},
        {-25209, "NotificationAlreadyRegistered"},
        {-25210, "NotificationNotRegistered"},
        {-25211, "APIDisabled"},
        {-25212, "NoValue"},
        {-25213, "ParameterizedAttributeUnsupported"},
        {-25214, "NotEnoughPrecision"},
        {7, "<Unknown>"},
        {-25215, "<Unknown>"},
        {-25199, "<Unknown>"},
        {std::numeric_limits<int>::min(), "<Unknown>"},
    };
    for (const auto& [code, name] : table) {
        const AXError error(code);
        EXPECT_EQ(error.description(), QStringLiteral("AXError.") + name) << code;
        EXPECT_STREQ(error.what(), error.description().toUtf8().constData());
        EXPECT_EQ(error.rawValue(), code);
    }
    EXPECT_EQ(AXError(-25212), AXError::noValue);
    EXPECT_NE(AXError(-25212), AXError::attributeUnsupported);
    EXPECT_STREQ(AXError::domain, "ApplicationServices.AXError");
}
