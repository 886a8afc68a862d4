#pragma once

#include "Platform/Reactive/Cancellable.h"
#include "Shell/UIStyle.h"

#include <QColor>
#include <QWidget>

class QLabel;

namespace zorbel {

// The small title-bar badge: a symbol and a word on the theme's badge
// background. The permission and launch-at-login badges share it.
class StatusBadge : public QWidget {
    Q_OBJECT
public:
    explicit StatusBadge(QWidget* parent = nullptr);
    void showState(const QString& symbol, const QColor& symbolColor, const QString& text, const QColor& textColor);
    // A badge that acts when clicked shows the pointing hand over itself;
    // the cursor belongs to the badge, so it cannot stick when the state
    // flips under the pointer.
    void setActionable(bool actionable);
    bool isActionable() const { return actionable_; }
    QString text() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    virtual void activate() {}

private:
    QLabel* icon_;
    QLabel* text_;
    bool actionable_ = false;
    UIStyle theme_ = UIStyle::system;
    rx::Cancellable themeSubscription_;
};

}  // namespace zorbel
