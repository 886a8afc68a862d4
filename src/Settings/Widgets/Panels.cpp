#include "Settings/Widgets/Panels.h"

#include <QPainter>

namespace zorbel::ui {

RoundedPanel::RoundedPanel(QColor fill, double radius, QColor stroke, QWidget* parent)
    : QWidget(parent), fill_(fill), stroke_(stroke), radius_(radius)
{
}

void RoundedPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(fill_);
    p.setPen(stroke_.alpha() ? QPen(stroke_, 1) : Qt::NoPen);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius_, radius_);
}

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    // Asks for its whole text and gives up width only when the row has none.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

QSize ElidedLabel::minimumSizeHint() const { return {fontMetrics().horizontalAdvance(QStringLiteral("…")) * 3, QLabel::minimumSizeHint().height()}; }

bool ElidedLabel::isElided() const
{
    return fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

void ElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    setToolTip(isElided() ? text() : QString());
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.setFont(font());
    p.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignVCenter,
               fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width()));
}

QColor faintGrey() { return QColor(128, 128, 128, 13); }

QFrame* makeDivider()
{
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setStyleSheet(QStringLiteral("color: rgba(0,0,0,25);"));
    return line;
}

}  // namespace zorbel::ui
