#pragma once

#include "Platform/Reactive/Cancellable.h"
#include "Shell/UIStyle.h"

#include <QWidget>

namespace zorbel {

class PermissionAlertView;

// The root of the settings window: the layout of the current theme, with
// the accessibility prompt laid over it while the permission manager asks
// for it. A theme change swaps the layout at once (the new one opens on the
// basic tab) and redraws the prompt in the new theme.
class SettingsView : public QWidget {
public:
    explicit SettingsView(QWidget* parent = nullptr);

    QWidget* layoutWidget() const { return layout_; }
    PermissionAlertView* prompt() const { return prompt_; }
    UIStyle theme() const { return theme_; }

    // The layout of a theme, opening on the basic tab.
    static QWidget* makeLayout(UIStyle theme);

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    void showLayout(UIStyle theme);
    void showPrompt(bool show);

    UIStyle theme_ = UIStyle::system;
    QWidget* layout_ = nullptr;
    PermissionAlertView* prompt_ = nullptr;
    rx::CancellableSet subscriptions_;
};

}  // namespace zorbel
