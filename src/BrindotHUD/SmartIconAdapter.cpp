#include "BrindotHUD/SmartIconAdapter.h"

#include "BrindotHUD/HUDIcons.h"
#include "Caret/Core/Logger.h"
#include "Caret/UI/ShapeDrawing.h"
#include "Platform/Console.h"
#include "Platform/Services.h"
#include "Platform/TextForm.h"

#include <QElapsedTimer>
#include <QPainter>

#include <cmath>
#include <set>

namespace zorbel {

QString caseName(IconType type)
{
    static const char* names[] = {"template", "emoji", "simple", "complex"};
    return QString::fromLatin1(names[static_cast<int>(type)]);
}

QString caseName(IconAdaptationStrategy strategy)
{
    static const char* names[] = {"none", "colorInvert", "shadow", "stroke"};
    return QString::fromLatin1(names[static_cast<int>(strategy)]);
}

SmartIconAdapter& SmartIconAdapter::shared() { return sharedInstance<SmartIconAdapter>(); }

double SmartIconAdapter::luminance(const QColor& color)
{
    if (!color.isValid()) return 0;
    const QColor c = color.toRgb();
    return 0.299 * c.redF() + 0.587 * c.greenF() + 0.114 * c.blueF();
}

QString SmartIconAdapter::iconKey(const QImage& image)
{
    const QString name = hud::imageName(image);
    const QSizeF size = hud::pointSize(image);
    return (name.isEmpty() ? QStringLiteral("unknown") : name) + QLatin1Char('_') + text::number(size.width()) +
           QLatin1Char('x') + text::number(size.height());
}

QString SmartIconAdapter::colorKey(const QColor& color)
{
    if (!color.isValid()) return QStringLiteral("0_0_0");
    const QColor c = color.toRgb();
    return QStringLiteral("%1_%2_%3")
        .arg(static_cast<int>(c.redF() * 255))
        .arg(static_cast<int>(c.greenF() * 255))
        .arg(static_cast<int>(c.blueF() * 255));
}

namespace {
// The first three bytes of a pixel as one number, as the bitmap stores them;
// 0 outside the image.
quint32 pixelValue(const QImage& image, int x, int y)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return 0;
    const QRgb p = image.pixel(x, y);
    return (static_cast<quint32>(qRed(p)) << 16) | (static_cast<quint32>(qGreen(p)) << 8) | qBlue(p);
}
}  // namespace

int SmartIconAdapter::sampledColorCount(const QImage& image)
{
    if (image.isNull()) return 16;
    const int w = image.width(), h = image.height();
    const int points[5][2] = {{w / 2, h / 2}, {w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
    std::set<quint32> seen;
    for (const auto& pt : points)
        if (pt[0] < w && pt[1] < h) seen.insert(pixelValue(image, pt[0], pt[1]));
    return static_cast<int>(seen.size());
}

double SmartIconAdapter::averageLuminance(const QImage& image)
{
    if (image.isNull()) return 0.5;
    const int cx = image.width() / 2, cy = image.height() / 2;
    double sum = 0;
    int counted = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int x = cx + dx, y = cy + dy;
            if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) continue;
            const quint32 v = pixelValue(image, x, y);
            sum += 0.299 * ((v >> 16) & 0xFF) / 255.0 + 0.587 * ((v >> 8) & 0xFF) / 255.0 + 0.114 * (v & 0xFF) / 255.0;
            ++counted;
        }
    }
    return counted ? sum / counted : 0.5;
}

IconType SmartIconAdapter::detectIconType(const QImage& image)
{
    const QString key = iconKey(image);
    if (auto it = iconTypeCache_.find(key); it != iconTypeCache_.end()) return it->second;
    const QSizeF size = hud::pointSize(image);
    IconType type = IconType::complex;
    if (hud::isTemplateImage(image)) {
        type = IconType::template_;
    } else if (size.width() <= 32 && size.height() <= 32 && sampledColorCount(image) < 5) {
        type = IconType::emoji;
    } else if (sampledColorCount(image) <= 8 && size.height() <= 64 && size.width() <= 64) {
        type = IconType::simple;
    }
    iconTypeCache_[key] = type;
    return type;
}

IconAdaptationStrategy SmartIconAdapter::computeStrategy(const QImage& image, const QColor& background)
{
    switch (detectIconType(image)) {
    case IconType::template_: return IconAdaptationStrategy::none;
    case IconType::emoji: return IconAdaptationStrategy::colorInvert;
    case IconType::complex: return IconAdaptationStrategy::shadow;
    case IconType::simple: {
        const QSizeF size = hud::pointSize(image);
        const bool similar = std::fabs(averageLuminance(image) - luminance(background)) < 0.3;
        return size.width() <= 64 && size.height() <= 64 && similar ? IconAdaptationStrategy::stroke
                                                                     : IconAdaptationStrategy::none;
    }
    }
    return IconAdaptationStrategy::none;
}

IconAdaptationStrategy SmartIconAdapter::chooseStrategy(const QImage& image, const QColor& background)
{
    const QString key = iconKey(image) + QLatin1Char('_') + colorKey(background);
    if (auto it = adaptationCache_.find(key); it != adaptationCache_.end()) return it->second;
    const auto strategy = computeStrategy(image, background);
    adaptationCache_[key] = strategy;
    return strategy;
}

namespace {
QString describe(const QColor& c)
{
    const QColor rgb = c.toRgb();
    return QStringLiteral("sRGB IEC61966-2.1 colorspace %1 %2 %3 %4")
        .arg(text::number(rgb.redF()), text::number(rgb.greenF()), text::number(rgb.blueF()), text::number(rgb.alphaF()));
}
}  // namespace

void SmartIconAdapter::drawIcon(QPainter& painter, QImage image, const QRectF& rect, const QColor& background)
{
    QElapsedTimer clock;
    clock.start();
    const IconType type = detectIconType(image);
    const IconAdaptationStrategy strategy = chooseStrategy(image, background);
    debugPrint(QStringLiteral("SmartIconAdapter: 图标绘制开始"));
    debugPrint(QStringLiteral("  - 图标类型: ") + caseName(type));
    debugPrint(QStringLiteral("  - 适配策略: ") + caseName(strategy));
    debugPrint(QStringLiteral("  - 背景色亮度: ") + text::number(luminance(background)));
    debugPrint(QStringLiteral("  - 背景色: ") + describe(background));
    debugPrint(QStringLiteral("  - 绘制区域: ") + text::rect(rect));
    drawWithShadowEnhancement(painter, image, rect, strategy, background);
    const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    totalAdaptationTime_ += elapsed;
    debugPrint(QStringLiteral("SmartIconAdapter: 图标绘制完成，耗时: ") + text::number(elapsed) + QStringLiteral("s"));
    if (totalAdaptationTime_ > performanceThreshold) {
        debugPrint(QStringLiteral("SmartIconAdapter: 性能降级触发，累计时间: ") + text::number(totalAdaptationTime_) +
                   QStringLiteral("s"));
        iconTypeCache_.clear();
        adaptationCache_.clear();
        totalAdaptationTime_ = 0;
    }
}

void SmartIconAdapter::drawWithShadowEnhancement(QPainter& painter, QImage& image, const QRectF& rect,
                                                 IconAdaptationStrategy strategy, const QColor& background)
{
    painter.save();
    debugPrint(QStringLiteral("SmartIconAdapter: 使用阴影增强方案绘制图标"));
    debugPrint(QStringLiteral("  - 适配策略: ") + caseName(strategy));
    debugPrint(QStringLiteral("  - 背景亮度: ") + text::number(luminance(background)));
    drawWithSmartShadow(painter, image, rect, background);
    painter.restore();
}

// The glow is the icon's own silhouette, tinted and blurred by two points.
void SmartIconAdapter::drawWithSmartShadow(QPainter& painter, QImage& image, const QRectF& rect,
                                           const QColor& background)
{
    const bool dark = luminance(background) < 0.5;
    const QColor base = dark ? QColor(Qt::white) : QColor(Qt::black);
    const double alpha = dark ? 1.0 : 0.2;
    debugPrint(dark ? QStringLiteral("SmartIconAdapter: Dark背景使用更亮的白色阴影")
                    : QStringLiteral("SmartIconAdapter: Light背景使用灰色阴影"));
    debugPrint(QStringLiteral("  - 阴影颜色: ") + describe(base));
    debugPrint(QStringLiteral("  - 阴影透明度: ") + text::number(alpha));
    debugPrint(QStringLiteral("  - 模糊半径: ") + text::number(2.0));

    hud::setTemplateImage(image, false);
    const double scale = 2.0, margin = 3.0;
    QImage shadow(static_cast<int>(std::ceil((rect.width() + 2 * margin) * scale)),
                  static_cast<int>(std::ceil((rect.height() + 2 * margin) * scale)), QImage::Format_ARGB32);
    shadow.fill(Qt::transparent);
    {
        QPainter sp(&shadow);
        sp.setRenderHint(QPainter::SmoothPixmapTransform);
        sp.scale(scale, scale);
        sp.drawImage(QRectF(margin, margin, rect.width(), rect.height()), image);
    }
    drawing::tintAndBlur(shadow, base, static_cast<int>(2.0 * scale / 2));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(painter.opacity() * alpha);
    painter.drawImage(QRectF(rect.x() - margin, rect.y() - margin, rect.width() + 2 * margin, rect.height() + 2 * margin),
                      shadow);
    painter.setOpacity(painter.opacity() / alpha);
    painter.drawImage(rect, image);
    debugPrint(QStringLiteral("SmartIconAdapter: 智能阴影图标绘制完成"));
}

}  // namespace zorbel
