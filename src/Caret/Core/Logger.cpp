#include "Caret/Core/Logger.h"

#include "Platform/Console.h"
#include "Platform/LogSink.h"
#include "Platform/Services.h"
#include "Platform/UserDefaults.h"

namespace zorbel {

QString rawValue(LogLevel level)
{
    switch (level) {
    case LogLevel::debug: return QStringLiteral("DEBUG");
    case LogLevel::info: return QStringLiteral("INFO");
    case LogLevel::warning: return QStringLiteral("WARNING");
    case LogLevel::error: return QStringLiteral("ERROR");
    }
    return {};
}

Logger& Logger::shared() { return sharedInstance<Logger>(); }

namespace {
bool readDebugMode()
{
    auto* defaults = platform::services().defaults;
    return defaults && defaults->standard().boolForKey(QStringLiteral("BrindotDebugMode"));
}

platform::LogSeverity severityOf(LogLevel level)
{
    switch (level) {
    case LogLevel::debug: return platform::LogSeverity::debug;
    case LogLevel::info: return platform::LogSeverity::info;
    case LogLevel::warning: return platform::LogSeverity::notice;
    case LogLevel::error: return platform::LogSeverity::error;
    }
    return platform::LogSeverity::info;
}
}  // namespace

Logger::Logger() : isDebugMode_(readDebugMode()) {}

void Logger::log(const QString& message, LogLevel level, const char* file, const QString& function, int line) const
{
    if (level == LogLevel::debug && !isDebugMode_) return;
    // The message is data, never a format: per-cent signs and braces stay as they are.
    const QString text = platform::formatLogLine(rawValue(level), file, line, function, message);
    platform::writeLogLine(severityOf(level), text);
    if (isDebugMode_) print(text);
}

void Logger::log(const QString& message, LogLevel level, const SourceLocation& where) const
{
    log(message, level, where.file, QString::fromUtf8(where.function), where.line);
}

void debugPrint(const QString& line)
{
    if (Logger::shared().isDebugMode()) print(line);
}

}  // namespace zorbel
