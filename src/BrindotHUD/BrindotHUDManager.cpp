#include "BrindotHUD/BrindotHUDManager.h"

#include "BrindotHUD/HUDBounds.h"
#include "BrindotHUD/HUDContentView.h"
#include "BrindotHUD/HUDWindow.h"
#include "Caret/Core/Logger.h"
#include "Caret/Managers/BrindotManager.h"
#include "Platform/Console.h"
#include "Platform/LogSink.h"
#include "Platform/Services.h"
#include "Platform/TextForm.h"
#include "Platform/UserDefaults.h"

namespace zorbel {

namespace {
const QString kPrefix = QStringLiteral("[BrindotHUDManager] ");
QString boolText(bool b) { return text::boolean(b); }
}  // namespace

BrindotHUDManager& BrindotHUDManager::shared() { return sharedInstance<BrindotHUDManager>(); }

BrindotHUDManager::BrindotHUDManager() : config_(loadConfig())
{
    setupMonitors();
    setupBrindotObservers();
    print(kPrefix + QStringLiteral("initialized with Combine architecture"));
}

BrindotHUDManager::~BrindotHUDManager()
{
    *self_ = nullptr;
    keyboardMonitor_.remove();
    if (hideTimer_) hideTimer_->cancel();
    cancellables_.clear();
    print(kPrefix + QStringLiteral("deinitialized"));
}

void BrindotHUDManager::setConfig(const BrindotHUDConfig& config)
{
    config_.set(config);
    saveConfig();
    notifyConfigChangeCallbacks();
    if (!hudWindow_) return;
    // Switched off: the panel goes rather than standing frozen on screen.
    if (!config.isEnabled) return hideHUD();
    debugPrint(kPrefix + QStringLiteral("Config changed, refreshing HUD..."));
    // Rebuilt around the place it stands for, not around its own centre.
    showHUD(anchor_.value_or(hudWindow_->frame().center()));
}

void BrindotHUDManager::addConfigChangeCallback(std::function<void(const BrindotHUDConfig&)> callback)
{
    configChangeCallbacks_.push_back(std::move(callback));
}

void BrindotHUDManager::notifyConfigChangeCallbacks()
{
    for (std::size_t i = 0; i < configChangeCallbacks_.size(); ++i) {
        const auto callback = configChangeCallbacks_[i];
        callback(config());
    }
}

void BrindotHUDManager::saveConfig()
{
    const auto encoded = encodeJson(config());
    if (!encoded.ok()) {
        print(kPrefix + QStringLiteral("Failed to save HUD config: ") + encoded.error);
        return;
    }
    if (!platform::userDefaults().standard().setData(QString::fromLatin1(defaultsKey), *encoded.value)) {
        print(kPrefix + QStringLiteral("Failed to save HUD config: the settings store could not be written"));
        return;
    }
    debugPrint(kPrefix + QStringLiteral("HUD config saved"));
}

// What cannot be read stays stored until the next assignment replaces it.
BrindotHUDConfig BrindotHUDManager::loadConfig()
{
    const auto& defaults = platform::userDefaults().standard();
    const QString key = QString::fromLatin1(defaultsKey);
    if (!defaults.contains(key)) return BrindotHUDConfig::defaultConfig();
    const auto data = defaults.dataForKey(key);
    const auto decoded =
        !data ? json::Result<BrindotHUDConfig>::failure(QStringLiteral("The stored value is not data"))
        : data->size() > hudBounds::maxRecordBytes
            ? json::Result<BrindotHUDConfig>::failure(
                  QStringLiteral("The stored record is %1 bytes, more than the 1 MiB a HUD record can hold")
                      .arg(data->size()))
            : decodeBrindotHUDConfig(*data);
    if (decoded.ok()) return *decoded.value;
    print(kPrefix + QStringLiteral("Failed to load HUD config: ") + decoded.error + QStringLiteral(", using default"));
    return BrindotHUDConfig::defaultConfig();
}

void BrindotHUDManager::showHUD(const QPointF& anchor)
{
    if (!config().isEnabled) return;
    if (!BrindotManager::shared().isVisible()) {
        debugPrint(kPrefix + QStringLiteral("⚠️ Brindot不可见，拒绝显示HUD"));
        return;
    }
    if (hideTimer_) hideTimer_->cancel();
    hideTimer_.reset();
    auto items = makeContentItems();
    const BrindotHUDConfig c = usableHUDConfig(config());
    // One panel for every show: making and mapping a new top-level window
    // cost more than all the rest of an input-method switch.
    if (!panel_) {
        panel_ = std::make_unique<HUDWindow>(c, std::move(items), c.opacity);
        panel_->setupContentView();
    } else {
        panel_->setContent(c, std::move(items), c.opacity);
    }
    HUDWindow& window = *panel_;
    // A panel already up takes the new content where it stands; only one
    // that was gone or going comes back with the show animation.
    const bool appears = !window.isShown();
    const QSizeF size = window.contentSize();
    window.setFrame(QRectF(window.origin(anchor, size), size));
    window.settle();
    hudWindow_ = &window;
    anchor_ = anchor;
    // The first animation state is set before the panel is mapped, so it
    // never flashes at its resting frame first.
    if (appears && c.animationType != AnimationType::none) window.showAnimated();
    window.orderFront();
    if (c.displayDuration > 0) {
        hideTimer_ = platform::scheduler().after(c.displayDuration, [self = self_] {
            if (*self) (*self)->hideHUD();
        });
    }
    debugPrint([&]() -> QString { return kPrefix + QStringLiteral("HUD shown at: ") + text::point(anchor); });
}

void BrindotHUDManager::hideHUD()
{
    if (hideTimer_) hideTimer_->cancel();
    hideTimer_.reset();
    if (auto* window = std::exchange(hudWindow_, nullptr)) window->hide();
    anchor_.reset();
    debugPrint(kPrefix + QStringLiteral("HUD hidden"));
}

void BrindotHUDManager::refreshContent()
{
    if (!hudWindow_) return;
    hudWindow_->setContent(hudWindow_->config(), makeContentItems(), hudWindow_->originalAlpha);
}

void BrindotHUDManager::updateHUDPosition(const QPointF& anchor)
{
    debugPrint([&]() -> QString {
        return kPrefix + QStringLiteral("Updating HUD position for Brindot at: ") + text::point(anchor);
    });
    platform::scheduler().post([self = self_, anchor] {
        if (!*self) return;
        auto& m = **self;
        if (!m.hudWindow_) return;
        if (m.hudWindow_->isInTemporaryPosition) {
            platform::systemLog(QStringLiteral("🖱️ [HUDWindow] 恢复到计算位置"));
            m.hudWindow_->isInTemporaryPosition = false;
        }
        const QSizeF size = m.hudWindow_->contentSize();
        m.hudWindow_->setFrameOrigin(m.hudWindow_->origin(anchor, size));
        m.anchor_ = anchor;
    });
}

void BrindotHUDManager::post(const QVariantMap& userInfo)
{
    platform::notificationCenter().post(QString::fromLatin1(functionKeyEventNotification), {}, userInfo);
}

void BrindotHUDManager::handleFlagsChanged(const platform::GlobalEvent& event)
{
    const bool newState = event.modifiers.capsLock;
    const auto step = capsLock_.handle(newState, platform::scheduler().now());
    if (step.outcome == CapsLockDoubleTap::Outcome::unchanged) return;
    inputMethodRead_ = false;
    debugPrint(QStringLiteral("🔍 Caps Lock状态变化: ") + boolText(step.oldState) + QStringLiteral(" -> ") + boolText(newState));
    if (step.elapsed)
        debugPrint(QStringLiteral("⏱️ 距离上次变化: ") + QString::number(*step.elapsed, 'f', 3) + QStringLiteral("秒"));
    if (step.outcome == CapsLockDoubleTap::Outcome::doubleTap) {
        debugPrint(QStringLiteral("⚡️ 检测到双击Caps Lock，切换HUD启用状态"));
        BrindotHUDConfig toggled = config();
        toggled.isEnabled = !toggled.isEnabled;
        setConfig(toggled);
        debugPrint(QStringLiteral("🔄 HUD状态切换: ") + (config().isEnabled ? QStringLiteral("启用") : QStringLiteral("禁用")));
        if (config().isEnabled) {
            showHUD(bestDisplayPosition());
            debugPrint(QStringLiteral("✅ HUD已启用并显示"));
        } else {
            hideHUD();
        }
        return;
    }
    if (!config().isEnabled) return;
    refreshContent();
    post({{QStringLiteral("source"), QStringLiteral("capsLock")}, {QStringLiteral("state"), newState}});
}

void BrindotHUDManager::handleInputSourceChange()
{
    inputMethodRead_ = false;
    const auto& current = currentInputMethod();
    if (!current) return;
    const QString name = current->displayName;
    if (lastInputMethodName_ && *lastInputMethodName_ == name) return;
    lastInputMethodName_ = name;
    refreshContent();
    post({{QStringLiteral("source"), QStringLiteral("inputMethodSwitch")}, {QStringLiteral("inputMethod"), name}});
}

void BrindotHUDManager::handleFunctionKeyEvent(const platform::Notification& n)
{
    if (!config().isEnabled) {
        debugPrint(kPrefix + QStringLiteral("⚠️ Function key event ignored (HUD disabled)"));
        return;
    }
    const QVariant source = n.userInfo.value(QStringLiteral("source"));
    const QString name = source.typeId() == QMetaType::QString ? source.toString() : QStringLiteral("unknown");
    debugPrint([&]() -> QString { return kPrefix + QStringLiteral("🎯 Function key event: ") + name; });
    platform::scheduler().after(0.05, [self = self_] {
        if (!*self) return;
        auto& m = **self;
        const QPointF position = BrindotManager::shared().currentPosition();
        const bool visible = BrindotManager::shared().isVisible();
        debugPrint([&]() -> QString {
            return kPrefix + QStringLiteral("Brindot状态 - position: ") + text::point(position) +
                   QStringLiteral(", isVisible: ") + boolText(visible);
        });
        if (!visible) {
            debugPrint(kPrefix + QStringLiteral("⚠️ Brindot不可见，不显示HUD"));
            return;
        }
        QPointF at = position;
        if (!at.isNull()) {
            debugPrint([&]() -> QString { return kPrefix + QStringLiteral("✅ 使用Brindot位置: ") + text::point(at); });
        } else {
            at = m.bestDisplayPosition();
            debugPrint([&]() -> QString { return kPrefix + QStringLiteral("⚠️ Brindot位置无效，使用智能位置: ") + text::point(at); });
        }
        if (at.isNull()) {
            debugPrint(kPrefix + QStringLiteral("❌ 显示位置无效，放弃显示"));
            return;
        }
        debugPrint([&]() -> QString { return kPrefix + QStringLiteral("🎯 显示HUD于: ") + text::point(at); });
        m.showHUD(at);
    });
}

void BrindotHUDManager::handlePositionUpdate(const QPointF& point)
{
    debugPrint([&]() -> QString { return kPrefix + QStringLiteral("Position update: ") + text::point(point); });
    if (!point.isNull()) {
        if (config().isEnabled && hudWindow_) updateHUDPosition(point);
        return;
    }
    if (hudWindow_) {
        debugPrint(kPrefix + QStringLiteral("⚠️ Position变为.zero，隐藏HUD"));
        hideHUD();
    }
}

void BrindotHUDManager::handleVisibilityUpdate(bool visible)
{
    debugPrint([&]() -> QString { return kPrefix + QStringLiteral("Visibility update: ") + boolText(visible); });
    if (!visible && config().isEnabled) hideHUD();
}

// Made on the next turn: the indicator's manager may itself still be starting.
void BrindotHUDManager::setupBrindotObservers()
{
    platform::scheduler().post([self = self_] {
        if (!*self) return;
        auto& m = **self;
        auto& brindot = BrindotManager::shared();
        m.cancellables_.push_back(brindot.currentPositionPublisher().sink([self](const QPointF& p) {
            if (*self) (*self)->handlePositionUpdate(p);
        }));
        m.cancellables_.push_back(brindot.isVisiblePublisher().sink([self](bool v) {
            if (*self) (*self)->handleVisibilityUpdate(v);
        }));
        m.functionKeyObserver_ = platform::notificationCenter().addObserver(
            QString::fromLatin1(functionKeyEventNotification), [self](const platform::Notification& n) {
                if (*self) (*self)->handleFunctionKeyEvent(n);
            });
    });
}

}  // namespace zorbel
