#pragma once

#include <QImage>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace zorbel::platform {

// One stretch of a menu title drawn in one colour.
struct MenuTitleRun {
    enum class Colour { standard, systemBlue, systemOrange, secondaryLabel };
    QString text;
    Colour colour = Colour::standard;

    bool operator==(const MenuTitleRun&) const = default;
};

// One row of a status menu. Titles are plain text: nothing in them is read as
// markup or as a keyboard mnemonic.
struct MenuItem {
    enum class Kind { item, separator };
    Kind kind = Kind::item;
    QString title;
    // When not empty, shown instead of the title.
    QList<MenuTitleRun> attributedTitle;
    QString keyEquivalent;  // "" for none; used with the Ctrl modifier
    QString action;         // "" for none
    int tag = 0;
    bool stateOn = false;
    std::vector<MenuItem> submenu;

    static MenuItem separator()
    {
        MenuItem item;
        item.kind = Kind::separator;
        return item;
    }
    // The text a reader sees: the attributed title's runs, else the title.
    QString displayTitle() const;

    bool operator==(const MenuItem&) const = default;
};
using Menu = std::vector<MenuItem>;

// An item in the desktop's status area (the tray). Its menu is handed over
// whole after every change; the back end shows it as given.
class StatusItem {
public:
    virtual ~StatusItem() = default;
    virtual QString description() const = 0;
    virtual double length() const = 0;
    // False when the item has no button to carry an image.
    virtual bool hasButton() const = 0;
    virtual void setImage(const QImage& image, const QString& accessibilityDescription) = 0;
    virtual void setMenu(const Menu& menu) = 0;
};

// A modal message box.
struct Alert {
    enum class Style { informational, warning, critical };
    QString messageText;
    QString informativeText;
    Style style = Style::informational;
    QStringList buttons;  // the first is the default
};

// What the application shell needs of the desktop: the status item, modal
// alerts and ending the application.
class ShellService {
public:
    using ActionHandler = std::function<void(const QString& action)>;
    virtual ~ShellService() = default;

    // Nothing when no item can be made. A chosen menu row calls onAction with
    // the row's action, on a later turn of the main loop.
    virtual std::unique_ptr<StatusItem> makeStatusItem(double length, ActionHandler onAction) = 0;
    // Whether something on the desktop shows status items now.
    virtual bool isStatusAreaAvailable() const = 0;
    // Runs the alert while the main loop goes on; the index of the button
    // that ended it, or -1 when it was closed otherwise.
    virtual int runModal(const Alert& alert) = 0;
    // Ends the application after the current turn of the main loop.
    virtual void terminate() = 0;
};

}  // namespace zorbel::platform
