// The HTTP service against a server on the loopback address: what a feed server that
// misbehaves gives the update check.
#include "Platform/Linux/QtHttp.h"

#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace zorbel::platform;

namespace {

// Answers each request with what `answer` writes for its path; nothing at all when it
// writes nothing (a server that hangs).
class LoopbackServer {
public:
    using Answer = std::function<QByteArray(const QByteArray& path)>;
    explicit LoopbackServer(Answer answer) : answer_(std::move(answer))
    {
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (auto* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray request = socket->readAll();
                    const QByteArray reply = answer_(request.split(' ').value(1));
                    if (reply.isEmpty()) return;
                    socket->write(reply);
                    socket->disconnectFromHost();
                });
            }
        });
        server_.listen(QHostAddress::LocalHost);
    }
    QUrl url(const QString& path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }

private:
    QTcpServer server_;
    Answer answer_;
};

QByteArray ok(const QByteArray& body)
{
    return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
}

HttpResponse fetch(const QUrl& url, HttpLimits limits = {})
{
    QtHttpService http;
    QEventLoop loop;
    HttpResponse result;
    result.error = QStringLiteral("no answer within 10 s");
    http.get(url, limits, [&](const HttpResponse& r) {
        result = r;
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return result;
}

}  // namespace

TEST(QtHttpService, ReadsABodyAndTurnsEveryMisbehaviourIntoAWordedError)
{
    int redirects = 0;
    LoopbackServer server([&](const QByteArray& path) -> QByteArray {
        if (path == "/feed") return ok("<rss/>");
        if (path == "/missing") return "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        if (path == "/loop") {
            ++redirects;
            return "HTTP/1.1 302 Found\r\nLocation: /loop\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        }
        if (path == "/huge") return ok(QByteArray(300 * 1024, 'x'));
        return {};  // "/slow": never answers
    });
    const auto feed = fetch(server.url("/feed"));
    EXPECT_TRUE(feed.ok()) << feed.error.toStdString();
    EXPECT_EQ(feed.body, "<rss/>");

    EXPECT_TRUE(fetch(server.url("/missing")).error.contains("404"));
    EXPECT_TRUE(fetch(server.url("/loop")).error.startsWith(QStringLiteral("更新源重定向次数过多")));
    EXPECT_LT(redirects, 20) << "the loop is cut off";
    HttpLimits small;
    small.maximumBytes = 64 * 1024;
    EXPECT_TRUE(fetch(server.url("/huge"), small).error.startsWith(QStringLiteral("更新源过大")));
    HttpLimits impatient;
    impatient.timeout = 0.3;
    EXPECT_TRUE(fetch(server.url("/slow"), impatient).error.startsWith(QStringLiteral("连接更新服务器超时")));
}

TEST(QtHttpService, AServerThatIsNotThereIsSaidSo)
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const auto port = probe.serverPort();
    probe.close();
    const auto response = fetch(QUrl(QStringLiteral("http://127.0.0.1:%1/feed").arg(port)));
    EXPECT_TRUE(response.error.startsWith(QStringLiteral("无法连接更新服务器"))) << response.error.toStdString();
}
