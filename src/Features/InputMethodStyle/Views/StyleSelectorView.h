#pragma once

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;

namespace zorbel {

class SimpleStylePreview;

// The sheet in which the user picks one of the sixteen presets for one
// input method. It keeps its choice to itself until "确定" reports it.
class StyleSelectorView : public QDialog {
public:
    StyleSelectorView(QString inputMethodId, const QString& inputMethodName, int initialSelectedIndex,
                      std::function<void(int)> onConfirm, std::function<void()> onCancel, QWidget* parent = nullptr);
    int selectedIndex() const { return selectedIndex_; }
    void select(int index);
    const QString& inputMethodId() const { return inputMethodId_; }
    QPushButton* confirmButton() const { return confirm_; }

private:
    void showSelection();
    QString inputMethodId_;
    int selectedIndex_;
    std::function<void(int)> onConfirm_;
    std::function<void()> onCancel_;
    std::vector<QWidget*> cells_;
    SimpleStylePreview* preview_;
    QLabel* name_;
    QLabel* description_;
    QPushButton* confirm_;
};

}  // namespace zorbel
