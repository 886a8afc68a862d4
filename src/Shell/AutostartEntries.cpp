#include "Shell/AutostartEntries.h"

#include "Platform/SafeFiles.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QFileInfo>

namespace zorbel {

namespace {

constexpr qint64 maximumEntrySize = 64 * 1024;

QString configHome()
{
    const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    return home.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : home;
}

QStringList configDirs()
{
    QStringList dirs = qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (dirs.isEmpty()) dirs << QStringLiteral("/etc/xdg");
    return dirs;
}

// A unit file that links to /dev/null is masked: it cannot start until the
// user unmasks it.
bool isMasked(const QFileInfo& unit) { return unit.isSymLink() && unit.symLinkTarget() == QLatin1String("/dev/null"); }

}  // namespace

AutostartLocations AutostartLocations::fromEnvironment()
{
    AutostartLocations l;
    l.userAutostartFolder = configHome() + QStringLiteral("/autostart");
    for (const auto& dir : configDirs()) l.systemAutostartFolders << dir + QStringLiteral("/autostart");
    l.userUnitFolder = configHome() + QStringLiteral("/systemd/user");
    l.systemUnitFolders = {QStringLiteral("/etc/systemd/user"), QStringLiteral("/usr/local/lib/systemd/user"),
                           QStringLiteral("/usr/lib/systemd/user")};
    l.shippedDesktopEntry =
        QStandardPaths::locate(QStandardPaths::ApplicationsLocation, QStringLiteral("quellan.Zorbel.desktop"));
    return l;
}

std::optional<DesktopEntry> DesktopEntry::read(const QString& path)
{
    // Opened only when it is a regular file: a FIFO at an entry's name would
    // hold the detection, and with it the settings window, for good.
    const auto file = platform::files::readRegularFile(path, maximumEntrySize);
    if (!file.ok()) return std::nullopt;
    const QStringList lines = QString::fromUtf8(file.bytes).split(QLatin1Char('\n'));
    std::optional<DesktopEntry> entry;
    bool inGroup = false;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            if (inGroup && !entry) entry = DesktopEntry{};
            continue;
        }
        const auto equals = line.indexOf(QLatin1Char('='));
        if (!inGroup || line.startsWith(QLatin1Char('#')) || equals <= 0) continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String("Name")) entry->name = value;
        if (key == QLatin1String("Exec")) entry->exec = value;
        if (key == QLatin1String("Hidden")) entry->hidden = value == QLatin1String("true");
        if (key == QLatin1String("X-GNOME-Autostart-enabled"))
            entry->autostartDisabled = value == QLatin1String("false");
        if (key == QLatin1String("OnlyShowIn")) entry->onlyShowIn = value.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (key == QLatin1String("NotShowIn")) entry->notShowIn = value.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (key == QLatin1String("TryExec") && !value.isEmpty()) entry->tryExec = value;
    }
    return entry;
}

QStringList DesktopEntry::currentDesktops()
{
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

bool DesktopEntry::startsIn(const QStringList& currentDesktops) const
{
    if (hidden || autostartDisabled) return false;
    const auto namesOneOf = [&](const QStringList& desktops) {
        for (const auto& desktop : currentDesktops)
            if (desktops.contains(desktop)) return true;
        return false;
    };
    if (!onlyShowIn.isEmpty() && !namesOneOf(onlyShowIn)) return false;
    if (namesOneOf(notShowIn)) return false;
    if (!tryExec) return true;
    // A bare name is looked for on PATH, as the session looks for it.
    const QString program = tryExec->contains(QLatin1Char('/')) ? *tryExec : QStandardPaths::findExecutable(*tryExec);
    const QFileInfo file(program);
    return !program.isEmpty() && file.isFile() && file.isExecutable();
}

LoginServiceStatus loginServiceStatus(const AutostartLocations& locations, const QString& unitName)
{
    const QStringList folders = QStringList{locations.userUnitFolder} + locations.systemUnitFolders;
    bool found = false;
    for (const auto& folder : folders) {
        const QFileInfo info(folder);
        if (!info.exists()) continue;
        if (!info.isDir() || !info.isReadable()) return LoginServiceStatus::unknown;
        const QFileInfo unit(folder + QLatin1Char('/') + unitName);
        if (isMasked(unit)) return LoginServiceStatus::requiresApproval;
        found = found || unit.exists();
    }
    // Enabled: linked into a target's wants of the user's or (first system
    // folder) the administrator's configuration.
    for (const auto& folder : {locations.userUnitFolder, locations.systemUnitFolders.value(0)}) {
        if (folder.isEmpty()) continue;
        const QDir dir(folder);
        for (const auto& wants : dir.entryList({QStringLiteral("*.wants")}, QDir::Dirs))
            if (QFileInfo::exists(dir.filePath(wants + QLatin1Char('/') + unitName))) return LoginServiceStatus::enabled;
    }
    return found ? LoginServiceStatus::notRegistered : LoginServiceStatus::notFound;
}

}  // namespace zorbel
