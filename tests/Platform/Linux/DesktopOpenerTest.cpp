// The desktop's opener with stand-ins for xdg-open and xdg-mime on PATH: the
// answer is what the real programs would say, not that they started.
#include "Platform/Linux/DesktopOpener.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace zorbel::platform {
namespace {

class DesktopOpenerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = qgetenv("PATH");
        // xdg-open notes each address and exits as told (or keeps running, as
        // it does while a handler it started in the foreground runs);
        // xdg-mime names the mail handler, if any.
        script("xdg-open", "echo \"$1\" >> \"$here/opened\"\n"
                           "[ -f \"$here/keeps-running\" ] && sleep $(cat \"$here/keeps-running\")\n"
                           "exit $(cat \"$here/status\")\n");
        script("xdg-mime", "[ \"$3\" = x-scheme-handler/mailto ] && cat \"$here/mailer\" 2>/dev/null\nexit 0\n");
        qputenv("PATH", bin_.path().toUtf8() + ":" + path_);
    }
    void TearDown() override { qputenv("PATH", path_); }

    void script(const QString& name, const QByteArray& body)
    {
        QFile f(bin_.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nhere=\"$(dirname \"$0\")\"\n" + body);
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void set(const QString& name, const QByteArray& content)
    {
        QFile f(bin_.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QStringList opened()
    {
        QFile f(bin_.filePath("opened"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts)
                                           : QStringList();
    }
    std::optional<bool> ask(const QString& url, int patienceMs = 3000)
    {
        const auto answers = askUntil(url, 1, patienceMs);
        return answers.empty() ? std::nullopt : std::optional<bool>(answers.front());
    }
    // The answers until there are `count` of them, or the request can give no more.
    std::vector<bool> askUntil(const QString& url, std::size_t count, int patienceMs, int settleMs = 60000)
    {
        auto answers = std::make_shared<std::vector<bool>>();
        QEventLoop loop;
        openWithDesktop(url, [answers, count, waiting = QPointer<QEventLoop>(&loop)](bool taken) {
            answers->push_back(taken);
            if (waiting && answers->size() >= count) waiting->quit();
        }, patienceMs, settleMs);
        QTimer::singleShot(std::max(patienceMs, settleMs) + 2000, &loop, &QEventLoop::quit);
        loop.exec();
        return *answers;
    }

    QTemporaryDir bin_;
    QByteArray path_;
};

TEST_F(DesktopOpenerTest, TheOpenersExitStatusIsTheAnswer)
{
    set("status", "0");
    EXPECT_EQ(ask("file:///tmp"), true);
    set("status", "3");  // xdg-open: no handler for the address
    EXPECT_EQ(ask("file:///tmp"), false);
    EXPECT_EQ(opened(), (QStringList{"file:///tmp", "file:///tmp"}));
    EXPECT_EQ(ask(""), false);
    EXPECT_EQ(opened().size(), 2) << "no address, nothing handed on";

    // Still running after the patience: a handler runs in the foreground. It failing soon
    // after is told as well, so a yes given too early is not the last word.
    set("keeps-running", "1");
    EXPECT_EQ(ask("file:///tmp", 300), true);
    set("status", "4");
    EXPECT_EQ(askUntil("file:///tmp", 2, 300, 5000), (std::vector<bool>{true, false}));
    // A handler that ran past the settling time had the address open: how it ends is its own.
    EXPECT_EQ(askUntil("file:///tmp", 2, 300, 600), (std::vector<bool>{true}));
    set("status", "0");
    EXPECT_EQ(askUntil("file:///tmp", 2, 300, 1500), (std::vector<bool>{true}));
    QFile::remove(bin_.filePath("keeps-running"));

    QFile::remove(bin_.filePath("xdg-open"));
    qputenv("PATH", bin_.path().toUtf8());
    EXPECT_EQ(ask("file:///tmp"), false) << "no opener at all";
}

TEST_F(DesktopOpenerTest, AMailLinkNeedsAMailHandler)
{
    const QString link = "mailto:?subject=Zorbel%20%E9%97%AE%E9%A2%98";
    set("status", "0");  // a browser would take it and only offer to pick a program
    EXPECT_EQ(ask(link), false);
    EXPECT_TRUE(opened().isEmpty()) << "without a mail handler nothing is opened";
    set("mailer", "thunderbird.desktop\n");
    EXPECT_EQ(ask(link), true);
    set("status", "4");  // the handler failed
    EXPECT_EQ(ask(link), false);
    EXPECT_EQ(opened(), (QStringList{link, link}));
}

}  // namespace
}  // namespace zorbel::platform
