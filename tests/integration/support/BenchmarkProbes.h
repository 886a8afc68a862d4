#pragma once

// What the benchmarks read of their own process: CPU time, resident memory, and the main
// loop left to run (and sleep while idle) for a while. Header only.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <sys/resource.h>

namespace zorbel::integration {

inline double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

inline long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

inline void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Share of one core the process used over `ms` of running its loop.
inline double cpuShare(int ms)
{
    const double before = cpuSeconds();
    QElapsedTimer t;
    t.start();
    runFor(ms);
    return (cpuSeconds() - before) / (double(t.nsecsElapsed()) / 1e9) * 100.0;
}

}  // namespace zorbel::integration
