#include "AXLayer/AXError.h"
#include "AXLayer/Enumerations.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <limits>
#include <map>

using namespace zorbel;

namespace {

// The raw values, in case order, as the accessibility platform names them.
const char* const kRoleRaw =
    "AXUnknown AXButton AXRadioButton AXCheckBox AXSlider AXTabGroup AXTextField AXStaticText AXTextArea "
    "AXScrollArea AXPopUpButton AXMenuButton AXTable AXApplication AXGroup AXRadioGroup AXList AXScrollBar "
    "AXValueIndicator AXImage AXMenuBar AXMenu AXMenuItem AXColumn AXRow AXToolbar AXBusyIndicator "
    "AXProgressIndicator AXWindow AXDrawer AXSystemWide AXOutline AXIncrementor AXBrowser AXComboBox "
    "AXSplitGroup AXSplitter AXColorWell AXGrowArea AXSheet AXHelpTag AXMatte AXRuler AXRulerMarker AXLink "
    "AXDisclosureTriangle AXGrid AXRelevanceIndicator AXLevelIndicator AXCell AXPopover AXLayoutArea "
    "AXLayoutItem AXHandle";
const char* const kSubroleRaw =
    "AXUnknown AXCloseButton AXZoomButton AXMinimizeButton AXToolbarButton AXTableRow AXOutlineRow "
    "AXSecureTextField AXStandardWindow AXDialog AXSystemDialog AXFloatingWindow AXSystemFloatingWindow "
    "AXIncrementArrow AXDecrementArrow AXIncrementPage AXDecrementPage AXSearchField AXTextAttachment "
    "AXTextLink AXTimeline AXSortButton AXRatingIndicator AXContentList AXDefinitionList AXFullScreenButton "
    "AXToggle AXSwitch AXDescriptionList";
const char* const kAXNotificationRaw =
    "AXMainWindowChanged AXFocusedWindowChanged AXFocusedUIElementChanged AXApplicationActivated "
    "AXApplicationDeactivated AXApplicationHidden AXApplicationShown AXWindowCreated AXWindowMoved "
    "AXWindowResized AXWindowMiniaturized AXWindowDeminiaturized AXDrawerCreated AXSheetCreated "
    "AXUIElementDestroyed AXValueChanged AXTitleChanged AXResized AXMoved AXCreated AXLayoutChanged "
    "AXHelpTagCreated AXSelectedTextChanged AXRowCountChanged AXSelectedChildrenChanged AXSelectedRowsChanged "
    "AXSelectedColumnsChanged AXRowExpanded AXRowCollapsed AXSelectedCellsChanged AXUnitsChanged "
    "AXSelectedChildrenMoved AXAnnouncementRequested";
const char* const kActionRaw =
    "AXPress AXIncrement AXDecrement AXConfirm AXPick AXCancel AXRaise AXShowMenu AXDelete AXShowAlternateUI "
    "AXShowDefaultUI";
const char* const kAttributeRaw =
    "AXRole AXRoleDescription AXSubrole AXHelp AXValue AXMinValue AXMaxValue AXEnabled AXFocused AXParent "
    "AXChildren AXWindow AXTopLevelUIElement AXSelectedChildren AXVisibleChildren AXPosition AXSize AXFrame "
    "AXContents AXTitle AXDescription AXShownMenu AXValueDescription AXSharedFocusElements AXPreviousContents "
    "AXNextContents AXHeader AXEdited AXTabs AXHorizontalScrollBar AXVerticalScrollBar AXOverflowButton "
    "AXIncrementButton AXDecrementButton AXFilename AXExpanded AXSelected AXSplitters AXDocument "
    "AXActivationPoint AXURL AXIndex AXRowCount AXColumnCount AXOrderedByRow AXWarningValue AXCriticalValue "
    "AXPlaceholderValue AXContainsProtectedContent AXAlternateUIVisible AXTitleUIElement "
    "AXServesAsTitleForUIElements AXLinkedUIElements AXSelectedText AXSelectedTextRange AXNumberOfCharacters "
    "AXVisibleCharacterRange AXSharedTextUIElements AXSharedCharacterRange AXInsertionPointLineNumber "
    "AXSelectedTextRanges AXTextInputMarkedRange AXLineForIndexParameterized AXRangeForLineParameterized "
    "AXStringForRangeParameterized AXRangeForPositionParameterized AXRangeForIndexParameterized "
    "AXBoundsForRangeParameterized AXRTFForRangeParameterized AXStyleRangeForIndexParameterized "
    "AXAttributedStringForRangeParameterized AXFontText AXForegroundColorText AXBackgroundColorText "
    "AXUnderlineColorText AXStrikethroughColorText AXUnderlineText AXSuperscriptText AXStrikethroughText "
    "AXShadowText AXAttachmentText AXLinkText AXAutocorrectedText AXListItemPrefixText AXListItemIndexText "
    "AXListItemLevelText AXMisspelledText AXMarkedMisspelledText AXMain AXMinimized AXCloseButton "
    "AXZoomButton AXMinimizeButton AXToolbarButton AXProxy AXGrowArea AXModal AXDefaultButton AXCancelButton "
    "AXFullScreenButton AXFullScreen AXMenuBar AXWindows AXFrontmost AXHidden AXMainWindow AXFocusedWindow "
    "AXFocusedUIElement AXExtrasMenuBar AXEnhancedUserInterface AXOrientation AXColumnTitles AXSearchButton "
    "AXSearchMenu AXClearButton AXRows AXVisibleRows AXSelectedRows AXColumns AXVisibleColumns "
    "AXSelectedColumns AXSortDirection AXSelectedCells AXVisibleCells AXRowHeaderUIElements "
    "AXColumnHeaderUIElements AXCellForColumnAndRowParameterized AXRowIndexRange AXColumnIndexRange "
    "AXHorizontalUnits AXVerticalUnits AXHorizontalUnitDescription AXVerticalUnitDescription "
    "AXLayoutPointForScreenPointParameterized AXLayoutSizeForScreenSizeParameterized "
    "AXScreenPointForLayoutPointParameterized AXScreenSizeForLayoutSizeParameterized AXHandles AXDisclosing "
    "AXDisclosedRows AXDisclosedByRow AXDisclosureLevel AXAllowedValues AXLabelUIElements AXLabelValue "
    "AXMatteHole AXMatteContentUIElement AXMarkerUIElements AXMarkerValues AXMarkerGroupUIElement AXUnits "
    "AXUnitDescription AXMarkerType AXMarkerTypeDescription AXIdentifier AXFocusedApplication "
    "AXFunctionRowTopLevelElements AXChildrenInNavigationOrder";

// Every case builds back from its raw value, in order, and its case name
// reads as the raw value without "AX" (first letter lowered) except where
// the name had to differ.
template <class E>
void expectRoundTrips(const char* expectedRawValues, const std::map<QString, QString>& renamed)
{
    const QStringList expected = QString::fromLatin1(expectedRawValues).split(QLatin1Char(' '));
    const auto& cases = allCases<E>();
    ASSERT_EQ(cases.size(), static_cast<std::size_t>(expected.size()));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const E value = cases[i];
        const QString& raw = expected[static_cast<qsizetype>(i)];
        EXPECT_EQ(static_cast<std::size_t>(value), i);
        EXPECT_EQ(rawValue(value), raw);
        EXPECT_EQ(fromRawValue<E>(raw), value) << raw.toStdString();
        const auto it = renamed.find(raw);
        const QString name = it != renamed.end() ? it->second : raw.at(2).toLower() + raw.mid(3);
        EXPECT_EQ(caseName(value), name);
    }
}

}  // namespace

TEST(EnumerationsTest, EveryRawValueBuildsItsCase)
{
    expectRoundTrips<Role>(kRoleRaw, {});
    expectRoundTrips<Subrole>(kSubroleRaw, {{"AXSwitch", "switchSubrole"}});
    expectRoundTrips<AXNotification>(kAXNotificationRaw, {{"AXUIElementDestroyed", "uiElementDestroyed"}});
    expectRoundTrips<Action>(kActionRaw, {});
    expectRoundTrips<Attribute>(
        kAttributeRaw, {{"AXURL", "url"}, {"AXRTFForRangeParameterized", "rtfForRangeParameterized"}});
}

TEST(EnumerationsTest, CasesSitWhereTheirListPutsThem)
{
    EXPECT_EQ(allCases<Role>().front(), Role::unknown);
    EXPECT_EQ(allCases<Role>().back(), Role::handle);
    EXPECT_EQ(allCases<Subrole>().back(), Subrole::descriptionList);
    EXPECT_EQ(allCases<AXNotification>().back(), AXNotification::announcementRequested);
    EXPECT_EQ(allCases<Attribute>().back(), Attribute::childrenInNavigationOrder);
    EXPECT_EQ(static_cast<int>(Attribute::boundsForRangeParameterized), 67);
    EXPECT_EQ(caseName(Action::delete_), "delete");
    EXPECT_EQ(rawValue(Action::delete_), "AXDelete");
    EXPECT_EQ(rawValue(Attribute::focusedUIElement), "AXFocusedUIElement");
    EXPECT_EQ(rawValue(AXNotification::focusedUIElementChanged), "AXFocusedUIElementChanged");
    EXPECT_EQ(caseName(Role::textArea), "textArea");
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
}

TEST(AXErrorTest, EqualWhenTheCodesAre)
{
    EXPECT_EQ(AXError(-25212), AXError::noValue);
    EXPECT_NE(AXError(-25212), AXError::attributeUnsupported);
    EXPECT_EQ(AXError::cannotComplete.description(), "AXError.CannotComplete");
    EXPECT_STREQ(AXError::domain, "ApplicationServices.AXError");
}
