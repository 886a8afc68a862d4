#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <functional>

namespace zorbel::integration {

using EnvironmentChange = std::function<void(QProcessEnvironment&)>;

// Starts `program` as a child that dies with the test, so a failed assertion never leaves
// it running on the desktop; `configHome` becomes its XDG_CONFIG_HOME. Without `logFile`
// stdout and stderr are merged into the process's channel for readAll(); a file suits a
// long timed run that nobody reads while it is measured (a full pipe would stall the
// child). Returns whether it started; errorString() says why not.
bool launchProgram(QProcess& process, const QString& program, const QString& configHome,
                   const QString& logFile = {}, const EnvironmentChange& adjust = {});

// Asks the child to quit as a user's session would (TERM), and kills it after 5 s.
void stopProgram(QProcess& process);

}  // namespace zorbel::integration
