#pragma once

#include "Shell/UIStyle.h"

#include <QWidget>

#include <functional>

class QAbstractButton;
class QLabel;

namespace zorbel {

// The accessibility-permission prompt laid over the whole settings window: a
// dimmed backdrop and a centred card with two equally wide buttons. It keeps
// no state; the caller decides what its two actions do. The system theme
// gets the plain look, both glass themes the glass look.
class PermissionAlertView final : public QWidget {
public:
    PermissionAlertView(UIStyle theme, std::function<void()> onOpenSettings, std::function<void()> onCancel,
                        QWidget* parent = nullptr);

    UIStyle theme() const { return theme_; }
    bool isGlassLook() const { return theme_ != UIStyle::system; }

    QWidget* card() const { return card_; }
    QAbstractButton* openButton() const { return openButton_; }
    QAbstractButton* laterButton() const { return laterButton_; }
    // Says in the card why nothing opened; the prompt stays.
    void showOpenFailure(const QString& text);
    QLabel* openFailure() const { return openFailure_; }

    static constexpr int sideMargin = 40;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeCard();

    UIStyle theme_;
    std::function<void()> onOpenSettings_;
    std::function<void()> onCancel_;
    QWidget* card_ = nullptr;
    QAbstractButton* openButton_ = nullptr;
    QAbstractButton* laterButton_ = nullptr;
    QLabel* openFailure_ = nullptr;
};

}  // namespace zorbel
