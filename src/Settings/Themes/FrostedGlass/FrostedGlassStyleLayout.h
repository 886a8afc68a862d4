#pragma once

#include "Settings/Themes/Shared/WindowFrame.h"

#include <QWidget>

namespace zorbel {

class UnifiedTabLayout;

// The settings window in the frosted-glass theme: the system theme's tabs,
// pages and preview column on frosted panes in a rounded glass frame, with a
// richer title bar. It opens on the basic tab.
class FrostedGlassStyleLayout final : public QWidget {
public:
    explicit FrostedGlassStyleLayout(QWidget* parent = nullptr);
    UnifiedTabLayout* tabLayout() const { return tabs_; }
    WindowFrameOverlay* frame() const { return frame_; }
    // The rounded glass frame, inside the room kept for its shadow.
    QRectF frameRect() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    UnifiedTabLayout* tabs_;
    QWidget* left_;
    WindowFrameOverlay* frame_;
    FrameShadow shadow_;
};

// The frosted title bar.
QWidget* makeFrostedGlassTitleBar();

}  // namespace zorbel
