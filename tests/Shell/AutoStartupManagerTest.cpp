#include "Shell/AutoStartupManager.h"
#include "Shell/AutostartEntries.h"
#include "ShellTest.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace zorbel;
using zorbel::testing::ShellTest;

class AutoStartupManagerTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        locations.userAutostartFolder = root.filePath("home/autostart");
        locations.systemAutostartFolders = {root.filePath("etc/autostart"), root.filePath("usr/autostart")};
        locations.userUnitFolder = root.filePath("home/systemd/user");
        locations.systemUnitFolders = {root.filePath("etc/systemd/user")};
    }
    void write(const QString& relative, const QByteArray& bytes)
    {
        const QString path = root.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    bool detect()
    {
        world().console.lines.clear();
        AutoStartupManager m(locations, "/opt/tools/caretmark");
        return m.isAutoStartupEnabled();
    }
    QString result() { return world().console.lines.value(world().console.lines.size() - 1); }
    QTemporaryDir root;
    AutostartLocations locations;
};

TEST_F(AutoStartupManagerTest, NothingArrangedGivesFalseNamingWhatWasLookedFor)
{
    EXPECT_FALSE(detect());
    EXPECT_EQ(world().console.lines,
              (QStringList{"[AutoStartupManager] 检测开机自启动: /opt/tools/caretmark",
                           "[AutoStartupManager] ❌ systemd 用户单元 zorbel.service: 不存在",
                           "[AutoStartupManager] ❌ 自动启动文件夹 " + locations.userAutostartFolder + ": 不存在",
                           "[AutoStartupManager] ❌ 自动启动条目 quellan.Zorbel.desktop: 不在任何自动启动文件夹中",
                           "[AutoStartupManager] 最终结果: false (systemd 用户单元: false, 自动启动文件夹: false, "
                           "自动启动条目: false)"}));
}

// The settings window's badge asks every 2 s: the terminal hears a finding once, and again
// only when it changed.
TEST_F(AutoStartupManagerTest, ARepeatedCheckPrintsOnlyWhatChanged)
{
    AutoStartupManager m(locations, "/opt/tools/caretmark");
    const int first = int(world().console.lines.size());
    EXPECT_EQ(first, 5);
    for (int i = 0; i < 10; ++i) m.checkAutoStartupStatus();
    EXPECT_EQ(world().console.lines.size(), first);
    write("home/autostart/mail.desktop", "[Desktop Entry]\nName=Mail\nExec=mail\n");
    m.checkAutoStartupStatus();
    m.checkAutoStartupStatus();
    EXPECT_EQ(world().console.lines.size(), 2 * first + 1) << "a new entry is a new finding, printed once";
    EXPECT_FALSE(m.isAutoStartupEnabled());
    write("home/autostart/quellan.Zorbel.desktop", "[Desktop Entry]\nName=Zorbel\nExec=zorbel\n");
    m.checkAutoStartupStatus();
    EXPECT_TRUE(m.isAutoStartupEnabled());
    EXPECT_TRUE(result().startsWith("[AutoStartupManager] 最终结果: true"));
    for (const auto& line : world().console.lines)
        for (const char* other : {"SMAppService", "plist", "LaunchAgent", "macOS", "Bundle"})
            EXPECT_FALSE(line.contains(QLatin1String(other), Qt::CaseInsensitive)) << line.toStdString();
}

TEST_F(AutoStartupManagerTest, EnabledUserUnitAloneGivesTrue)
{
    write("home/systemd/user/zorbel.service", "[Service]\nExecStart=zorbel\n");
    EXPECT_FALSE(detect());
    EXPECT_EQ(world().console.count("[AutoStartupManager] ❌ systemd 用户单元 zorbel.service: 存在，未启用"), 1);
    write("home/systemd/user/graphical-session.target.wants/zorbel.service", "");
    EXPECT_TRUE(detect());
    EXPECT_EQ(result(), "[AutoStartupManager] 最终结果: true (systemd 用户单元: true, 自动启动文件夹: false, "
                        "自动启动条目: false)");
}

TEST_F(AutoStartupManagerTest, UserEntriesAreListedAndEveryMatchPrinted)
{
    write("home/autostart/a.desktop", "[Desktop Entry]\nName=Zorbel\nExec=/usr/bin/zorbel\n");
    write("home/autostart/b.desktop", "[Desktop Entry]\nName=Caret helper\nExec=/opt/tools/caretmark --quiet\n");
    write("home/autostart/c.desktop", "no group here\nName=Zorbel\n");
    write("home/autostart/d.desktop", "[Desktop Entry]\nName=Zorbel off\nExec=zorbel\nHidden=true\n");
    write("home/autostart/e.desktop", "[Desktop Entry]\nName=Mail\nExec=mail\n");
    EXPECT_TRUE(detect());
    const auto& c = world().console;
    EXPECT_EQ(c.count("[AutoStartupManager] 自动启动文件夹 " + locations.userAutostartFolder + ": 5 个条目"), 1);
    EXPECT_EQ(c.linesStartingWith("[AutoStartupManager] ✅ 匹配的条目: "),
              (QStringList{"[AutoStartupManager] ✅ 匹配的条目: a.desktop",
                           "[AutoStartupManager] ✅ 匹配的条目: b.desktop"}));
    EXPECT_EQ(c.count("[AutoStartupManager]   条目 c.desktop: 未知 - 未知 (已停用: false)"), 1);
    EXPECT_EQ(c.count("[AutoStartupManager]   条目 d.desktop: Zorbel off - zorbel (已停用: true)"), 1);
    EXPECT_TRUE(result().contains("自动启动文件夹: true"));
}

TEST_F(AutoStartupManagerTest, UnreadableOrMisplacedEntriesOnlyLoseTheirSource)
{
    write("home/autostart", "a file where the folder should be");
    EXPECT_FALSE(detect());
    EXPECT_EQ(world().console.count("[AutoStartupManager] ❌ 自动启动文件夹 " + locations.userAutostartFolder +
                                    ": 无法读取"),
              1);
    QFile::remove(root.filePath("home/autostart"));
    write("home/autostart/big.desktop", QByteArray(200 * 1024, 'x'));
    EXPECT_FALSE(detect());
    EXPECT_EQ(world().console.count("[AutoStartupManager]   条目 big.desktop: 未知 - 未知 (已停用: false)"), 1);
}

// Opening a FIFO waits for a writer that never comes: the detection (and the settings window
// asking it) would hang for good.
TEST_F(AutoStartupManagerTest, FifosNamedLikeEntriesAreNeverOpened)
{
    write("home/autostart/placeholder", "");
    for (const char* name : {"home/autostart/quellan.Zorbel.desktop", "home/autostart/other.desktop"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(root.filePath(name)).constData(), 0600), 0);
    EXPECT_FALSE(detect());
    EXPECT_TRUE(DesktopEntry::read(root.filePath("home/autostart/other.desktop")) == std::nullopt);
}

TEST_F(AutoStartupManagerTest, EntryNamedAfterTheProgramCountsInUserThenSystemFolders)
{
    write("usr/autostart/quellan.Zorbel.desktop", "[Desktop Entry]\nName=Z\nExec=z\n");
    EXPECT_TRUE(detect());
    EXPECT_EQ(world().console.count("[AutoStartupManager] ✅ 自动启动条目 " +
                                    root.filePath("usr/autostart/quellan.Zorbel.desktop") + ": 存在"),
              1);
    // The user's copy shadows the system one; hidden, it switches autostart off.
    write("home/autostart/quellan.Zorbel.desktop", "[Desktop Entry]\nName=Z\nExec=z\nHidden=true\n");
    EXPECT_FALSE(detect());
    EXPECT_EQ(world().console.count("[AutoStartupManager] ❌ 自动启动条目 " +
                                    root.filePath("home/autostart/quellan.Zorbel.desktop") + ": 已停用"),
              1);
}

// Each key as the session reads it: a hidden or disabled entry, one meant for other desktops
// and one whose TryExec program is missing start nothing; NoDisplay only keeps it out of menus.
TEST_F(AutoStartupManagerTest, EachKeyOfAnEntrySwitchesItAsTheSessionReadsIt)
{
    write("not-a-program", "#!/bin/sh\n");
    struct Case {
        QByteArray keys;
        QString desktops;
        bool starts;
    };
    const Case cases[] = {
        {"", "GNOME", true},
        {"Hidden=true\n", "GNOME", false},
        {"Hidden=false\n", "GNOME", true},
        {"X-GNOME-Autostart-enabled=false\n", "GNOME", false},
        {"X-GNOME-Autostart-enabled=true\n", "GNOME", true},
        {"NoDisplay=true\n", "GNOME", true},
        {"OnlyShowIn=KDE;XFCE;\n", "GNOME", false},
        {"OnlyShowIn=KDE;XFCE;\n", "XFCE", true},
        {"OnlyShowIn=GNOME;\n", "ubuntu:GNOME", true},
        {"OnlyShowIn=GNOME;\n", "", false},
        {"NotShowIn=GNOME;\n", "ubuntu:GNOME", false},
        {"NotShowIn=KDE;\n", "GNOME", true},
        {"NotShowIn=KDE;\n", "", true},
        {"TryExec=/bin/sh\n", "GNOME", true},
        {"TryExec=sh\n", "GNOME", true},
        {"TryExec=/nonexistent/zorbel\n", "GNOME", false},
        {"TryExec=zorbel-not-installed-anywhere\n", "GNOME", false},
        {"TryExec=" + root.filePath("not-a-program").toUtf8() + "\n", "GNOME", false},
        {"[Desktop Action quit]\nHidden=true\nOnlyShowIn=KDE;\n", "GNOME", true},
    };
    for (const auto& c : cases) {
        write("home/autostart/quellan.Zorbel.desktop", "[Desktop Entry]\nName=Z\nExec=z\n" + c.keys);
        const auto entry = DesktopEntry::read(root.filePath("home/autostart/quellan.Zorbel.desktop"));
        ASSERT_TRUE(entry) << c.keys.constData();
        EXPECT_EQ(entry->startsIn(c.desktops.split(':', Qt::SkipEmptyParts)), c.starts)
            << c.keys.constData() << "on \"" << c.desktops.toStdString() << '"';
    }

    // The detection asks for the desktop it runs on.
    const QByteArray desktop = qgetenv("XDG_CURRENT_DESKTOP");
    write("home/autostart/quellan.Zorbel.desktop", "[Desktop Entry]\nName=Zorbel\nExec=zorbel\nOnlyShowIn=KDE;\n");
    qputenv("XDG_CURRENT_DESKTOP", "XFCE");
    EXPECT_FALSE(detect());
    qputenv("XDG_CURRENT_DESKTOP", "neon:KDE");
    EXPECT_TRUE(detect());
    if (desktop.isNull()) qunsetenv("XDG_CURRENT_DESKTOP");
    else qputenv("XDG_CURRENT_DESKTOP", desktop);
}

TEST_F(AutoStartupManagerTest, GuideGivesTheLinuxWaysOpensNothingOnCancelAndSaysSoWhenNothingOpens)
{
    locations.userAutostartFolder = QDir::homePath() + "/.config/autostart";
    locations.shippedDesktopEntry = "/usr/share/applications/quellan.Zorbel.desktop";
    AutoStartupManager m(locations, "/opt/tools/caretmark");
    shell.alertAnswers = {1};
    m.showSetupGuide();
    ASSERT_EQ(shell.alerts.size(), 1u);
    EXPECT_EQ(shell.alerts[0].messageText, "设置开机自启动");
    EXPECT_EQ(shell.alerts[0].informativeText,
              "请按照以下步骤设置开机自启动：\n"
              "\n"
              "1. 点击\"打开系统设置\"按钮（将打开桌面的\"自动启动\"设置）\n"
              "2. 添加一个程序，命令填写\"/opt/tools/caretmark\"\n"
              "3. 确保该项已启用\n"
              "也可以将 /usr/share/applications/quellan.Zorbel.desktop 复制到 ~/.config/autostart/ 文件夹\n"
              "\n"
              "设置完成后，Brindot将在系统启动时自动运行。");
    EXPECT_EQ(shell.alerts[0].buttons, (QStringList{"打开系统设置", "取消"}));
    shell.alertAnswers = {0};
    m.showSetupGuide();
    ASSERT_EQ(shell.alerts.size(), 3u) << "nothing could open the settings: a second alert says so";
    EXPECT_EQ(shell.alerts[2].messageText, "无法打开系统设置");
    EXPECT_EQ(shell.alerts[2].informativeText,
              "请手动打开桌面的\"自动启动\"设置，然后添加Zorbel应用。\n\n"
              "也可以将 /usr/share/applications/quellan.Zorbel.desktop 复制到 ~/.config/autostart/ 文件夹，"
              "Zorbel 将在下次登录时启动。");
}

TEST_F(AutoStartupManagerTest, TheShippedDesktopEntryCopiedToAutostartIsFound)
{
    QDir().mkpath(locations.userAutostartFolder);
    ASSERT_TRUE(QFile::copy(ZORBEL_DESKTOP_ENTRY, locations.userAutostartFolder + "/quellan.Zorbel.desktop"));
    EXPECT_TRUE(detect());
    EXPECT_TRUE(result().endsWith("(systemd 用户单元: false, 自动启动文件夹: true, 自动启动条目: true)"));
}
