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
// "…" then, with the whole text as its tool tip (none while it is whole).
class ElidedLabel : public QLabel {
public:
    explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);
    QSize minimumSizeHint() const override;
    bool isElided() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent* event) override;
};

// A thin horizontal rule between blocks.
QFrame* makeDivider();

}  // namespace zorbel::ui
