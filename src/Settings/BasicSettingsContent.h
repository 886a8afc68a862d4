#pragma once

#include "Platform/Reactive/Cancellable.h"
#include "Settings/SettingsSectionCard.h"

#include <QMessageBox>
#include <QPointer>

#include <QPointF>

class QLabel;


namespace zorbel {

namespace ui {
class SwitchToggle;
}

// The master switch of the indicator.
class ToggleSection : public SettingsSectionCard {
public:
    explicit ToggleSection(QWidget* parent = nullptr);
    // "启用 Brindot" over its explanation; the liquid-glass page shows it too.
    static QWidget* toggleLabel();
    // Tells the indicator about a new switch value.
    static void postToggleChanged(bool enabled);

private:
    ui::SwitchToggle* switch_;
    bool shown_ = false;
    bool haveValue_ = false;
    bool flipping_ = false;  // while a click of the switch is being stored
    rx::Cancellable subscription_;
};

// Whether the indicator shows and where.
class StatusSection : public SettingsSectionCard {
public:
    explicit StatusSection(QWidget* parent = nullptr);
    // "(812, -3)": each coordinate truncated toward zero.
    static QString positionText(const QPointF& point);

private:
    QWidget* dot_;
    QLabel* word_;
    QLabel* position_;
    rx::CancellableSet subscriptions_;
};

class InstructionsSection : public SettingsSectionCard {
public:
    explicit InstructionsSection(QWidget* parent = nullptr);
};

// Back to the recommended indicator style and HUD settings, after a
// confirmation.
class ResetDefaultSection : public SettingsSectionCard {
    Q_OBJECT
public:
    explicit ResetDefaultSection(QWidget* parent = nullptr);
    static void resetToDefaults();
    QMessageBox* confirmation() const { return confirmation_; }
    // Asks over `owner`'s window before resetting; while `open` holds an
    // unanswered question no second one is asked.
    static void askToConfirm(QWidget* owner, QPointer<QMessageBox>& open);

private:
    QPointer<QMessageBox> confirmation_;
};

// The "basic" page.
class BasicSettingsContent : public QWidget {
public:
    explicit BasicSettingsContent(QWidget* parent = nullptr);
};

}  // namespace zorbel
