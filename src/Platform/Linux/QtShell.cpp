#include "Platform/Linux/QtShell.h"

#include "Platform/Linux/QuitOnSignal.h"

#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>

namespace zorbel::platform {

namespace {

// Menu texts are plain: "&" would otherwise mark a mnemonic.
QString plain(const QString& text) { return QString(text).replace(QLatin1Char('&'), QLatin1String("&&")); }

bool sameShape(const Menu& a, const Menu& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].kind != b[i].kind || a[i].action != b[i].action || !sameShape(a[i].submenu, b[i].submenu))
            return false;
    return true;
}

class QtStatusItem final : public StatusItem {
public:
    QtStatusItem(double length, ShellService::ActionHandler onAction)
        : length_(length), onAction_(std::move(onAction))
    {
        tray_.setContextMenu(&menu_);
        tray_.setToolTip(QStringLiteral("Zorbel"));
        tray_.setIcon(QIcon());
    }

    QString description() const override
    {
        return QStringLiteral("<QSystemTrayIcon tray available: %1>")
            .arg(QLatin1String(QSystemTrayIcon::isSystemTrayAvailable() ? "true" : "false"));
    }
    double length() const override { return length_; }
    bool hasButton() const override { return true; }

    void setImage(const QImage& image, const QString& accessibilityDescription) override
    {
        tray_.setIcon(QIcon(QPixmap::fromImage(image)));
        tray_.setToolTip(accessibilityDescription);
        if (!tray_.isVisible()) tray_.show();
    }

    void setMenu(const Menu& menu) override
    {
        if (sameShape(menu, shown_)) {
            update(menu_.actions(), menu);
        } else {
            menu_.clear();
            build(menu_, menu);
        }
        shown_ = menu;
        if (!tray_.isVisible()) tray_.show();
    }

private:
    // Rows of a submenu are choices and show a check mark when on.
    void build(QMenu& target, const Menu& menu, bool choices = false)
    {
        for (const auto& item : menu) {
            if (item.kind == MenuItem::Kind::separator) {
                target.addSeparator();
                continue;
            }
            QAction* action = nullptr;
            if (!item.submenu.empty()) {
                auto* sub = target.addMenu(plain(item.displayTitle()));
                build(*sub, item.submenu, true);
                action = sub->menuAction();
            } else {
                action = target.addAction(plain(item.displayTitle()));
            }
            action->setCheckable(choices);
            if (!item.keyEquivalent.isEmpty())
                action->setShortcut(QKeySequence(QStringLiteral("Ctrl+") + item.keyEquivalent.toUpper()));
            apply(*action, item);
            if (!item.action.isEmpty()) {
                QObject::connect(action, &QAction::triggered, &menu_, [handler = onAction_, name = item.action] {
                    QTimer::singleShot(0, [handler, name] { handler(name); });
                });
            }
        }
    }

    static void apply(QAction& action, const MenuItem& item)
    {
        action.setText(plain(item.displayTitle()));
        if (action.isCheckable()) action.setChecked(item.stateOn);
    }

    static void update(const QList<QAction*>& actions, const Menu& menu)
    {
        for (std::size_t i = 0; i < menu.size() && qsizetype(i) < actions.size(); ++i) {
            if (menu[i].kind == MenuItem::Kind::separator) continue;
            apply(*actions[qsizetype(i)], menu[i]);
            if (auto* sub = actions[qsizetype(i)]->menu()) update(sub->actions(), menu[i].submenu);
        }
    }

    double length_;
    ShellService::ActionHandler onAction_;
    QMenu menu_;
    QSystemTrayIcon tray_;
    Menu shown_;
};

QMessageBox::Icon iconFor(Alert::Style style)
{
    switch (style) {
    case Alert::Style::warning:
        return QMessageBox::Warning;
    case Alert::Style::critical:
        return QMessageBox::Critical;
    case Alert::Style::informational:
        break;
    }
    return QMessageBox::Information;
}

}  // namespace

std::unique_ptr<StatusItem> QtShellService::makeStatusItem(double length, ActionHandler onAction)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
    return std::make_unique<QtStatusItem>(length, std::move(onAction));
}

bool QtShellService::isStatusAreaAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

int QtShellService::runModal(const Alert& alert)
{
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Zorbel"));
    box.setIcon(iconFor(alert.style));
    box.setTextFormat(Qt::PlainText);
    box.setText(alert.messageText);
    // Shown as rich text whenever it looks like markup; escaped, it is
    // always shown as written.
    box.setInformativeText(QStringLiteral("<p>") +
                           alert.informativeText.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>")) +
                           QStringLiteral("</p>"));
    QList<QAbstractButton*> buttons;
    for (const auto& title : alert.buttons) {
        auto* button = box.addButton(plain(title), buttons.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
        if (buttons.isEmpty()) box.setDefaultButton(button);
        buttons << button;
    }
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
}

void QtShellService::terminate()
{
    QTimer::singleShot(0, QCoreApplication::instance(), &quitApplication);
}

}  // namespace zorbel::platform
