#include "Settings/BasicSettingsContent.h"

#include "BrindotHUD/BrindotHUDManager.h"
#include "Caret/Managers/BrindotManager.h"
#include "Caret/Styles/BrindotStyleManager.h"
#include "Platform/Console.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Scheduler.h"
#include "Platform/Services.h"
#include "Settings/MasterSwitch.h"
#include "Settings/NumberText.h"
#include "Settings/Widgets/Controls.h"
#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace zorbel {

namespace {
QWidget* stack(std::initializer_list<QWidget*> items, int spacing, Qt::Alignment align = Qt::AlignLeft)
{
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(spacing);
    for (auto* i : items) v->addWidget(i, 0, align);
    return w;
}
}  // namespace

ToggleSection::ToggleSection(QWidget* parent) : SettingsSectionCard(QStringLiteral("主要控制"), parent)
{
    switch_ = new ui::SwitchToggle(QStringLiteral("启用 Brindot"), this);
    switch_->setObjectName(QStringLiteral("masterSwitch"));
    auto* row = new QHBoxLayout;
    row->addWidget(toggleLabel(), 1);
    row->addWidget(switch_);
    body()->addLayout(row);
    // The switch is stored before its change is announced, so whoever hears
    // the announcement reads the stored value.
    connect(switch_, &QAbstractButton::clicked, this, [this](bool on) {
        flipping_ = true;
        masterSwitch::set(on);
        flipping_ = false;
        postToggleChanged(on);
    });
    // A change made elsewhere (the tray menu) is announced too, once its
    // setter has stored it: one turn later. The value found when the page
    // opens is not announced.
    subscription_ = masterSwitch::publisher().sink([this](bool on) {
        const bool changed = haveValue_ && on != shown_;
        haveValue_ = true;
        shown_ = on;
        const QSignalBlocker block(switch_);
        switch_->setChecked(on);
        if (changed && !flipping_)
            platform::scheduler().post([page = QPointer<ToggleSection>(this), on] {
                if (page) postToggleChanged(on);
            });
    });
}

QWidget* ToggleSection::toggleLabel()
{
    return stack({ui::makeLabel(QStringLiteral("启用 Brindot"), ui::rowLabelFont(), ui::primaryColor()),
                  ui::makeLabel(QStringLiteral("开启后Brindot将开始跟踪系统光标"), ui::captionFont(),
                                ui::secondaryColor())},
                 4);
}

void ToggleSection::postToggleChanged(bool enabled)
{
    platform::notificationCenter().post(QString::fromLatin1(BrindotManager::toggleNotification), QVariant(enabled));
}

namespace {
class Dot : public QWidget {
public:
    Dot() { setFixedSize(8, 8); }
    void setColor(const QColor& c)
    {
        color_ = c;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(color_);
        p.drawEllipse(QRectF(0, 0, 8, 8));
    }

private:
    QColor color_;
};
}  // namespace

StatusSection::StatusSection(QWidget* parent) : SettingsSectionCard(QStringLiteral("当前状态"), parent)
{
    auto* dot = new Dot;
    dot_ = dot;
    word_ = ui::makeLabel({}, ui::captionFont(), ui::secondaryColor());
    word_->setObjectName(QStringLiteral("visibilityWord"));
    auto* state = new QWidget;
    auto* sr = new QHBoxLayout(state);
    sr->setContentsMargins(0, 0, 0, 0);
    sr->setSpacing(6);
    sr->addWidget(dot);
    sr->addWidget(word_);
    position_ = ui::makeLabel({}, ui::monospacedDigits(ui::captionFont()), ui::secondaryColor());
    position_->setObjectName(QStringLiteral("positionText"));
    auto* row = new QHBoxLayout;
    row->setSpacing(16);
    row->addWidget(stack({ui::makeLabel(QStringLiteral("显示状态"), ui::rowLabelFont(), ui::primaryColor()), state}, 4));
    row->addStretch(1);
    row->addWidget(stack({ui::makeLabel(QStringLiteral("当前位置"), ui::rowLabelFont(), ui::primaryColor()), position_},
                         4, Qt::AlignRight));
    body()->addLayout(row);
    auto& manager = BrindotManager::shared();
    manager.isVisiblePublisher()
        .sink([this, dot](bool visible) {
            dot->setColor(visible ? ui::systemGreen() : ui::systemOrange());
            word_->setText(visible ? QStringLiteral("显示中") : QStringLiteral("隐藏中"));
        })
        .store(subscriptions_);
    manager.currentPositionPublisher()
        .sink([this](const QPointF& p) { position_->setText(positionText(p)); })
        .store(subscriptions_);
}

QString StatusSection::positionText(const QPointF& p)
{
    return QLatin1Char('(') + wholeNumberText(p.x()) + QStringLiteral(", ") + wholeNumberText(p.y()) +
           QLatin1Char(')');
}

InstructionsSection::InstructionsSection(QWidget* parent) : SettingsSectionCard(QStringLiteral("使用说明"), parent)
{
    auto* v = new QVBoxLayout;
    v->setSpacing(8);
    for (const char* text : {"点击状态栏图标可以快速开启/关闭 Brindot", "Brindot 会跟随鼠标点击位置显示",
                             "支持在文本输入框中自动检测光标位置", "需要授予辅助功能权限才能正常工作"}) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        row->addWidget(ui::makeLabel(QStringLiteral("•"), ui::rowLabelFont(), ui::secondaryColor()), 0, Qt::AlignTop);
        auto* label = ui::makeLabel(QString::fromUtf8(text), ui::captionFont(), ui::secondaryColor());
        label->setWordWrap(true);
        row->addWidget(label, 1);
        v->addLayout(row);
    }
    body()->addLayout(v);
}

namespace {
// The wide gradient button of the reset section.
class ResetButton : public QPushButton {
public:
    ResetButton() : QPushButton(QStringLiteral("恢复默认设置"))
    {
        setObjectName(QStringLiteral("resetButton"));
        setCursor(Qt::PointingHandCursor);
        setFont(ui::systemFont(14, QFont::Medium));
        setMinimumHeight(fontMetrics().height() + 20 + 6);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(2, 0, -2, -6);
        p.setPen(Qt::NoPen);
        p.setBrush(ui::withAlpha(ui::systemBlue(), 0.3));
        p.drawRoundedRect(r.translated(0, 2).adjusted(-1, 0, 1, 2), 9, 9);
        QLinearGradient g(r.topLeft(), r.topRight());
        g.setColorAt(0, ui::withAlpha(ui::systemBlue(), 0.8));
        g.setColorAt(1, ui::withAlpha(QColor(0x32, 0xAD, 0xE6), 0.6));
        p.setBrush(g);
        p.drawRoundedRect(r, 8, 8);
        const QPixmap icon = ui::symbolPixmap(QStringLiteral("arrow.clockwise.circle.fill"), 16, Qt::white,
                                              devicePixelRatioF());
        const int textWidth = fontMetrics().horizontalAdvance(text());
        const double x = r.center().x() - (16 + 8 + textWidth) / 2.0;
        p.drawPixmap(QPointF(x, r.center().y() - 8), icon);
        p.setPen(Qt::white);
        p.setFont(font());
        p.drawText(QRectF(x + 24, r.top(), textWidth + 2, r.height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    }
};
}  // namespace

ResetDefaultSection::ResetDefaultSection(QWidget* parent) : SettingsSectionCard(QStringLiteral("快速设置"), parent)
{
    setStrokeColor(ui::withAlpha(ui::systemBlue(), 0.2));
    auto* hint = new QHBoxLayout;
    hint->setSpacing(8);
    auto* icon = new QLabel;
    icon->setPixmap(ui::symbolPixmap(QStringLiteral("sparkles"), 16, ui::systemBlue(), devicePixelRatioF()));
    hint->addWidget(icon);
    auto* text = ui::makeLabel(QStringLiteral("恢复专业推荐的默认配置，获得最佳体验"), ui::captionFont(),
                               ui::secondaryColor());
    text->setWordWrap(true);
    hint->addWidget(text, 1);
    hint->setContentsMargins(0, 0, 0, 4);
    body()->addLayout(hint);
    auto* button = new ResetButton;
    body()->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this] { askToConfirm(this, confirmation_); });
}

void ResetDefaultSection::askToConfirm(QWidget* owner, QPointer<QMessageBox>& open)
{
    if (open && open->isVisible()) return;
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("恢复默认设置"),
                                QStringLiteral("将恢复所有设置为专业推荐的默认配置，包括Brindot样式和HUD设置。此操作无法撤销。"),
                                QMessageBox::NoButton, owner->window());
    box->setObjectName(QStringLiteral("resetConfirmation"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    auto* cancel = box->addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("resetCancel"));
    auto* confirm = box->addButton(QStringLiteral("确认恢复"), QMessageBox::AcceptRole);
    confirm->setObjectName(QStringLiteral("resetConfirm"));
    box->setDefaultButton(qobject_cast<QPushButton*>(cancel));
    QObject::connect(box, &QMessageBox::buttonClicked, box, [confirm](QAbstractButton* chosen) {
        if (chosen == confirm) resetToDefaults();
    });
    open = box;
    box->open();
}

void ResetDefaultSection::resetToDefaults()
{
    BrindotStyleManager::shared().setUserStyle(BrindotStyle::defaultStyle());
    BrindotHUDManager::shared().setConfig(BrindotHUDConfig::defaultConfig());
    print(QStringLiteral("[ResetDefaultSection] 已恢复默认设置"));
}

BasicSettingsContent::BasicSettingsContent(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("BasicSettingsContent"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(12);
    v->addWidget(new ToggleSection);
    v->addWidget(new StatusSection);
    v->addWidget(new InstructionsSection);
    v->addWidget(new ResetDefaultSection);
}

}  // namespace zorbel
