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

// The right-hand column: "实时预览" over the scrolling live preview, by
// default the plain one. Shared by all three layouts.
QWidget* makeLivePreviewColumn(QWidget* preview = nullptr);

}  // namespace zorbel
