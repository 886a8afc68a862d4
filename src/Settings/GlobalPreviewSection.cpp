#include "Settings/GlobalPreviewSection.h"

#include "BrindotHUD/BrindotHUDManager.h"
#include "Caret/Styles/BrindotStyleManager.h"
#include "Caret/Styles/PerfectCaretStyle.h"
#include "Caret/UI/ShapeDrawing.h"
#include "Platform/Scheduler.h"
#include "Platform/Services.h"
#include "Settings/HUD/HUDChoiceButtons.h"
#include "Settings/HUDPreviewContent.h"
#include "Settings/NumberText.h"
#include "Settings/PreviewGeometry.h"
#include "Settings/ShapeSizePositionSections.h"
#include "Settings/Widgets/SettingsText.h"

#include <QFontMetricsF>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace zorbel {

BrindotGlobalPreview::BrindotGlobalPreview(HUDLayer layer, QWidget* parent)
    : QWidget(parent), layer_(layer), animation_(new QVariantAnimation(this))
{
    setObjectName(QStringLiteral("BrindotGlobalPreview"));
    setMinimumSize(320, 380);
    setMaximumSize(550, 380);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    animation_->setDuration(300);
    animation_->setEasingCurve(QEasingCurve::InOutQuad);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        pulse_ = v.toDouble();
        update();
    });
    BrindotHUDManager::shared()
        .configPublisher()
        .sink([this](const BrindotHUDConfig& c) {
            hud_ = c;
            update();
        })
        .store(subscriptions_);
    BrindotStyleManager::shared()
        .currentStylePublisher()
        .sink([this](const BrindotStyle& s) { showStyle(s); })
        .store(subscriptions_);
    // Coming on screen, the sample grows in.
    animatePulseTo(1.0);
}

BrindotGlobalPreview::~BrindotGlobalPreview() { *self_ = nullptr; }

void BrindotGlobalPreview::showStyle(const BrindotStyle& style)
{
    const bool pulse = haveStyle_ && preview::changesSample(style_, style);
    style_ = style;
    haveStyle_ = true;
    update();
    if (!pulse) return;
    animatePulseTo(0.0);
    platform::scheduler().after(0.1, [self = self_] {
        if (*self) (*self)->animatePulseTo(1.0);
    });
}

void BrindotGlobalPreview::animatePulseTo(double target)
{
    animation_->stop();
    animation_->setStartValue(pulse_);
    animation_->setEndValue(target);
    animation_->start();
}

namespace {
const QSizeF kField(200, 36);
}

// The placeholder's text, 60 left of the field's centre.
QRectF BrindotGlobalPreview::placeholderBox(const Scene& s)
{
    const QFontMetricsF fm(ui::systemFont(13));
    const double w = fm.horizontalAdvance(QStringLiteral("输入文本"));
    return {s.caret.x() + 16 - 60 - w / 2, s.caret.y() - 8, w, 16};
}

BrindotGlobalPreview::Scene BrindotGlobalPreview::scene() const
{
    const QSizeF area = size();
    Scene s{{}, preview::mockCaret(area), preview::indicatorCentre(area, style_), std::nullopt,
            preview::drawableConfig(hud_), {}};
    QRectF core(QPointF(area.width() / 2, area.height() / 2) - QPointF(kField.width() / 2, kField.height() / 2), kField);
    const double side = std::isfinite(style_.size) ? std::clamp(style_.size, 0.0, 200.0) : 0.0;
    s.sampleBox = QRectF(s.sample - QPointF(side / 2, side / 2), QSizeF(side, side));
    if (haveStyle_) core |= s.sampleBox;
    QRectF all = core;
    if (s.config.isEnabled) {
        const QSizeF mock = hudPreview::contentSize(s.config);
        const QPointF q = preview::hudCentre(s.sample, s.config.position, s.config.offset, mock);
        s.hud = QRectF(q - QPointF(mock.width() / 2, mock.height() / 2), mock);
        all |= *s.hud;
    }
    s.fit = preview::sceneFit(area, core, all, 8);
    return s;
}

std::optional<QRectF> BrindotGlobalPreview::mockHUDRect() const
{
    const Scene s = scene();
    if (!s.hud) return std::nullopt;
    return s.fit.mapRect(*s.hud);
}

void BrindotGlobalPreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect()), 12, 12);
    p.save();
    p.setClipPath(clip);
    p.fillRect(rect(), ui::withAlpha(ui::controlBackgroundColor(), 0.2));
    p.restore();
    const Scene s = scene();
    p.setTransform(s.fit);
    paintBackground(p, s);
    if (layer_ == HUDLayer::belowSample) paintHUD(p, s);
    paintIndicator(p, s);
    if (layer_ == HUDLayer::aboveSample) paintHUD(p, s);
    paintOffsetGuide(p, s);
}

void BrindotGlobalPreview::paintBackground(QPainter& p, const Scene& s) const
{
    const QPointF centre = s.caret + QPointF(16, 0);
    const QRectF field(centre - QPointF(kField.width() / 2, kField.height() / 2), kField);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 13));
    p.drawRoundedRect(field.translated(0, 1).adjusted(-1, -1, 1, 1), 7, 7);
    p.setBrush(ui::textBackgroundColor());
    p.setPen(QPen(ui::withAlpha(ui::primaryColor(), 0.15), 1));
    p.drawRoundedRect(field, 6, 6);
    p.setPen(ui::primaryColor());
    p.setFont(ui::systemFont(13));
    p.drawText(QRectF(centre.x() - 60 - 50, centre.y() - 10, 100, 20), Qt::AlignCenter, QStringLiteral("输入文本"));
    p.fillRect(QRectF(s.caret.x() - 0.75, s.caret.y() - 8, 1.5, 16), ui::systemBlue());
}

void BrindotGlobalPreview::paintIndicator(QPainter& p, const Scene& s) const
{
    if (!haveStyle_) return;
    const double scale = 0.8 + 0.2 * pulse_;
    p.save();
    p.translate(s.sample);
    p.scale(scale, scale);
    p.setOpacity(0.6 + 0.4 * pulse_);
    // The real indicator's own drawing, without its shadow.
    drawing::drawShape(p, QPointF(0, 0), PerfectCaretStyle(style_));
    p.restore();
}

void BrindotGlobalPreview::paintHUD(QPainter& p, const Scene& s) const
{
    if (s.hud) hudPreview::draw(p, s.config, *s.hud, devicePixelRatioF());
}

// A dashed line from the mock caret to the mock HUD's outline, labelled with
// the stored offset.
void BrindotGlobalPreview::paintOffsetGuide(QPainter& p, const Scene& s) const
{
    if (!s.hud || !preview::showsOffsetGuide(hud_.isEnabled, hud_.offset)) return;
    // A HUD over the caret leaves no guide to draw (the centre place ignores the offset).
    if (s.hud->contains(s.caret)) return;
    const QPointF end = preview::guideEnd(s.caret, *s.hud);
    QPen dashed(ui::withAlpha(QColor(128, 128, 128), 0.3), 1);
    dashed.setDashPattern({2, 2});
    p.setPen(dashed);
    p.drawLine(s.caret, end);
    const QFont font = ui::systemFont(9, QFont::Medium);
    const QString text = wholeNumberText(hud_.offset) + QStringLiteral("px");
    const QFontMetricsF fm(font);
    const QSizeF box(fm.horizontalAdvance(text) + 8, std::max(fm.height(), 12.0) + 4);
    const QPointF c = preview::offsetLabelCentre(s.caret, end, s.config.position, box, {s.sampleBox, placeholderBox(s), *s.hud});
    const QRectF label(c - QPointF(box.width() / 2, box.height() / 2), box);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 26));
    p.drawRoundedRect(label.translated(0, 0.5).adjusted(-0.5, -0.5, 0.5, 0.5), 3.5, 3.5);
    p.setBrush(ui::withAlpha(ui::controlBackgroundColor(), 0.9));
    p.drawRoundedRect(label, 3, 3);
    p.setFont(font);
    p.setPen(ui::secondaryColor());
    p.drawText(label, Qt::AlignCenter, text);
}

PreviewInfoSection::PreviewInfoSection(QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 8, 0, 0);
    row->setSpacing(16);
    const auto column = [row](const QString& title, QLabel* first, QLabel* second) {
        auto* v = new QVBoxLayout;
        v->setSpacing(4);
        v->addWidget(ui::makeLabel(title, ui::systemFont(11, QFont::Medium), ui::primaryColor()));
        v->addWidget(first);
        v->addWidget(second);
        v->addStretch(1);
        row->addLayout(v, 1);
    };
    const auto caption = [](const char* name) {
        auto* l = ui::makeLabel({}, ui::caption2Font(), ui::secondaryColor());
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    shape_ = caption("previewShape");
    size_ = caption("previewSize");
    column(QStringLiteral("Brindot"), shape_, size_);
    auto* divider = new QFrame;
    divider->setFrameShape(QFrame::VLine);
    divider->setFixedHeight(30);
    divider->setStyleSheet(QStringLiteral("color: ") + ui::separatorColor().name(QColor::HexArgb));
    row->addWidget(divider);
    hudState_ = caption("previewHudState");
    hudShape_ = caption("previewHudShape");
    column(QStringLiteral("HUD"), hudState_, hudShape_);
    BrindotStyleManager::shared()
        .currentStylePublisher()
        .sink([this](const BrindotStyle& s) {
            shape_->setText(shapeName(s.shape));
            size_->setText(QStringLiteral("尺寸: ") + wholeNumberText(s.size) + QStringLiteral("px"));
        })
        .store(subscriptions_);
    BrindotHUDManager::shared()
        .configPublisher()
        .sink([this](const BrindotHUDConfig& c) { showHUD(c); })
        .store(subscriptions_);
}

void PreviewInfoSection::showHUD(const BrindotHUDConfig& c)
{
    hudState_->setText(c.isEnabled ? QStringLiteral("已启用") : QStringLiteral("已禁用"));
    ui::setLabelColor(hudState_, c.isEnabled ? ui::systemGreen() : ui::secondaryColor());
    hudShape_->setText(hudShapeLabel(c.shape));
    hudShape_->setVisible(c.isEnabled);
}

GlobalPreviewSection::GlobalPreviewSection(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("GlobalPreviewSection"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(12, 12, 12, 12);
    v->setSpacing(16);
    v->addWidget(new BrindotGlobalPreview, 0, Qt::AlignHCenter);
    v->addWidget(new PreviewInfoSection);
}

void GlobalPreviewSection::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(ui::withAlpha(ui::primaryColor(), 0.08), 1));
    p.setBrush(ui::withAlpha(ui::controlBackgroundColor(), 0.3));
    p.drawRoundedRect(r, 8, 8);
    // The picture's own frame.
    for (auto* child : findChildren<BrindotGlobalPreview*>()) {
        const QRectF g = QRectF(child->geometry()).adjusted(-0.5, -0.5, 0.5, 0.5);
        p.setPen(QPen(ui::withAlpha(ui::primaryColor(), 0.1), 1));
        p.setBrush(ui::withAlpha(ui::controlBackgroundColor(), 0.3));
        p.drawRoundedRect(g, 12, 12);
    }
}

}  // namespace zorbel
