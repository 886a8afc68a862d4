#include "Settings/HUD/HUDSectionBase.h"

#include "BrindotHUD/BrindotHUDManager.h"
#include "Settings/Widgets/SettingsText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace zorbel {

void HUDSectionBase::followConfig(std::function<void(const BrindotHUDConfig&)> sync)
{
    // Subscribers hear an assignment before it is stored: show the record
    // delivered, never re-read the manager here.
    subscription_ = BrindotHUDManager::shared().configPublisher().sink(std::move(sync));
}

QWidget* titledRow(const QString& title, const QString& description, int textSpacing, QWidget* control)
{
    return titledRow(title, description, textSpacing, control, ui::captionFont());
}

QWidget* titledRow(const QString& title, const QString& description, int textSpacing, QWidget* control,
                   const QFont& descriptionFont)
{
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(textSpacing);
    texts->addWidget(ui::makeLabel(title, ui::rowLabelFont(), ui::primaryColor()));
    auto* explanation = ui::makeLabel(description, descriptionFont, ui::secondaryColor());
    explanation->setWordWrap(true);
    texts->addWidget(explanation);
    h->addLayout(texts, 1);
    h->addWidget(control, 0, Qt::AlignVCenter);
    return row;
}

}  // namespace zorbel
