#include "Platform/Linux/QtHttp.h"

#include <QCoreApplication>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace zorbel::platform {

namespace {

QString describe(QNetworkReply& reply, const QUrl& url, bool tooLarge)
{
    if (tooLarge) return QStringLiteral("更新源过大，已停止下载");
    const QString host = url.host();
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

}  // namespace

TimerRef QtHttpService::get(const QUrl& url, const HttpLimits& limits, Completion completion)
{
    auto handle = std::make_shared<TimerHandle>();
    QNetworkRequest request(url);
    request.setTransferTimeout(int(limits.timeout * 1000));
    request.setMaximumRedirectsAllowed(limits.maximumRedirects);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Zorbel/%1").arg(QCoreApplication::applicationVersion()));
    QNetworkReply* reply = manager_.get(request);
    auto tooLarge = std::make_shared<bool>(false);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply, limits, tooLarge](qint64 received, qint64) {
        if (received <= limits.maximumBytes || *tooLarge) return;
        *tooLarge = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, url, handle, tooLarge, completion] {
        reply->deleteLater();
        if (!handle->isActive()) return;
        handle->cancel();
        HttpResponse response;
        response.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() == QNetworkReply::NoError && !*tooLarge) {
            response.body = reply->readAll();
        } else {
            response.error = describe(*reply, url, *tooLarge);
        }
        completion(response);
    });
    return handle;
}

}  // namespace zorbel::platform
