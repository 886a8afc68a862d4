#include "Settings/Widgets/ButtonStyles.h"

#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"

#include <QIcon>
#include <QPalette>
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
        QPalette p = button->palette();
        p.setColor(QPalette::Button, systemBlue());
        p.setColor(QPalette::ButtonText, Qt::white);
        button->setPalette(p);
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
