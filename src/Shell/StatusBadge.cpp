#include "Shell/StatusBadge.h"

#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"
#include "Shell/UIStyleManager.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QFocusEvent>
#include <QLinearGradient>
#include <QPainter>

namespace zorbel {

StatusBadge::StatusBadge(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QAbstractButton::clicked, this, [this] { activate(); });
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

void StatusBadge::showState(const QString& symbol, const QColor& symbolColor, const QString& text, const QColor& textColor,
                            const QString& spoken)
{
    icon_->setPixmap(ui::symbolPixmap(symbol, 11, symbolColor, devicePixelRatioF()));
    text_->setText(text);
    ui::setLabelColor(text_, textColor);
    setText(text);
    setAccessibleName(spoken);
}

void StatusBadge::focusInEvent(QFocusEvent* event)
{
    QAbstractButton::focusInEvent(event);
    keyboardFocus_ = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    update();
}

void StatusBadge::focusOutEvent(QFocusEvent* event)
{
    QAbstractButton::focusOutEvent(event);
    keyboardFocus_ = false;
    update();
}

void StatusBadge::setActionable(bool actionable)
{
    actionable_ = actionable;
    if (actionable)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

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
    if (keyboardFocus_) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ui::withAlpha(ui::systemBlue(), 0.6), 1.5));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 6, 6);
    }
}

}  // namespace zorbel
