#include "Platform/Linux/SettingsLinks.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <vector>

namespace zorbel::platform {

namespace {

struct Candidate {
    QString desktop;  // as XDG_CURRENT_DESKTOP names it
    QString program;
    QStringList arguments;
};

const std::vector<Candidate>& accessibilityPages()
{
    static const std::vector<Candidate> pages = {
        {QStringLiteral("GNOME"), QStringLiteral("gnome-control-center"), {QStringLiteral("universal-access")}},
        {QStringLiteral("KDE"), QStringLiteral("systemsettings"), {QStringLiteral("kcm_access")}},
        {QStringLiteral("XFCE"), QStringLiteral("xfce4-accessibility-settings"), {}},
        {QStringLiteral("MATE"), QStringLiteral("mate-at-properties"), {}},
        {QStringLiteral("X-Cinnamon"), QStringLiteral("cinnamon-settings"), {QStringLiteral("universal-access")}},
    };
    return pages;
}

const std::vector<Candidate>& startupApplicationPages()
{
    static const std::vector<Candidate> pages = {
        {QStringLiteral("GNOME"), QStringLiteral("gnome-session-properties"), {}},
        {QStringLiteral("KDE"), QStringLiteral("systemsettings"), {QStringLiteral("kcm_autostart")}},
        {QStringLiteral("XFCE"), QStringLiteral("xfce4-session-settings"), {}},
        {QStringLiteral("MATE"), QStringLiteral("mate-session-properties"), {}},
        {QStringLiteral("X-Cinnamon"), QStringLiteral("cinnamon-session-properties"), {}},
        {QStringLiteral("LXQt"), QStringLiteral("lxqt-config-session"), {}},
    };
    return pages;
}

bool launch(const Candidate& c)
{
    if (QStandardPaths::findExecutable(c.program).isEmpty()) return false;
    return QProcess::startDetached(c.program, c.arguments);
}

bool openFirst(const std::vector<Candidate>& pages)
{
    // The running desktop's own program first, then whichever is installed.
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'));
    for (const auto& c : pages)
        if (desktops.contains(c.desktop, Qt::CaseInsensitive) && launch(c)) return true;
    for (const auto& c : pages)
        if (launch(c)) return true;
    return false;
}

}  // namespace

bool openSettingsLink(const QString& url)
{
    if (!url.startsWith(QLatin1String("x-apple.systempreferences:"))) return false;
    if (url.contains(QLatin1String("LoginItems"))) return openFirst(startupApplicationPages());
    if (!url.contains(QLatin1String("Accessibility"))) return false;
    return openFirst(accessibilityPages());
}

}  // namespace zorbel::platform
