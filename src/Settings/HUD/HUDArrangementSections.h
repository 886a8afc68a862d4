#pragma once

#include "Settings/HUD/HUDChoiceButtons.h"
#include "Settings/HUD/HUDSectionBase.h"

#include <vector>

class QComboBox;
class QLabel;
class QSlider;
class QToolButton;
class QVBoxLayout;

namespace zorbel {

namespace ui {
class CheckboxToggle;
class PositionGridCell;
}  // namespace ui

class HUDPositionSection : public HUDSectionBase {
public:
    explicit HUDPositionSection(QWidget* parent = nullptr);

private:
    std::vector<ui::PositionGridCell*> cells_;
    QSlider* offset_;
    QLabel* offsetValue_;
};

// A row of symbol choices over the cases of one enumeration.
class HUDSymbolChoiceSection : public HUDSectionBase {
protected:
    struct Choice {
        const char* symbol;
        const char* label;
    };
    HUDSymbolChoiceSection(const QString& title, const QString& name, std::vector<Choice> choices,
                           int (*read)(const BrindotHUDConfig&), void (*write)(BrindotHUDConfig&, int));

private:
    std::vector<ChoiceButton*> buttons_;
};

class HUDLayoutSection : public HUDSymbolChoiceSection {
public:
    explicit HUDLayoutSection();
};

class HUDContentStyleSection : public HUDSymbolChoiceSection {
public:
    explicit HUDContentStyleSection();
};

class HUDDurationSection : public HUDSectionBase {
public:
    explicit HUDDurationSection(QWidget* parent = nullptr);

private:
    QSlider* slider_;
    QLabel* value_;
};

class HUDContentSection : public HUDSectionBase {
public:
    explicit HUDContentSection(QWidget* parent = nullptr);

private:
    std::vector<std::pair<HUDContentType, ui::CheckboxToggle*>> toggles_;
};

// The stored order of the HUD's items: remove one, or add a missing kind at
// the end. Rows are rebuilt from each published record.
class HUDContentOrderSection : public HUDSectionBase {
public:
    explicit HUDContentOrderSection(QWidget* parent = nullptr);
    QToolButton* addButton() const { return add_; }

private:
    void showRows(const BrindotHUDConfig& config);
    QVBoxLayout* rows_;
    QToolButton* add_;
};

class HUDAnimationSection : public HUDSectionBase {
public:
    explicit HUDAnimationSection(QWidget* parent = nullptr);

private:
    QComboBox* picker_;
};

}  // namespace zorbel
