#pragma once

#include <QString>

#include <optional>
#include <vector>

// The accessibility vocabulary. Each list names the cases in their order; a
// case's raw value is "AX" followed by its name with the first letter in
// upper case, except where Enumerations.cpp says otherwise. A trailing
// underscore only keeps a name clear of a C++ keyword (the case is "delete").

#define ZORBEL_AX_ROLE_CASES(X)                                                                                  \
    X(unknown) X(button) X(radioButton) X(checkBox) X(slider) X(tabGroup) X(textField) X(staticText) X(textArea) \
    X(scrollArea) X(popUpButton) X(menuButton) X(table) X(application) X(group) X(radioGroup) X(list)           \
    X(scrollBar) X(valueIndicator) X(image) X(menuBar) X(menu) X(menuItem) X(column) X(row) X(toolbar)          \
    X(busyIndicator) X(progressIndicator) X(window) X(drawer) X(systemWide) X(outline) X(incrementor)           \
    X(browser) X(comboBox) X(splitGroup) X(splitter) X(colorWell) X(growArea) X(sheet) X(helpTag) X(matte)      \
    X(ruler) X(rulerMarker) X(link) X(disclosureTriangle) X(grid) X(relevanceIndicator) X(levelIndicator)       \
    X(cell) X(popover) X(layoutArea) X(layoutItem) X(handle)

#define ZORBEL_AX_SUBROLE_CASES(X)                                                                            \
    X(unknown) X(closeButton) X(zoomButton) X(minimizeButton) X(toolbarButton) X(tableRow) X(outlineRow)      \
    X(secureTextField) X(standardWindow) X(dialog) X(systemDialog) X(floatingWindow) X(systemFloatingWindow)  \
    X(incrementArrow) X(decrementArrow) X(incrementPage) X(decrementPage) X(searchField) X(textAttachment)    \
    X(textLink) X(timeline) X(sortButton) X(ratingIndicator) X(contentList) X(definitionList)                 \
    X(fullScreenButton) X(toggle) X(switchSubrole) X(descriptionList)

#define ZORBEL_AX_NOTIFICATION_CASES(X)                                                                        \
    X(mainWindowChanged) X(focusedWindowChanged) X(focusedUIElementChanged) X(applicationActivated)            \
    X(applicationDeactivated) X(applicationHidden) X(applicationShown) X(windowCreated) X(windowMoved)         \
    X(windowResized) X(windowMiniaturized) X(windowDeminiaturized) X(drawerCreated) X(sheetCreated)            \
    X(uiElementDestroyed) X(valueChanged) X(titleChanged) X(resized) X(moved) X(created) X(layoutChanged)      \
    X(helpTagCreated) X(selectedTextChanged) X(rowCountChanged) X(selectedChildrenChanged)                     \
    X(selectedRowsChanged) X(selectedColumnsChanged) X(rowExpanded) X(rowCollapsed) X(selectedCellsChanged)    \
    X(unitsChanged) X(selectedChildrenMoved) X(announcementRequested)

#define ZORBEL_AX_ACTION_CASES(X)                                                                              \
    X(press) X(increment) X(decrement) X(confirm) X(pick) X(cancel) X(raise) X(showMenu) X(delete_)           \
    X(showAlternateUI) X(showDefaultUI)

#define ZORBEL_AX_ATTRIBUTE_CASES(X)                                                                           \
    X(role) X(roleDescription) X(subrole) X(help) X(value) X(minValue) X(maxValue) X(enabled) X(focused)      \
    X(parent) X(children) X(window) X(topLevelUIElement) X(selectedChildren) X(visibleChildren) X(position)   \
    X(size) X(frame) X(contents) X(title) X(description) X(shownMenu) X(valueDescription)                     \
    X(sharedFocusElements) X(previousContents) X(nextContents) X(header) X(edited) X(tabs)                    \
    X(horizontalScrollBar) X(verticalScrollBar) X(overflowButton) X(incrementButton) X(decrementButton)       \
    X(filename) X(expanded) X(selected) X(splitters) X(document) X(activationPoint) X(url) X(index)           \
    X(rowCount) X(columnCount) X(orderedByRow) X(warningValue) X(criticalValue) X(placeholderValue)           \
    X(containsProtectedContent) X(alternateUIVisible) X(titleUIElement) X(servesAsTitleForUIElements)         \
    X(linkedUIElements) X(selectedText) X(selectedTextRange) X(numberOfCharacters) X(visibleCharacterRange)   \
    X(sharedTextUIElements) X(sharedCharacterRange) X(insertionPointLineNumber) X(selectedTextRanges)         \
    X(textInputMarkedRange) X(lineForIndexParameterized) X(rangeForLineParameterized)                         \
    X(stringForRangeParameterized) X(rangeForPositionParameterized) X(rangeForIndexParameterized)             \
    X(boundsForRangeParameterized) X(rtfForRangeParameterized) X(styleRangeForIndexParameterized)             \
    X(attributedStringForRangeParameterized) X(fontText) X(foregroundColorText) X(backgroundColorText)        \
    X(underlineColorText) X(strikethroughColorText) X(underlineText) X(superscriptText) X(strikethroughText)   \
    X(shadowText) X(attachmentText) X(linkText) X(autocorrectedText) X(listItemPrefixText)                    \
    X(listItemIndexText) X(listItemLevelText) X(misspelledText) X(markedMisspelledText) X(main) X(minimized)  \
    X(closeButton) X(zoomButton) X(minimizeButton) X(toolbarButton) X(proxy) X(growArea) X(modal)             \
    X(defaultButton) X(cancelButton) X(fullScreenButton) X(fullScreen) X(menuBar) X(windows) X(frontmost)     \
    X(hidden) X(mainWindow) X(focusedWindow) X(focusedUIElement) X(extrasMenuBar) X(enhancedUserInterface)    \
    X(orientation) X(columnTitles) X(searchButton) X(searchMenu) X(clearButton) X(rows) X(visibleRows)        \
    X(selectedRows) X(columns) X(visibleColumns) X(selectedColumns) X(sortDirection) X(selectedCells)         \
    X(visibleCells) X(rowHeaderUIElements) X(columnHeaderUIElements) X(cellForColumnAndRowParameterized)      \
    X(rowIndexRange) X(columnIndexRange) X(horizontalUnits) X(verticalUnits) X(horizontalUnitDescription)     \
    X(verticalUnitDescription) X(layoutPointForScreenPointParameterized)                                      \
    X(layoutSizeForScreenSizeParameterized) X(screenPointForLayoutPointParameterized)                         \
    X(screenSizeForLayoutSizeParameterized) X(handles) X(disclosing) X(disclosedRows) X(disclosedByRow)       \
    X(disclosureLevel) X(allowedValues) X(labelUIElements) X(labelValue) X(matteHole)                         \
    X(matteContentUIElement) X(markerUIElements) X(markerValues) X(markerGroupUIElement) X(units)             \
    X(unitDescription) X(markerType) X(markerTypeDescription) X(identifier) X(focusedApplication)             \
    X(functionRowTopLevelElements) X(childrenInNavigationOrder)

#define ZORBEL_AX_ENUM_CASE(name) name,

namespace zorbel {

enum class Role { ZORBEL_AX_ROLE_CASES(ZORBEL_AX_ENUM_CASE) };
enum class Subrole { ZORBEL_AX_SUBROLE_CASES(ZORBEL_AX_ENUM_CASE) };
enum class AXNotification { ZORBEL_AX_NOTIFICATION_CASES(ZORBEL_AX_ENUM_CASE) };
enum class Action { ZORBEL_AX_ACTION_CASES(ZORBEL_AX_ENUM_CASE) };
enum class Attribute { ZORBEL_AX_ATTRIBUTE_CASES(ZORBEL_AX_ENUM_CASE) };
enum class Orientation { unknown = 0, vertical = 1, horizontal = 2 };

// Raw values: the AX names ("AXTextField"), or the integer for Orientation.
QString rawValue(Role value);
QString rawValue(Subrole value);
QString rawValue(AXNotification value);
QString rawValue(Action value);
QString rawValue(Attribute value);
int rawValue(Orientation value);

// The case's name ("textArea"), as a case reads in text.
QString caseName(Role value);
QString caseName(Subrole value);
QString caseName(AXNotification value);
QString caseName(Action value);
QString caseName(Attribute value);
QString caseName(Orientation value);

// Building a case from a raw value compares the whole value, letter case
// included; nothing matches gives no case. fromRawValue<Role>("AXTextArea"),
// fromRawValue<Orientation>(2).
template <class E>
struct RawValueType {
    using type = QString;
};
template <>
struct RawValueType<Orientation> {
    using type = int;
};
template <class E>
std::optional<E> fromRawValue(const typename RawValueType<E>::type& raw);

// Every case, in order.
template <class E>
const std::vector<E>& allCases();

#define ZORBEL_AX_DECLARE_ENUM_FUNCTIONS(E)                                                   \
    template <>                                                                           \
    std::optional<E> fromRawValue<E>(const typename RawValueType<E>::type& raw);          \
    template <>                                                                           \
    const std::vector<E>& allCases<E>();
ZORBEL_AX_DECLARE_ENUM_FUNCTIONS(Role)
ZORBEL_AX_DECLARE_ENUM_FUNCTIONS(Subrole)
ZORBEL_AX_DECLARE_ENUM_FUNCTIONS(AXNotification)
ZORBEL_AX_DECLARE_ENUM_FUNCTIONS(Action)
ZORBEL_AX_DECLARE_ENUM_FUNCTIONS(Attribute)
ZORBEL_AX_DECLARE_ENUM_FUNCTIONS(Orientation)
#undef ZORBEL_AX_DECLARE_ENUM_FUNCTIONS

}  // namespace zorbel
