#pragma once

#include "Settings/Themes/LiquidGlass/GlassPainting.h"

#include <QWidget>

class QVBoxLayout;

namespace zorbel {

// The frame of every liquid-glass section: a headline title over its
// content, 12 apart and 12 inside, optionally on a faint frosted tile, all
// inside the animated control container.
class LiquidGlassSection : public QWidget {
public:
    LiquidGlassSection(const QString& title, bool tile, QWidget* parent = nullptr);
    QVBoxLayout* body() const { return body_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QVBoxLayout* body_;
    bool tile_;
    glass::CachedPainting background_;
};

// The liquid pages: their controls read and write the same managers through
// the same actions as the plain pages.
QWidget* makeLiquidGlassBasicSettingsContent();
QWidget* makeLiquidGlassStyleSettingsContent();

}  // namespace zorbel
