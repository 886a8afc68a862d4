#include "Settings/Advanced/FeedbackMail.h"

#include "Platform/Console.h"
#include "Platform/Services.h"
#include "Platform/Workspace.h"
#include "Settings/Advanced/DiagnosticLog.h"

#include <QDir>
#include <QUrl>

namespace zorbel::diagnostics {

namespace {
const QString kPrefix = QStringLiteral("[FeedbackView] ");
}

QString percentEncodeQueryPart(const QString& text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); }

QString feedbackMailLink()
{
    const QString subject = QStringLiteral("Zorbel 问题反馈");
    const QString body = QStringLiteral(
        "【请在此处描述您遇到的问题】\n\n\n\n---\n应用日志已作为附件发送\n"
        "注：本日志仅包含应用运行信息，不涉及任何用户个人信息或输入内容");
    return QStringLiteral("mailto:?subject=") + percentEncodeQueryPart(subject) + QStringLiteral("&body=") +
           percentEncodeQueryPart(body);
}

FeedbackResult saveFeedbackFile(const QString& logContent, double secondsSince1970)
{
    FeedbackResult result;
    QString why;
    const auto folder = diagnosticsFolder(&why);
    if (!folder) {
        result.error = why;
        print(kPrefix + QStringLiteral("创建日志文件失败: ") + why);
        return result;
    }
    const QString path = QDir(*folder).filePath(feedbackFileName(secondsSince1970));
    if (auto failure = writeLogFile(path, logContent)) {
        result.error = *failure;
        print(kPrefix + QStringLiteral("创建日志文件失败: ") + *failure);
        return result;
    }
    result.filePath = path;
    result.folderPath = *folder;
    result.status = FeedbackResult::Status::mailNotOpened;
    return result;
}

void openFeedbackMail(FeedbackResult saved, std::function<void(const FeedbackResult&)> answered)
{
    platform::workspace().openURLThen(feedbackMailLink(), [saved, answered = std::move(answered)](bool taken) mutable {
        saved.status = taken ? FeedbackResult::Status::mailOpened : FeedbackResult::Status::mailNotOpened;
        if (!taken) print(kPrefix + QStringLiteral("没有程序接受邮件链接"));
        answered(saved);
    });
}

FeedbackNotice feedbackNotice(const FeedbackResult& result)
{
    const QString saved = QStringLiteral("日志文件已保存到:\n") + result.filePath + QStringLiteral("\n\n");
    switch (result.status) {
    case FeedbackResult::Status::mailOpened:
        return {QStringLiteral("邮件已打开"), saved + QStringLiteral("请手动将此文件作为附件添加到邮件中"), false};
    case FeedbackResult::Status::mailNotOpened:
        return {QStringLiteral("未能打开邮件程序"),
                saved + QStringLiteral("此桌面没有程序接受邮件链接。请用您的邮件程序新建邮件，并将此文件作为附件添加。"),
                true};
    case FeedbackResult::Status::fileNotWritten:
        break;
    }
    return {QStringLiteral("未能保存日志文件"), QStringLiteral("日志文件未能保存: ") + result.error, true};
}

}  // namespace zorbel::diagnostics
