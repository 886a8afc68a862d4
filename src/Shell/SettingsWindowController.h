#pragma once

#include "Platform/NotificationCenter.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace zorbel {

class SettingsView;

// The one settings window. Opening it while it is open brings it forward;
// closing it drops the window and its controller (the program keeps
// running), so the next opening builds a fresh one.
class SettingsWindowController : public QObject {
public:
    SettingsWindowController();
    ~SettingsWindowController() override;

    static constexpr int windowWidth = 1100;
    static constexpr int windowHeight = 680;

    // Opens the window, or brings the open one forward, and gives it the
    // keyboard focus.
    static void showSettings();
    // The controller of the open window; none while no window is open.
    static SettingsWindowController* shared();

    QWidget* window() const { return window_; }
    // The animated border over the window while the theme is liquid glass.
    QWidget* liquidGlassOverlayView() const;
    void updateLiquidGlassOverlay();
    SettingsView* view() const { return view_; }
    void close();

private:
    void windowWillClose();

    QPointer<QWidget> window_;
    platform::NotificationToken themeObserver_;
    SettingsView* view_ = nullptr;
};

}  // namespace zorbel
