#pragma once

#include <QColor>
#include <QString>

#include <vector>

namespace zorbel {

// One tab of the settings window. Layouts and pages compare tabs by `id`
// only; equality compares every field.
struct UnifiedTab {
    QString id;
    QString title;
    QString icon;  // symbol name, drawn by SymbolIcon
    QColor color;  // fill of the selected row, icon of the hovered one

    bool operator==(const UnifiedTab&) const = default;

    static const UnifiedTab& basic();
    static const UnifiedTab& style();
    static const UnifiedTab& inputMethodStyle();
    static const UnifiedTab& hud();
    static const UnifiedTab& advanced();
    // The five, in the order every layout lists them.
    static const std::vector<UnifiedTab>& all();
};

// The header over a tab's page. Unknown ids give the tab's own title and an
// empty description.
QString tabTitle(const UnifiedTab& tab);
QString tabDescription(const UnifiedTab& tab);

}  // namespace zorbel
