#include "Settings/GlobalPreviewSection.h"

#include "Caret/Styles/BrindotStyleManager.h"
#include "Caret/Styles/PerfectCaretStyle.h"
#include "Caret/UI/ShapeDrawing.h"
#include "Platform/Scheduler.h"
#include "Platform/Services.h"
#include "Settings/NumberText.h"
#include "Settings/PreviewGeometry.h"
#include "Settings/ShapeSizePositionSections.h"
#include "Settings/Widgets/SettingsText.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace zorbel {

BrindotGlobalPreview::BrindotGlobalPreview(QWidget* parent) : QWidget(parent), animation_(new QVariantAnimation(this))
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
    subscription_ = BrindotStyleManager::shared().currentStylePublisher().sink(
        [this](const BrindotStyle& s) { showStyle(s); });
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

void BrindotGlobalPreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    paintBackground(p);
    paintIndicator(p);
}

void BrindotGlobalPreview::paintBackground(QPainter& p) const
{
    const QSizeF area = size();
    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect()), 12, 12);
    p.save();
    p.setClipPath(clip);
    p.fillRect(rect(), ui::withAlpha(ui::controlBackgroundColor(), 0.2));
    p.restore();
    const QRectF field(area.width() / 2 - 100, area.height() / 2 - 18, 200, 36);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 13));
    p.drawRoundedRect(field.translated(0, 1).adjusted(-1, -1, 1, 1), 7, 7);
    p.setBrush(ui::textBackgroundColor());
    p.setPen(QPen(ui::withAlpha(ui::primaryColor(), 0.15), 1));
    p.drawRoundedRect(field, 6, 6);
    p.setPen(ui::primaryColor());
    p.setFont(ui::systemFont(13));
    const QString placeholder = QStringLiteral("输入文本");
    const QRectF textBox(area.width() / 2 - 60 - 50, area.height() / 2 - 10, 100, 20);
    p.drawText(textBox, Qt::AlignCenter, placeholder);
    const QPointF caret = preview::mockCaret(area);
    p.fillRect(QRectF(caret.x() - 0.75, caret.y() - 8, 1.5, 16), ui::systemBlue());
}

void BrindotGlobalPreview::paintIndicator(QPainter& p) const
{
    if (!haveStyle_) return;
    const QPointF centre = preview::indicatorCentre(size(), style_);
    const double scale = 0.8 + 0.2 * pulse_;
    p.save();
    p.translate(centre);
    p.scale(scale, scale);
    p.setOpacity(0.6 + 0.4 * pulse_);
    // The real indicator's own drawing, without its shadow.
    drawing::drawShape(p, QPointF(0, 0), PerfectCaretStyle(style_));
    p.restore();
}

PreviewInfoSection::PreviewInfoSection(QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 8, 0, 0);
    row->setSpacing(16);
    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(ui::makeLabel(QStringLiteral("Brindot"), ui::systemFont(11, QFont::Medium), ui::primaryColor()));
    shape_ = ui::makeLabel({}, ui::caption2Font(), ui::secondaryColor());
    shape_->setObjectName(QStringLiteral("previewShape"));
    size_ = ui::makeLabel({}, ui::caption2Font(), ui::secondaryColor());
    size_->setObjectName(QStringLiteral("previewSize"));
    left->addWidget(shape_);
    left->addWidget(size_);
    row->addLayout(left, 1);
    subscription_ = BrindotStyleManager::shared().currentStylePublisher().sink([this](const BrindotStyle& s) {
        shape_->setText(shapeName(s.shape));
        size_->setText(QStringLiteral("尺寸: ") + wholeNumberText(s.size) + QStringLiteral("px"));
    });
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
