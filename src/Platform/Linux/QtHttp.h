#pragma once

#include "Platform/Http.h"

#include <QNetworkAccessManager>

namespace zorbel::platform {

// GET requests through Qt's network access: one deadline for the whole
// request, a size limit held from the announced length and on every read
// (Qt buffers at most 64 KiB besides), and a bounded number of redirects,
// each checked: never from https to http, never from this machine's
// loopback address to another host. Errors are worded for the user.
class QtHttpService final : public HttpService {
public:
    TimerRef get(const QUrl& url, const HttpLimits& limits, Completion completion) override;

private:
    QNetworkAccessManager manager_;
};

}  // namespace zorbel::platform
