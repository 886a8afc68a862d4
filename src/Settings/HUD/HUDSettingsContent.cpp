#include "Settings/HUD/HUDSettingsContent.h"

#include "Settings/HUD/HUDAppearanceSections.h"
#include "Settings/HUD/HUDArrangementSections.h"

#include <QVBoxLayout>

namespace zorbel {

HUDSettingsContent::HUDSettingsContent(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("HUDSettingsContent"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(12);
    for (QWidget* section : std::initializer_list<QWidget*>{
             new HUDToggleSection, new HUDStyleSection, new HUDColorSchemeSection, new HUDOpacitySection,
             new HUDCustomBackgroundSection, new HUDShapeSection, new HUDPositionSection, new HUDLayoutSection,
             new HUDContentStyleSection, new HUDDurationSection, new HUDContentSection, new HUDContentOrderSection,
             new HUDAnimationSection})
        v->addWidget(section);
}

}  // namespace zorbel
