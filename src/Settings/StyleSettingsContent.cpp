#include "Settings/StyleSettingsContent.h"

#include "Settings/FillBorderSections.h"
#include "Settings/ShapeSizePositionSections.h"

#include <QVBoxLayout>

namespace zorbel {

StyleSettingsContent::StyleSettingsContent(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("StyleSettingsContent"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(12);
    v->addWidget(new ShapeSection);
    v->addWidget(new SizeSection);
    v->addWidget(new BrindotPositionSection);
    v->addWidget(new FillSection);
    v->addWidget(new BorderSection);
    v->addWidget(new BlinkingSection);
    v->addWidget(new PresetSection);
}

}  // namespace zorbel
