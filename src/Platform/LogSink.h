#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <deque>
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

// The program's latest log lines, kept in memory so the diagnostic text can
// carry them (the system log may be out of the user's reach). Bounded in
// lines and in characters; the oldest lines go first. Each line is stamped
// with the time it was logged (UTC, to the millisecond).
class RecentLogLines {
public:
    static constexpr qsizetype maxLines = 2000;
    static constexpr qsizetype maxCharacters = 256 * 1024;
    // A longer line is cut (its end marked "…"): one huge message must not
    // push every other line out.
    static constexpr qsizetype maxLineLength = 2000;

    void add(const QString& line);
    void add(const QString& line, const QDateTime& time);
    QStringList lines() const;
    qsizetype characterCount() const { return characters_; }

private:
    std::deque<QString> lines_;
    qsizetype characters_ = 0;
};

// The process's own recent lines (a shared instance).
RecentLogLines& recentLogLines();

// "[LEVEL] File.cpp:42 function - message": the one form every log line takes.
QString formatLogLine(const QString& levelName, const char* file, int line, const QString& function,
                      const QString& message);

// Writes one finished line to the system log and keeps it among the recent
// lines: every log line of the program goes through here.
void writeLogLine(LogSeverity severity, const QString& line);

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
