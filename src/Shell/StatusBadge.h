#pragma once

#include "Platform/Reactive/Cancellable.h"
#include "Shell/UIStyle.h"

#include <QAbstractButton>
#include <QColor>

class QLabel;

namespace zorbel {

// The small title-bar badge: a symbol and a word on the theme's badge
// background. The permission and launch-at-login badges share it. It is a
// button Tab reaches, so the keyboard and screen readers get the state too
// (`spoken` names what the state is about, as the word alone may not).
class StatusBadge : public QAbstractButton {
    Q_OBJECT
public:
    explicit StatusBadge(QWidget* parent = nullptr);
    void showState(const QString& symbol, const QColor& symbolColor, const QString& text, const QColor& textColor,
                   const QString& spoken);
    // A badge that acts when clicked shows the pointing hand over itself;
    // the cursor belongs to the badge, so it cannot stick when the state
    // flips under the pointer.
    void setActionable(bool actionable);
    bool isActionable() const { return actionable_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    virtual void activate() {}

private:
    QLabel* icon_;
    QLabel* text_;
    bool actionable_ = false;
    // A ring shows where Tab went; a window opening on the badge shows none.
    bool keyboardFocus_ = false;
    UIStyle theme_ = UIStyle::system;
    rx::Cancellable themeSubscription_;
};

}  // namespace zorbel
