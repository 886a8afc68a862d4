#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>

#include <map>

class QPainter;

namespace zorbel {

enum class IconType { template_, emoji, simple, complex };
enum class IconAdaptationStrategy { none, colorInvert, shadow, stroke };

QString caseName(IconType type);
QString caseName(IconAdaptationStrategy strategy);

// Draws the HUD's item icons so they stay visible on the panel's background:
// every icon gets a soft shadow, a white glow on dark backgrounds and a faint
// dark shadow on light ones. The icon's class and the strategy it would get
// are worked out, cached and reported on the console; the caches are dropped
// whenever the summed drawing time passes 10 ms. Main thread only.
class SmartIconAdapter {
public:
    static SmartIconAdapter& shared();

    void drawIcon(QPainter& painter, QImage image, const QRectF& rect, const QColor& backgroundColor);
    IconType detectIconType(const QImage& image);
    IconAdaptationStrategy chooseStrategy(const QImage& image, const QColor& background);
    IconAdaptationStrategy computeStrategy(const QImage& image, const QColor& background);

    static double luminance(const QColor& color);
    static QString iconKey(const QImage& image);
    static QString colorKey(const QColor& color);
    // Distinct colours among five sample points; 16 for an image without pixels.
    static int sampledColorCount(const QImage& image);
    // Mean luminance of the 3 × 3 pixels at the centre; 0.5 without pixels.
    static double averageLuminance(const QImage& image);

    double totalAdaptationTime() const { return totalAdaptationTime_; }
    static constexpr double performanceThreshold = 0.01;
    std::size_t cachedTypeCount() const { return iconTypeCache_.size(); }

private:
    void drawWithShadowEnhancement(QPainter& painter, QImage& image, const QRectF& rect,
                                   IconAdaptationStrategy strategy, const QColor& background);
    void drawWithSmartShadow(QPainter& painter, QImage& image, const QRectF& rect, const QColor& background);

    std::map<QString, IconType> iconTypeCache_;
    std::map<QString, IconAdaptationStrategy> adaptationCache_;
    double totalAdaptationTime_ = 0;
};

}  // namespace zorbel
