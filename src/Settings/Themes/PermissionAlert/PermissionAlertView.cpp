#include "Settings/Themes/PermissionAlert/PermissionAlertView.h"

#include "Settings/Themes/LiquidGlass/GlassPainting.h"
#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QVBoxLayout>

namespace zorbel {

using glass::white;

namespace {

constexpr double kCardRadius = 16;
const char* kShield = "exclamationmark.shield.fill";

QColor cyan() { return QColor(0x32, 0xAD, 0xE6); }

QLinearGradient diagonal(const QRectF& r, std::initializer_list<QColor> colors)
{
    QLinearGradient g(r.topLeft(), r.bottomRight());
    const int n = static_cast<int>(colors.size());
    int i = 0;
    for (const auto& c : colors) g.setColorAt(double(i++) / (n - 1), c);
    return g;
}

// The translucent white tile of the glass look, with its light from the
// top-left corner. A card also gets a smoked pane below, standing in for the
// blur that would keep its white text readable over the window.
void paintGlassTile(QPainter& p, const QRectF& r, double radius, bool cornerLight)
{
    const QPainterPath shape = glass::roundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius);
    // All but opaque: it stands in for the blur that would wash out the window
    // behind, whose text would otherwise show through the card's own.
    if (cornerLight) p.fillPath(shape, QColor(34, 38, 48, 250));
    p.fillPath(shape, diagonal(r, {white(0.25), white(0.1), white(0)}));
    p.strokePath(shape, QPen(QBrush(diagonal(r, {white(0.6), white(0.2), white(0.1)})), 1));
    if (!cornerLight) return;
    QRadialGradient light(r.topLeft(), 100);
    light.setColorAt(0, white(0.3));
    light.setColorAt(1, white(0));
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Overlay);
    p.fillPath(shape, light);
    p.restore();
}

class PromptButton final : public QAbstractButton {
public:
    PromptButton(const QString& text, bool primary, bool glass, QWidget* parent)
        : QAbstractButton(parent), primary_(primary), glass_(glass)
    {
        setText(text);
        setFont(ui::systemFont(13, primary ? QFont::DemiBold : QFont::Medium));
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override { return {fontMetrics().horizontalAdvance(text()) + 24, fontMetrics().height() + 24}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = rect();
        const QPainterPath shape = glass::roundedRect(r, 8);
        if (primary_ && glass_)
            p.fillPath(shape, diagonal(r, {glass::faded(cyan(), 0.8), glass::faded(ui::systemBlue(), 0.6)}));
        else if (primary_) {
            QLinearGradient g(r.topLeft(), r.bottomLeft());
            g.setColorAt(0, ui::systemBlue());
            g.setColorAt(1, glass::faded(ui::systemBlue(), 0.8));
            p.fillPath(shape, g);
        } else {
            p.fillPath(shape, glass_ ? white(0.1) : glass::faded(palette().color(QPalette::Button), 0.5));
        }
        if (isDown()) p.fillPath(shape, QColor(0, 0, 0, 30));
        QColor textColor = primary_ ? QColor(Qt::white) : glass_ ? white(0.8) : ui::secondaryColor();
        p.setPen(textColor);
        p.drawText(r, Qt::AlignCenter, text());
    }

private:
    bool primary_;
    bool glass_;
};

// The card: keeps clicks on it from reaching the backdrop.
class PromptCard final : public QWidget {
public:
    PromptCard(bool glass, QWidget* parent) : QWidget(parent), glass_(glass) {}

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter p(this);
        background_.draw(p, *this, event->region(), [this](QPainter& ip, const QRectF& r) {
            if (glass_)
                paintGlassTile(ip, r, kCardRadius, true);
            else
                ip.fillPath(glass::roundedRect(r, kCardRadius), ui::controlBackgroundColor());
        });
    }
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }
    void mouseReleaseEvent(QMouseEvent* e) override { e->accept(); }

private:
    bool glass_;
    glass::CachedPainting background_;
};

class ShieldIcon final : public QWidget {
public:
    explicit ShieldIcon(bool glass, QWidget* parent) : QWidget(parent), glass_(glass)
    {
        setFixedSize(glass ? QSize(64, 64) : QSize(56, 56));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const int symbol = glass_ ? 32 : 48;
        if (glass_) paintGlassTile(p, rect(), 24, false);
        const QPixmap pm =
            ui::symbolPixmap(QString::fromLatin1(kShield), symbol, glass_ ? QColor(Qt::white) : ui::systemOrange(),
                             devicePixelRatioF());
        const QRectF target(QPointF((width() - symbol) / 2.0, (height() - symbol) / 2.0), QSizeF(symbol, symbol));
        p.drawPixmap(target, pm, QRectF(pm.rect()));
    }

private:
    bool glass_;
};

QLabel* centredLabel(const QString& text, const QFont& font, const QColor& color)
{
    QLabel* label = ui::makeLabel(text, font, color);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

}  // namespace

PermissionAlertView::PermissionAlertView(UIStyle theme, std::function<void()> onOpenSettings,
                                         std::function<void()> onCancel, QWidget* parent)
    : QWidget(parent), theme_(theme), onOpenSettings_(std::move(onOpenSettings)), onCancel_(std::move(onCancel))
{
    setObjectName(QStringLiteral("PermissionAlertView"));
    const bool glass = isGlassLook();
    card_ = new PromptCard(glass, this);
    auto* column = new QVBoxLayout(card_);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(20);

    auto* header = new QVBoxLayout;
    header->setSpacing(12);
    header->addWidget(new ShieldIcon(glass, card_), 0, Qt::AlignHCenter);
    header->addWidget(centredLabel(QStringLiteral("需要辅助功能权限"), ui::title2Font(),
                                   glass ? QColor(Qt::white) : ui::primaryColor()));
    column->addLayout(header);

    QLabel* message = centredLabel(
        QStringLiteral("<div style=\"line-height:130%\">Brindot 需要辅助功能权限来跟踪文本光标位置。<br><br>"
                       "请在系统设置中允许此权限，以便 Brindot 能够正常工作。</div>"),
        ui::systemFont(13), glass ? white(0.9) : ui::secondaryColor());
    message->setTextFormat(Qt::RichText);
    column->addWidget(message);
    openFailure_ = centredLabel({}, ui::systemFont(12), glass ? QColor(255, 200, 190) : ui::systemRed());
    openFailure_->setObjectName(QStringLiteral("promptOpenFailure"));
    openFailure_->hide();
    column->addWidget(openFailure_);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    laterButton_ = new PromptButton(QStringLiteral("稍后设置"), false, glass, card_);
    openButton_ = new PromptButton(QStringLiteral("打开系统设置"), true, glass, card_);
    buttons->addWidget(laterButton_, 1);
    buttons->addWidget(openButton_, 1);
    column->addLayout(buttons);

    connect(laterButton_, &QAbstractButton::clicked, this, [this]() {
        if (onCancel_) onCancel_();
    });
    connect(openButton_, &QAbstractButton::clicked, this, [this]() {
        if (onOpenSettings_) onOpenSettings_();
    });
}

void PermissionAlertView::showOpenFailure(const QString& text)
{
    openFailure_->setText(text);
    openFailure_->show();
    placeCard();
}

void PermissionAlertView::placeCard()
{
    const int width = std::max(0, this->width() - 2 * sideMargin);
    const int height = card_->layout()->hasHeightForWidth() ? card_->layout()->heightForWidth(width)
                                                             : card_->sizeHint().height();
    card_->setGeometry(sideMargin, (this->height() - height) / 2, width, height);
    // The card's shadow is drawn here, around wherever the card now lies.
    update();
}

void PermissionAlertView::resizeEvent(QResizeEvent*) { placeCard(); }

void PermissionAlertView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor::fromRgbF(0, 0, 0, 0.3f));
    glass::paintSoftShadow(p, QRectF(card_->geometry()), kCardRadius, 20, QPointF(0, 10),
                           QColor::fromRgbF(0, 0, 0, isGlassLook() ? 0.3f : 0.1f));
}

void PermissionAlertView::mouseReleaseEvent(QMouseEvent* event)
{
    // A click on the dimmed backdrop puts the question off, as "稍后设置" does.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onCancel_) onCancel_();
}

}  // namespace zorbel
