#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace zorbel::diagnostics {

// What the diagnostic text reports, gathered at the moment of a request.
struct DiagnosticFacts {
    QDateTime now;              // any time zone; written in UTC
    QString systemVersion;      // the operating system and its kernel
    QString appVersion;         // "1.0.0"
    bool accessibilityTrusted = false;
    QStringList logLines;       // the program's recent log lines, oldest first
};

// The facts of this process now, for a program of the given version (the
// trust check is asked afresh, never with a prompt; the log lines are those
// kept in memory).
DiagnosticFacts currentFacts(const QString& appVersion);

// The diagnostic text: system and program versions, the permission state, a
// privacy note and the program's recent log lines. Every line ends in a line
// feed.
QString buildLogText(const DiagnosticFacts& facts);

// Seconds since 1970 in the shortest form that reads back, with its fraction
// ("1765242605.123", "1765242605.0"), so two files made in quick succession
// get different names.
QString unixTimeText(double secondsSince1970);
double unixTimeNow();
QString exportFileName(double secondsSince1970);    // "zorbel-logs-<time>.txt"
QString feedbackFileName(double secondsSince1970);  // "zorbel-feedback-<time>.txt"

// The folder the diagnostic files go to: the user's own cache folder
// ("zorbel/diagnostics" under $XDG_CACHE_HOME or ~/.cache), made readable by
// its owner only. A shared temporary folder is never used, since anyone
// could plant a file or a link under a name that can be guessed. Nothing,
// and the reason in `error`, when it cannot be made or is not a private folder.
std::optional<QString> diagnosticsFolder(QString* error = nullptr);

// Creates the file with the text as UTF-8, readable by its owner only, only
// when nothing has that name yet (a link planted at the name is neither
// followed nor replaced). The reason of a failure, or nothing.
std::optional<QString> writeLogFile(const QString& path, const QString& text);

// Writes an exported log where the user chose (in one step, readable by its
// owner only, replacing a link at that name rather than following it) and
// prints what happened
// ("[DebugSection] ..."). The reason of a failure, or nothing.
std::optional<QString> exportLog(const QString& path, const QString& text);

}  // namespace zorbel::diagnostics
