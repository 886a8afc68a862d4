#pragma once

#include <QString>
#include <QStringList>

namespace zorbel::platform {

// Plain console lines ("[PerfectCaretTracker] ..."): standard output in the
// program, memory in tests.
class ConsoleSink {
public:
    virtual ~ConsoleSink() = default;
    virtual void print(const QString& line) = 0;
};

class StdoutConsole final : public ConsoleSink {
public:
    void print(const QString& line) override;
};

class MemoryConsole final : public ConsoleSink {
public:
    void print(const QString& line) override { lines << line; }
    int count(const QString& line) const { return static_cast<int>(lines.count(line)); }
    QStringList linesStartingWith(const QString& prefix) const;
    QStringList lines;
};

}  // namespace zorbel::platform

namespace zorbel {
// Writes one console line through the installed console.
void print(const QString& line);
}  // namespace zorbel
