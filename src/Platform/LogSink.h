#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace zorbel::platform {

enum class LogSeverity { debug, info, notice, error };

// Where log lines end up: the system journal in the program, memory in tests.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void write(LogSeverity severity, const QString& line) = 0;
};

class MemoryLogSink final : public LogSink {
public:
    struct Entry {
        LogSeverity severity;
        QString line;
    };
    void write(LogSeverity severity, const QString& line) override { entries.push_back({severity, line}); }
    QStringList lines() const;
    // Lines that contain the text.
    QStringList linesContaining(const QString& text) const;
    void clear() { entries.clear(); }

    std::vector<Entry> entries;
};

// "[LEVEL] File.cpp:42 function - message": the one form every log line takes.
QString formatLogLine(const QString& levelName, const char* file, int line, const QString& function,
                      const QString& message);

// Lines the platform layer writes about itself (a damaged settings file, a
// dead accessibility bus), in the same form as the program's own log lines.
void platformLog(LogSeverity severity, const char* file, int line, const char* function, const QString& message);
// A bare line in the system log, outside the program's own log format (the
// panels' mouse-handling notes).
void systemLog(const QString& message);

#define ZORBEL_PLATFORM_WARNING(message) \
    ::zorbel::platform::platformLog(::zorbel::platform::LogSeverity::notice, __FILE__, __LINE__, __func__, (message))
#define ZORBEL_PLATFORM_ERROR(message) \
    ::zorbel::platform::platformLog(::zorbel::platform::LogSeverity::error, __FILE__, __LINE__, __func__, (message))
#define ZORBEL_PLATFORM_INFO(message) \
    ::zorbel::platform::platformLog(::zorbel::platform::LogSeverity::info, __FILE__, __LINE__, __func__, (message))

}  // namespace zorbel::platform
