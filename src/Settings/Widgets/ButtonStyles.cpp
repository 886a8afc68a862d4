#include "Settings/Widgets/ButtonStyles.h"

#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"

#include <QIcon>
#include <QPushButton>

namespace zorbel::ui {

namespace {
int fontSize(ControlSize size) { return size == ControlSize::small ? 11 : 13; }
}  // namespace

QPushButton* makeButton(const QString& text, ButtonKind kind, ControlSize size, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    button->setFont(systemFont(fontSize(size), QFont::Medium));
    button->setCursor(Qt::PointingHandCursor);
    if (kind == ButtonKind::prominent) {
        // Fusion lightens and desaturates a palette's button colour, which left white text on
        // a pale blue: the accent is painted as it is.
        const QColor blue = systemBlue();
        button->setStyleSheet(
            QStringLiteral("QPushButton { color: white; background: %1; border: 1px solid %2; border-radius: 5px; }"
                           "QPushButton:hover { background: %3; }"
                           "QPushButton:pressed { background: %2; }"
                           "QPushButton:disabled { color: rgba(255, 255, 255, 170);"
                           " background: rgba(%4, %5, %6, 115); border-color: transparent; }")
                .arg(blue.name(), blue.darker(125).name(), blue.lighter(110).name())
                .arg(blue.red())
                .arg(blue.green())
                .arg(blue.blue()));
    }
    const int vertical = size == ControlSize::large ? 7 : size == ControlSize::small ? 1 : 3;
    const int horizontal = size == ControlSize::large ? 18 : 10;
    button->setMinimumHeight(button->fontMetrics().height() + 2 * vertical + 6);
    button->setMinimumWidth(button->fontMetrics().horizontalAdvance(text) + 2 * horizontal);
    return button;
}

QPushButton* makeButton(const QString& symbol, const QString& text, ButtonKind kind, ControlSize size,
                        QWidget* parent)
{
    auto* button = makeButton(text, kind, size, parent);
    const QColor tint = kind == ButtonKind::prominent ? QColor(Qt::white) : primaryColor();
    const int side = fontSize(size) + 1;
    button->setIcon(QIcon(symbolPixmap(symbol, side, tint, 2.0)));
    button->setIconSize(QSize(side, side));
    button->setMinimumWidth(button->minimumWidth() + side + 6);
    return button;
}

}  // namespace zorbel::ui
