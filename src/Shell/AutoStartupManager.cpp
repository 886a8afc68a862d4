#include "Shell/AutoStartupManager.h"

#include "Platform/Console.h"
#include "Platform/Services.h"
#include "Platform/StatusItem.h"
#include "Platform/TextForm.h"
#include "Platform/Workspace.h"
#include "Shell/BundleVersionProvider.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace zorbel {

namespace {

const QString prefix = QStringLiteral("[AutoStartupManager] ");
void say(const QString& line) { print(prefix + line); }

QString identifierOfThisBuild()
{
    const QString identifier = BundleVersionProvider().bundleIdentifier();
    return identifier.isEmpty() ? QStringLiteral("quellan.Zorbel") : identifier;
}

QString runningApplicationPath()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
}

}  // namespace

AutoStartupManager& AutoStartupManager::shared() { return sharedInstance<AutoStartupManager>(); }

AutoStartupManager::AutoStartupManager()
    : AutoStartupManager(AutostartLocations::fromEnvironment(), runningApplicationPath())
{
}

AutoStartupManager::AutoStartupManager(AutostartLocations locations, QString applicationPath)
    : bundleIdentifier_(identifierOfThisBuild()),
      locations_(std::move(locations)),
      applicationPath_(std::move(applicationPath)),
      applicationName_(QFileInfo(applicationPath_).fileName())
{
    checkAutoStartupStatus();
}

void AutoStartupManager::checkAutoStartupStatus()
{
    QStringList report;
    const auto note = [&report](const QString& line) { report << prefix + line; };
    note(QStringLiteral("检测开机自启动: ") + applicationPath_);
    const bool service = checkLoginService(note);
    const bool items = checkLoginItems(note);
    const bool agents = checkLaunchAgents(note);
    isAutoStartupEnabled_.set(service || items || agents);
    note(QStringLiteral("最终结果: ") + text::boolean(isAutoStartupEnabled()) +
        QStringLiteral(" (systemd 用户单元: %1, 自动启动文件夹: %2, 自动启动条目: %3)")
            .arg(text::boolean(service), text::boolean(items), text::boolean(agents)));
    // The badge asks every 2 s while the settings window is open: the
    // terminal (and the session's log) hears only what changed.
    if (report == lastReport_) return;
    lastReport_ = report;
    for (const auto& line : report) print(line);
}

bool AutoStartupManager::checkLoginService(const Note& note) const
{
    const QString unit = QStringLiteral("systemd 用户单元 ") + QString::fromLatin1(unitName) + QStringLiteral(": ");
    switch (loginServiceStatus(locations_, QString::fromLatin1(unitName))) {
    case LoginServiceStatus::enabled:
        note(QStringLiteral("✅ ") + unit + QStringLiteral("已启用"));
        return true;
    case LoginServiceStatus::notRegistered:
        note(QStringLiteral("❌ ") + unit + QStringLiteral("存在，未启用"));
        return false;
    case LoginServiceStatus::requiresApproval:
        note(QStringLiteral("⚠️ ") + unit + QStringLiteral("已屏蔽 (masked)"));
        return false;
    case LoginServiceStatus::notFound:
        note(QStringLiteral("❌ ") + unit + QStringLiteral("不存在"));
        return false;
    case LoginServiceStatus::unknown:
        break;
    }
    note(QStringLiteral("❓ ") + unit + QStringLiteral("单元文件夹无法读取"));
    return false;
}

bool AutoStartupManager::checkLoginItems(const Note& note) const
{
    const QString folder = locations_.userAutostartFolder;
    const QString named = QStringLiteral("自动启动文件夹 ") + folder + QStringLiteral(": ");
    const QFileInfo info(folder);
    if (!info.exists()) {
        note(QStringLiteral("❌ ") + named + QStringLiteral("不存在"));
        return false;
    }
    const QDir dir(folder);
    if (!info.isDir() || !info.isReadable() || !dir.isReadable()) {
        note(QStringLiteral("❌ ") + named + QStringLiteral("无法读取"));
        return false;
    }
    const QStringList files = dir.entryList({QStringLiteral("*.desktop")}, QDir::Files | QDir::Hidden, QDir::Name);
    note(named + QString::number(files.size()) + QStringLiteral(" 个条目"));
    bool found = false;
    for (const auto& file : files) {
        const auto entry = DesktopEntry::read(dir.filePath(file));
        const QString name = entry && entry->name ? *entry->name : QStringLiteral("未知");
        const QString path = entry && entry->exec ? *entry->exec : QStringLiteral("未知");
        const bool hidden = entry && entry->isSwitchedOff();
        note(QStringLiteral("  条目 %1: %2 - %3 (已停用: %4)").arg(file, name, path, text::boolean(hidden)));
        // A hidden entry is one the user switched off: it starts nothing.
        if (!entry || hidden || !matches(entry->name.value_or(QString()), entry->exec.value_or(QString()))) continue;
        note(QStringLiteral("✅ 匹配的条目: ") + file);
        found = true;
    }
    return found;
}

bool AutoStartupManager::matches(const QString& name, const QString& path) const
{
    const QString lowerPath = path.toLower();
    const QString lowerName = name.toLower();
    const auto has = [](const QString& text, const QString& part) { return !part.isEmpty() && text.contains(part); };
    return has(lowerPath, QStringLiteral("brindot")) || has(lowerPath, QStringLiteral("zorbel")) ||
           has(path, applicationPath_) || has(path, bundleIdentifier_) || has(lowerName, QStringLiteral("brindot")) ||
           has(lowerName, QStringLiteral("zorbel")) || has(lowerName, applicationName_.toLower());
}

bool AutoStartupManager::checkLaunchAgents(const Note& note) const
{
    const QString file = bundleIdentifier_ + QStringLiteral(".desktop");
    for (const auto& folder : QStringList{locations_.userAutostartFolder} + locations_.systemAutostartFolders) {
        const QString path = QDir(folder).filePath(file);
        // A FIFO or a folder of that name is no entry the session could read.
        if (!QFileInfo(path).isFile()) continue;
        // The first one found is the one the session reads; switched off,
        // it starts nothing.
        const auto entry = DesktopEntry::read(path);
        if (entry && entry->isSwitchedOff()) {
            note(QStringLiteral("❌ 自动启动条目 ") + path + QStringLiteral(": 已停用"));
            return false;
        }
        note(QStringLiteral("✅ 自动启动条目 ") + path + QStringLiteral(": 存在"));
        return true;
    }
    note(QStringLiteral("❌ 自动启动条目 ") + file + QStringLiteral(": 不在任何自动启动文件夹中"));
    return false;
}

QString AutoStartupManager::copyHint() const
{
    // The way that works on every desktop: the shipped entry in the user's
    // autostart folder.
    QString folder = locations_.userAutostartFolder;
    const QString home = QDir::homePath();
    if (folder.startsWith(home + QLatin1Char('/'))) folder.replace(0, home.size(), QStringLiteral("~"));
    const QString entry = locations_.shippedDesktopEntry.isEmpty()
                              ? QStringLiteral("程序附带的 quellan.Zorbel.desktop ")
                              : QLatin1Char(' ') + locations_.shippedDesktopEntry + QLatin1Char(' ');
    return QStringLiteral("也可以将") + entry + QStringLiteral("复制到 ") + folder + QStringLiteral("/ 文件夹");
}

void AutoStartupManager::showSetupGuide()
{
    platform::Alert alert;
    alert.messageText = QStringLiteral("设置开机自启动");
    alert.style = platform::Alert::Style::informational;
    alert.informativeText = QStringList{
        QStringLiteral("请按照以下步骤设置开机自启动："),
        QString(),
        QStringLiteral("1. 点击\"打开系统设置\"按钮（将打开桌面的\"自动启动\"设置）"),
        QStringLiteral("2. 添加一个程序，命令填写\"") + applicationPath_ + QStringLiteral("\""),
        QStringLiteral("3. 确保该项已启用"),
        copyHint(),
        QString(),
        QStringLiteral("设置完成后，Brindot将在系统启动时自动运行。"),
    }.join(QLatin1Char('\n'));
    alert.buttons = {QStringLiteral("打开系统设置"), QStringLiteral("取消")};
    if (platform::shell().runModal(alert) == 0) openLoginItemsSettings();
}

void AutoStartupManager::openLoginItemsSettings()
{
    static const char* const addresses[] = {
        "x-apple.systempreferences:com.apple.LoginItems-Settings.extension",
        "x-apple.systempreferences:com.apple.preference.users?LoginItems",
        "x-apple.systempreferences:com.apple.LoginItems-Settings",
        "x-apple.systempreferences:com.apple.preference.users",
    };
    for (const char* address : addresses) {
        if (!platform::services().workspace || !platform::workspace().openURL(QString::fromLatin1(address))) continue;
        say(QStringLiteral("成功打开系统设置: ") + QString::fromLatin1(address));
        return;
    }
    say(QStringLiteral("无法打开系统设置"));
    platform::Alert alert;
    alert.messageText = QStringLiteral("无法打开系统设置");
    alert.informativeText = QStringLiteral("请手动打开桌面的\"自动启动\"设置，然后添加") + QStringLiteral("Zorbel") +
                            QStringLiteral("应用。\n\n") + copyHint() + QStringLiteral("，Zorbel 将在下次登录时启动。");
    alert.buttons = {QStringLiteral("确定")};
    platform::shell().runModal(alert);
}

}  // namespace zorbel
