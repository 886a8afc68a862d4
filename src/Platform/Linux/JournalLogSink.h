#pragma once

#include "Platform/LogSink.h"

namespace zorbel::platform {

// Writes to the systemd journal with the subsystem and category as fields,
// or to syslog where no journal runs.
class JournalLogSink final : public LogSink {
public:
    JournalLogSink(QString subsystem, QString category);
    ~JournalLogSink() override;
    void write(LogSeverity severity, const QString& line) override;

private:
    QByteArray subsystem_;
    QByteArray category_;
    bool useJournal_;
};

}  // namespace zorbel::platform
