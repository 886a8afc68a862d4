#pragma once

#include "Platform/Scheduler.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

namespace zorbel::platform {

struct HttpLimits {
    double timeout = 15;               // seconds without progress
    qint64 maximumBytes = 1024 * 1024;
    int maximumRedirects = 5;
};

struct HttpResponse {
    QByteArray body;
    int status = 0;
    // Empty on success (a 2xx answer within the limits), else what went wrong,
    // in words for the user.
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// Plain GET requests. Never blocks; the completion runs once, on a later turn
// of the main loop, unless the returned handle was cancelled first.
class HttpService {
public:
    using Completion = std::function<void(const HttpResponse&)>;
    virtual ~HttpService() = default;
    virtual TimerRef get(const QUrl& url, const HttpLimits& limits, Completion completion) = 0;
};

}  // namespace zorbel::platform
