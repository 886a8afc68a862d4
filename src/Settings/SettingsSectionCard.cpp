#include "Settings/SettingsSectionCard.h"

#include "Settings/Widgets/SettingsText.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace zorbel {

SettingsSectionCard::SettingsSectionCard(const QString& title, QWidget* parent)
    : QFrame(parent), body_(new QVBoxLayout(this)), stroke_(ui::withAlpha(ui::primaryColor(), 0.08))
{
    body_->setContentsMargins(12, 12, 12, 12);
    body_->setSpacing(12);
    if (!title.isEmpty()) body_->addWidget(ui::makeLabel(title, ui::headlineFont(), ui::primaryColor(), this));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
}

void SettingsSectionCard::setHeader(QWidget* header) { body_->insertWidget(0, header); }

void SettingsSectionCard::setStrokeColor(const QColor& color)
{
    stroke_ = color;
    update();
}

void SettingsSectionCard::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    // The material behind the card: the control background, lightly.
    p.setPen(Qt::NoPen);
    p.setBrush(ui::withAlpha(ui::controlBackgroundColor(), 0.3));
    p.drawRoundedRect(r, 6, 6);
    p.setPen(QPen(stroke_, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, 6, 6);
}

}  // namespace zorbel
