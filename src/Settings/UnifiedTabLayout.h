#pragma once

#include "Settings/UnifiedTab.h"

#include "Settings/Widgets/SelectableButton.h"

#include <QAbstractButton>
#include <QWidget>

#include <functional>
#include <vector>

class QScrollArea;

namespace zorbel {

// One row of the tab column: icon and title, filled with the tab's colour
// when selected.
class UnifiedTabButton : public ui::SelectableButton {
public:
    UnifiedTabButton(const UnifiedTab& tab, QWidget* parent = nullptr);
    const UnifiedTab& tab() const { return tab_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    UnifiedTab tab_;
    bool hovered_ = false;
};

// The tab column beside the scrolling page of the selected tab. The page is
// built afresh by `content` whenever a tab is chosen; choosing a tab writes
// no setting.
class UnifiedTabLayout : public QWidget {
    Q_OBJECT
public:
    using Content = std::function<QWidget*(const UnifiedTab&)>;
    UnifiedTabLayout(std::vector<UnifiedTab> tabs, const UnifiedTab& selected, Content content,
                     QWidget* parent = nullptr);

    const UnifiedTab& selectedTab() const { return selected_; }
    void selectTab(const UnifiedTab& tab);
    QWidget* page() const { return page_; }

private:
    void showPage();

    std::vector<UnifiedTab> tabs_;
    UnifiedTab selected_;
    Content content_;
    std::vector<UnifiedTabButton*> buttons_;
    QScrollArea* scroll_ = nullptr;
    QWidget* page_ = nullptr;
};

}  // namespace zorbel
