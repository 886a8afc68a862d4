#include "Settings/Themes/Shared/GlassTitleBar.h"

#include "Settings/Themes/LiquidGlass/GlassPainting.h"
#include "Settings/Widgets/SettingsText.h"
#include "Shell/TitleBarBadges.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QRadialGradient>
#include <QVBoxLayout>

#include <cmath>

namespace zorbel {

GlowDot::GlowDot(const Look& look, const QColor& color, QWidget* parent) : QWidget(parent), look_(look), color_(color)
{
    const int side = int(std::ceil(std::max(look.glowDiameter, look.coreDiameter))) + 2;
    setFixedSize(side, side);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void GlowDot::setColor(const QColor& color)
{
    color_ = color;
    update();
}

void GlowDot::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QPointF c = QRectF(rect()).center();
    // The glow's own blur is folded into its gradient.
    QRadialGradient glow(c, look_.glowDiameter / 2 + 0.5);
    glow.setColorAt(0, glass::faded(color_, look_.glowOpacity));
    glow.setColorAt(0.5, glass::faded(color_, look_.glowMidOpacity));
    glow.setColorAt(1, glass::faded(color_, 0));
    p.setBrush(glow);
    p.drawEllipse(c, look_.glowDiameter / 2 + 0.5, look_.glowDiameter / 2 + 0.5);
    const double r = look_.coreDiameter / 2;
    p.setBrush(color_);
    p.drawEllipse(c, r, r);
    if (look_.ringOpacity > 0) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(glass::white(look_.ringOpacity), 0.5));
        p.drawEllipse(c, r, r);
    }
}

GlassTitleBar::GlassTitleBar(GlassTitleBarLook look, QWidget* parent) : QWidget(parent), look_(std::move(look))
{
    setObjectName(look_.objectName);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(look_.padding);
    auto* lead = new QHBoxLayout;
    lead->setSpacing(look_.iconSpacing);
    lead->addWidget(look_.icon());
    auto* names = new QVBoxLayout;
    names->setSpacing(look_.namesSpacing);
    QLabel* name = ui::makeLabel(QStringLiteral("Zorbel"), look_.nameFont, ui::primaryColor());
    name->setObjectName(QStringLiteral("productName"));
    if (look_.nameShadowOpacity > 0) {
        auto* shadow = new QGraphicsDropShadowEffect(name);
        shadow->setColor(QColor::fromRgbF(0, 0, 0, float(look_.nameShadowOpacity)));
        shadow->setBlurRadius(1);
        shadow->setOffset(0, 0.5);
        name->setGraphicsEffect(shadow);
    }
    names->addWidget(name);
    names->addWidget(ui::makeLabel(look_.caption, look_.captionFont, look_.captionColor));
    lead->addLayout(names);
    row->addLayout(lead);
    row->addStretch(1);

    auto* trail = new QHBoxLayout;
    trail->setSpacing(look_.badgeSpacing);
    for (QWidget* badge : makeTitleBarBadges()) trail->addWidget(badge);
    auto* running = new QHBoxLayout;
    running->setSpacing(10);
    running->addWidget(new GlowDot(look_.runningDot, look_.runningDotColor));
    running->addWidget(ui::makeLabel(QStringLiteral("运行中"), look_.runningFont, look_.runningColor));
    trail->addLayout(running);
    row->addLayout(trail);
}

void GlassTitleBar::paintEvent(QPaintEvent* event)
{
    if (!look_.background) return;
    QPainter p(this);
    background_.draw(p, *this, event->region(), look_.background);
}

}  // namespace zorbel
