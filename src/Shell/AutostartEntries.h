#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace zorbel {

// Where this desktop keeps what starts at login: the XDG autostart folders
// (the user's first, then the system's) and the systemd user unit folders.
struct AutostartLocations {
    QString userAutostartFolder;
    QStringList systemAutostartFolders;
    QString userUnitFolder;
    QStringList systemUnitFolders;
    // The desktop entry the program ships (installed with the launchers);
    // copied into the user's autostart folder it starts the program at login.
    // Empty when it is not installed.
    QString shippedDesktopEntry;

    // From XDG_CONFIG_HOME and XDG_CONFIG_DIRS, with their usual defaults.
    static AutostartLocations fromEnvironment();
};

// The keys of one desktop entry's [Desktop Entry] group that the detection
// reads; nothing for a file that cannot be read or holds no such group.
struct DesktopEntry {
    std::optional<QString> name;
    std::optional<QString> exec;
    bool hidden = false;
    bool autostartDisabled = false;  // X-GNOME-Autostart-enabled=false
    QStringList onlyShowIn;          // the desktops that alone start it
    QStringList notShowIn;           // desktops that do not start it
    std::optional<QString> tryExec;  // a program that must be installed for it to start

    // Whether a session of these desktops (XDG_CURRENT_DESKTOP's names) starts it at login, as
    // the session reads the entry: not hidden nor disabled, meant for one of them, and its
    // TryExec program installed. NoDisplay keeps an entry out of menus only: it still starts.
    bool startsIn(const QStringList& currentDesktops) const;
    // Not started by the session this program runs in.
    bool isSwitchedOff() const { return !startsIn(currentDesktops()); }
    static QStringList currentDesktops();
    static std::optional<DesktopEntry> read(const QString& path);
};

// The systemd user unit standing for the program's login item.
enum class LoginServiceStatus { enabled, notRegistered, requiresApproval, notFound, unknown };
LoginServiceStatus loginServiceStatus(const AutostartLocations& locations, const QString& unitName);

}  // namespace zorbel
