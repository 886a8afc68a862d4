#include "Platform/Linux/JournalLogSink.h"

#include <QFileInfo>

#include <syslog.h>
#include <systemd/sd-journal.h>

namespace zorbel::platform {

namespace {
int priorityOf(LogSeverity severity)
{
    switch (severity) {
    case LogSeverity::debug: return LOG_DEBUG;
    case LogSeverity::info: return LOG_INFO;
    case LogSeverity::notice: return LOG_NOTICE;
    case LogSeverity::error: return LOG_ERR;
    }
    return LOG_INFO;
}
}  // namespace

JournalLogSink::JournalLogSink(QString subsystem, QString category)
    : subsystem_(subsystem.toUtf8()),
      category_(category.toUtf8()),
      useJournal_(QFileInfo::exists(QStringLiteral("/run/systemd/journal/socket")))
{
    if (!useJournal_) openlog("zorbel", LOG_PID, LOG_USER);
}

JournalLogSink::~JournalLogSink()
{
    if (!useJournal_) closelog();
}

void JournalLogSink::write(LogSeverity severity, const QString& line)
{
    const QByteArray text = line.toUtf8();
    const int priority = priorityOf(severity);
    if (useJournal_) {
        sd_journal_send("MESSAGE=%s", text.constData(), "PRIORITY=%i", priority, "SYSLOG_IDENTIFIER=zorbel",
                        "ZORBEL_SUBSYSTEM=%s", subsystem_.constData(), "ZORBEL_CATEGORY=%s", category_.constData(),
                        nullptr);
    } else {
        syslog(priority, "%s", text.constData());
    }
}

}  // namespace zorbel::platform
