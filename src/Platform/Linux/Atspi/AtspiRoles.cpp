#include "Platform/Linux/Atspi/AtspiRoles.h"

#include <atspi/atspi.h>

#include <unordered_map>

namespace zorbel::platform::atspi {

namespace {
const std::unordered_map<int, const char*>& plainRoles()
{
    static const std::unordered_map<int, const char*> map = {
        {ATSPI_ROLE_APPLICATION, "AXApplication"},
        {ATSPI_ROLE_COMBO_BOX, "AXComboBox"},
        {ATSPI_ROLE_FRAME, "AXWindow"},
        {ATSPI_ROLE_WINDOW, "AXWindow"},
        {ATSPI_ROLE_DIALOG, "AXWindow"},
        {ATSPI_ROLE_ALERT, "AXWindow"},
        {ATSPI_ROLE_FILE_CHOOSER, "AXWindow"},
        {ATSPI_ROLE_PUSH_BUTTON, "AXButton"},
        {ATSPI_ROLE_TOGGLE_BUTTON, "AXCheckBox"},
        {ATSPI_ROLE_CHECK_BOX, "AXCheckBox"},
        {ATSPI_ROLE_RADIO_BUTTON, "AXRadioButton"},
        {ATSPI_ROLE_LABEL, "AXStaticText"},
        {ATSPI_ROLE_STATIC, "AXStaticText"},
        {ATSPI_ROLE_SCROLL_PANE, "AXScrollArea"},
        {ATSPI_ROLE_VIEWPORT, "AXScrollArea"},
        {ATSPI_ROLE_SCROLL_BAR, "AXScrollBar"},
        {ATSPI_ROLE_LIST, "AXList"},
        {ATSPI_ROLE_LIST_BOX, "AXList"},
        {ATSPI_ROLE_MENU_BAR, "AXMenuBar"},
        {ATSPI_ROLE_MENU, "AXMenu"},
        {ATSPI_ROLE_POPUP_MENU, "AXMenu"},
        {ATSPI_ROLE_MENU_ITEM, "AXMenuItem"},
        {ATSPI_ROLE_CHECK_MENU_ITEM, "AXMenuItem"},
        {ATSPI_ROLE_RADIO_MENU_ITEM, "AXMenuItem"},
        {ATSPI_ROLE_PAGE_TAB_LIST, "AXTabGroup"},
        {ATSPI_ROLE_SLIDER, "AXSlider"},
        {ATSPI_ROLE_SPIN_BUTTON, "AXIncrementor"},
        {ATSPI_ROLE_TABLE, "AXTable"},
        {ATSPI_ROLE_TREE_TABLE, "AXOutline"},
        {ATSPI_ROLE_TREE, "AXOutline"},
        {ATSPI_ROLE_TABLE_ROW, "AXRow"},
        {ATSPI_ROLE_TABLE_CELL, "AXCell"},
        {ATSPI_ROLE_TOOL_BAR, "AXToolbar"},
        {ATSPI_ROLE_PROGRESS_BAR, "AXProgressIndicator"},
        {ATSPI_ROLE_LEVEL_BAR, "AXLevelIndicator"},
        {ATSPI_ROLE_IMAGE, "AXImage"},
        {ATSPI_ROLE_ICON, "AXImage"},
        {ATSPI_ROLE_LINK, "AXLink"},
        {ATSPI_ROLE_SPLIT_PANE, "AXSplitGroup"},
        {ATSPI_ROLE_SEPARATOR, "AXSplitter"},
        {ATSPI_ROLE_TOOL_TIP, "AXHelpTag"},
        {ATSPI_ROLE_RULER, "AXRuler"},
        {ATSPI_ROLE_PANEL, "AXGroup"},
        {ATSPI_ROLE_FILLER, "AXGroup"},
        {ATSPI_ROLE_GROUPING, "AXGroup"},
        {ATSPI_ROLE_SECTION, "AXGroup"},
        {ATSPI_ROLE_FORM, "AXGroup"},
        {ATSPI_ROLE_PARAGRAPH, "AXGroup"},
        {ATSPI_ROLE_HEADING, "AXGroup"},
        {ATSPI_ROLE_DOCUMENT_WEB, "AXWebArea"},
    };
    return map;
}

bool isTextRole(int role)
{
    return role == ATSPI_ROLE_TEXT || role == ATSPI_ROLE_ENTRY || role == ATSPI_ROLE_PASSWORD_TEXT ||
           role == ATSPI_ROLE_EDITBAR || role == ATSPI_ROLE_TERMINAL;
}

// Word processors let the user type into paragraphs and headings of a
// document (LibreOffice), or into the document itself.
bool isDocumentPartRole(int role)
{
    return role == ATSPI_ROLE_PARAGRAPH || role == ATSPI_ROLE_HEADING || role == ATSPI_ROLE_SECTION ||
           role == ATSPI_ROLE_DOCUMENT_TEXT || role == ATSPI_ROLE_DOCUMENT_FRAME;
}
}  // namespace

QString axRole(const RoleFacts& facts)
{
    const int role = facts.atspiRole;
    if (role == ATSPI_ROLE_APPLICATION) return QStringLiteral("AXApplication");
    // Qt gives its top-level widgets the role "filler": whatever an
    // application holds directly is one of its windows.
    if (facts.topLevel) return QStringLiteral("AXWindow");
    if (isTextRole(role)) {
        if (facts.multiLine || role == ATSPI_ROLE_TERMINAL) return QStringLiteral("AXTextArea");
        if (facts.singleLine) return QStringLiteral("AXTextField");
        // Qt's single-line fields carry neither line state.
        if (facts.editable || role == ATSPI_ROLE_ENTRY || role == ATSPI_ROLE_PASSWORD_TEXT)
            return QStringLiteral("AXTextField");
        return QStringLiteral("AXStaticText");
    }
    if (isDocumentPartRole(role) && facts.editable && facts.text)
        return QLatin1String(facts.singleLine ? "AXTextField" : "AXTextArea");
    auto it = plainRoles().find(role);
    return it != plainRoles().end() ? QString::fromLatin1(it->second) : QStringLiteral("AXUnknown");
}

QString axSubrole(const RoleFacts& facts)
{
    switch (facts.atspiRole) {
    case ATSPI_ROLE_PASSWORD_TEXT: return QStringLiteral("AXSecureTextField");
    case ATSPI_ROLE_DIALOG:
    case ATSPI_ROLE_FILE_CHOOSER: return QStringLiteral("AXDialog");
    case ATSPI_ROLE_ALERT: return QStringLiteral("AXSystemDialog");
    case ATSPI_ROLE_TOGGLE_BUTTON: return QStringLiteral("AXToggle");
    default: break;
    }
    if (facts.topLevel || facts.atspiRole == ATSPI_ROLE_FRAME || facts.atspiRole == ATSPI_ROLE_WINDOW)
        return QStringLiteral("AXStandardWindow");
    return {};
}

}  // namespace zorbel::platform::atspi
