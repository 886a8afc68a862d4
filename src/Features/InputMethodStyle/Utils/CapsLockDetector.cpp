#include "Features/InputMethodStyle/Utils/CapsLockDetector.h"

#include "Caret/Core/Logger.h"
#include "Platform/InputSources.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Scheduler.h"
#include "Platform/Services.h"
#include "Platform/TextForm.h"

#include <QDateTime>

#include <algorithm>

namespace zorbel {

CapsLockDetector& CapsLockDetector::shared() { return sharedInstance<CapsLockDetector>(); }

CapsLockDetector::CapsLockDetector() : logger_(Logger::shared())
{
    updateCapsLockState();
    logger_.info(QStringLiteral("CapsLockDetector initialized"), ZHERE("init()"));
}

bool CapsLockDetector::readCapsLock() { return platform::keyboardState().currentModifierFlags().capsLock; }

void CapsLockDetector::setEnabled(bool enabled)
{
    isEnabled_.set(enabled);
    if (enabled) updateCapsLockState();
}

void CapsLockDetector::startMonitoring()
{
    if (isMonitoring_) {
        logger_.debug(QStringLiteral("CapsLockDetector already monitoring"), ZHERE("startMonitoring()"));
        return;
    }
    logger_.info(QStringLiteral("CapsLockDetector starting monitoring"), ZHERE("startMonitoring()"));
    // The keyboard's state changes arrive from every window, this program's own included.
    std::weak_ptr<CapsLockDetector*> weak = self_;
    eventMonitor_ = platform::keyboardState().observeModifierChanges([weak](const platform::ModifierFlags&) {
        if (auto self = weak.lock(); self && *self) (*self)->handleFlagsChanged();
    });
    isMonitoring_ = true;
    updateCapsLockState();
    logger_.info(QStringLiteral("CapsLockDetector monitoring started"), ZHERE("startMonitoring()"));
}

void CapsLockDetector::handleFlagsChanged()
{
    std::weak_ptr<CapsLockDetector*> weak = self_;
    platform::scheduler().after(0.01, [weak]() {
        auto self = weak.lock();
        if (!self || !*self) return;
        CapsLockDetector& d = **self;
        const bool on = readCapsLock();
        if (on == d.isCapsLockOn()) return;
        d.isCapsLockOn_.set(on);
        d.logger_.debug(QStringLiteral("Caps Lock state changed: ") + text::boolean(on), ZHERE("handleFlagsChanged(_:)"));
        d.publishStateChangeNotification();
    });
}

void CapsLockDetector::updateCapsLockState()
{
    const bool on = readCapsLock();
    if (on == isCapsLockOn()) return;
    isCapsLockOn_.set(on);
    logger_.debug(QStringLiteral("Caps Lock state updated: ") + text::boolean(on), ZHERE("updateCapsLockState()"));
}

void CapsLockDetector::publishStateChangeNotification()
{
    QVariantMap info;
    info.insert(QStringLiteral("isOn"), isCapsLockOn());
    info.insert(QStringLiteral("timestamp"), QDateTime::currentDateTime());
    platform::notificationCenter().post(QString::fromLatin1(stateChangedNotification), {}, info);
    logger_.debug(QStringLiteral("Caps Lock notification sent: ") + text::boolean(isCapsLockOn()),
                  ZHERE("publishStateChangeNotification()"));
}

BrindotStyle CapsLockDetector::applyCapsLockIndicator(const BrindotStyle& style) const
{
    if (!isEnabled()) return style;
    const BrindotColor c = indicatorColor();
    BrindotStyle s = style;
    s.borderColor = {c.red, c.green, c.blue, 0.8};
    s.borderWidth = std::max(3.0, style.borderWidth * 1.2);
    s.borderEnabled = true;
    s.shadowEnabled = true;
    s.shadowColor = {c.red, c.green, c.blue, 0.48};
    s.shadowRadius = style.size * 0.4;
    s.shadowOffset = QSizeF(0, 0);
    s.shadowOpacity = 0.8;
    return s;
}

}  // namespace zorbel
