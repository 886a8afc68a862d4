#pragma once

#include "Settings/StyleSectionBase.h"
#include "Settings/Widgets/SelectableButton.h"

#include <QAbstractButton>

#include <vector>

class QLabel;
class QSlider;

namespace zorbel {

namespace ui {
class PositionGridCell;
}

// The indicator's shape drawn at `size`, in the given colour.
class ShapePreview : public QWidget {
public:
    ShapePreview(BrindotShape shape, double size, QWidget* parent = nullptr);
    void setColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    BrindotShape shape_;
    double size_;
    QColor color_;
};

// One shape choice: its preview over its name, blue when selected.
class ShapeButton : public ui::SelectableButton {
public:
    ShapeButton(BrindotShape shape, QWidget* parent = nullptr);
    BrindotShape shape() const { return shape_; }
    void setSelected(bool selected);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    BrindotShape shape_;
    ShapePreview* preview_;
    QLabel* label_;
};

QString shapeName(BrindotShape shape);

class ShapeSection : public StyleSectionBase {
public:
    explicit ShapeSection(QWidget* parent = nullptr);

private:
    std::vector<ShapeButton*> buttons_;
};

class SizeSection : public StyleSectionBase {
public:
    explicit SizeSection(QWidget* parent = nullptr);

private:
    QSlider* slider_;
    QLabel* value_;
};

class BrindotPositionSection : public StyleSectionBase {
public:
    explicit BrindotPositionSection(QWidget* parent = nullptr);

private:
    QWidget* offsetBlock(const QString& title, const QString& name, QSlider*& slider, QLabel*& value,
                         double BrindotPosition::*field);
    std::vector<ui::PositionGridCell*> cells_;
    QSlider* horizontal_ = nullptr;
    QSlider* vertical_ = nullptr;
    QLabel* horizontalValue_ = nullptr;
    QLabel* verticalValue_ = nullptr;
};

}  // namespace zorbel
