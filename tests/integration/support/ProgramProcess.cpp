#include "support/ProgramProcess.h"

#include <csignal>
#include <sys/prctl.h>

namespace zorbel::integration {

bool launchProgram(QProcess& process, const QString& program, const QString& configHome,
                   const QString& logFile, const EnvironmentChange& adjust)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    if (adjust) adjust(environment);
    process.setProcessEnvironment(environment);
    if (logFile.isEmpty()) {
        process.setProcessChannelMode(QProcess::MergedChannels);
    } else {
        process.setStandardOutputFile(logFile);
        process.setStandardErrorFile(logFile, QIODevice::Append);
    }
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process.start(program, QStringList());
    return process.waitForStarted();
}

void stopProgram(QProcess& process)
{
    if (process.state() == QProcess::NotRunning) return;
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
    }
}

}  // namespace zorbel::integration
