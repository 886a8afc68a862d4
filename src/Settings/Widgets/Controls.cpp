#include "Settings/Widgets/Controls.h"

#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"

#include <QColorDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QSlider>

namespace zorbel::ui {

SwitchToggle::SwitchToggle(const QString& accessibleName, QWidget* parent) : QAbstractButton(parent)
{
    setAccessibleName(accessibleName);
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

QSize SwitchToggle::sizeHint() const
{
    return QSize(static_cast<int>(std::ceil(38 * scale_)) + 2, static_cast<int>(std::ceil(22 * scale_)) + 2);
}

void SwitchToggle::setScale(double scale)
{
    scale_ = scale;
    updateGeometry();
}

void SwitchToggle::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QSizeF track(38 * scale_, 22 * scale_);
    const QRectF r(QPointF((width() - track.width()) / 2, (height() - track.height()) / 2), track);
    p.setPen(Qt::NoPen);
    p.setBrush(isChecked() ? systemBlue() : withAlpha(primaryColor(), 0.15));
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    const double knob = r.height() - 4 * scale_;
    const double x = isChecked() ? r.right() - 2 * scale_ - knob : r.left() + 2 * scale_;
    p.setBrush(withAlpha(Qt::black, 0.12));
    p.drawEllipse(QRectF(x, r.top() + 2.5 * scale_, knob, knob));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(x, r.top() + 2 * scale_, knob, knob));
    if (hasFocus()) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(withAlpha(systemBlue(), 0.5), 2));
        p.drawRoundedRect(r.adjusted(-1, -1, 1, 1), r.height() / 2 + 1, r.height() / 2 + 1);
    }
}

namespace {
class SquareButton : public QAbstractButton {
public:
    explicit SquareButton(QWidget* parent) : QAbstractButton(parent)
    {
        setCheckable(true);
        setFixedSize(18, 18);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const bool on = isChecked();
        const QPixmap pm = symbolPixmap(on ? QStringLiteral("checkmark.square.fill") : QStringLiteral("square"), 16,
                                        on ? systemBlue() : secondaryColor(), devicePixelRatioF());
        p.drawPixmap(1, 1, pm);
    }
};
}  // namespace

CheckboxToggle::CheckboxToggle(const QString& label, QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    box_ = new SquareButton(this);
    box_->setAccessibleName(label);
    row->addWidget(box_);
    row->addWidget(makeLabel(label, systemFont(13), primaryColor(), this));
    connect(box_, &QAbstractButton::clicked, this, [this](bool on) {
        checked_ = on;
        emit toggledByUser(on);
    });
}

void CheckboxToggle::setChecked(bool checked)
{
    checked_ = checked;
    const QSignalBlocker block(box_);
    box_->setChecked(checked);
}

ColorWell::ColorWell(const QString& accessibleName, QWidget* parent) : QAbstractButton(parent)
{
    setAccessibleName(accessibleName);
    setFixedWidth(60);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QAbstractButton::clicked, this, &ColorWell::openChooser);
}

ColorWell::~ColorWell()
{
    if (chooser_) chooser_->deleteLater();
}

QSize ColorWell::sizeHint() const { return QSize(60, 24); }

void ColorWell::setColor(const QColor& color)
{
    color_ = color;
    if (chooser_) {
        const QSignalBlocker block(chooser_.data());
        chooser_->setCurrentColor(color);
    }
    update();
}

void ColorWell::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(withAlpha(primaryColor(), 0.25), 1));
    p.setBrush(controlBackgroundColor());
    p.drawRoundedRect(outer, 5, 5);
    const QRectF swatch = outer.adjusted(4, 4, -4, -4);
    p.save();
    QPainterPath clip;
    clip.addRoundedRect(swatch, 3, 3);
    p.setClipPath(clip);
    // Checks behind a see-through colour show its opacity.
    for (int y = 0; y * 6 < swatch.height(); ++y)
        for (int x = 0; x * 6 < swatch.width(); ++x)
            p.fillRect(QRectF(swatch.left() + x * 6, swatch.top() + y * 6, 6, 6),
                       (x + y) % 2 ? QColor(0xcc, 0xcc, 0xcc) : Qt::white);
    p.fillRect(swatch, color_);
    p.restore();
}

void ColorWell::openChooser()
{
    if (!chooser_) {
        chooser_ = new QColorDialog(color_, window());
        chooser_->setOption(QColorDialog::ShowAlphaChannel);
        chooser_->setOption(QColorDialog::DontUseNativeDialog);
        chooser_->setWindowTitle(QStringLiteral("颜色"));
        connect(chooser_, &QColorDialog::currentColorChanged, this, [this](const QColor& c) {
            color_ = c;
            update();
        });
        connect(chooser_, &QColorDialog::colorSelected, this, [this](const QColor& c) {
            color_ = c;
            update();
            if (c != openedWith_) emit colorPicked(toSrgb(c));
        });
        connect(chooser_, &QColorDialog::rejected, this, [this] {
            color_ = openedWith_;
            update();
        });
    }
    openedWith_ = color_;
    {
        const QSignalBlocker block(chooser_.data());
        chooser_->setCurrentColor(color_);
    }
    chooser_->show();
    chooser_->raise();
    chooser_->activateWindow();
}

namespace {
class WheelGuard : public QObject {
public:
    static WheelGuard& shared()
    {
        static auto* guard = new WheelGuard;
        return *guard;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel || static_cast<QWidget*>(watched)->hasFocus()) return false;
        // Ignored and filtered: the control never sees it, its parents (the
        // page's scroll area) get it.
        event->ignore();
        return true;
    }
};
}  // namespace

void takeWheelOnlyWhenFocused(QWidget* control)
{
    // Qt's default wheel focus would hand the control the focus on the first turn.
    control->setFocusPolicy(Qt::StrongFocus);
    control->installEventFilter(&WheelGuard::shared());
}

QSlider* makeSlider(const QString& accessibleName, int minimum, int maximum, int width, QWidget* parent)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setAccessibleName(accessibleName);
    takeWheelOnlyWhenFocused(slider);
    slider->setRange(minimum, maximum);
    slider->setSingleStep(1);
    slider->setPageStep(1);
    slider->setFixedWidth(width);
    return slider;
}

QColor toSrgb(const QColor& picked)
{
    const QColor rgb = picked.toRgb();
    return rgb.isValid() ? rgb : picked;
}

QWidget* spacedRow(std::initializer_list<QWidget*> left, std::initializer_list<QWidget*> right, int spacing)
{
    auto* w = new QWidget;
    auto* row = new QHBoxLayout(w);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(spacing);
    for (auto* l : left) row->addWidget(l);
    row->addStretch(1);
    for (auto* r : right) row->addWidget(r);
    return w;
}

}  // namespace zorbel::ui
