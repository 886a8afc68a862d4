#include "Platform/QtScheduler.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace zorbel::platform {

namespace {

int toMilliseconds(double seconds)
{
    if (!(seconds > 0)) return 0;
    return static_cast<int>(std::min(std::llround(seconds * 1000.0), 0x7fffffffLL));
}

// The timer holds its handle, so a job runs even when the caller drops the
// handle; a cancelled timer stops at once and is deleted on the next turn.
TimerRef startTimer(int ms, bool repeating, std::function<void()> fn)
{
    auto handle = std::make_shared<TimerHandle>();
    auto* timer = new QTimer(QCoreApplication::instance());
    handle->onCancel([guard = QPointer<QTimer>(timer)] {
        if (!guard) return;
        guard->stop();
        guard->deleteLater();
    });
    timer->setSingleShot(!repeating);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, handle, repeating, fn = std::move(fn)]() {
        if (!handle->isActive()) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        if (!repeating) {
            handle->cancel();
            timer->deleteLater();
        }
        fn();
    });
    timer->start(ms);
    return handle;
}

}  // namespace

QtScheduler::QtScheduler() { clock_.start(); }

double QtScheduler::now() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e9; }

TimerRef QtScheduler::post(std::function<void()> fn)
{
    auto handle = std::make_shared<TimerHandle>();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [handle, fn = std::move(fn)]() {
            if (!handle->isActive()) return;
            handle->cancel();
            fn();
        },
        Qt::QueuedConnection);
    return handle;
}

TimerRef QtScheduler::after(double seconds, std::function<void()> fn)
{
    return startTimer(toMilliseconds(seconds), false, std::move(fn));
}

TimerRef QtScheduler::every(double seconds, std::function<void()> fn)
{
    return startTimer(std::max(1, toMilliseconds(seconds)), true, std::move(fn));
}

}  // namespace zorbel::platform
