// The HUD manager's items and the places it reads them from: the input
// method, the clock, the battery, today's typing counts and the pointer.
#include "BrindotHUD/BrindotHUDManager.h"

#include "BrindotHUD/HUDBounds.h"
#include "BrindotHUD/HUDIcons.h"
#include "BrindotHUD/HUDTexts.h"
#include "Caret/Core/Logger.h"
#include "Caret/Managers/BrindotManager.h"
#include "Platform/NotificationCenter.h"
#include "Features/InputMethodStyle/Managers/InputSourceManager.h"
#include "Platform/InputSources.h"
#include "Platform/Console.h"
#include "Platform/PowerSource.h"
#include "Platform/Services.h"
#include "Platform/TextForm.h"
#include "Platform/UserDefaults.h"
#include "Platform/Workspace.h"

#include <QDateTime>

namespace zorbel {

namespace {
const QString kPrefix = QStringLiteral("[BrindotHUDManager] ");

std::optional<std::vector<platform::PowerSourceDescription>> powerSources()
{
    auto* service = platform::powerSource();
    if (!service) return std::nullopt;
    return service->powerSources();
}

QString optionalBool(const std::optional<bool>& b)
{
    return b ? text::boolean(*b) : QStringLiteral("nil");
}
}  // namespace

// Input-source changes are throttled to one per 200 ms (the latest wins);
// Caps Lock comes from the global flags-changed monitor, paired from the
// state the keyboard has at start.
void BrindotHUDManager::setupMonitors()
{
    auto& services = platform::services();
    if (services.inputSources) {
        cancellables_.push_back(services.inputSources->observeSelectionChanges([self = self_] {
            if (!*self) return;
            (*self)->inputMethodRead_ = false;
            (*self)->inputSourceChanges_.send(0);
        }));
        cancellables_.push_back(inputSourceChanges_.publisher().throttleLatest(0.2).sink([self = self_](int) {
            if (*self) (*self)->handleInputSourceChange();
        }));
    }
    if (services.eventMonitor) {
        keyboardMonitor_ = services.eventMonitor->addGlobalMonitor(platform::GlobalEventType::flagsChanged,
                                                                   [self = self_](const platform::GlobalEvent& e) {
                                                                       if (*self) (*self)->handleFlagsChanged(e);
                                                                   });
    }
    if (services.eventMonitor) {
        keyDownMonitor_ = services.eventMonitor->addGlobalMonitor(platform::GlobalEventType::keyDown,
                                                                  [self = self_](const platform::GlobalEvent& e) {
                                                                      if (*self) (*self)->handleKeyDown(e);
                                                                  });
    }
    // What was counted since the last store is kept when the program quits.
    terminateObserver_ = platform::notificationCenter().addObserver(
        QString::fromLatin1(BrindotManager::willTerminateNotification), [self = self_](const platform::Notification&) {
            if (*self) (*self)->typing_.save();
        });
    if (services.keyboardState) capsLock_ = CapsLockDoubleTap(services.keyboardState->currentModifierFlags().capsLock);
    // Unobserved, either could change under a kept reading.
    keepsInputMethod_ = services.inputSources && services.eventMonitor;
}

const std::optional<BrindotHUDManager::InputMethod>& BrindotHUDManager::currentInputMethod()
{
    if (!keepsInputMethod_ || !inputMethodRead_) {
        inputMethod_ = getCurrentInputMethod();
        inputMethodRead_ = true;
    }
    return inputMethod_;
}

std::optional<BrindotHUDManager::InputMethod> BrindotHUDManager::getCurrentInputMethod()
{
    if (!platform::services().inputSources) return std::nullopt;
    const auto source = InputSourceManager().currentInputSource();
    if (!source) return std::nullopt;
    InputMethod current{source->displayName, source->icon, source->isCapsLockOn.value_or(false)};
    if (current.icon) hud::setTemplateImage(*current.icon, false);
    debugPrint([&]() -> QString { return QStringLiteral("🔍 getCurrentInputMethod - 输入法名称: ") + current.displayName; });
    debugPrint([&]() -> QString {
        return QStringLiteral("🔍 getCurrentInputMethod - Caps Lock状态: ") + text::boolean(current.capsLockOn);
    });
    return current;
}

HUDContentItem BrindotHUDManager::inputMethodItem(bool detailed)
{
    const auto& current = currentInputMethod();
    HUDContentItem item{HUDContentType::inputMethod, QStringLiteral("keyboard")};
    if (current) item.capsLockOn = current->capsLockOn;
    debugPrint([&]() -> QString {
        return QStringLiteral("🔍 创建HUDContentItem - Caps Lock状态: ") + optionalBool(item.capsLockOn);
    });
    if (current) {
        item.iconImage = current->icon;
        if (item.iconImage) hud::setTemplateImage(*item.iconImage, false);
        item.value = cappedText(current->displayName);
    }
    if (detailed) item.title = QStringLiteral("输入法");
    debugPrint([&]() -> QString {
        return QStringLiteral("🔍 HUDContentItem创建完成 - capsLockOn: ") + optionalBool(item.capsLockOn);
    });
    return item;
}

std::vector<HUDContentItem> BrindotHUDManager::makeContentItems()
{
    std::vector<HUDContentItem> items;
    const bool detailed = config().isDetailed();
    const QColor label = config().colorScheme == HUDColorScheme::dark ? QColor(Qt::white) : QColor(Qt::black);
    auto title = [detailed](const char* text) {
        return detailed ? std::optional<QString>(QString::fromUtf8(text)) : std::nullopt;
    };
    const auto types = usableHUDConfig(config()).contentTypes;
    for (const HUDContentType type : types) {
        switch (type) {
        case HUDContentType::inputMethod: items.push_back(inputMethodItem(detailed)); break;
        case HUDContentType::time: {
            const QDateTime now = QDateTime::currentDateTime();
            items.push_back({type, QStringLiteral("clock"), hud::clockImage(now.time().hour(), now.time().minute(), label),
                             title("时间"), hud::timeText(now, detailed)});
            break;
        }
        case HUDContentType::battery:
            items.push_back({type, QStringLiteral("battery.100"), hud::batteryImage(hud::batteryLevel(powerSources()), label),
                             title("电量"), batteryItem()});
            break;
        case HUDContentType::typingCount:
            items.push_back({type, QStringLiteral("keyboard.badge.ellipsis"), std::nullopt, title("今日打字"), typingCountItem()});
            break;
        case HUDContentType::custom:
            items.push_back({type, hud::kCustomItemSymbol, std::nullopt, std::nullopt, hud::kCustomItemText});
            break;
        }
    }
    return items;
}

QString BrindotHUDManager::batteryItem() { return hud::batteryText(powerSources(), config().isDetailed()); }

void BrindotHUDManager::handleKeyDown(const platform::GlobalEvent& event)
{
    typing_.count(event.key);
    if (event.key == platform::KeyKind::modifier || !hudWindow_ || !config().hideWhileTyping) return;
    debugPrint(kPrefix + QStringLiteral("⌨️ 正在打字，隐藏HUD"));
    hideHUD();
}

// Counted this session and stored before, so the item is up to date between stores.
QString BrindotHUDManager::typingCountItem()
{
    const TypingCounter::Counts c = typing_.today();
    return hud::typingText(c.characters, c.keystrokes, c.backspaces, config().isDetailed());
}

BrindotHUDManager::TypingCounts BrindotHUDManager::loadTodayTypingStatistics()
{
    const auto c = TypingCounter::stored(QDate::currentDate().startOfDay());
    return {c.characters, c.keystrokes, c.backspaces};
}

QPointF BrindotHUDManager::bestDisplayPosition()
{
    debugPrint(kPrefix + QStringLiteral("🔍 计算最佳显示位置..."));
    auto& workspace = platform::workspace();
    const QPointF mouse = workspace.mouseLocation().value_or(QPointF());
    debugPrint([&]() -> QString { return kPrefix + QStringLiteral("鼠标位置: ") + text::point(mouse); });
    const auto screens = workspace.screens();
    if (screens.isEmpty()) {
        debugPrint(kPrefix + QStringLiteral("⚠️ 使用回退位置"));
        return {500, 500};
    }
    const QRectF f = screens.first();
    if (mouse.x() > f.left() + 50 && mouse.x() < f.right() - 50 && mouse.y() > f.top() + 50 && mouse.y() < f.bottom() - 50) {
        debugPrint(kPrefix + QStringLiteral("✅ 使用鼠标位置"));
        return mouse;
    }
    const QPointF above(f.center().x(), f.center().y() + 0.15 * f.height());
    debugPrint([&]() -> QString { return kPrefix + QStringLiteral("✅ 使用屏幕中心偏上: ") + text::point(above); });
    return above;
}

}  // namespace zorbel
