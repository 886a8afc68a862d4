#include "Shell/StatusBadge.h"

#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace zorbel {

StatusBadge::StatusBadge(QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(6);
    icon_ = new QLabel(this);
    text_ = ui::makeLabel({}, ui::systemFont(11, QFont::Medium), ui::secondaryColor(), this);
    text_->setObjectName(QStringLiteral("badgeText"));
    row->addWidget(icon_);
    row->addWidget(text_);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void StatusBadge::showState(const QString& symbol, const QColor& symbolColor, const QString& text, const QColor& textColor)
{
    icon_->setPixmap(ui::symbolPixmap(symbol, 11, symbolColor, devicePixelRatioF()));
    text_->setText(text);
    ui::setLabelColor(text_, textColor);
}

void StatusBadge::setActionable(bool actionable)
{
    actionable_ = actionable;
    if (actionable)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

QString StatusBadge::text() const { return text_->text(); }

void StatusBadge::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25);
    p.setPen(QPen(ui::separatorColor(), 0.5));
    p.setBrush(ui::controlBackgroundColor());
    p.drawRoundedRect(r, 6, 6);
}

void StatusBadge::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) activate();
}

}  // namespace zorbel
