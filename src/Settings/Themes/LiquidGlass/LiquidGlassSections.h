#pragma once

#include "Platform/Reactive/Publisher.h"
#include "Settings/Themes/LiquidGlass/GlassPainting.h"

#include <QWidget>

#include <initializer_list>
#include <memory>

class QLabel;
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

namespace liquidSections {

// Keeps a section's controls showing a published value; lives as long as the section.
template <class T, class F>
void follow(QWidget* owner, rx::Publisher<T> publisher, F show)
{
    auto* holder = new QObject(owner);
    auto sub = std::make_shared<rx::Cancellable>(publisher.sink([show](const T& v) { show(v); }));
    QObject::connect(holder, &QObject::destroyed, [sub]() { sub->cancel(); });
}

// A page: its sections 12 apart, each in its own control container.
QWidget* page(std::initializer_list<QWidget*> sections);

// Label, gap, value: the row over a liquid slider. Returns the value label.
QLabel* valueRow(QVBoxLayout* body, const QString& label);

}  // namespace liquidSections

// The liquid pages: their controls read and write the same managers through
// the same actions as the plain pages.
QWidget* makeLiquidGlassBasicSettingsContent();
QWidget* makeLiquidGlassStyleSettingsContent();
QWidget* makeLiquidGlassHUDSettingsContent();
QWidget* makeLiquidGlassAdvancedSettingsContent();

}  // namespace zorbel
