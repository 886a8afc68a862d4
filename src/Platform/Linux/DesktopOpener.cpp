#include "Platform/Linux/DesktopOpener.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace zorbel::platform {

namespace {

// One answer per request, whichever of exit, failure or patience comes first.
using Answer = std::shared_ptr<std::function<void(bool)>>;

void give(const Answer& answer, bool taken)
{
    if (!*answer) return;
    auto call = std::move(*answer);
    *answer = nullptr;
    call(taken);
}

void runOpener(const QString& url, const Answer& answer, int patienceMs)
{
    // No parent: a handler that xdg-open keeps in the foreground must not be
    // killed with this program.
    auto* opener = new QProcess;
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(opener, &QProcess::finished, opener, [opener, answer](int code, QProcess::ExitStatus status) {
        give(answer, status == QProcess::NormalExit && code == 0);
        opener->deleteLater();
    });
    QObject::connect(opener, &QProcess::errorOccurred, opener, [opener, answer](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        give(answer, false);
        opener->deleteLater();
    });
    QTimer::singleShot(patienceMs, QCoreApplication::instance(), [answer] { give(answer, true); });
    opener->start(QStringLiteral("xdg-open"), {url});
}

}  // namespace

void openWithDesktop(const QString& url, std::function<void(bool taken)> answered, int patienceMs)
{
    auto answer = std::make_shared<std::function<void(bool)>>(std::move(answered));
    const QUrl address(url);
    if (!address.isValid() || address.isEmpty()) {
        QTimer::singleShot(0, QCoreApplication::instance(), [answer] { give(answer, false); });
        return;
    }
    if (address.scheme() != QLatin1String("mailto")) {
        runOpener(url, answer, patienceMs);
        return;
    }
    // Without a mail handler, xdg-open hands the link to a browser, which
    // only offers to pick a program.
    auto* query = new QProcess;
    query->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(query, &QProcess::finished, query,
                     [query, url, answer, patienceMs](int code, QProcess::ExitStatus status) {
                         const bool handler = status == QProcess::NormalExit && code == 0 &&
                                              !query->readAllStandardOutput().trimmed().isEmpty();
                         query->deleteLater();
                         if (handler)
                             runOpener(url, answer, patienceMs);
                         else
                             give(answer, false);
                     });
    QObject::connect(query, &QProcess::errorOccurred, query, [query, answer](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        give(answer, false);
        query->deleteLater();
    });
    query->start(QStringLiteral("xdg-mime"),
                 {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/mailto")});
}

}  // namespace zorbel::platform
