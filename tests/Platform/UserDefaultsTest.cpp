#include "Platform/IniUserDefaults.h"
#include "support/TestWorld.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
}

TEST_F(IniUserDefaultsTest, SuiteNamesThatCouldLeaveTheFolderAreRefused)
{
    IniUserDefaultsProvider p(dir.path());
    EXPECT_EQ(p.suite(""), nullptr);
    EXPECT_EQ(p.suite("../escape"), nullptr);
    EXPECT_EQ(p.suite(".hidden"), nullptr);
}

TEST_F(IniUserDefaultsTest, DamagedFileIsReadWhereItCanBeAndKeptBeforeTheFirstWrite)
{
    const QByteArray damaged = "[General]\nkeep=1\n\x01\x02garbage===\n[broken\nisBrindotEnabled=true\n";
    {
        QFile f(path("defaults.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damaged);
    }
    IniUserDefaultsProvider p(dir.path());
    auto& d = p.standard();
    EXPECT_EQ(d.stringForKey("keep"), QString("1"));
    EXPECT_FALSE(d.boolForKey("isBrindotEnabled"));
    EXPECT_FALSE(world().log.linesContaining("damaged").isEmpty());

    EXPECT_TRUE(d.setBool("fresh", true));
    const auto backups = QDir(dir.path()).entryList({"defaults.ini.damaged-*"});
    ASSERT_EQ(backups.size(), 1);
    QFile kept(path(backups.first()));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), damaged) << "the original bytes must be kept";
    EXPECT_TRUE(d.setBool("again", true));
    EXPECT_EQ(QDir(dir.path()).entryList({"defaults.ini.damaged-*"}).size(), 1) << "one copy is enough";
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
