#pragma once

#include <QAbstractButton>

namespace zorbel::ui {

// A painted button that stands for one choice among its siblings (a shape, a
// HUD look, a place, a tab), marked while it is the one in force. Clicking
// reports only the click; the page marks the choice the stored record holds.
// A screen reader meets it as a radio button (a page tab for tabs), named by
// its text and checked (selected) while marked.
class SelectableButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { choice, tab };
    explicit SelectableButton(Kind kind = Kind::choice, QWidget* parent = nullptr);
    Kind kind() const { return kind_; }
    void setSelected(bool selected);
    bool isSelected() const { return selected_; }

private:
    Kind kind_;
    bool selected_ = false;
};

}  // namespace zorbel::ui
