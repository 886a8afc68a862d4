#include "Settings/Widgets/SegmentedPicker.h"

#include "Settings/Widgets/SelectableButton.h"
#include "Settings/Widgets/SettingsText.h"

#include <QHBoxLayout>
#include <QPainter>

namespace zorbel::ui {

namespace {

constexpr double kRadius = 6;

class Segment : public SelectableButton {
public:
    Segment(const QString& label, QWidget* parent) : SelectableButton(Kind::choice, parent)
    {
        setText(label);
        setFont(systemFont(13));
    }
    QSize sizeHint() const override
    {
        // CJK glyphs come from a fallback face taller than the Latin metrics say.
        return {fontMetrics().horizontalAdvance(text()) + 24, std::max(fontMetrics().height(), 15) + 8};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        if (isSelected()) {
            const QRectF r = QRectF(rect()).adjusted(2, 2, -2, -2);
            p.setPen(QPen(withAlpha(Qt::black, 0.08), 0.5));
            p.setBrush(Qt::white);
            p.drawRoundedRect(r, kRadius - 2, kRadius - 2);
        }
        p.setPen(primaryColor());
        p.drawText(rect(), Qt::AlignCenter, text());
    }
};

}  // namespace

SegmentedPicker::SegmentedPicker(const QStringList& labels, const QStringList& names, QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (int i = 0; i < labels.size(); ++i) {
        auto* s = new Segment(labels[i], this);
        s->setObjectName(names.value(i));
        segments_.push_back(s);
        row->addWidget(s);
    }
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SegmentedPicker::setSelectedIndex(int index)
{
    selected_ = index;
    for (size_t i = 0; i < segments_.size(); ++i) static_cast<Segment*>(segments_[i])->setSelected(int(i) == index);
    update();
}

void SegmentedPicker::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(primaryColor(), 0.08));
    p.drawRoundedRect(QRectF(rect()), kRadius, kRadius);
    // Hairlines between segments that are not beside the selected one.
    p.setPen(QPen(withAlpha(primaryColor(), 0.15), 1));
    for (size_t i = 1; i < segments_.size(); ++i) {
        if (int(i) == selected_ || int(i) - 1 == selected_) continue;
        const double x = segments_[i]->geometry().left() + 0.5;
        p.drawLine(QPointF(x, 6), QPointF(x, height() - 6));
    }
}

}  // namespace zorbel::ui
