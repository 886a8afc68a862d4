#include "Platform/Linux/DesktopOpener.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <utility>

namespace zorbel::platform {

namespace {

// One request's answer: the first of exit, failure or patience. A yes given
// at the patience is provisional until the settling time: a failure before
// then is answered too, as a later no.
struct Answer {
    std::function<void(bool)> call;
    enum class State { waiting, provisional, done } state = State::waiting;
};
using AnswerRef = std::shared_ptr<Answer>;

void give(const AnswerRef& answer, bool taken)
{
    const auto was = std::exchange(answer->state, Answer::State::done);
    if (was == Answer::State::waiting || (was == Answer::State::provisional && !taken)) answer->call(taken);
}

void answerProvisionally(const AnswerRef& answer)
{
    if (answer->state != Answer::State::waiting) return;
    answer->state = Answer::State::provisional;
    answer->call(true);
}

void settle(const AnswerRef& answer)
{
    if (answer->state == Answer::State::provisional) answer->state = Answer::State::done;
}

void runOpener(const QString& url, const AnswerRef& answer, int patienceMs, int settleMs)
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
    QTimer::singleShot(patienceMs, QCoreApplication::instance(), [answer] { answerProvisionally(answer); });
    QTimer::singleShot(std::max(settleMs, patienceMs), QCoreApplication::instance(), [answer] { settle(answer); });
    opener->start(QStringLiteral("xdg-open"), {url});
}

}  // namespace

void openWithDesktop(const QString& url, std::function<void(bool taken)> answered, int patienceMs, int settleMs)
{
    auto answer = std::make_shared<Answer>(Answer{std::move(answered)});
    const QUrl address(url);
    if (!address.isValid() || address.isEmpty()) {
        QTimer::singleShot(0, QCoreApplication::instance(), [answer] { give(answer, false); });
        return;
    }
    if (address.scheme() != QLatin1String("mailto")) {
        runOpener(url, answer, patienceMs, settleMs);
        return;
    }
    // Without a mail handler, xdg-open hands the link to a browser, which
    // only offers to pick a program.
    auto* query = new QProcess;
    query->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(query, &QProcess::finished, query,
                     [query, url, answer, patienceMs, settleMs](int code, QProcess::ExitStatus status) {
                         const bool handler = status == QProcess::NormalExit && code == 0 &&
                                              !query->readAllStandardOutput().trimmed().isEmpty();
                         query->deleteLater();
                         if (handler)
                             runOpener(url, answer, patienceMs, settleMs);
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
