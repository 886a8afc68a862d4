#include "Settings/Themes/FrostedGlass/FrostedGlassStyleLayout.h"

#include "Settings/Themes/LiquidGlass/GlassPainting.h"
#include "Settings/Themes/SettingsTabPages.h"
#include "Settings/Themes/Shared/GlassTitleBar.h"
#include "Settings/Themes/Shared/WindowFrame.h"
#include "Settings/UnifiedTabLayout.h"
#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace zorbel {

using glass::Material;

namespace {

// The round gradient badge with the product symbol.
class FrostedIcon final : public QWidget {
public:
    FrostedIcon() { setFixedSize(44, 44); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QLinearGradient fill(r.topLeft(), r.bottomRight());
        fill.setColorAt(0, glass::faded(ui::systemBlue(), 0.9));
        fill.setColorAt(0.5, QColor::fromRgbF(0.196f, 0.678f, 0.902f, 0.7f));
        fill.setColorAt(1, QColor::fromRgbF(0.686f, 0.322f, 0.871f, 0.5f));
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawEllipse(r);
        QLinearGradient ring(r.topLeft(), r.bottomRight());
        ring.setColorAt(0, glass::white(0.3));
        ring.setColorAt(1, glass::white(0));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QBrush(ring), 1));
        p.drawEllipse(r);
        const QPixmap symbol =
            ui::symbolPixmap(QStringLiteral("cursorarrow.click"), 16, Qt::white, devicePixelRatioF());
        const QRectF at((width() - 16) / 2.0, (height() - 16) / 2.0, 16, 16);
        p.setOpacity(0.2);
        p.drawPixmap(at.translated(0, 1), ui::symbolPixmap(QStringLiteral("cursorarrow.click"), 16, Qt::black,
                                                            devicePixelRatioF()),
                     QRectF(symbol.rect()));
        p.setOpacity(1);
        p.drawPixmap(at, symbol, QRectF(symbol.rect()));
    }
};

// A column on the regular material, its outer corners rounded with the frame.
class FrostedPane final : public QWidget {
public:
    explicit FrostedPane(QWidget* content)
    {
        auto* v = new QVBoxLayout(this);
        v->setContentsMargins(0, 0, 0, 0);
        v->addWidget(content);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter p(this);
        background_.draw(p, *this, event->region(), [this](QPainter& ip, const QRectF& r) {
            QPainterPath own;
            own.addRect(r);
            const auto* layout = static_cast<const FrostedGlassStyleLayout*>(parentWidget());
            const QPainterPath frame = glass::roundedRect(layout->frameRect(), layout->frame()->look().cornerRadius)
                                           .translated(-QPointF(pos()));
            glass::fillMaterial(ip, frame.intersected(own), Material::Regular, 1.0);
        });
    }
    void moveEvent(QMoveEvent*) override { background_.invalidate(); }
    void resizeEvent(QResizeEvent*) override { background_.invalidate(); }

private:
    glass::CachedPainting background_;
};

}  // namespace

QWidget* makeFrostedGlassTitleBar()
{
    GlassTitleBarLook look;
    look.objectName = QStringLiteral("FrostedGlassTitleBar");
    look.icon = [] { return new FrostedIcon; };
    look.iconSpacing = 16;
    look.nameFont = ui::systemFont(18, QFont::Bold);
    look.nameShadowOpacity = 0.1;
    look.namesSpacing = 3;
    look.caption = QStringLiteral("磨砂玻璃风格");
    look.captionFont = ui::systemFont(13, QFont::Medium);
    look.captionColor = ui::withAlpha(ui::secondaryColor(), 0.9);
    look.badgeSpacing = 12;
    look.runningDot = {10, 6, 0.8, 0.8, 0};
    look.runningDotColor = ui::systemGreen();
    look.runningFont = ui::systemFont(12, QFont::Medium);
    look.runningColor = ui::withAlpha(ui::primaryColor(), 0.8);
    look.padding = QMargins(24, 18, 24, 18);
    look.background = [](QPainter& p, const QRectF& r) {
        const QPainterPath shape = glass::roundedRect(r.adjusted(0.25, 0.25, -0.25, -0.25), 16);
        glass::fillMaterial(p, shape, Material::Regular, 0.6);
        p.strokePath(shape, QPen(ui::withAlpha(ui::separatorColor(), 0.3), 0.5));
    };
    return new GlassTitleBar(look);
}

FrostedGlassStyleLayout::FrostedGlassStyleLayout(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrostedGlassStyleLayout"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    // The page under each tab is the system theme's, header and all.
    tabs_ = new UnifiedTabLayout(UnifiedTab::all(), UnifiedTab::basic(),
                                 [](const UnifiedTab& tab) { return new SystemTabContent(tab); });
    left_ = new FrostedPane(makeSettingsLeftColumn(makeFrostedGlassTitleBar(), tabs_));
    keepLeftColumnWidth(this, left_);
    row->addWidget(left_);
    row->addSpacing(1);  // the divider, painted below
    row->addWidget(new FrostedPane(makeLivePreviewColumn()), 1);
    frame_ = installWindowFrame(this, row, UIStyle::frostedGlass);
}

QRectF FrostedGlassStyleLayout::frameRect() const { return frame_->frameRect(); }

void FrostedGlassStyleLayout::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QRectF frame = frameRect();
    shadow_.draw(p, frame, frame_->look());
    // Drawn afresh, within the repainted region only: nothing here moves, and
    // a picture of the whole window would be drawn again at every resize step.
    for (const QRect& piece : glass::pieces(event->region(), devicePixelRatioF())) {
        p.setClipRect(piece);
        p.setRenderHint(QPainter::Antialiasing);
        glass::fillMaterial(p, glass::roundedRect(frame, frame_->look().cornerRadius), Material::Regular, 0.7);
        p.fillRect(QRectF(left_->geometry().right() + 1, frame.top(), 1, frame.height()),
                   ui::withAlpha(ui::primaryColor(), 0.1));
    }
}

}  // namespace zorbel
