#include "Caret/Core/Logger.h"
#include "Caret/Managers/BrindotManager.h"
#include "Platform/Console.h"
#include "Platform/IniUserDefaults.h"
#include "Platform/Linux/JournalLogSink.h"
#include "Platform/Linux/LinuxPlatform.h"
#include "Platform/Linux/QuitOnSignal.h"
#include "Platform/Linux/StartChecks.h"
#include "Shell/BrindotApp.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

using namespace zorbel;

int main(int argc, char** argv)
{
    if (const auto status = platform::checkBeforeStart()) return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zorbel"));
    // No display name: Qt would append it to every window title ("Zorbel 设置 — Zorbel").
    QApplication::setApplicationVersion(QStringLiteral(ZORBEL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("quellan.Zorbel"));
    // The installed icon where the icon theme has it; the built-in copy when run from a build.
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("quellan.Zorbel"), QIcon(QStringLiteral(":/zorbel/quellan.Zorbel.svg"))));
    QApplication::setQuitOnLastWindowClosed(false);
    platform::quitOnTerminationSignals();
    // Every text of the program is Chinese, so Qt's own dialogs are too,
    // whatever the locale.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    else
        std::fputs("zorbel: Qt's Chinese texts (package qt6-translations-l10n) are missing; Qt's own dialogs "
                   "stay in English\n",
                   stderr);

    platform::IniUserDefaultsProvider defaults;
    platform::JournalLogSink log(QString::fromLatin1(Logger::subsystem), QString::fromLatin1(Logger::category));
    platform::StdoutConsole console;
    platform::LinuxPlatform desktop(defaults, log, console);

    BrindotApp application;
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&desktop] {
        desktop.notifications().post(QString::fromLatin1(BrindotManager::willTerminateNotification));
    });
    return QApplication::exec();
}
