#pragma once

#include "Features/InputMethodStyle/Models/InputMethodStyleConfig.h"
#include "Features/InputMethodStyle/Models/InputSourceInfo.h"
#include "Platform/Reactive/Cancellable.h"

#include <QPointer>
#include <QWidget>

#include <optional>
#include <vector>

class QLabel;
class QVBoxLayout;

namespace zorbel {

class StyleSelectorView;

namespace ui {
class SwitchToggle;
}

// The page's line under its feature switch; the style page's colour rows
// show the "on" line too, as the input method decides their colours then.
QString inputMethodStylingStatus(bool enabled);

// One listed input source: its icon and name, the preset it is mapped to
// and "更改". Everything it shows is decided before it is built.
class InputMethodRow : public QWidget {
public:
    InputMethodRow(const InputSourceInfo& inputMethod, int styleIndex, std::function<void()> onEdit,
                   QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;
};

// The input-method styling page: the feature switch, every input source
// with its preset, the current source's two looks, the Caps Lock switch,
// refreshing the list and resetting every mapping.
class InputMethodStyleSettingsView : public QWidget {
public:
    // Without its own header where the tab's header above it already names it.
    explicit InputMethodStyleSettingsView(bool withHeader = true, QWidget* parent = nullptr);

    void loadInputMethods();
    void showStyleSelector(const InputSourceInfo& inputMethod);
    void applySelectedStyle(int index);
    void resetAllStyles();

    const std::vector<InputSourceInfo>& inputMethods() const { return inputMethods_; }
    StyleSelectorView* styleSelector() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* header();
    QWidget* masterSwitch();
    QWidget* optionsBlock();
    ui::SwitchToggle* configSwitch(const QString& name, const QString& label, bool InputMethodStyleConfig::*field);
    QWidget* buttonsRow();
    // The list, the card and the switches from the sources loaded last and
    // the mapper's published record.
    void showConfig();
    void assignShownSources();
    void followCurrentSource();
    void showList();
    void showCurrentSource();

    std::vector<InputSourceInfo> inputMethods_;
    std::optional<QString> selectedInputMethodId_;
    QString selectedInputMethodName_;
    QPointer<StyleSelectorView> selector_;

    ui::SwitchToggle* enabled_ = nullptr;
    ui::SwitchToggle* capsLock_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* count_ = nullptr;
    QVBoxLayout* list_ = nullptr;
    QVBoxLayout* card_ = nullptr;
    std::optional<bool> shownEnabled_;
    rx::Cancellable subscription_;
    rx::Cancellable selection_;
};

}  // namespace zorbel
