#pragma once

#include "Settings/UnifiedTab.h"

#include <QWidget>

namespace zorbel {

// The page of a tab, built afresh each time it is shown. Shared by the
// system and frosted-glass layouts.
QWidget* settingsTabPage(const UnifiedTab& tab);

// A tab's header (title over description) above its page.
class SystemTabContent : public QWidget {
public:
    explicit SystemTabContent(const UnifiedTab& selectedTab, QWidget* parent = nullptr);
};

// The left column's width in every layout; the column divider lies on its edge.
inline constexpr int settingsLeftColumnWidth = 540;

// The left column, unsized: the title bar over the tabs, which take the
// height left, over an optional footer.
QWidget* makeSettingsLeftColumn(QWidget* titleBar, QWidget* tabs, QWidget* footer = nullptr);

// The right-hand column: "实时预览" over the scrolling live preview, by
// default the plain one. Shared by all three layouts.
QWidget* makeLivePreviewColumn(QWidget* preview = nullptr);

}  // namespace zorbel
