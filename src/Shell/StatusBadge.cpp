#include "Shell/StatusBadge.h"

#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"
#include "Shell/UIStyleManager.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QLinearGradient>
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
    themeSubscription_ = UIStyleManager::shared().currentStylePublisher().sink([this](UIStyle theme) {
        theme_ = theme;
        update();
    });
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
    switch (theme_) {
    case UIStyle::system:
        p.setPen(QPen(ui::separatorColor(), 0.5));
        p.setBrush(ui::controlBackgroundColor());
        break;
    case UIStyle::frostedGlass:
        p.setPen(QPen(ui::withAlpha(Qt::white, 0.2), 0.5));
        p.setBrush(ui::withAlpha(QColor(0xF6, 0xF6, 0xF6, 0xD8), 0.7));
        break;
    case UIStyle::liquidGlass: {
        QLinearGradient rim(r.topLeft(), r.bottomRight());
        rim.setColorAt(0, ui::withAlpha(Qt::white, 0.3));
        rim.setColorAt(1, ui::withAlpha(Qt::cyan, 0.2));
        p.setPen(QPen(QBrush(rim), 0.5));
        p.setBrush(ui::withAlpha(QColor(0xFA, 0xFA, 0xFA, 0xB0), 0.6));
        break;
    }
    }
    p.drawRoundedRect(r, 6, 6);
}

void StatusBadge::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) activate();
}

}  // namespace zorbel
