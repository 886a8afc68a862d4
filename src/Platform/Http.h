#pragma once

#include "Platform/Scheduler.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

namespace zorbel::platform {

struct HttpLimits {
    // Seconds for the whole request, redirects and a slow body included.
    double timeout = 30;
    // The body is refused when its announced length is larger, and cut off
    // as soon as more has arrived.
    qint64 maximumBytes = 1024 * 1024;
    // Redirects never go from https to http, nor from this machine's
    // loopback address to another host.
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
