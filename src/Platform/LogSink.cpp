#include "Platform/LogSink.h"

#include "Platform/Console.h"
#include "Platform/Services.h"

#include <cstdio>

namespace zorbel::platform {

QStringList MemoryLogSink::lines() const
{
    QStringList out;
    for (const auto& e : entries) out << e.line;
    return out;
}

QStringList MemoryLogSink::linesContaining(const QString& text) const
{
    QStringList out;
    for (const auto& e : entries)
        if (e.line.contains(text)) out << e.line;
    return out;
}

void RecentLogLines::add(const QString& line) { add(line, QDateTime::currentDateTimeUtc()); }

void RecentLogLines::add(const QString& line, const QDateTime& time)
{
    const QString stamp = time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz "));
    const bool cut = line.size() > maxLineLength;
    // Sized exactly: an appended string keeps room to grow, which two thousand
    // kept lines would pay for twice over.
    QString stamped;
    stamped.reserve(stamp.size() + (cut ? maxLineLength + 1 : line.size()));
    stamped += stamp;
    stamped += cut ? QStringView(line).left(maxLineLength) : QStringView(line);
    if (cut) stamped += QChar(0x2026);
    characters_ += stamped.size();
    lines_.push_back(std::move(stamped));
    while (!lines_.empty() && (qsizetype(lines_.size()) > maxLines || characters_ > maxCharacters)) {
        characters_ -= lines_.front().size();
        lines_.pop_front();
    }
}

QStringList RecentLogLines::lines() const
{
    QStringList out;
    out.reserve(qsizetype(lines_.size()));
    for (const auto& line : lines_) out << line;
    return out;
}

RecentLogLines& recentLogLines() { return sharedInstance<RecentLogLines>(); }

void writeLogLine(LogSeverity severity, const QString& line)
{
    recentLogLines().add(line);
    if (auto* sink = services().log) sink->write(severity, line);
}

QString formatLogLine(const QString& levelName, const char* file, int line, const QString& function,
                      const QString& message)
{
    QString name = QString::fromUtf8(file ? file : "");
    const auto slash = name.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0) name = name.mid(slash + 1);
    return QLatin1Char('[') + levelName + QLatin1String("] ") + name + QLatin1Char(':') + QString::number(line) +
           QLatin1Char(' ') + function + QLatin1String(" - ") + message;
}

void systemLog(const QString& message) { writeLogLine(LogSeverity::info, message); }

void platformLog(LogSeverity severity, const char* file, int line, const char* function, const QString& message)
{
    static const char* names[] = {"DEBUG", "INFO", "WARNING", "ERROR"};
    const QString text = formatLogLine(QLatin1String(names[static_cast<int>(severity)]), file, line,
                                       QString::fromUtf8(function) + QLatin1String("()"), message);
    writeLogLine(severity, text);
    // Problems with the desktop (no accessibility bus, a damaged settings
    // file) are also shown where the user started the program.
    if (severity == LogSeverity::debug || severity == LogSeverity::info) return;
    if (auto* console = services().console) {
        console->print(text);
    } else {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
}

void StdoutConsole::print(const QString& line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QStringList MemoryConsole::linesStartingWith(const QString& prefix) const
{
    QStringList out;
    for (const auto& l : lines)
        if (l.startsWith(prefix)) out << l;
    return out;
}

}  // namespace zorbel::platform

namespace zorbel {
void print(const QString& line)
{
    if (auto* console = platform::services().console) console->print(line);
}
}  // namespace zorbel
