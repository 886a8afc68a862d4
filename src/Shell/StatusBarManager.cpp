#include "Shell/StatusBarManager.h"

#include "Caret/Core/ConfigManager.h"
#include "Caret/Core/Logger.h"
#include "Platform/Console.h"
#include "Platform/Scheduler.h"
#include "Platform/Services.h"
#include "Platform/TextForm.h"
#include "Shell/BundleVersionProvider.h"
#include "Shell/StatusIcon.h"
#include "Shell/UIStyleManager.h"
#include "Shell/UpdateManager.h"

#include <QCoreApplication>

namespace zorbel {

namespace {

const QString toggleOffTitle = QStringLiteral("关闭 Zorbel");
const QString toggleOnTitle = QStringLiteral("开启 Zorbel");
const QString styleMenuTitle = QStringLiteral("样式风格");
const QString checkForUpdatesTitle = QStringLiteral("检查更新");
const QString accessibilityDescription = QStringLiteral("Zorbel");

platform::MenuItem row(const QString& title, const QString& action, const QString& key = {})
{
    platform::MenuItem item;
    item.title = title;
    item.action = action;
    item.keyEquivalent = key;
    return item;
}

struct ThemeRow {
    const char16_t* title;
    const char* action;
    UIStyle style;
};
constexpr ThemeRow themeRows[] = {
    {u"操作系统", "setSystemStyle", UIStyle::system},
    {u"磨砂玻璃", "setFrostedGlassStyle", UIStyle::frostedGlass},
    {u"液态玻璃", "setLiquidGlassStyle", UIStyle::liquidGlass},
};

}  // namespace

StatusBarManager& StatusBarManager::shared() { return sharedInstance<StatusBarManager>(); }

StatusBarManager::StatusBarManager()
{
    print(QStringLiteral("[INFO] StatusBarManager initializing..."));
    // The menu's first row follows the switch, also when a settings page
    // changes it.
    isBrindotEnabled_.publisher().sink([self = self_](const bool& enabled) {
        if (*self) (*self)->updateToggleMenuTitle(enabled);
    }).store(cancellables_);
    setIsBrindotEnabled(ConfigManager::shared().isBrindotEnabled());
    // A page that writes the stored switch directly moves this one too (and
    // so the menu's title); our own writes arrive here already in step.
    ConfigManager::shared().isBrindotEnabledPublisher().sink([self = self_](const bool& stored) {
        if (*self && stored != (*self)->isBrindotEnabled()) (*self)->isBrindotEnabled_.set(stored);
    }).store(cancellables_);
    print(QStringLiteral("[DEBUG] Initial Brindot enabled state: ") + text::boolean(isBrindotEnabled()));
    platform::scheduler().post([weak = std::weak_ptr<StatusBarManager*>(self_)] {
        if (auto self = weak.lock(); self && *self) (*self)->setupStatusBar();
    });
    print(QStringLiteral("[INFO] StatusBarManager initialized"));
}

StatusBarManager::~StatusBarManager()
{
    *self_ = nullptr;
    observers_.clear();
    rx::cancelAll(cancellables_);
}

void StatusBarManager::setIsBrindotEnabled(bool enabled)
{
    isBrindotEnabled_.set(enabled);
    ConfigManager::shared().setIsBrindotEnabled(enabled);
}

void StatusBarManager::setupStatusBar()
{
    print(QStringLiteral("[DEBUG] Setting up status bar..."));
    auto& shell = platform::shell();
    statusBarItem_ = shell.makeStatusItem(squareLength, [self = self_](const QString& action) {
        if (*self) (*self)->perform(action);
    });
    if (!statusBarItem_) {
        print(QStringLiteral("[ERROR] Failed to create status bar item"));
        return;
    }
    print(QStringLiteral("[DEBUG] Status bar item created successfully: ") + statusBarItem_->description());
    print(QStringLiteral("[DEBUG] Status bar item length: ") + text::number(statusBarItem_->length()));
    print(QStringLiteral("[DEBUG] Status bar item button: ") +
          QLatin1String(statusBarItem_->hasButton() ? "exists" : "nil"));
    if (statusBarItem_->hasButton()) {
        statusImage_ = statusSymbolImage();
        statusBarItem_->setImage(statusImage_, accessibilityDescription);
        print(QStringLiteral("[DEBUG] Status bar button configured with image and actions"));
    } else {
        print(QStringLiteral("[ERROR] Failed to get status bar button"));
    }
    menu_ = buildMenu();
    print(QStringLiteral("[DEBUG] Menu items added to status bar"));
    showMenu();
    setupUpdateNotificationObserver();
    print(QStringLiteral("[INFO] Status bar setup completed successfully"));
    if (!shell.isStatusAreaAvailable()) reportMissingStatusArea();
}

void StatusBarManager::reportMissingStatusArea()
{
    const QString line = QStringLiteral("No system tray is running on this desktop, so Zorbel has no tray icon. "
                                        "Quit it with Ctrl+C where it was started, or with: kill %1")
                             .arg(QCoreApplication::applicationPid());
    print(QStringLiteral("[WARNING] ") + line);
    Logger::shared().warning(line, ZHERE("setupStatusBar()"));
    // The settings window is then the only way in.
    if (settingsWindowOpener_) showSettings();
}

platform::Menu StatusBarManager::buildMenu() const
{
    platform::Menu menu;
    menu.push_back(row(isBrindotEnabled() ? toggleOffTitle : toggleOnTitle, QStringLiteral("toggleBrindot")));
    menu.push_back(platform::MenuItem::separator());
    platform::MenuItem styles = row(styleMenuTitle, {});
    const UIStyle current = UIStyleManager::shared().currentStyle();
    for (const auto& theme : themeRows) {
        auto item = row(QString::fromUtf16(theme.title), QString::fromLatin1(theme.action));
        item.stateOn = theme.style == current;
        styles.submenu.push_back(item);
    }
    menu.push_back(styles);
    menu.push_back(platform::MenuItem::separator());
    auto updates = row(checkForUpdatesTitle, QStringLiteral("checkForUpdates"));
    updates.tag = checkForUpdatesTag;
    menu.push_back(updates);
    menu.push_back(platform::MenuItem::separator());
    menu.push_back(row(QStringLiteral("设置"), QStringLiteral("showSettings"), QStringLiteral(",")));
    menu.push_back(row(QStringLiteral("关于 Zorbel"), QStringLiteral("showAbout")));
    menu.push_back(platform::MenuItem::separator());
    menu.push_back(row(QStringLiteral("退出 Zorbel"), QStringLiteral("quitApp"), QStringLiteral("q")));
    return menu;
}

void StatusBarManager::showMenu()
{
    if (statusBarItem_ && menu_) statusBarItem_->setMenu(*menu_);
}

void StatusBarManager::perform(const QString& action)
{
    static const std::vector<std::pair<QString, void (StatusBarManager::*)()>> actions{
        {QStringLiteral("statusBarButtonClicked"), &StatusBarManager::statusBarButtonClicked},
        {QStringLiteral("toggleBrindot"), &StatusBarManager::toggleBrindot},
        {QStringLiteral("setSystemStyle"), &StatusBarManager::setSystemStyle},
        {QStringLiteral("setFrostedGlassStyle"), &StatusBarManager::setFrostedGlassStyle},
        {QStringLiteral("setLiquidGlassStyle"), &StatusBarManager::setLiquidGlassStyle},
        {QStringLiteral("checkForUpdates"), &StatusBarManager::checkForUpdates},
        {QStringLiteral("showSettings"), &StatusBarManager::showSettings},
        {QStringLiteral("showAbout"), &StatusBarManager::showAbout},
        {QStringLiteral("quitApp"), &StatusBarManager::quitApp},
    };
    for (const auto& [name, method] : actions)
        if (name == action) return (this->*method)();
}

void StatusBarManager::toggleBrindot()
{
    print(QStringLiteral("[DEBUG] Toggle Brindot called, current state: ") + text::boolean(isBrindotEnabled()));
    setIsBrindotEnabled(!isBrindotEnabled());
    print(QStringLiteral("[DEBUG] Brindot state changed to: ") + text::boolean(isBrindotEnabled()));
    updateToggleMenuTitle();
    platform::notificationCenter().post(QString::fromLatin1(toggleNotification), QVariant(isBrindotEnabled()));
    print(QStringLiteral("[DEBUG] Posted brindotToggleChanged notification"));
}

void StatusBarManager::updateToggleMenuTitle(bool enabled)
{
    if (!menu_ || menu_->empty()) return;
    const QString title = enabled ? toggleOffTitle : toggleOnTitle;
    if (menu_->front().title == title) return;
    menu_->front().title = title;
    showMenu();
}

void StatusBarManager::setUIStyle(UIStyle style)
{
    // One assignment stores and announces the theme; saving and applying it
    // again here would announce it twice.
    UIStyleManager::shared().setCurrentStyle(style);
    updateStyleMenuState();
}

void StatusBarManager::updateStyleMenuState()
{
    if (!menu_) return;
    auto it = std::find_if(menu_->begin(), menu_->end(), [](const auto& item) { return item.title == styleMenuTitle; });
    if (it == menu_->end() || it->submenu.empty()) return;
    const UIStyle current = UIStyleManager::shared().currentStyle();
    for (auto& item : it->submenu)
        for (const auto& theme : themeRows)
            if (item.title == QString::fromUtf16(theme.title)) item.stateOn = theme.style == current;
    showMenu();
}

void StatusBarManager::checkForUpdates()
{
    platform::scheduler().post([] { UpdateManager::shared().checkForUpdates(); });
}

void StatusBarManager::showSettings()
{
    if (settingsWindowOpener_) {
        settingsWindowOpener_();
        return;
    }
    print(QStringLiteral("[StatusBarManager] This build has no settings window yet."));
}

void StatusBarManager::showAbout()
{
    // The box's own event loop still delivers menu clicks.
    if (showingAbout_) return;
    showingAbout_ = true;
    platform::Alert alert;
    alert.messageText = QStringLiteral("Zorbel");
    alert.informativeText = QStringLiteral("智能光标增强工具\n版本 ") + BundleVersionProvider().version();
    alert.style = platform::Alert::Style::informational;
    alert.buttons = {QStringLiteral("确定")};
    const std::weak_ptr<StatusBarManager*> weak = self_;
    platform::shell().runModal(alert);
    if (auto self = weak.lock(); self && *self) (*self)->showingAbout_ = false;
}

void StatusBarManager::quitApp() { platform::shell().terminate(); }

void StatusBarManager::setupUpdateNotificationObserver()
{
    observers_.push_back(platform::notificationCenter().addObserver(
        QString::fromLatin1(UpdateManager::updateBadgeChangedNotification),
        [weak = std::weak_ptr<StatusBarManager*>(self_)](const platform::Notification& n) {
            if (n.object.typeId() != QMetaType::Bool) return;
            platform::scheduler().post([weak, hasUpdate = n.object.toBool()] {
                if (auto self = weak.lock(); self && *self) (*self)->applyUpdateBadge(hasUpdate);
            });
        }));
    print(QStringLiteral("[StatusBarManager] ✅ 更新通知监听已设置"));
}

void StatusBarManager::applyUpdateBadge(bool hasUpdate)
{
    updateStatusIcon(hasUpdate);
    updateCheckForUpdatesItem(hasUpdate, UpdateManager::shared().latestVersion());
}

void StatusBarManager::updateStatusIcon(bool hasUpdate)
{
    if (!statusBarItem_ || !statusBarItem_->hasButton()) return;
    statusImage_ = hasUpdate ? makeBadgedStatusImage(statusSymbolImage()) : statusSymbolImage();
    statusBarItem_->setImage(statusImage_, accessibilityDescription);
}

platform::MenuItem* StatusBarManager::itemWithTag(int tag)
{
    if (!menu_) return nullptr;
    auto it = std::find_if(menu_->begin(), menu_->end(), [tag](const auto& item) { return item.tag == tag; });
    return it == menu_->end() ? nullptr : &*it;
}

void StatusBarManager::updateCheckForUpdatesItem(bool hasUpdate, const std::optional<QString>& version)
{
    auto* item = itemWithTag(checkForUpdatesTag);
    if (!item) return;
    using Run = platform::MenuTitleRun;
    if (!hasUpdate || !version) {
        item->title = checkForUpdatesTitle;
        item->attributedTitle.clear();
    } else {
        // The version comes from the network: it stays one plain-text run.
        item->attributedTitle = {Run{QStringLiteral("NEW"), Run::Colour::systemBlue}, Run{QStringLiteral(" ")},
                                 Run{QStringLiteral("v") + *version, Run::Colour::systemOrange},
                                 Run{QStringLiteral(" ")}, Run{QStringLiteral("可用"), Run::Colour::secondaryLabel}};
    }
    showMenu();
}

}  // namespace zorbel
