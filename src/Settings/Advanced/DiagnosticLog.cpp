#include "Settings/Advanced/DiagnosticLog.h"

#include "Platform/Accessibility.h"
#include "Platform/Console.h"
#include "Platform/LogSink.h"
#include "Platform/SafeFiles.h"
#include "Platform/Services.h"
#include "Platform/TextForm.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTimeZone>

#include <chrono>

namespace zorbel::diagnostics {

namespace {
constexpr QFileDevice::Permissions kOwnerOnlyFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
}  // namespace

DiagnosticFacts currentFacts(const QString& appVersion)
{
    DiagnosticFacts facts;
    facts.now = QDateTime::currentDateTimeUtc();
    facts.systemVersion = QStringLiteral("%1 (%2 %3)")
                              .arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(), QSysInfo::kernelVersion());
    facts.appVersion = appVersion;
    facts.accessibilityTrusted = platform::accessibility().isProcessTrusted(false);
    facts.logLines = platform::recentLogLines().lines();
    return facts;
}

QString buildLogText(const DiagnosticFacts& facts)
{
    const QString privacy = QStringLiteral("注：本日志仅包含应用运行信息，不涉及任何用户个人信息或输入内容");
    QStringList lines = {
        QStringLiteral("Zorbel 应用日志"),
        QStringLiteral("生成时间: ") +
            facts.now.toTimeZone(QTimeZone::utc()).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
            QStringLiteral(" +0000"),
        QString(),
        QStringLiteral("=== 系统信息 ==="),
        QStringLiteral("系统版本: ") + facts.systemVersion,
        QStringLiteral("应用版本: v") + facts.appVersion,
        QString(),
        QStringLiteral("=== 权限状态 ==="),
        QStringLiteral("辅助功能权限: ") +
            (facts.accessibilityTrusted ? QStringLiteral("✓ 已授权") : QStringLiteral("✗ 未授权")),
        QString(),
        QStringLiteral("=== 应用日志 ==="),
        privacy,
        QString(),
    };
    if (facts.logLines.isEmpty())
        lines << QStringLiteral("（尚无日志）");
    else
        lines << facts.logLines;
    QString text;
    for (const auto& line : lines) text += line + QLatin1Char('\n');
    return text;
}

QString unixTimeText(double secondsSince1970) { return text::number(secondsSince1970); }

double unixTimeNow()
{
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

QString exportFileName(double secondsSince1970)
{
    return QStringLiteral("zorbel-logs-") + unixTimeText(secondsSince1970) + QStringLiteral(".txt");
}

QString feedbackFileName(double secondsSince1970)
{
    return QStringLiteral("zorbel-feedback-") + unixTimeText(secondsSince1970) + QStringLiteral(".txt");
}

std::optional<QString> diagnosticsFolder(QString* error)
{
    auto fail = [error](const QString& why) -> std::optional<QString> {
        if (error) *error = why;
        return std::nullopt;
    };
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty()) return fail(QStringLiteral("没有可用的用户缓存文件夹"));
    const QString path = cache + QStringLiteral("/zorbel/diagnostics");
    if (!QDir().mkpath(path)) return fail(QStringLiteral("无法创建文件夹 %1").arg(path));
    const QFileInfo info(path);
    // A link could lead the files anywhere; a folder we cannot make private
    // is someone else's.
    if (info.isSymLink() || !info.isDir()) return fail(QStringLiteral("%1 不是普通文件夹").arg(path));
    if (!QFile::setPermissions(path, kOwnerOnlyFolder))
        return fail(QStringLiteral("无法把文件夹 %1 设为仅本人可读写").arg(path));
    if (error) error->clear();
    return info.absoluteFilePath();
}

std::optional<QString> writeLogFile(const QString& path, const QString& text)
{
    return platform::files::createNewFile(path, text.toUtf8(), 0600);
}

std::optional<QString> exportLog(const QString& path, const QString& text)
{
    // The user chose the name and confirmed replacing what is there: a link at
    // it is replaced by the file, never followed to wherever it leads.
    auto failure = platform::files::replaceFile(path, text.toUtf8(), 0600);
    if (failure)
        print(QStringLiteral("[DebugSection] 导出日志失败: ") + *failure);
    else
        print(QStringLiteral("[DebugSection] 日志已导出到: ") + path);
    return failure;
}

}  // namespace zorbel::diagnostics
