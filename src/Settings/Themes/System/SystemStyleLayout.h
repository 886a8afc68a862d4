#pragma once

#include <QWidget>

namespace zorbel {

class UnifiedTabLayout;
class WindowFrameOverlay;

// The title bar of the system theme: product, badges, running mark.
class SystemTitleBar : public QWidget {
public:
    explicit SystemTitleBar(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;
};

// The whole settings window in the system theme: title bar, tabs and page
// on the left, the live preview on the right. It opens on the basic tab.
class SystemStyleLayout : public QWidget {
public:
    explicit SystemStyleLayout(QWidget* parent = nullptr);
    UnifiedTabLayout* tabLayout() const { return tabs_; }
    WindowFrameOverlay* frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    UnifiedTabLayout* tabs_;
    QWidget* left_;
    WindowFrameOverlay* frame_;
};

}  // namespace zorbel
