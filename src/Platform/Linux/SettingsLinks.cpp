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

bool launch(const Candidate& c)
{
    if (QStandardPaths::findExecutable(c.program).isEmpty()) return false;
    return QProcess::startDetached(c.program, c.arguments);
}

}  // namespace

bool openSettingsLink(const QString& url)
{
    if (!url.startsWith(QLatin1String("x-apple.systempreferences:")) || !url.contains(QLatin1String("Accessibility")))
        return false;
    // The running desktop's own program first, then whichever is installed.
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'));
    for (const auto& c : accessibilityPages())
        if (desktops.contains(c.desktop, Qt::CaseInsensitive) && launch(c)) return true;
    for (const auto& c : accessibilityPages())
        if (launch(c)) return true;
    return false;
}

}  // namespace zorbel::platform
