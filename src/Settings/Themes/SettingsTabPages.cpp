#include "Settings/Themes/SettingsTabPages.h"

#include "Features/InputMethodStyle/Views/InputMethodStyleSettingsView.h"
#include "Settings/Advanced/AdvancedSettingsContent.h"
#include "Settings/BasicSettingsContent.h"
#include "Settings/HUD/HUDSettingsContent.h"
#include "Settings/GlobalPreviewSection.h"
#include "Settings/StyleSettingsContent.h"
#include "Settings/Widgets/SettingsText.h"

#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace zorbel {

QWidget* settingsTabPage(const UnifiedTab& tab)
{
    if (tab.id == UnifiedTab::basic().id) return new BasicSettingsContent;
    if (tab.id == UnifiedTab::style().id) return new StyleSettingsContent;
    if (tab.id == UnifiedTab::inputMethodStyle().id) return new InputMethodStyleSettingsView;
    if (tab.id == UnifiedTab::advanced().id) return new AdvancedSettingsContent;
    if (tab.id == UnifiedTab::hud().id) return new HUDSettingsContent;
    return ui::makeLabel(QStringLiteral("未知标签"), ui::systemFont(13), ui::secondaryColor());
}

SystemTabContent::SystemTabContent(const UnifiedTab& tab, QWidget* parent) : QWidget(parent)
{
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(20);
    auto* header = new QVBoxLayout;
    header->setSpacing(6);
    auto* title = ui::makeLabel(tabTitle(tab), ui::title2Font(), ui::primaryColor());
    title->setObjectName(QStringLiteral("tabTitle"));
    auto* description = ui::makeLabel(tabDescription(tab), ui::subheadlineFont(), ui::secondaryColor());
    description->setObjectName(QStringLiteral("tabDescription"));
    header->addWidget(title);
    header->addWidget(description);
    v->addLayout(header);
    // The header above names the input-method page already.
    v->addWidget(tab.id == UnifiedTab::inputMethodStyle().id ? new InputMethodStyleSettingsView(false)
                                                             : settingsTabPage(tab));
}

int settingsLeftColumnWidth(int layoutWidth)
{
    return std::max(540, static_cast<int>(std::lround(layoutWidth * 0.7)) - 90);
}

namespace {
class ColumnWidthKeeper : public QObject {
public:
    ColumnWidthKeeper(QWidget* layout, QWidget* column) : QObject(layout), column_(column)
    {
        layout->installEventFilter(this);
        column->setFixedWidth(settingsLeftColumnWidth(layout->width()));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize && column_)
            column_->setFixedWidth(settingsLeftColumnWidth(static_cast<QWidget*>(watched)->width()));
        return false;
    }

private:
    QPointer<QWidget> column_;
};
}  // namespace

void keepLeftColumnWidth(QWidget* layout, QWidget* column) { new ColumnWidthKeeper(layout, column); }

QWidget* makeSettingsLeftColumn(QWidget* titleBar, QWidget* tabs, QWidget* footer)
{
    auto* column = new QWidget;
    auto* v = new QVBoxLayout(column);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addWidget(titleBar);
    v->addWidget(tabs, 1);
    if (footer) v->addWidget(footer);
    return column;
}

QWidget* makeLivePreviewColumn(QWidget* preview)
{
    auto* column = new QWidget;
    column->setObjectName(QStringLiteral("livePreviewColumn"));
    auto* v = new QVBoxLayout(column);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    auto* title = ui::makeLabel(QStringLiteral("实时预览"), ui::title3Font(), ui::primaryColor());
    title->setContentsMargins(16, 16, 16, 10);
    v->addWidget(title);
    auto* scroll = new QScrollArea;
    scroll->setAccessibleName(QStringLiteral("实时预览"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    auto* holder = new QWidget;
    holder->setAutoFillBackground(false);
    auto* hv = new QVBoxLayout(holder);
    hv->setContentsMargins(12, 0, 12, 16);
    hv->addWidget(preview ? preview : new GlobalPreviewSection);
    hv->addStretch(1);
    scroll->setWidget(holder);
    v->addWidget(scroll, 1);
    return column;
}

}  // namespace zorbel
