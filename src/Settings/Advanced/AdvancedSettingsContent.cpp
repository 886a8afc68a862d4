#include "Settings/Advanced/AdvancedSettingsContent.h"

#include "Caret/Managers/PermissionManager.h"
#include "Platform/Accessibility.h"
#include "Platform/Services.h"
#include "Settings/Advanced/DiagnosticLog.h"
#include "Settings/Advanced/FeedbackView.h"
#include "Settings/Widgets/ButtonStyles.h"
#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"
#include "Shell/BundleVersionProvider.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace zorbel {

QString currentLogText()
{
    return diagnostics::buildLogText(diagnostics::currentFacts(appVersionProvider().version()));
}

PermissionItem::PermissionItem(const QString& title, const QString& description, QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("permissionItem"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(12);
    icon_ = new QLabel;
    icon_->setObjectName(QStringLiteral("permissionIcon"));
    row->addWidget(icon_);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(ui::makeLabel(title, ui::rowLabelFont(), ui::primaryColor()));
    texts->addWidget(ui::makeLabel(description, ui::captionFont(), ui::secondaryColor()));
    row->addLayout(texts);
    row->addStretch(1);
    grant_ = ui::makeButton(QStringLiteral("授权"), ui::ButtonKind::bordered, ui::ControlSize::small);
    grant_->setObjectName(QStringLiteral("grantButton"));
    row->addWidget(grant_);
    setGranted(false);
}

void PermissionItem::setGranted(bool granted)
{
    granted_ = granted;
    icon_->setPixmap(ui::symbolPixmap(granted ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("xmark.circle.fill"),
                                      20, granted ? ui::systemGreen() : ui::systemRed(), devicePixelRatioF()));
    icon_->setProperty("granted", granted);
    grant_->setVisible(!granted);
    update();
}

void PermissionItem::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor tint = granted_ ? ui::systemGreen() : ui::systemRed();
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setBrush(ui::withAlpha(tint, 0.05));
    p.setPen(QPen(ui::withAlpha(tint, 0.2), 1));
    p.drawRoundedRect(r, 4, 4);
}

PermissionSection::PermissionSection(QWidget* parent) : SettingsSectionCard(QStringLiteral("权限管理"), parent)
{
    setObjectName(QStringLiteral("PermissionSection"));
    item_ = new PermissionItem(QStringLiteral("辅助功能权限"), QStringLiteral("检测光标位置，必须授权"));
    body()->addWidget(item_);
    openFailure_ = ui::makeLabel({}, ui::captionFont(), ui::systemRed());
    openFailure_->setObjectName(QStringLiteral("openSettingsFailure"));
    openFailure_->setWordWrap(true);
    openFailure_->hide();
    body()->addWidget(openFailure_);
    auto* check = ui::makeButton(QStringLiteral("检查权限"), ui::ButtonKind::prominent, ui::ControlSize::small);
    check->setObjectName(QStringLiteral("checkPermissionButton"));
    body()->addWidget(check, 0, Qt::AlignLeft);
    connect(item_->grantButton(), &QPushButton::clicked, this, [this] { openAccessibilitySettings(); });
    connect(check, &QPushButton::clicked, this, [this] { checkAccessibilityPermission(); });
}

void PermissionSection::checkAccessibilityPermission()
{
    accessibilityGranted_ = platform::accessibility().isProcessTrusted(false);
    item_->setGranted(accessibilityGranted_);
}

bool PermissionSection::openAccessibilitySettings()
{
    const bool opened = PermissionManager::shared().openAccessibilitySettings();
    openFailure_->setText(noSettingsText());
    openFailure_->setVisible(!opened);
    return opened;
}

QString PermissionSection::noSettingsText(bool withCheckButton)
{
    return QStringLiteral("此桌面没有可以打开的辅助功能设置。请开启桌面的辅助技术（GNOME："
                          "gsettings set org.gnome.desktop.interface toolkit-accessibility true），"
                          "并确认辅助功能总线（at-spi2-core）正在运行") +
           (withCheckButton ? QStringLiteral("，然后点击“检查权限”。") : QStringLiteral("。"));
}

void PermissionSection::showEvent(QShowEvent* event)
{
    SettingsSectionCard::showEvent(event);
    checkAccessibilityPermission();
}

DebugSection::DebugSection(QWidget* parent) : SettingsSectionCard(QStringLiteral("日志与反馈"), parent)
{
    setObjectName(QStringLiteral("DebugSection"));
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    auto* exportButton = ui::makeButton(QStringLiteral("导出日志"), ui::ButtonKind::bordered, ui::ControlSize::small);
    exportButton->setObjectName(QStringLiteral("exportLogsButton"));
    auto* feedback = ui::makeButton(QStringLiteral("发送反馈"), ui::ButtonKind::prominent, ui::ControlSize::small);
    feedback->setObjectName(QStringLiteral("sendFeedbackButton"));
    row->addWidget(exportButton);
    row->addWidget(feedback);
    row->addStretch(1);
    body()->addLayout(row);
    connect(exportButton, &QPushButton::clicked, this, [this] { exportLogs(); });
    connect(feedback, &QPushButton::clicked, this, [this] { showFeedback(); });
}

void DebugSection::exportLogs()
{
    logContent_ = currentLogText();
    runExportPanel(logContent_);
}

QWidget* DebugSection::runExportPanel(const QString& logContent)
{
    auto* panel = new QFileDialog(nullptr, QStringLiteral("选择日志保存位置"));
    panel->setObjectName(QStringLiteral("exportLogsPanel"));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    // Qt's own panel: the same on every desktop, and never a portal that
    // may not answer.
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setAcceptMode(QFileDialog::AcceptSave);
    panel->setFileMode(QFileDialog::AnyFile);
    panel->setNameFilter(QStringLiteral("纯文本 (*.txt)"));
    panel->setDefaultSuffix(QStringLiteral("txt"));
    // Where the user keeps files and can find this one again: never the
    // program's hidden cache folder.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    panel->setDirectory(!documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath());
    panel->selectFile(diagnostics::exportFileName(diagnostics::unixTimeNow()));
    QObject::connect(panel, &QFileDialog::fileSelected, [logContent](const QString& path) {
        if (path.isEmpty()) return;
        const auto failure = diagnostics::exportLog(path, logContent);
        // Either way the user is told where the file is, or why it is not.
        auto* box = failure ? new QMessageBox(QMessageBox::Warning, QStringLiteral("导出日志失败"),
                                              QStringLiteral("日志未能写入 %1\n\n%2").arg(path, *failure))
                            : new QMessageBox(QMessageBox::Information, QStringLiteral("日志已导出"),
                                              QStringLiteral("日志已导出到:\n%1").arg(path));
        box->setObjectName(failure ? QStringLiteral("exportFailure") : QStringLiteral("exportDone"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    panel->open();
    return panel;
}

FeedbackView* DebugSection::feedbackView() const { return feedback_.data(); }

void DebugSection::showFeedback()
{
    logContent_ = currentLogText();
    if (feedback_) feedback_->close();
    feedback_ = new FeedbackView(logContent_, window());
    feedback_->open();
}

AboutSection::AboutSection(QWidget* parent) : SettingsSectionCard(QStringLiteral("关于"), parent)
{
    setObjectName(QStringLiteral("AboutSection"));
    auto* v = new QVBoxLayout;
    v->setSpacing(4);
    auto* product = ui::makeLabel(productLine(), ui::rowLabelFont(), ui::primaryColor());
    product->setObjectName(QStringLiteral("productLine"));
    v->addWidget(product);
    v->addWidget(ui::makeLabel(QStringLiteral("智能光标增强工具"), ui::captionFont(), ui::secondaryColor()));
    body()->addLayout(v);
}

QString AboutSection::productLine() { return QStringLiteral("Zorbel v") + appVersionProvider().version(); }

AdvancedSettingsContent::AdvancedSettingsContent(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("AdvancedSettingsContent"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(12);
    v->addWidget(new PermissionSection);
    v->addWidget(new DebugSection);
    v->addWidget(new AboutSection);
}

}  // namespace zorbel
