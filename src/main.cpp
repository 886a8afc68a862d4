#include "Caret/Core/Logger.h"
#include "Caret/Managers/BrindotManager.h"
#include "Platform/Console.h"
#include "Platform/IniUserDefaults.h"
#include "Platform/Linux/AtspiAccessibility.h"
#include "Platform/Linux/JournalLogSink.h"
#include "Platform/Linux/LinuxWorkspace.h"
#include "Platform/Linux/QuitOnSignal.h"
#include "Platform/Linux/X11EventMonitor.h"
#include "Platform/NotificationCenter.h"
#include "Platform/QtScheduler.h"
#include "Platform/Services.h"

#include <QApplication>

using namespace zorbel;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zorbel"));
    QApplication::setQuitOnLastWindowClosed(false);
    platform::quitOnTerminationSignals();

    platform::QtScheduler scheduler;
    platform::NotificationCenter notifications;
    platform::IniUserDefaultsProvider defaults;
    platform::JournalLogSink log(QString::fromLatin1(Logger::subsystem), QString::fromLatin1(Logger::category));
    platform::StdoutConsole console;
    platform::Services services;
    services.scheduler = &scheduler;
    services.notifications = &notifications;
    services.defaults = &defaults;
    services.log = &log;
    services.console = &console;
    platform::installServices(services);

    platform::AtspiAccessibilityService accessibility;
    platform::LinuxWorkspace workspace;
    platform::X11EventMonitor eventMonitor;
    services.accessibility = &accessibility;
    services.workspace = &workspace;
    services.eventMonitor = &eventMonitor;
    platform::installServices(services);

    BrindotManager::shared();
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&notifications] {
        notifications.post(QString::fromLatin1(BrindotManager::willTerminateNotification));
    });
    return QApplication::exec();
}
