#include "Settings/UnifiedTabLayout.h"

#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace zorbel {

UnifiedTabButton::UnifiedTabButton(const UnifiedTab& tab, QWidget* parent)
    : SelectableButton(Kind::tab, parent), tab_(tab)
{
    setObjectName(QStringLiteral("tab.") + tab.id);
    setText(tab.title);
    setFont(ui::systemFont(13, QFont::Medium));
}

QSize UnifiedTabButton::sizeHint() const
{
    return QSize(124, std::max(fontMetrics().height(), 18) + 20);
}

void UnifiedTabButton::enterEvent(QEnterEvent*)
{
    hovered_ = true;
    update();
}

void UnifiedTabButton::leaveEvent(QEvent*)
{
    hovered_ = false;
    update();
}

void UnifiedTabButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect());
    const bool selected = isSelected();
    if (selected || hovered_) {
        p.setPen(Qt::NoPen);
        p.setBrush(selected ? tab_.color : ui::withAlpha(ui::primaryColor(), 0.08));
        p.drawRoundedRect(r, 8, 8);
    }
    const QColor iconColor = selected ? Qt::white : (hovered_ ? tab_.color : ui::primaryColor());
    const QColor titleColor = selected ? Qt::white : ui::primaryColor();
    const int iconTop = (height() - 18) / 2;
    p.drawPixmap(12, iconTop + 2, ui::symbolPixmap(tab_.icon, 14, iconColor, devicePixelRatioF()));
    p.setPen(titleColor);
    p.setFont(font());
    p.drawText(QRectF(12 + 18 + 10, 0, width() - 40 - 12, height()), Qt::AlignVCenter | Qt::AlignLeft, tab_.title);
}

namespace {
// The faint vertical line between the tab column and the page.
class GlassSeparator : public QWidget {
public:
    GlassSeparator() { setFixedWidth(1); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        QLinearGradient g(0, 0, 0, height());
        const QColor w = ui::separatorColor();
        g.setColorAt(0, Qt::transparent);
        g.setColorAt(0.25, ui::withAlpha(w, 1.5));
        g.setColorAt(0.5, ui::withAlpha(w, 3.0));
        g.setColorAt(0.75, ui::withAlpha(w, 1.5));
        g.setColorAt(1, Qt::transparent);
        p.fillRect(rect(), g);
    }
};
}  // namespace

UnifiedTabLayout::UnifiedTabLayout(std::vector<UnifiedTab> tabs, const UnifiedTab& selected, Content content,
                                   QWidget* parent)
    : QWidget(parent), tabs_(std::move(tabs)), selected_(selected), content_(std::move(content))
{
    setMinimumHeight(400);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    auto* column = new QWidget(this);
    column->setObjectName(QStringLiteral("tabColumn"));
    column->setFixedWidth(140 + 16);
    auto* list = new QVBoxLayout(column);
    list->setContentsMargins(8, 8, 8, 8);
    list->setSpacing(2);
    for (const auto& tab : tabs_) {
        auto* button = new UnifiedTabButton(tab, column);
        connect(button, &QAbstractButton::clicked, this, [this, tab] { selectTab(tab); });
        buttons_.push_back(button);
        list->addWidget(button);
    }
    list->addStretch(1);
    row->addWidget(column);
    row->addWidget(new GlassSeparator);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("pageScroll"));
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->viewport()->setAutoFillBackground(false);
    row->addWidget(scroll_, 1);
    showPage();
}

void UnifiedTabLayout::selectTab(const UnifiedTab& tab)
{
    selected_ = tab;
    showPage();
}

void UnifiedTabLayout::showPage()
{
    for (auto* b : buttons_) b->setSelected(b->tab().id == selected_.id);
    // The page area a screen reader enters is named by its tab.
    scroll_->setAccessibleName(selected_.title);
    auto* holder = new QWidget;
    holder->setAutoFillBackground(false);
    auto* v = new QVBoxLayout(holder);
    v->setContentsMargins(20, 20, 20, 20);
    page_ = content_(selected_);
    v->addWidget(page_);
    v->addStretch(1);
    // The old page may be the sender of this very click: let it go later.
    if (QWidget* old = scroll_->takeWidget()) old->deleteLater();
    scroll_->setWidget(holder);
}

}  // namespace zorbel
