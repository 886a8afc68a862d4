#include "Settings/Widgets/PositionGrid.h"

#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"

#include <QPainter>

namespace zorbel::ui {

const std::array<GridPlace, 9>& gridPlaces()
{
    static const std::array<GridPlace, 9> places = {{
        {"arrow.up.left.circle.fill", "左上"},
        {"arrow.up.circle.fill", "上方"},
        {"arrow.up.right.circle.fill", "右上"},
        {"arrow.left.circle.fill", "左侧"},
        {"circle.fill", "居中重合"},
        {"arrow.right.circle.fill", "右侧"},
        {"arrow.down.left.circle.fill", "左下"},
        {"arrow.down.circle.fill", "下方"},
        {"arrow.down.right.circle.fill", "右下"},
    }};
    return places;
}

PositionGridCell::PositionGridCell(const GridPlace& place, QWidget* parent)
    : SelectableButton(Kind::choice, parent), symbol_(QString::fromLatin1(place.symbol))
{
    setText(QString::fromUtf8(place.label));
    setFont(systemFont(11));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

// Chinese glyphs come from a fallback face taller than the Latin one the
// metrics describe: leave them a full line.
int PositionGridCell::textHeight() const { return std::max(fontMetrics().height(), 16); }

QSize PositionGridCell::sizeHint() const { return QSize(60, 8 + 16 + 4 + textHeight() + 8); }

void PositionGridCell::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(isSelected() ? Qt::NoPen : QPen(withAlpha(primaryColor(), 0.2), 1));
    p.setBrush(isSelected() ? systemBlue() : Qt::transparent);
    p.drawRoundedRect(r, 6, 6);
    const QColor c = isSelected() ? QColor(Qt::white) : primaryColor();
    p.drawPixmap((width() - 16) / 2, 8, symbolPixmap(symbol_, 16, c, devicePixelRatioF()));
    p.setPen(c);
    p.setFont(font());
    p.drawText(QRectF(2, 8 + 16 + 4, width() - 4, textHeight()), Qt::AlignHCenter | Qt::AlignVCenter,
               fontMetrics().elidedText(text(), Qt::ElideRight, width() - 4));
}

}  // namespace zorbel::ui
