#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPointer>
#include <QWidget>

#include <QColorDialog>
class QLabel;
class QSlider;

namespace zorbel::ui {

// Every control here reports only what the user did: `clicked` (buttons),
// `toggledByUser`, `colorPicked`. Setting a control's value from the
// managers never emits those, so showing a page writes nothing. Controls
// that draw no words of their own are made with the name a screen reader
// says for them (the row's label).

// An on/off switch.
class SwitchToggle : public QAbstractButton {
    Q_OBJECT
public:
    explicit SwitchToggle(const QString& accessibleName, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    void setScale(double scale);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    double scale_ = 1.0;
};

// A check box that flips only when its square is clicked; its label is text.
class CheckboxToggle : public QWidget {
    Q_OBJECT
public:
    CheckboxToggle(const QString& label, QWidget* parent = nullptr);
    bool isChecked() const { return checked_; }
    void setChecked(bool checked);
    QAbstractButton* box() const { return box_; }

signals:
    void toggledByUser(bool checked);

private:
    QAbstractButton* box_;
    bool checked_ = false;
};

// A colour swatch that opens a colour chooser (with opacity). The swatch shows
// the colour being browsed; the chooser's OK reports it once, in sRGB, and its
// Cancel brings back the colour it opened with, reporting nothing.
class ColorWell : public QAbstractButton {
    Q_OBJECT
public:
    explicit ColorWell(const QString& accessibleName, QWidget* parent = nullptr);
    ~ColorWell() override;
    QColor color() const { return color_; }
    void setColor(const QColor& color);
    QSize sizeHint() const override;
    QColorDialog* chooser() const { return chooser_; }

signals:
    void colorPicked(const QColor& srgb);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void openChooser();
    QColor color_;
    QColor openedWith_;
    QPointer<QColorDialog> chooser_;
};

// Wheel turns over a control the user is not working scroll the page instead:
// the control takes them only while it has the keyboard focus, which a click
// or Tab gives it and a wheel turn does not.
void takeWheelOnlyWhenFocused(QWidget* control);

// A horizontal slider of a fixed width over whole steps (wheel as above).
QSlider* makeSlider(const QString& accessibleName, int minimum, int maximum, int width, QWidget* parent = nullptr);

// The sRGB components of a picked colour; a colour Qt cannot express in RGB
// keeps what it reports for its RGB form.
QColor toSrgb(const QColor& picked);

// A horizontal row with a flexible gap between the left and right widgets.
QWidget* spacedRow(std::initializer_list<QWidget*> left, std::initializer_list<QWidget*> right, int spacing = 8);

}  // namespace zorbel::ui
