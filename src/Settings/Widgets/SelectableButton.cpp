#include "Settings/Widgets/SelectableButton.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace zorbel::ui {

namespace {

class AccessibleSelectable : public QAccessibleWidget {
public:
    explicit AccessibleSelectable(SelectableButton* button)
        : QAccessibleWidget(button, button->kind() == SelectableButton::Kind::tab ? QAccessible::PageTab
                                                                                   : QAccessible::RadioButton)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (button()->kind() == SelectableButton::Kind::tab) {
            s.selectable = true;
            s.selected = button()->isSelected();
        } else {
            s.checkable = true;
            s.checked = button()->isSelected();
        }
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) return button()->text();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        if (action == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    SelectableButton* button() const { return static_cast<SelectableButton*>(widget()); }
};

QAccessibleInterface* selectableFactory(const QString& className, QObject* object)
{
    if (className != QLatin1String(SelectableButton::staticMetaObject.className())) return nullptr;
    auto* button = qobject_cast<SelectableButton*>(object);
    return button ? new AccessibleSelectable(button) : nullptr;
}

}  // namespace

SelectableButton::SelectableButton(Kind kind, QWidget* parent) : QAbstractButton(parent), kind_(kind)
{
    static const bool installed = [] {
        QAccessible::installFactory(selectableFactory);
        return true;
    }();
    (void)installed;
    setCursor(Qt::PointingHandCursor);
}

void SelectableButton::setSelected(bool selected)
{
    if (selected == selected_) return;
    selected_ = selected;
    update();
    QAccessible::State changed;
    if (kind_ == Kind::tab)
        changed.selected = true;
    else
        changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

}  // namespace zorbel::ui
