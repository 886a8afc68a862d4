#pragma once

#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QWidget>

namespace zorbel::ui {

// A rounded ground behind a block of a page or sheet, with an optional outline.
class RoundedPanel : public QWidget {
public:
    RoundedPanel(QColor fill, double radius, QColor stroke = Qt::transparent, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor fill_, stroke_;
    double radius_;
};

// The faint grey (5 %) ground of list rows and preview cards.
QColor faintGrey();

// One line of text that gives up width when the row is narrow, ending in
// "…" then; the whole text is its tool tip.
class ElidedLabel : public QLabel {
public:
    explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
};

// A thin horizontal rule between blocks.
QFrame* makeDivider();

}  // namespace zorbel::ui
