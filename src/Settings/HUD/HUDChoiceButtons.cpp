#include "Settings/HUD/HUDChoiceButtons.h"

#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace zorbel {

namespace {
constexpr int kPadH = 12, kPadV = 8, kGap = 6;
}

ChoiceButton::ChoiceButton(const QString& label, QSize iconSize, IconPainter drawIcon, QWidget* parent)
    : SelectableButton(Kind::choice, parent), iconSize_(iconSize), drawIcon_(std::move(drawIcon))
{
    setText(label);
    setFont(ui::captionFont());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ChoiceButton::sizeHint() const
{
    // CJK glyphs come from a fallback face taller than the Latin metrics say.
    const int textHeight = std::max(fontMetrics().height(), 15);
    const int w = std::max(iconSize_.width(), fontMetrics().horizontalAdvance(text())) + 2 * kPadH;
    return {w, kPadV + iconSize_.height() + kGap + textHeight + kPadV};
}

void ChoiceButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (isSelected()) {
        p.setPen(Qt::NoPen);
        p.setBrush(ui::withAlpha(ui::systemBlue(), 0.1));
        p.drawRoundedRect(QRectF(rect()), 4, 4);
    }
    const QColor c = isSelected() ? ui::systemBlue() : ui::secondaryColor();
    const QRectF icon((width() - iconSize_.width()) / 2.0, kPadV, iconSize_.width(), iconSize_.height());
    drawIcon_(p, icon, c);
    p.setPen(c);
    p.setFont(font());
    p.drawText(QRectF(0, icon.bottom() + kGap, width(), height() - icon.bottom() - kGap - kPadV + 2),
               Qt::AlignHCenter | Qt::AlignVCenter, text());
}

void drawHUDShapePreview(QPainter& p, HUDShape shape, const QRectF& square, const QColor& color)
{
    const double w = square.width(), h = w * 0.6;
    const QRectF r(square.center().x() - w / 2, square.center().y() - h / 2, w, h);
    QPainterPath path;
    const double radius = shape == HUDShape::oval ? h / 2 : 4;
    path.addRoundedRect(r, radius, radius);
    p.fillPath(path, color);
}

QString hudShapeLabel(HUDShape shape)
{
    return shape == HUDShape::oval ? QStringLiteral("胶囊") : QStringLiteral("圆角矩形");
}

HUDShapeButton::HUDShapeButton(HUDShape shape, QWidget* parent)
    : ChoiceButton(hudShapeLabel(shape), QSize(24, 24),
                   [shape](QPainter& p, const QRectF& r, const QColor& c) { drawHUDShapePreview(p, shape, r, c); },
                   parent),
      shape_(shape)
{
    setObjectName(QStringLiteral("hudShape.") + rawValue(shape));
}

ChoiceButton* makeSymbolChoice(const QString& symbol, int symbolSize, const QString& label, QWidget* parent)
{
    return new ChoiceButton(label, QSize(symbolSize, symbolSize),
                            [symbol](QPainter& p, const QRectF& r, const QColor& c) {
                                p.drawPixmap(r.topLeft(), ui::symbolPixmap(symbol, static_cast<int>(r.width()), c,
                                                                           p.device()->devicePixelRatioF()));
                            },
                            parent);
}

}  // namespace zorbel
