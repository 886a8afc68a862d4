#include "Settings/ShapeSizePositionSections.h"

#include "Settings/NumberText.h"
#include "Settings/Widgets/Controls.h"
#include "Settings/Widgets/Panels.h"
#include "Settings/Widgets/PositionGrid.h"
#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QSlider>
#include <QVBoxLayout>

namespace zorbel {

QString shapeName(BrindotShape shape)
{
    switch (shape) {
    case BrindotShape::circle: return QStringLiteral("圆形");
    case BrindotShape::triangle: return QStringLiteral("三角形");
    case BrindotShape::rectangle: return QStringLiteral("矩形");
    }
    return {};
}

ShapePreview::ShapePreview(BrindotShape shape, double size, QWidget* parent)
    : QWidget(parent), shape_(shape), size_(size)
{
    setFixedSize(static_cast<int>(size), static_cast<int>(size));
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapePreview::setColor(const QColor& color)
{
    color_ = color;
    update();
}

void ShapePreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0, 0, size_, size_);
    QPainterPath path;
    switch (shape_) {
    case BrindotShape::circle: path.addEllipse(r); break;
    case BrindotShape::triangle:
        path.moveTo(r.center().x(), r.top());
        path.lineTo(r.bottomLeft());
        path.lineTo(r.bottomRight());
        path.closeSubpath();
        break;
    case BrindotShape::rectangle: path.addRoundedRect(r, 2, 2); break;
    }
    p.fillPath(path, color_);
}

ShapeButton::ShapeButton(BrindotShape shape, QWidget* parent) : SelectableButton(Kind::choice, parent), shape_(shape)
{
    setObjectName(QStringLiteral("shape.") + rawValue(shape));
    // Named for screen readers; the label below draws it.
    setText(shapeName(shape));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(12, 8, 12, 8);
    v->setSpacing(6);
    preview_ = new ShapePreview(shape, 24, this);
    label_ = ui::makeLabel(shapeName(shape), ui::captionFont(), ui::secondaryColor(), this);
    label_->setAlignment(Qt::AlignHCenter);
    v->addWidget(preview_, 0, Qt::AlignHCenter);
    v->addWidget(label_, 0, Qt::AlignHCenter);
    setSelected(false);
}

QSize ShapeButton::sizeHint() const { return layout()->sizeHint(); }

void ShapeButton::setSelected(bool selected)
{
    SelectableButton::setSelected(selected);
    const QColor c = selected ? ui::systemBlue() : ui::secondaryColor();
    preview_->setColor(c);
    ui::setLabelColor(label_, c);
}

void ShapeButton::paintEvent(QPaintEvent*)
{
    if (!isSelected()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ui::withAlpha(ui::systemBlue(), 0.1));
    p.drawRoundedRect(QRectF(rect()), 4, 4);
}

ShapeSection::ShapeSection(QWidget* parent) : StyleSectionBase(QStringLiteral("形状选择"), parent)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    for (auto shape : {BrindotShape::circle, BrindotShape::triangle, BrindotShape::rectangle}) {
        auto* button = new ShapeButton(shape, this);
        connect(button, &QAbstractButton::clicked, this,
                [shape] { editStyle([shape](BrindotStyle& s) { s.shape = shape; }); });
        buttons_.push_back(button);
        row->addWidget(button);
    }
    row->addStretch(1);
    body()->addLayout(row);
    followStyle([this](const BrindotStyle& s) {
        for (auto* b : buttons_) b->setSelected(b->shape() == s.shape);
    });
}

SizeSection::SizeSection(QWidget* parent) : StyleSectionBase(QStringLiteral("尺寸设置"), parent)
{
    // The slider moves in steps of 2 from 0 to 50: its positions are halves.
    slider_ = ui::makeSlider(QStringLiteral("大小"), 0, 25, 120, this);
    slider_->setObjectName(QStringLiteral("sizeSlider"));
    value_ = ui::makeLabel({}, ui::captionFont(), ui::secondaryColor(), this);
    value_->setObjectName(QStringLiteral("sizeValue"));
    value_->setFixedWidth(30);
    value_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    body()->addWidget(ui::spacedRow({ui::makeLabel(QStringLiteral("大小"), ui::rowLabelFont(), ui::primaryColor())},
                                    {slider_, value_}));
    connect(slider_, &QSlider::valueChanged, this,
            [](int half) { editStyle([half](BrindotStyle& s) { s.size = half * 2.0; }); });
    followStyle([this](const BrindotStyle& s) {
        showSliderValue(slider_, s.size / 2);
        value_->setText(wholeNumberText(s.size));
    });
}

BrindotPositionSection::BrindotPositionSection(QWidget* parent) : StyleSectionBase(QString(), parent)
{
    setHeader(ui::spacedRow({ui::makeLabel(QStringLiteral("位置设置"), ui::headlineFont(), ui::primaryColor())},
                            {ui::makeLabel(QStringLiteral("相对于系统光标"), ui::captionFont(), ui::secondaryColor())}));
    body()->addWidget(ui::makeLabel(QStringLiteral("相对位置"), ui::rowLabelFont(), ui::primaryColor(), this));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    // The grid lists the nine places in declaration order.
    for (int i = 0; i < 9; ++i) {
        auto* cell = new ui::PositionGridCell(ui::gridPlaces()[static_cast<size_t>(i)], this);
        const auto place = static_cast<BrindotRelativePosition>(i);
        cell->setObjectName(QStringLiteral("position.") + rawValue(place));
        connect(cell, &QAbstractButton::clicked, this,
                [place] { editStyle([place](BrindotStyle& s) { s.position.relativePosition = place; }); });
        cells_.push_back(cell);
        grid->addWidget(cell, i / 3, i % 3);
    }
    body()->addLayout(grid);
    body()->addWidget(ui::makeDivider());
    body()->addWidget(offsetBlock(QStringLiteral("水平偏移"), QStringLiteral("horizontalOffset"), horizontal_,
                                  horizontalValue_, &BrindotPosition::horizontalOffset));
    body()->addWidget(offsetBlock(QStringLiteral("垂直偏移"), QStringLiteral("verticalOffset"), vertical_,
                                  verticalValue_, &BrindotPosition::verticalOffset));
    followStyle([this](const BrindotStyle& s) {
        for (size_t k = 0; k < cells_.size(); ++k)
            cells_[k]->setSelected(static_cast<size_t>(s.position.relativePosition) == k);
        showSliderValue(horizontal_, s.position.horizontalOffset);
        showSliderValue(vertical_, s.position.verticalOffset);
        horizontalValue_->setText(wholeNumberText(s.position.horizontalOffset) + QStringLiteral("px"));
        verticalValue_->setText(wholeNumberText(s.position.verticalOffset) + QStringLiteral("px"));
    });
}

QWidget* BrindotPositionSection::offsetBlock(const QString& title, const QString& name, QSlider*& slider,
                                             QLabel*& value, double BrindotPosition::*field)
{
    auto* block = new QWidget(this);
    auto* v = new QVBoxLayout(block);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(8);
    value = ui::makeLabel({}, ui::monospacedDigits(ui::systemFont(13)), ui::secondaryColor());
    value->setObjectName(name + QStringLiteral("Value"));
    v->addWidget(ui::spacedRow({ui::makeLabel(title, ui::rowLabelFont(), ui::primaryColor())}, {value}));
    slider = ui::makeSlider(title, -50, 50, 100, block);
    slider->setObjectName(name + QStringLiteral("Slider"));
    slider->setMinimumWidth(0);
    slider->setMaximumWidth(QWIDGETSIZE_MAX);
    v->addWidget(slider);
    connect(slider, &QSlider::valueChanged, this,
            [field](int x) { editStyle([field, x](BrindotStyle& s) { s.position.*field = x; }); });
    return block;
}

}  // namespace zorbel
