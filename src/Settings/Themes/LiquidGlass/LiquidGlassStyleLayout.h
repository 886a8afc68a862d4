#pragma once

#include "Settings/Themes/LiquidGlass/GlassPainting.h"
#include "Settings/Themes/Shared/WindowFrame.h"
#include "Settings/UnifiedTab.h"

#include <QWidget>

namespace zorbel {

class UnifiedTabLayout;

// The colours the liquid-glass layers tint with, from the theme's palette.
glass::GlassTint liquidGlassTint();

// The settings window in the liquid-glass theme: its own title bar, tabs
// and liquid pages over a footer with the running state on the left, the
// liquid preview on the right, all on animated glass. It opens on the basic tab.
class LiquidGlassStyleLayout final : public QWidget {
public:
    explicit LiquidGlassStyleLayout(QWidget* parent = nullptr);
    UnifiedTabLayout* tabLayout() const { return tabs_; }
    WindowFrameOverlay* frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    UnifiedTabLayout* tabs_;
    WindowFrameOverlay* frame_;
    FrameShadow shadow_;
};

// The liquid title bar: product, badges and a fixed running mark.
QWidget* makeLiquidGlassTitleBar();

// The page of one tab on its glass tile; unknown tabs show an empty tile.
class LiquidGlassTabContent final : public QWidget {
public:
    explicit LiquidGlassTabContent(const UnifiedTab& selectedTab, QWidget* parent = nullptr);
    QWidget* page() const { return page_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QWidget* page_ = nullptr;
    glass::CachedPainting background_;
};

// The liquid page of a tab, or nothing for an unknown tab.
QWidget* liquidGlassTabPage(const UnifiedTab& tab);

}  // namespace zorbel
