#pragma once

#include "Caret/Styles/BrindotStyle.h"
#include "Platform/Reactive/Cancellable.h"

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace zorbel {

class GlowDot;

// The strip under the liquid-glass tabs: a green dot and "运行中" while the
// indicator is switched on, a grey one and "已停止" while it is off,
// following the switch wherever it is changed.
class LiquidGlassFooter final : public QWidget {
public:
    explicit LiquidGlassFooter(QWidget* parent = nullptr);
    QString statusText() const;
    QColor statusColor() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void show(bool enabled);

    GlowDot* dot_;
    QLabel* text_;
    rx::Cancellable subscription_;
};

// The summary under the liquid preview: shape, size, fill and border, and
// while the HUD is on, its state and display time.
class LiquidGlassPreviewInfoSection final : public QWidget {
public:
    explicit LiquidGlassPreviewInfoSection(QWidget* parent = nullptr);

    // The rows' values as shown, for a style.
    static QString shapeName(BrindotShape shape);
    static QString pixelsText(double value);

private:
    void showStyle(const BrindotStyle& style);

    QLabel* shape_;
    QLabel* size_;
    QLabel* fill_;
    QLabel* border_;
    QWidget* hudRows_;
    QLabel* duration_;
    rx::CancellableSet subscriptions_;
};

// The liquid preview column's content: the live picture, 200 high, over the summary.
class LiquidGlassGlobalPreviewSection final : public QWidget {
public:
    explicit LiquidGlassGlobalPreviewSection(QWidget* parent = nullptr);
};

}  // namespace zorbel
