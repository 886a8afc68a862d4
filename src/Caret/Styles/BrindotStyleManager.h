#pragma once

#include "Caret/Styles/BrindotStyle.h"
#include "Caret/Styles/StylePreset.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Reactive/Published.h"

#include <QByteArray>

#include <functional>
#include <optional>
#include <vector>

namespace zorbel {

class Logger;

// Owns the indicator's current style. Every assignment of the current style,
// from inside or outside, tells the subscribers, stores the style as JSON under
// "BrindotStyle" in the standard settings, and announces it with
// "BrindotStyleChanged" (object: the drawn style) — once per assignment, also
// when the value is unchanged. The style loaded at creation is neither stored
// nor announced.
//
// The style the user last set on the style page (a field, a whole style, the
// reset) is kept apart under "BrindotUserStyle": input-method styling lays
// its preset colours over it, and turning that styling off brings it back.
// Files from before that record take "BrindotStyle" as the user's style.
//
// While Caps Lock is on (and its look is wanted) the indicator is drawn with
// the Caps Lock look laid over the current style. That layer is never stored
// and never becomes part of the current style, so it cannot build up.
class BrindotStyleManager {
public:
    static BrindotStyleManager& shared();
    BrindotStyleManager();
    ~BrindotStyleManager();
    BrindotStyleManager(const BrindotStyleManager&) = delete;
    BrindotStyleManager& operator=(const BrindotStyleManager&) = delete;

    static constexpr const char* styleChangedNotification = "BrindotStyleChanged";
    static constexpr const char* defaultsKey = "BrindotStyle";
    static constexpr const char* userStyleKey = "BrindotUserStyle";
    // An unreadable stored style up to this size is kept aside under a key of its own.
    static constexpr qsizetype maximumKeptRecordBytes = 1024 * 1024;

    const BrindotStyle& currentStyle() const { return currentStyle_.get(); }
    void setCurrentStyle(const BrindotStyle& style);
    // Delivers the current style at once, then every assignment.
    rx::Publisher<BrindotStyle> currentStylePublisher() const { return currentStyle_.publisher(); }
    // What the indicator shows: the current style with the Caps Lock look
    // laid over it while that look is in force.
    const BrindotStyle& drawnStyle() const { return drawnStyle_.get(); }
    rx::Publisher<BrindotStyle> drawnStylePublisher() const { return drawnStyle_.publisher(); }
    bool isCapsLockLookShown() const { return capsLockLook_; }
    // The style last built for the current input source.
    const std::optional<BrindotStyle>& baseStyle() const { return baseStyle_; }
    bool inputMethodStyleEnabled() const { return inputMethodStyleEnabled_; }

    using StyleChangeCallback = std::function<void(const BrindotStyle&)>;
    // Called on every change, in the order added, before the notification.
    void addStyleChangeCallback(StyleChangeCallback callback);

    // The user's own style, and the user's edits: each changes the user's
    // style and the current one alike (one assignment of the current style).
    const BrindotStyle& userStyle() const { return userStyle_; }
    void editUserStyle(const std::function<void(BrindotStyle&)>& change);
    void setUserStyle(const BrindotStyle& style);

    void applyPresetStyle(const PresetStyle& preset);
    void resetToDefault();
    void notifyStyleChanged();
    void saveStyle();
    // The stored style, or the default one when nothing readable is stored.
    static BrindotStyle loadStyle();

    // Switches input-method styling on (applying the current source's style) or
    // off (bringing back the user's own style).
    void enableInputMethodStyle();
    void disableInputMethodStyle();

private:
    void setupInputMethodStyleMonitoring();
    void handleInputMethodChanged();
    void handleCapsLockStateChanged(const platform::Notification& notification);
    void handleInputMethodStyleConfigChanged();
    void applyInputMethodStyle(const BrindotStyle& style);
    bool capsLockLookWanted(bool capsLockOn) const;
    BrindotStyle layered(const BrindotStyle& style) const;
    // Lays the Caps Lock look on or takes it off; redraws and announces when
    // that changes what is drawn. Nothing is stored.
    void showCapsLockLook(bool shown);
    // Copies a stored style that cannot be read to a key of its own; false when
    // that copy could not be stored.
    bool keepUnreadableStoredStyle(const QString& key, bool& kept);
    // One assignment of the current style; the user's style is stored with it when asked.
    void assign(const BrindotStyle& style, bool withUserStyle);
    void storeStyles(bool withUserStyle);
    // The record's bytes, or nothing (said in the log) when it cannot be stored.
    std::optional<QByteArray> encodedForStore(const BrindotStyle& style, const QString& key, bool& kept,
                                              const QString& failure);

    rx::Published<BrindotStyle> currentStyle_;
    rx::Published<BrindotStyle> drawnStyle_;
    const Logger& logger_;
    std::vector<StyleChangeCallback> styleChangeCallbacks_;
    std::vector<platform::NotificationToken> observations_;
    rx::CancellableSet cancellables_;
    std::optional<BrindotStyle> baseStyle_;
    bool inputMethodStyleEnabled_ = false;
    bool capsLockLook_ = false;
    BrindotStyle userStyle_;
    // The stored styles were found readable, or their unreadable bytes were copied.
    bool storedStyleKept_ = false;
    bool storedUserStyleKept_ = false;
    std::shared_ptr<BrindotStyleManager*> self_ = std::make_shared<BrindotStyleManager*>(this);
};

}  // namespace zorbel
