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

// The left column's width in every layout, for the layout's width: 540 px in
// the narrowest window (900 px), 680 px in the usual 1100 px one, and 7 of
// every 10 px more, so the pages (input-method names above all) get most of
// what a larger window offers; the preview column keeps the rest. The column
// divider lies on its edge.
int settingsLeftColumnWidth(int layoutWidth);
// Keeps `column` at that width whenever `layout` is resized.
void keepLeftColumnWidth(QWidget* layout, QWidget* column);

// The left column, unsized: the title bar over the tabs, which take the
// height left, over an optional footer.
QWidget* makeSettingsLeftColumn(QWidget* titleBar, QWidget* tabs, QWidget* footer = nullptr);

// The right-hand column: "实时预览" over the scrolling live preview, by
// default the plain one. Shared by all three layouts.
QWidget* makeLivePreviewColumn(QWidget* preview = nullptr);

}  // namespace zorbel
