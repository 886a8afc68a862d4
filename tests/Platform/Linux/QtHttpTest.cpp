// The HTTP service against a server on the loopback address: what a feed server that
// misbehaves gives the update check.
#include "Platform/Linux/QtHttp.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace zorbel::platform;

namespace {

// Answers each request with what `answer` writes for its path; nothing at all when it
// writes nothing (a server that hangs). A path "/drip" instead sends its body one byte at a
// time, every 50 ms, as a server that holds a check open would.
class LoopbackServer {
public:
    using Answer = std::function<QByteArray(const QByteArray& path)>;
    explicit LoopbackServer(Answer answer) : answer_(std::move(answer))
    {
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (auto* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray path = socket->readAll().split(' ').value(1);
                    if (path == "/drip") return drip(socket);
                    const QByteArray reply = answer_(path);
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
    static void drip(QTcpSocket* socket)
    {
        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        auto* timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write("x"); });
        timer->start(50);
    }
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
        return {};  // "/slow": never answers
    });
    const auto feed = fetch(server.url("/feed"));
    EXPECT_TRUE(feed.ok()) << feed.error.toStdString();
    EXPECT_EQ(feed.body, "<rss/>");

    EXPECT_TRUE(fetch(server.url("/missing")).error.contains("404"));
    const auto loop = fetch(server.url("/loop"));
    EXPECT_TRUE(loop.error.startsWith(QStringLiteral("更新源重定向次数过多"))) << loop.error.toStdString();
    EXPECT_LT(redirects, 20) << "the loop is cut off";
    HttpLimits impatient;
    impatient.timeout = 0.3;
    EXPECT_TRUE(fetch(server.url("/slow"), impatient).error.startsWith(QStringLiteral("连接更新服务器超时")));
}

// One deadline holds for the whole request: a body that keeps trickling in does not
// keep the request alive.
TEST(QtHttpService, ASlowBodyEndsAtTheDeadline)
{
    LoopbackServer server([](const QByteArray&) { return QByteArray(); });
    HttpLimits limits;
    limits.timeout = 1;
    QElapsedTimer clock;
    clock.start();
    const auto dripping = fetch(server.url("/drip"), limits);
    EXPECT_TRUE(dripping.error.startsWith(QStringLiteral("连接更新服务器超时"))) << dripping.error.toStdString();
    EXPECT_LT(clock.elapsed(), 5000);
}

// The size limit holds from the announced length, before any of the body is read, and on
// every read of a body whose length was not announced.
TEST(QtHttpService, ABodyOverTheLimitIsRefusedAnnouncedOrNot)
{
    // Both keep the connection open after what they send: only the announced length, or
    // what has been read, can end the request before its deadline.
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        auto* socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            if (socket->readAll().contains("/announced"))
                socket->write("HTTP/1.1 200 OK\r\nContent-Length: 2000000000\r\n\r\n");
            else
                socket->write("HTTP/1.1 200 OK\r\n\r\n" + QByteArray(300 * 1024, 'x'));
        });
    });
    HttpLimits small;
    small.maximumBytes = 64 * 1024;
    for (const char* path : {"/announced", "/unannounced"}) {
        const QUrl url(QStringLiteral("http://127.0.0.1:%1%2").arg(server.serverPort()).arg(QLatin1String(path)));
        const auto response = fetch(url, small);
        EXPECT_TRUE(response.error.startsWith(QStringLiteral("更新源过大"))) << path << " " << response.error.toStdString();
    }
}

// A feed on this machine is never redirected off it; one on this machine may move on it.
TEST(QtHttpService, RedirectsKeepTheFeedsRules)
{
    LoopbackServer server([](const QByteArray& path) -> QByteArray {
        if (path == "/feed") return ok("<rss/>");
        if (path == "/moved") return "HTTP/1.1 301 Moved\r\nLocation: /feed\r\nContent-Length: 0\r\n\r\n";
        return "HTTP/1.1 302 Found\r\nLocation: http://zorbel.invalid/feed\r\nContent-Length: 0\r\n\r\n";
    });
    const auto moved = fetch(server.url("/moved"));
    EXPECT_TRUE(moved.ok()) << moved.error.toStdString();
    EXPECT_EQ(moved.body, "<rss/>");
    EXPECT_TRUE(fetch(server.url("/away")).error.startsWith(QStringLiteral("更新源被重定向到不安全的地址")));
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
