#pragma once

#include "Settings/Widgets/SelectableButton.h"

#include <array>

class QGridLayout;

namespace zorbel::ui {

// The nine places around a point, in grid order (top row first): the symbol
// and the name each cell shows. The indicator's and the HUD's position
// grids list the same nine.
struct GridPlace {
    const char* symbol;
    const char* label;
};
const std::array<GridPlace, 9>& gridPlaces();

// One cell of a three-by-three position grid: symbol over name, filled blue
// with white text while selected, a faint outline otherwise.
class PositionGridCell : public SelectableButton {
public:
    PositionGridCell(const GridPlace& place, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int textHeight() const;
    QString symbol_;
};

}  // namespace zorbel::ui
