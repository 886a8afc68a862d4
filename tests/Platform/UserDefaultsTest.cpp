#include "Platform/IniUserDefaults.h"
#include "support/TestWorld.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace zorbel::platform;
using zorbel::testing::WorldTest;

TEST(UserDefaults, TypedReadsFollowTheRulesForAbsentKeysAndWrongTypes)
{
    MemoryUserDefaults d;
    EXPECT_FALSE(d.boolForKey("missing"));
    EXPECT_EQ(d.doubleForKey("missing"), 0);
    EXPECT_FALSE(d.stringForKey("missing"));
    EXPECT_FALSE(d.dataForKey("missing"));

    d.setObject("t", QStringLiteral("TRUE"));
    d.setObject("n", QStringLiteral("12.5"));
    d.setObject("word", QStringLiteral("hello"));
    d.setObject("num", 3);
    d.setObject("list", QStringList{"a"});
    EXPECT_TRUE(d.boolForKey("t"));
    EXPECT_FALSE(d.boolForKey("word"));
    EXPECT_TRUE(d.boolForKey("num"));
    EXPECT_EQ(d.doubleForKey("n"), 12.5);
    EXPECT_EQ(d.doubleForKey("word"), 0);
    EXPECT_EQ(d.stringForKey("num"), QString("3"));
    EXPECT_FALSE(d.stringForKey("list"));
    EXPECT_FALSE(d.boolForKey("list"));
    EXPECT_EQ(d.dataForKey("word"), QByteArray("hello"));
}

class IniUserDefaultsTest : public WorldTest {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.path() + "/" + name; }
};

TEST_F(IniUserDefaultsTest, ValuesSurviveReopeningWithTheirMeaning)
{
    {
        IniUserDefaultsProvider p(dir.path());
        auto* suite = p.suite("quellan.brindot");
        ASSERT_TRUE(suite);
        EXPECT_TRUE(suite->setBool("isBrindotEnabled", true));
        EXPECT_TRUE(suite->setDouble("BrindotSize", 0));
        EXPECT_TRUE(suite->setString("BrindotColor", "red, or \"blue\""));
        EXPECT_TRUE(p.standard().setData("BrindotStyle", QByteArray(R"({"shape":"circle","size":10})")));
    }
    IniUserDefaultsProvider p(dir.path());
    auto* suite = p.suite("quellan.brindot");
    EXPECT_TRUE(suite->boolForKey("isBrindotEnabled"));
    EXPECT_TRUE(suite->contains("BrindotSize"));
    EXPECT_EQ(suite->doubleForKey("BrindotSize"), 0);
    EXPECT_EQ(suite->stringForKey("BrindotColor"), QString("red, or \"blue\""));
    EXPECT_EQ(p.standard().dataForKey("BrindotStyle"), QByteArray(R"({"shape":"circle","size":10})"));
    EXPECT_TRUE(QFile::exists(path("quellan.brindot.ini")));
    EXPECT_TRUE(QFile::exists(path("defaults.ini")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file is left";
}

// The line check must never take what Qt itself writes for damage.
TEST_F(IniUserDefaultsTest, WhatQtWritesIsNeverTakenForDamage)
{
    const QString text = QStringLiteral("a;b=c\n\t\"quoted\" \\ 你好 [x]\r\n");
    const QByteArray bytes("\x00\x01\xff\"\n;=", 8);
    {
        IniUserDefaultsProvider p(dir.path());
        EXPECT_TRUE(p.standard().setString("text", text));
        EXPECT_TRUE(p.standard().setData("bytes", bytes));
        EXPECT_TRUE(p.standard().setString("odd key;=[]", "1"));
    }
    IniUserDefaultsProvider p(dir.path());
    EXPECT_EQ(p.standard().stringForKey("text"), text);
    EXPECT_EQ(p.standard().dataForKey("bytes"), bytes);
    EXPECT_EQ(p.standard().stringForKey("odd key;=[]"), QString("1"));
    EXPECT_TRUE(world().log.linesContaining("damaged").isEmpty());
}

TEST_F(IniUserDefaultsTest, SuiteNamesThatCouldLeaveTheFolderAreRefused)
{
    IniUserDefaultsProvider p(dir.path());
    EXPECT_EQ(p.suite(""), nullptr);
    EXPECT_EQ(p.suite("../escape"), nullptr);
    EXPECT_EQ(p.suite(".hidden"), nullptr);
}

struct DamagedFile {
    const char* kind;
    QByteArray bytes;
    QStringList readable;  // keys that must be read, each holding "1"
    QStringList lost;      // keys the damage makes unknowable
};

// Qt reports most of these only once a key is read, or not at all; an open
// quote hides every line after it from Qt's reader.
TEST_F(IniUserDefaultsTest, DamagedFilesAreFoundBeforeAnyReadAndLoseNoKeyNorByteOnWrite)
{
    const std::vector<DamagedFile> files = {
        {"open quote", "junk\"\n[General]\nkeep=1\nother=1\n", {"keep", "other"}, {}},
        {"line without =", "[General]\nkeep=1\njunkline\nafter=1\n", {"keep", "after"}, {}},
        {"unclosed quote in a value", "[General]\nbad=\"abc\nafter=1\n", {"after"}, {"bad"}},
        {"control bytes", "[General]\nkeep=1\n\x01\x02garbage===\nafter=1\n", {"keep", "after"}, {"garbage"}},
        {"broken section", "[General]\nkeep=1\n[broken\nisBrindotEnabled=1\n[Next]\nk=1\n",
         {"keep", "Next/k"}, {"isBrindotEnabled", "broken/isBrindotEnabled"}},
        {"stray bytes at the start", QByteArray("\xff\xfe\x00[General]\nkeep=1\n", 20), {"keep"}, {}},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.kind);
        QTemporaryDir folder;
        const QString ini = folder.path() + "/defaults.ini";
        {
            QFile f(ini);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(file.bytes);
        }
        world().log.clear();
        IniUserDefaultsProvider p(folder.path());
        auto& d = p.standard();
        EXPECT_EQ(world().log.linesContaining("is damaged").size(), 1);
        for (const auto& key : file.readable) EXPECT_EQ(d.stringForKey(key), QString("1")) << key.toStdString();
        for (const auto& key : file.lost) EXPECT_FALSE(d.contains(key)) << key.toStdString();

        EXPECT_TRUE(d.setBool("fresh", true));
        EXPECT_TRUE(d.setBool("again", true));
        const auto copies = QDir(folder.path()).entryList({"defaults.ini.damaged-*"});
        ASSERT_EQ(copies.size(), 1);
        QFile kept(folder.path() + "/" + copies.first());
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), file.bytes) << "the original bytes must be kept";

        IniUserDefaultsProvider reopened(folder.path());
        for (const auto& key : file.readable + QStringList{"fresh", "again"})
            EXPECT_TRUE(reopened.standard().contains(key)) << key.toStdString();
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2) << "no temporary file is left";
    }
}

TEST_F(IniUserDefaultsTest, PathsThatAreNoRegularFilesAreNeitherOpenedNorReplaced)
{
    ASSERT_EQ(mkfifo(QFile::encodeName(path("defaults.ini")).constData(), 0600), 0);
    QDir().mkpath(path("quellan.brindot.ini"));
    IniUserDefaultsProvider p(dir.path());
    EXPECT_FALSE(p.standard().contains("x"));
    EXPECT_FALSE(p.suite("quellan.brindot")->contains("x"));
    EXPECT_EQ(world().log.linesContaining("cannot be read; defaults are used").size(), 2);

    EXPECT_FALSE(p.standard().setBool("x", true));
    EXPECT_TRUE(p.standard().boolForKey("x")) << "the value still applies in memory";
    EXPECT_FALSE(QFileInfo(path("defaults.ini")).isFile()) << "the FIFO is left in place";
}

TEST_F(IniUserDefaultsTest, UnwritableFolderFailsTheWriteWithAnErrorLine)
{
    if (geteuid() == 0) {
        // root writes anywhere; a path below a regular file can never be created.
        QFile blocker(path("blocker"));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        IniUserDefaultsProvider p(path("blocker/zorbel"));
        EXPECT_FALSE(p.standard().setBool("x", true));
    } else {
        QDir().mkpath(path("ro"));
        QFile::setPermissions(path("ro"), QFile::ReadOwner | QFile::ExeOwner);
        IniUserDefaultsProvider p(path("ro"));
        EXPECT_FALSE(p.standard().setBool("x", true));
    }
    EXPECT_FALSE(world().log.linesContaining("Cannot write \"x\"").isEmpty());
}
