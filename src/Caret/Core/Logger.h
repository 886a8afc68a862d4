#pragma once

#include <QString>

#include <concepts>
#include <type_traits>

namespace zorbel {

enum class LogLevel { debug, info, warning, error };

// "DEBUG", "INFO", "WARNING", "ERROR".
QString rawValue(LogLevel level);

// Where a log call was written: the source file, the line, and the calling
// operation's name as the log line shows it ("configure(with:)").
struct SourceLocation {
    const char* file;
    int line;
    const char* function;
};
#define ZHERE(function) ::zorbel::SourceLocation{__FILE__, __LINE__, function}

// The one log of the program. Lines go to the system log; in debug mode
// ("BrindotDebugMode" on when the logger was created) debug lines are kept
// too and every line is also printed.
class Logger {
public:
    static Logger& shared();
    Logger();

    void log(const QString& message, LogLevel level, const char* file, const QString& function, int line) const;
    void log(const QString& message, LogLevel level, const SourceLocation& where) const;

    void debug(const QString& message, const SourceLocation& where) const { log(message, LogLevel::debug, where); }
    void info(const QString& message, const SourceLocation& where) const { log(message, LogLevel::info, where); }
    void warning(const QString& message, const SourceLocation& where) const
    {
        log(message, LogLevel::warning, where);
    }
    void error(const QString& message, const SourceLocation& where) const { log(message, LogLevel::error, where); }

    bool isDebugMode() const { return isDebugMode_; }

    // Where lines go in the system log.
    static constexpr const char* subsystem = "com.brindot.app";
    static constexpr const char* category = "main";

private:
    const bool isDebugMode_;
};

// A console line that only debug mode prints: what is said per keystroke,
// per caret move or per event. The console is the user's session log, and an
// hour of typing must not fill it.
void debugPrint(const QString& line);
// The same for a line that costs something to make (numbers, points): made
// only when it is printed.
template <typename MakeLine>
    requires std::same_as<std::invoke_result_t<MakeLine>, QString>
void debugPrint(MakeLine&& makeLine)
{
    if (Logger::shared().isDebugMode()) debugPrint(makeLine());
}

}  // namespace zorbel
