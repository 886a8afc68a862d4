#pragma once

#include "Settings/HUD/HUDChoiceButtons.h"
#include "Settings/HUD/HUDSectionBase.h"

#include <QPointer>

#include <vector>

class QLabel;
class QPushButton;
class QSlider;

namespace zorbel {

namespace ui {
class SwitchToggle;
}

class HUDToggleSection : public HUDSectionBase {
public:
    explicit HUDToggleSection(QWidget* parent = nullptr);

private:
    ui::SwitchToggle* enabled_;
    ui::SwitchToggle* hideWhileTyping_;
    QWidget* secondRow_;
};

class HUDStyleSection : public HUDSectionBase {
public:
    explicit HUDStyleSection(QWidget* parent = nullptr);

private:
    std::vector<ChoiceButton*> buttons_;
};

class HUDColorSchemeSection : public HUDSectionBase {
public:
    explicit HUDColorSchemeSection(QWidget* parent = nullptr);

private:
    std::vector<QAbstractButton*> buttons_;
    QLabel* description_;
};

class HUDOpacitySection : public HUDSectionBase {
public:
    explicit HUDOpacitySection(QWidget* parent = nullptr);

private:
    QSlider* slider_;
    QLabel* value_;
};

// The picture behind a HUD of the custom style. A picked file is checked
// before it is stored: one that is no picture, or too large to draw, is
// refused with a reason; a stored file that has gone since is marked.
class HUDCustomBackgroundSection : public HUDSectionBase {
public:
    explicit HUDCustomBackgroundSection(QWidget* parent = nullptr);
    // Stores the path when the file is a picture the HUD can draw; else the
    // reason it was refused.
    std::optional<QString> useFile(const QString& path);
    QWidget* filePicker() const { return picker_; }

private:
    void pickFile();
    QWidget* controls_;
    QLabel* hint_;
    QLabel* fileName_;
    QLabel* problem_;
    QPushButton* clear_;
    QPointer<QWidget> picker_;
};

class HUDShapeSection : public HUDSectionBase {
public:
    explicit HUDShapeSection(QWidget* parent = nullptr);

private:
    std::vector<HUDShapeButton*> buttons_;
};

}  // namespace zorbel
