#pragma once

#include "BrindotHUD/BrindotHUDConfig.h"
#include "Caret/Styles/BrindotStyle.h"
#include "Platform/Reactive/Cancellable.h"

#include <QTransform>
#include <QWidget>

#include <optional>

class QLabel;
class QVariantAnimation;

namespace zorbel {

// The picture of the live preview: a mock text field with its caret, the
// sample indicator in the current style placed beside the mock caret as the
// desktop places the real one, and while the HUD is on the mock HUD placed
// beside the sample as the desktop places the real panel, with a dashed
// guide and the offset. When a large offset would carry the mock HUD out of
// the picture, the whole scene moves so that it stays in view. A style change
// pulses the sample (it shrinks and fades a little, then springs back);
// nothing animates while nothing changes.
class BrindotGlobalPreview : public QWidget {
    Q_OBJECT
public:
    // The plain preview lays the mock HUD over the sample; the liquid one under it.
    enum class HUDLayer { aboveSample, belowSample };
    explicit BrindotGlobalPreview(HUDLayer layer = HUDLayer::aboveSample, QWidget* parent = nullptr);
    QSize sizeHint() const override { return QSize(550, 380); }
    const BrindotStyle& shownStyle() const { return style_; }
    double pulse() const { return pulse_; }
    // Where the mock HUD is drawn; nothing while the HUD is off.
    std::optional<QRectF> mockHUDRect() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    // Positions before `fit`, which moves (and if need be shrinks) the
    // whole picture into view.
    struct Scene {
        QTransform fit;
        QPointF caret, sample;
        std::optional<QRectF> hud;
        BrindotHUDConfig config;
        QRectF sampleBox;
    };
    Scene scene() const;
    static QRectF placeholderBox(const Scene& s);
    void showStyle(const BrindotStyle& style);
    void animatePulseTo(double target);
    void paintBackground(QPainter& p, const Scene& scene) const;
    void paintIndicator(QPainter& p, const Scene& scene) const;
    void paintHUD(QPainter& p, const Scene& scene) const;
    void paintOffsetGuide(QPainter& p, const Scene& scene) const;

    const HUDLayer layer_;
    BrindotStyle style_;
    BrindotHUDConfig hud_;
    bool haveStyle_ = false;
    double pulse_ = 0;  // 0: shrunk and faded, 1: full size
    QVariantAnimation* animation_;
    rx::CancellableSet subscriptions_;
    std::shared_ptr<BrindotGlobalPreview*> self_ = std::make_shared<BrindotGlobalPreview*>(this);

public:
    ~BrindotGlobalPreview() override;
};

// The summary strip under the picture: the indicator's shape and size, then
// whether the HUD is on and its outline.
class PreviewInfoSection : public QWidget {
public:
    explicit PreviewInfoSection(QWidget* parent = nullptr);

private:
    void showHUD(const BrindotHUDConfig& config);

    QLabel* shape_;
    QLabel* size_;
    QLabel* hudState_;
    QLabel* hudShape_;
    rx::CancellableSet subscriptions_;
};

// The content of the preview column.
class GlobalPreviewSection : public QWidget {
public:
    explicit GlobalPreviewSection(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;
};

}  // namespace zorbel
