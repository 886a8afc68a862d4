#pragma once

#include "Platform/Reactive/Cancellable.h"

#include <QString>
#include <QWidget>

#include <functional>

namespace zorbel {

// The root of the settings window: the layout of the current theme, with
// the accessibility prompt laid over it while the permission manager asks
// for it.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    explicit SettingsView(QWidget* parent = nullptr);

    using Factory = std::function<QWidget*()>;
    // Themes other than the system one bring their own layout; a theme
    // without one is drawn in the system layout.
    static void registerLayout(const QString& theme, Factory factory);
    // The prompt shown over the layout while the permission is missing.
    static void registerPermissionPrompt(Factory factory);

    QWidget* layoutWidget() const { return layout_; }
    // The theme whose layout is shown ("system", "frostedGlass", "liquidGlass").
    const QString& theme() const { return theme_; }
    QWidget* prompt() const { return prompt_; }

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    void showLayout(const QString& theme);
    void showPrompt(bool show);

    QWidget* layout_ = nullptr;
    QString theme_;
    QWidget* prompt_ = nullptr;
    rx::CancellableSet subscriptions_;
};

}  // namespace zorbel
