#include "Settings/Themes/LiquidGlass/LiquidGlassStyleLayout.h"

#include "Settings/Themes/LiquidGlass/LiquidGlassFooter.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassLayers.h"
#include "Settings/Themes/LiquidGlass/LiquidGlassSections.h"
#include "Settings/Themes/LiquidGlassPalette.h"
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
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace zorbel {

using glass::Material;
using glass::white;

glass::GlassTint liquidGlassTint()
{
    return {LiquidGlassPalette::blue(), LiquidGlassPalette::green(), LiquidGlassPalette::accentOrange()};
}

namespace {

// A rounded glass outline: a light diagonal stroke and a fainter one just
// up and left of it, as light catching two faces of a pane.
void strokeGlassOutline(QPainter& p, const QRectF& r, double width, double innerWidth, double offset,
                        std::initializer_list<double> opacities, double innerOpacity)
{
    QLinearGradient g(r.topLeft(), r.bottomRight());
    const int n = static_cast<int>(opacities.size());
    int i = 0;
    for (double o : opacities) g.setColorAt(double(i++) / n, white(o));
    g.setColorAt(1, white(0));
    p.strokePath(glass::roundedRect(r.adjusted(width / 2, width / 2, -width / 2, -width / 2), 16),
                 QPen(QBrush(g), width));
    p.strokePath(glass::roundedRect(r.adjusted(innerWidth / 2, innerWidth / 2, -innerWidth / 2, -innerWidth / 2), 16)
                     .translated(-offset, -offset),
                 QPen(white(innerOpacity), innerWidth));
}

class LiquidIcon final : public QWidget {
public:
    LiquidIcon() { setFixedSize(32, 32); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath circle;
        circle.addEllipse(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25));
        glass::fillMaterial(p, circle, Material::UltraThin, 1.0);
        p.strokePath(circle, QPen(white(0.2), 0.5));
        const QPixmap symbol =
            ui::symbolPixmap(QStringLiteral("cursorarrow.click"), 14, ui::primaryColor(), devicePixelRatioF());
        p.drawPixmap(QRectF(9, 9, 14, 14), symbol, QRectF(symbol.rect()));
    }
};

// A column on its own animated glass.
QWidget* glassColumn(QWidget* content)
{
    auto* column = new WhiteBackgroundLiquidGlassEffect(liquidGlassTint());
    auto* v = new QVBoxLayout(column);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addWidget(content);
    return column;
}

}  // namespace

QWidget* makeLiquidGlassTitleBar()
{
    GlassTitleBarLook look;
    look.objectName = QStringLiteral("LiquidGlassTitleBar");
    look.icon = [] { return new LiquidIcon; };
    look.iconSpacing = 18;
    look.nameFont = ui::systemFont(16, QFont::DemiBold);
    look.namesSpacing = 2;
    look.caption = QStringLiteral("液态玻璃");
    look.captionFont = ui::systemFont(12, QFont::Medium);
    look.captionColor = ui::secondaryColor();
    look.badgeSpacing = 12;
    look.runningDot = {16, 8, 0.7, 0.4, 0.3};
    look.runningDotColor = LiquidGlassPalette::statusGreen();
    look.runningFont = ui::systemFont(12, QFont::Medium);
    look.runningColor = ui::withAlpha(ui::primaryColor(), 0.8);
    look.padding = QMargins(20, 16, 20, 16);
    look.background = [](QPainter& p, const QRectF& r) {
        glass::fillMaterial(p, r, Material::Regular, 0.7);
        strokeGlassOutline(p, r, 0.8, 0.6, 0.4, {0.25, 0.15, 0.08}, 0.08);
    };
    return new GlassTitleBar(look);
}

QWidget* liquidGlassTabPage(const UnifiedTab& tab)
{
    if (tab.id == UnifiedTab::basic().id) return makeLiquidGlassBasicSettingsContent();
    if (tab.id == UnifiedTab::style().id) return makeLiquidGlassStyleSettingsContent();
    if (tab.id == UnifiedTab::hud().id) return makeLiquidGlassHUDSettingsContent();
    if (tab.id == UnifiedTab::advanced().id) return makeLiquidGlassAdvancedSettingsContent();
    // The input-method page is the same in every theme.
    if (tab.id == UnifiedTab::inputMethodStyle().id) return settingsTabPage(tab);
    return nullptr;
}

LiquidGlassTabContent::LiquidGlassTabContent(const UnifiedTab& tab, QWidget* parent) : QWidget(parent)
{
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(20, 20, 20, 20);
    v->setSpacing(20);
    page_ = liquidGlassTabPage(tab);
    if (page_) v->addWidget(page_);
}

void LiquidGlassTabContent::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    background_.draw(p, *this, event->region(), [](QPainter& ip, const QRectF& r) {
        glass::fillMaterial(ip, glass::roundedRect(r, 16), Material::UltraThin, 0.6);
        strokeGlassOutline(ip, r, 0.6, 0.4, 0.3, {0.2, 0.12, 0.06}, 0.06);
    });
}

LiquidGlassStyleLayout::LiquidGlassStyleLayout(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LiquidGlassStyleLayout"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* background = new WhiteBackgroundLiquidGlassBackground(liquidGlassTint());
    outer->addWidget(background);
    auto* row = new QHBoxLayout(background);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    tabs_ = new UnifiedTabLayout(UnifiedTab::all(), UnifiedTab::basic(),
                                 [](const UnifiedTab& tab) { return new LiquidGlassTabContent(tab); });
    // A thin rounded handle on clear glass instead of the desktop's boxed bar.
    if (auto* scroll = tabs_->findChild<QScrollArea*>(QStringLiteral("pageScroll")))
        scroll->verticalScrollBar()->setStyleSheet(QStringLiteral(
            "QScrollBar:vertical { background: transparent; width: 10px; margin: 6px 2px 6px 0; }"
            "QScrollBar::handle:vertical { background: rgba(0, 0, 0, 46); border-radius: 3px; min-height: 32px;"
            " margin: 0 1px; }"
            "QScrollBar::handle:vertical:hover { background: rgba(0, 0, 0, 77); }"
            "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
            "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }"));
    QWidget* leftColumn = glassColumn(makeSettingsLeftColumn(makeLiquidGlassTitleBar(), tabs_, new LiquidGlassFooter));
    keepLeftColumnWidth(this, leftColumn);
    row->addWidget(leftColumn);
    row->addWidget(glassColumn(makeLivePreviewColumn(new LiquidGlassGlobalPreviewSection)), 1);
    frame_ = installWindowFrame(this, outer, UIStyle::liquidGlass);
}

void LiquidGlassStyleLayout::paintEvent(QPaintEvent* event)
{
    // Only the room round the frame: the glass covers the rest.
    const QRegion margins = QRegion(rect()) - QRegion(frame_->frameRect().toAlignedRect().adjusted(1, 1, -1, -1));
    const QRegion dirty = event->region() & margins;
    if (dirty.isEmpty()) return;
    QPainter p(this);
    shadow_.draw(p, frame_->frameRect(), frame_->look());
}

}  // namespace zorbel
