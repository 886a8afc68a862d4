#pragma once

#include "BrindotHUD/BrindotHUDConfig.h"

#include "Settings/Widgets/SelectableButton.h"

#include <functional>

class QLabel;

namespace zorbel {

// A choice among a few looks: a small picture over its name, both blue
// and on a faint blue ground while selected. Clicking reports only the click.
class ChoiceButton : public ui::SelectableButton {
public:
    // `drawIcon` paints the picture into its square; it gets the colour of
    // the current selection state.
    using IconPainter = std::function<void(QPainter&, const QRectF&, const QColor&)>;
    ChoiceButton(const QString& label, QSize iconSize, IconPainter drawIcon, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QSize iconSize_;
    IconPainter drawIcon_;
};

// The HUD's outline drawn `size` wide and 0.6 × `size` high.
void drawHUDShapePreview(QPainter& p, HUDShape shape, const QRectF& square, const QColor& color);

// One outline choice (capsule or rounded rectangle), shared by every theme's
// HUD page.
class HUDShapeButton : public ChoiceButton {
public:
    HUDShapeButton(HUDShape shape, QWidget* parent = nullptr);
    HUDShape shape() const { return shape_; }

private:
    HUDShape shape_;
};

QString hudShapeLabel(HUDShape shape);

// A choice painted from a named symbol at `symbolSize`.
ChoiceButton* makeSymbolChoice(const QString& symbol, int symbolSize, const QString& label, QWidget* parent = nullptr);

}  // namespace zorbel
