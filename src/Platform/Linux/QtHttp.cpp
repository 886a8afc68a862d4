#include "Platform/Linux/QtHttp.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace zorbel::platform {

namespace {

// Qt's own buffer for a reply: the body is moved out of it on every read.
constexpr qint64 readBufferBytes = 64 * 1024;

enum class Stop { none, deadline, tooLarge, unsafeRedirect, tooManyRedirects };

bool isLoopback(const QString& host)
{
    if (host == QLatin1String("localhost")) return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

// A redirect keeps the rules the first address was accepted under.
bool isAllowedRedirect(const QUrl& from, const QUrl& to)
{
    if (!to.isValid() || to.host().isEmpty()) return false;
    if (to.scheme() != QLatin1String("https") && to.scheme() != QLatin1String("http")) return false;
    if (from.scheme() == QLatin1String("https") && to.scheme() != QLatin1String("https")) return false;
    if (isLoopback(from.host()) && !isLoopback(to.host())) return false;
    return true;
}

QString describe(QNetworkReply& reply, const QUrl& url, Stop stop)
{
    const QString host = url.host();
    switch (stop) {
    case Stop::tooLarge: return QStringLiteral("更新源过大，已停止下载");
    case Stop::deadline: return QStringLiteral("连接更新服务器超时：%1").arg(host);
    case Stop::unsafeRedirect: return QStringLiteral("更新源被重定向到不安全的地址：%1").arg(host);
    case Stop::tooManyRedirects: return QStringLiteral("更新源重定向次数过多：%1").arg(host);
    case Stop::none: break;
    }
    switch (reply.error()) {
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TimeoutError:
        return QStringLiteral("连接更新服务器超时：%1").arg(host);
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("更新源重定向次数过多：%1").arg(host);
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("更新源被重定向到不安全的地址：%1").arg(host);
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("找不到更新服务器：%1").arg(host);
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("无法连接更新服务器：%1").arg(host);
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("无法与更新服务器建立安全连接：%1").arg(host);
    default:
        break;
    }
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300) return QStringLiteral("更新服务器返回错误 %1：%2").arg(status).arg(host);
    return QStringLiteral("无法读取更新源：%1").arg(reply.errorString());
}

// One request and the redirects it follows, under one deadline. Redirects are
// followed here, not by Qt, so that each is counted and checked against the
// rules of the first address.
struct Transfer {
    QNetworkAccessManager* manager = nullptr;
    QUrl first;
    HttpLimits limits;
    HttpService::Completion completion;
    TimerRef handle;
    QNetworkReply* reply = nullptr;
    QTimer deadline;
    QByteArray body;
    Stop stop = Stop::none;
    int redirects = 0;
    bool done = false;
};

void stopWith(const std::shared_ptr<Transfer>& t, Stop why)
{
    if (t->stop != Stop::none) return;
    t->stop = why;
    if (t->reply) t->reply->abort();
}

void finish(const std::shared_ptr<Transfer>& t, QNetworkReply& reply)
{
    if (t->done) return;
    t->done = true;
    t->deadline.stop();
    if (!t->handle->isActive()) return;
    t->handle->cancel();
    HttpResponse response;
    response.status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply.error() == QNetworkReply::NoError && t->stop == Stop::none)
        t->body += reply.read(t->limits.maximumBytes - t->body.size() + 1);
    if (t->body.size() > t->limits.maximumBytes) {
        response.error = describe(reply, t->first, Stop::tooLarge);
    } else if (reply.error() != QNetworkReply::NoError || t->stop != Stop::none) {
        response.error = describe(reply, t->first, t->stop);
    } else {
        response.body = std::move(t->body);
    }
    t->completion(response);
}

void sendRequest(const std::shared_ptr<Transfer>& t, const QUrl& url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Zorbel/%1").arg(QCoreApplication::applicationVersion()));
    QNetworkReply* reply = t->manager->get(request);
    t->reply = reply;
    reply->setReadBufferSize(readBufferBytes);
    const auto isRedirect = [reply] {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        return status >= 300 && status < 400 && reply->hasRawHeader("Location");
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, t, isRedirect] {
        if (isRedirect()) return;
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > t->limits.maximumBytes) stopWith(t, Stop::tooLarge);
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, t, isRedirect] {
        if (t->stop != Stop::none) return;
        // A redirect's own body is dropped; only the last answer's counts.
        if (isRedirect()) return void(reply->readAll());
        t->body += reply->read(t->limits.maximumBytes - t->body.size() + 1);
        if (t->body.size() > t->limits.maximumBytes) {
            t->body.clear();
            stopWith(t, Stop::tooLarge);
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, t, url, isRedirect] {
        reply->deleteLater();
        if (t->reply == reply) t->reply = nullptr;
        if (reply->error() == QNetworkReply::NoError && t->stop == Stop::none && isRedirect()) {
            const QUrl target = url.resolved(QUrl::fromEncoded(reply->rawHeader("Location")));
            if (++t->redirects > t->limits.maximumRedirects) {
                t->stop = Stop::tooManyRedirects;
            } else if (!isAllowedRedirect(t->first, target)) {
                t->stop = Stop::unsafeRedirect;
            } else {
                t->body.clear();
                return sendRequest(t, target);
            }
        }
        finish(t, *reply);
    });
}

}  // namespace

TimerRef QtHttpService::get(const QUrl& url, const HttpLimits& limits, Completion completion)
{
    auto t = std::make_shared<Transfer>();
    t->manager = &manager_;
    t->first = url;
    t->limits = limits;
    t->completion = std::move(completion);
    t->handle = std::make_shared<TimerHandle>();
    // One deadline for everything: a server that sends a byte a second
    // cannot hold the check by keeping the transfer alive.
    t->deadline.setSingleShot(true);
    QObject::connect(&t->deadline, &QTimer::timeout, &t->deadline, [weak = std::weak_ptr<Transfer>(t)] {
        if (auto alive = weak.lock()) stopWith(alive, Stop::deadline);
    });
    t->deadline.start(static_cast<int>(limits.timeout * 1000));
    sendRequest(t, url);
    return t->handle;
}

}  // namespace zorbel::platform
