#include "Settings/Themes/System/SystemStyleLayout.h"

#include "Settings/Themes/SettingsTabPages.h"
#include "Settings/Themes/Shared/WindowFrame.h"
#include "Settings/UnifiedTabLayout.h"
#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"
#include "Shell/TitleBarBadges.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace zorbel {

namespace {
QWidget* runningMark()
{
    auto* w = new QWidget;
    auto* row = new QHBoxLayout(w);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    auto* dot = new QLabel;
    QPixmap pm(8, 8);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(ui::withAlpha(ui::systemGreen(), 0.8));
        p.drawEllipse(QRectF(0, 0, 8, 8));
    }
    dot->setPixmap(pm);
    row->addWidget(dot);
    row->addWidget(ui::makeLabel(QStringLiteral("运行中"), ui::systemFont(11, QFont::Medium), ui::secondaryColor()));
    return w;
}
}  // namespace

SystemTitleBar::SystemTitleBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SystemTitleBar"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(16, 12, 16, 12);
    auto* icon = new QLabel;
    icon->setPixmap(ui::symbolPixmap(QStringLiteral("cursorarrow.click"), 16, ui::systemBlue(), devicePixelRatioF()));
    row->addWidget(icon);
    row->addSpacing(10 - row->spacing());
    auto* names = new QVBoxLayout;
    names->setSpacing(1);
    names->addWidget(ui::makeLabel(QStringLiteral("Zorbel"), ui::systemFont(15, QFont::DemiBold), ui::primaryColor()));
    names->addWidget(ui::makeLabel(QStringLiteral("系统风格"), ui::systemFont(11), ui::secondaryColor()));
    row->addLayout(names);
    row->addStretch(1);
    auto* badges = new QHBoxLayout;
    badges->setSpacing(8);
    for (QWidget* badge : makeTitleBarBadges()) badges->addWidget(badge);
    badges->addWidget(runningMark());
    row->addLayout(badges);
}

void SystemTitleBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(QRectF(0, height() - 0.5, width(), 0.5), ui::separatorColor());
}

SystemStyleLayout::SystemStyleLayout(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SystemStyleLayout"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    tabs_ = new UnifiedTabLayout(UnifiedTab::all(), UnifiedTab::basic(),
                                 [](const UnifiedTab& tab) { return new SystemTabContent(tab); });
    left_ = makeSettingsLeftColumn(new SystemTitleBar, tabs_);
    keepLeftColumnWidth(this, left_);
    row->addWidget(left_);
    auto* divider = new QWidget;
    divider->setFixedWidth(1);
    divider->setObjectName(QStringLiteral("columnDivider"));
    row->addWidget(divider);
    auto* preview = makeLivePreviewColumn();
    preview->setAutoFillBackground(true);
    QPalette pal = preview->palette();
    pal.setColor(QPalette::Window, ui::withAlpha(ui::controlBackgroundColor(), 0.5));
    preview->setPalette(pal);
    row->addWidget(preview, 1);
    frame_ = installWindowFrame(this, row, UIStyle::system);
}

void SystemStyleLayout::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), ui::windowBackgroundColor());
    // The column divider.
    p.fillRect(QRectF(left_->geometry().right() + 1, 0, 1, height()), ui::withAlpha(ui::primaryColor(), 0.1));
}

}  // namespace zorbel
