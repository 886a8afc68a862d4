#include "Settings/Advanced/FeedbackView.h"

#include "Platform/Console.h"
#include "Platform/Scheduler.h"
#include "Platform/Services.h"
#include "Platform/Workspace.h"
#include "Settings/Advanced/DiagnosticLog.h"
#include "Settings/Widgets/ButtonStyles.h"
#include "Settings/Widgets/Panels.h"
#include "Settings/Widgets/SettingsText.h"
#include "Settings/Widgets/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <memory>
#include <optional>

namespace zorbel {

namespace {

QWidget* header(QDialog* sheet)
{
    auto* w = new QWidget;
    auto* row = new QHBoxLayout(w);
    row->setContentsMargins(20, 20, 20, 0);
    row->addWidget(ui::makeLabel(QStringLiteral("发送问题反馈"), ui::systemFont(17, QFont::Bold), ui::primaryColor()));
    row->addStretch(1);
    auto* close = new QToolButton;
    close->setObjectName(QStringLiteral("feedbackClose"));
    close->setAccessibleName(QStringLiteral("关闭"));
    close->setAutoRaise(true);
    close->setCursor(Qt::PointingHandCursor);
    close->setIcon(QIcon(ui::symbolPixmap(QStringLiteral("xmark.circle.fill"), 20, ui::secondaryColor(), 2.0)));
    close->setIconSize(QSize(20, 20));
    QObject::connect(close, &QToolButton::clicked, sheet, &QDialog::reject);
    row->addWidget(close);
    return w;
}

QWidget* privacyNote()
{
    auto* outer = new QWidget;
    auto* ov = new QHBoxLayout(outer);
    ov->setContentsMargins(20, 0, 20, 0);
    auto* note = new ui::RoundedPanel(ui::withAlpha(ui::systemBlue(), 0.1), 8);
    auto* row = new QHBoxLayout(note);
    row->setContentsMargins(20, 10, 20, 10);
    row->setSpacing(8);
    auto* icon = new QLabel;
    icon->setPixmap(ui::symbolPixmap(QStringLiteral("info.circle.fill"), 14, ui::systemBlue(), 2.0));
    row->addWidget(icon);
    auto* text = ui::makeLabel(QStringLiteral("本日志仅包含应用运行信息，不涉及任何用户个人信息或输入内容"),
                               ui::captionFont(), ui::secondaryColor());
    text->setWordWrap(true);
    row->addWidget(text, 1);
    ov->addWidget(note);
    return outer;
}

QWidget* preview(const QString& logContent)
{
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(20, 0, 20, 0);
    v->setSpacing(8);
    v->addWidget(ui::makeLabel(QStringLiteral("日志内容预览"), ui::headlineFont(), ui::primaryColor()));
    auto* box = new ui::RoundedPanel(ui::textBackgroundColor(), 6, ui::withAlpha(ui::primaryColor(), 0.2));
    auto* bv = new QVBoxLayout(box);
    bv->setContentsMargins(1, 1, 1, 1);
    auto* text = new QPlainTextEdit(logContent);
    text->setObjectName(QStringLiteral("logPreview"));
    text->setAccessibleName(QStringLiteral("日志内容预览"));
    text->setReadOnly(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setFrameShape(QFrame::NoFrame);
    text->viewport()->setAutoFillBackground(false);
    text->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
    text->document()->setDocumentMargin(11);
    QFont mono(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(11);
    text->setFont(mono);
    bv->addWidget(text);
    box->setMaximumHeight(300);
    v->addWidget(box, 1);
    return w;
}

}  // namespace

FeedbackView::FeedbackView(QString logContent, QWidget* parent) : QDialog(parent), logContent_(std::move(logContent))
{
    setObjectName(QStringLiteral("FeedbackView"));
    setWindowTitle(QStringLiteral("发送问题反馈"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
    setFixedSize(600, 550);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 20);
    v->setSpacing(20);
    v->addWidget(header(this));
    v->addWidget(privacyNote());
    v->addWidget(preview(logContent_), 1);
    failure_ = ui::makeLabel({}, ui::captionFont(), ui::systemRed());
    failure_->setObjectName(QStringLiteral("feedbackFailure"));
    failure_->setWordWrap(true);
    failure_->setContentsMargins(20, 0, 20, 0);
    failure_->hide();
    v->addWidget(failure_);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(20, 0, 20, 0);
    buttons->setSpacing(12);
    auto* cancel = ui::makeButton(QStringLiteral("取消"), ui::ButtonKind::bordered, ui::ControlSize::large);
    cancel->setObjectName(QStringLiteral("feedbackCancel"));
    auto* send = ui::makeButton(QStringLiteral("确认发送"), ui::ButtonKind::prominent, ui::ControlSize::large);
    send->setObjectName(QStringLiteral("feedbackSend"));
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(send);
    buttons->addStretch(1);
    v->addLayout(buttons);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(send, &QPushButton::clicked, this, [this] { sendFeedback(); });
}

void FeedbackView::sendFeedback()
{
    const auto saved = diagnostics::saveFeedbackFile(logContent_, diagnostics::unixTimeNow());
    if (saved.status == diagnostics::FeedbackResult::Status::fileNotWritten) {
        // The sheet stays, saying why, so the user can copy the text instead.
        failure_->setText(QStringLiteral("日志文件未能保存，邮件没有打开: ") + saved.error);
        failure_->show();
        return;
    }
    // The notice comes a second after the send, or once the desktop has
    // answered whether a mail program took the link, whichever is later. A
    // mail program that fails after the notice said it opened replaces that
    // notice with the failure.
    struct Pending {
        std::optional<diagnostics::FeedbackResult> answer;
        bool due = false;
        QPointer<QWidget> shown;
    };
    auto pending = std::make_shared<Pending>();
    const auto show = [pending] {
        if (pending->shown) pending->shown->close();
        pending->shown = showMailOpenedAlert(*pending->answer);
    };
    diagnostics::openFeedbackMail(saved, [pending, show](const diagnostics::FeedbackResult& result) {
        pending->answer = result;
        if (pending->due) show();
    });
    platform::scheduler().after(1.0, [pending, show] {
        pending->due = true;
        if (pending->answer) show();
    });
    accept();
}

QWidget* FeedbackView::showMailOpenedAlert(const diagnostics::FeedbackResult& result)
{
    const auto notice = diagnostics::feedbackNotice(result);
    auto* box = new QMessageBox(notice.isWarning ? QMessageBox::Warning : QMessageBox::Information,
                                QStringLiteral("Zorbel"), notice.title);
    box->setObjectName(QStringLiteral("feedbackNotice"));
    box->setInformativeText(notice.text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    auto* ok = box->addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    auto* reveal = box->addButton(QStringLiteral("打开文件位置"), QMessageBox::ActionRole);
    reveal->setObjectName(QStringLiteral("revealFile"));
    box->setDefaultButton(ok);
    // Escape and the title bar's close button mean "确定"; without an escape
    // button the box would refuse every close.
    box->setEscapeButton(ok);
    const QString folder = result.folderPath;
    QObject::connect(box, &QMessageBox::buttonClicked, [reveal, folder](QAbstractButton* chosen) {
        if (chosen != reveal) return;
        platform::workspace().openURLThen(QUrl::fromLocalFile(folder).toString(), [folder](bool taken) {
            if (taken) return;
            print(QStringLiteral("[FeedbackView] 无法打开文件位置: ") + folder);
            auto* failure = new QMessageBox(QMessageBox::Warning, QStringLiteral("Zorbel"),
                                            QStringLiteral("无法打开文件位置"));
            failure->setObjectName(QStringLiteral("revealFailure"));
            failure->setInformativeText(QStringLiteral("没有程序能打开此文件夹，请在文件管理器中前往:\n") + folder);
            failure->setAttribute(Qt::WA_DeleteOnClose);
            failure->open();
        });
    });
    box->open();
    return box;
}

}  // namespace zorbel
