#pragma once

#include "Platform/NotificationCenter.h"
#include "Settings/Themes/Shared/WindowFrame.h"

#include <QObject>
#include <QList>
#include <QPointer>
#include <QRect>

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
    // The window's frame in the standard settings: "x y width height", the
    // top-left corner of its frame (title bar included) in the desktop's
    // top-left coordinates and the size of its inside.
    static constexpr const char* frameKey = "SettingsWindow";

    // Where the window opens: the stored frame where it still lies on one of
    // the screens (given by their available areas, the primary first), else
    // centred on the primary screen.
    static QRect restoredFrame(const QString& stored, const QList<QRect>& screens, const QSize& preferred,
                               const QSize& minimum);

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

    // Sets the current theme's chrome on the window; done again at every
    // theme change.
    void applyWindowChrome();
    WindowChrome currentChrome() const;
    void close();

private:
    void windowWillClose();
    void placeWindow(QWidget* window);
    static QRect frameOf(const QWidget* window);

    QPointer<QWidget> window_;
    platform::NotificationToken themeObserver_;
    SettingsView* view_ = nullptr;
    QRect openedWith_;
};

}  // namespace zorbel
