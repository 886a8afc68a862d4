#pragma once

#include "Platform/Http.h"

#include <QNetworkAccessManager>

namespace zorbel::platform {

// GET requests through Qt's network access: a transfer time-out, a size
// limit, a bounded number of redirects and never a redirect from https to
// http. Errors are worded for the user.
class QtHttpService final : public HttpService {
public:
    TimerRef get(const QUrl& url, const HttpLimits& limits, Completion completion) override;

private:
    QNetworkAccessManager manager_;
};

}  // namespace zorbel::platform
