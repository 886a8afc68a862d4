#include "Platform/IniFormat.h"
#include "Platform/IniText.h"
#include "Platform/IniUserDefaults.h"
#include "support/TestWorld.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QDateTime>
#include <QFileInfo>
#include <QRect>
#include <QSettings>
#include <QTimeZone>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

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
        EXPECT_TRUE(p.standard().setObjects({{"BrindotStyle", QByteArray(R"({"shape":"circle","size":10})")},
                                             {"BrindotUserStyle", QByteArray(R"({"size":12})")}}));
    }
    IniUserDefaultsProvider p(dir.path());
    auto* suite = p.suite("quellan.brindot");
    EXPECT_TRUE(suite->boolForKey("isBrindotEnabled"));
    EXPECT_TRUE(suite->contains("BrindotSize"));
    EXPECT_EQ(suite->doubleForKey("BrindotSize"), 0);
    EXPECT_EQ(suite->stringForKey("BrindotColor"), QString("red, or \"blue\""));
    EXPECT_EQ(p.standard().dataForKey("BrindotStyle"), QByteArray(R"({"shape":"circle","size":10})"));
    EXPECT_EQ(p.standard().dataForKey("BrindotUserStyle"), QByteArray(R"({"size":12})"));
    EXPECT_TRUE(QFile::exists(path("quellan.brindot.ini")));
    EXPECT_TRUE(QFile::exists(path("defaults.ini")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file is left";
}

// A write needs to read the file again only when someone else wrote it since; whatever way they
// wrote it, their keys are kept. A write that would make the file too large to read back at the
// next start is refused, and the file stays as it was.
TEST_F(IniUserDefaultsTest, WritesKeepWhatOtherProgramsWroteAndNeverGrowPastWhatIsReadBack)
{
    IniUserDefaultsProvider p(dir.path());
    auto& d = p.standard();
    ASSERT_TRUE(d.setString("ours", "1"));
    const auto writeInPlace = [&](const QByteArray& text) {
        QFile f(path("defaults.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    };
    {
        QSettings other(path("defaults.ini"), QSettings::IniFormat);
        other.setValue("byQt", "2");
    }
    ASSERT_TRUE(d.setString("ours", "3"));
    EXPECT_EQ(d.stringForKey("byQt"), QString("2"));
    // Rewritten in place: the same file, the same size, only its contents and time changed.
    QFile file(path("defaults.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    writeInPlace(file.readAll().replace("byQt=2", "byQt=5"));
    ASSERT_TRUE(d.setString("ours", "4"));
    EXPECT_EQ(d.stringForKey("byQt"), QString("5"));
    IniUserDefaultsProvider reopened(dir.path());
    EXPECT_EQ(reopened.standard().stringForKey("byQt"), QString("5"));
    EXPECT_EQ(reopened.standard().stringForKey("ours"), QString("4"));

    world().log.clear();
    const QString huge(IniUserDefaults::maximumFileSize / 2 + 1, QLatin1Char('\\'));
    EXPECT_FALSE(d.setString("huge", huge)) << "every backslash is written twice";
    EXPECT_EQ(d.stringForKey("huge"), huge) << "the value still applies in memory";
    const auto warnings = world().log.linesContaining("[WARNING]");
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains("more than the 67108864 that are read back at start")) << warnings[0].toStdString();
    EXPECT_LT(QFileInfo(path("defaults.ini")).size(), 1024) << "the file is left as it was";
    EXPECT_TRUE(d.setString("huge", "small again"));
    EXPECT_EQ(IniUserDefaultsProvider(dir.path()).standard().stringForKey("huge"), QString("small again"));
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

        // Damaged again while the program runs (another editor, a crash of another writer), in
        // another way and then once more: each damaged file is kept beside the others.
        QList<QByteArray> damages{file.bytes};
        for (const QByteArray& junk : {QByteArray("[General]\nfresh=true\n\x01second\n"), QByteArray("[third\nx=1\n")}) {
            {
                QFile f(ini);
                ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
                f.write(junk);
            }
            damages << junk;
            EXPECT_TRUE(d.setBool("later", true));
            QList<QByteArray> keptBytes;
            for (const auto& name : QDir(folder.path()).entryList({"defaults.ini.damaged-*"})) {
                QFile copy(folder.path() + "/" + name);
                ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
                keptBytes << copy.readAll();
            }
            std::sort(keptBytes.begin(), keptBytes.end());
            auto expected = damages;
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(keptBytes, expected) << "damage " << damages.size();
        }
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

// A path below a regular file can never be created, also for root. Once it can, the next
// write saves every change made meanwhile.
TEST_F(IniUserDefaultsTest, FailedWritesSayWhyOnceAndTheirValuesAreSavedByTheNextWrite)
{
    QFile blocker(path("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    IniUserDefaultsProvider p(path("blocker"));
    auto& d = p.standard();
    EXPECT_FALSE(d.setBool("x", true));
    EXPECT_FALSE(d.setString("y", "2"));
    EXPECT_FALSE(d.setString("y", "3"));
    EXPECT_FALSE(d.setObjects({{"v", "5"}, {"w", "6"}}));
    EXPECT_TRUE(d.boolForKey("x")) << "the value still applies in memory";
    EXPECT_EQ(d.stringForKey("w"), QString("6"));
    EXPECT_EQ(d.stringForKey("y"), QString("3"));
    const auto warnings = world().log.linesContaining("[WARNING]");
    ASSERT_EQ(warnings.size(), 1) << warnings.join('\n').toStdString();
    EXPECT_TRUE(warnings[0].contains(path("blocker/defaults.ini"))) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains("Not a directory")) << warnings[0].toStdString();

    ASSERT_TRUE(QFile::remove(path("blocker")));
    EXPECT_TRUE(d.setString("z", "4"));
    IniUserDefaultsProvider reopened(path("blocker"));
    EXPECT_TRUE(reopened.standard().boolForKey("x"));
    EXPECT_EQ(reopened.standard().stringForKey("y"), QString("3"));
    EXPECT_EQ(reopened.standard().stringForKey("z"), QString("4"));
    EXPECT_EQ(reopened.standard().stringForKey("v"), QString("5"));
    EXPECT_EQ(reopened.standard().stringForKey("w"), QString("6"));
}

// A write killed midway leaves its temporary file beside the settings (and earlier versions
// left an empty one, its lock and a copy in the temporary folder): the next start removes
// them, but not a write of another process still running, nor the user's own files.
TEST_F(IniUserDefaultsTest, LeftoversOfAKilledWriteAreRemovedAtTheNextStart)
{
    const auto plant = [](const QString& name, const QByteArray& bytes, int secondsAgo) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo), QFileDevice::FileModificationTime);
    };
    QTemporaryDir temp;
    qputenv("TMPDIR", temp.path().toUtf8());
    plant(path("defaults.ini.writing-a1B2c3"), "[General]\nhalf", 120);
    plant(path("defaults.ini.Xy12Zw"), "", 120);
    plant(path("defaults.ini.Xy12Zw.lock"), "123\nzorbel\nhost\n", 120);
    plant(temp.path() + "/zorbel-settings-Ab12Cd.ini", "[General]\nk=1\n", 120);
    plant(path("defaults.ini.writing-InUse1"), "being written", 1);
    plant(path("defaults.ini.backup"), "the user's own copy", 120);
    IniUserDefaultsProvider p(dir.path());
    p.standard();
    qunsetenv("TMPDIR");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
              QStringList({"defaults.ini.backup", "defaults.ini.writing-InUse1"}));
    EXPECT_TRUE(QDir(temp.path()).isEmpty());
}

// Settings files are read and written without QSettings, in its form: files that Qt wrote
// (earlier versions, other tools) must read as Qt reads them, and ours as Qt would.
class IniFormatTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    int files = 0;
    // What QSettings reads from these bytes.
    IniUserDefaults::Values readByQt(const QByteArray& bytes)
    {
        const QString name = dir.path() + QStringLiteral("/qt-%1.ini").arg(++files);
        QFile file(name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QSettings settings(name, QSettings::IniFormat);
        IniUserDefaults::Values values;
        for (const QString& key : settings.allKeys()) values[key] = settings.value(key);
        return values;
    }
    QByteArray writtenByQt(const IniUserDefaults::Values& values)
    {
        const QString name = dir.path() + QStringLiteral("/qt-%1.ini").arg(++files);
        {
            QSettings settings(name, QSettings::IniFormat);
            for (const auto& [key, value] : values) settings.setValue(key, value);
        }
        QFile file(name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
};

TEST_F(IniFormatTest, ReadsAndWritesEveryValueAsQtDoes)
{
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b) everyByte.append(static_cast<char>(b));
    everyByte += "0a9F";  // hex digits after escapes
    const IniUserDefaults::Values values = {
        {"text", QStringLiteral("a;b=c\n\t\"quoted\" \\ 你好 [x]\r\n")},
        {"spaces", QStringLiteral("  both ends  ")},
        {"comma", QStringLiteral("red, or \"blue\"")},
        {"at", QStringLiteral("@ByteArray(not bytes)")},
        {"nul", QString(QStringLiteral("a")) + QChar(0) + QStringLiteral("1b")},
        {"beyond the BMP", QStringLiteral("tag \U000E0041 emoji \U0001F600 end")},
        {"control", QStringLiteral("\x01\x1f\x7f" "12ab")},
        {"bytes", everyByte},
        {"json", QByteArray(R"({"name":"中文","list":[1,2.5,true],"s":"a\"b\\c"})")},
        {"empty", QString()},
        {"bool", true},
        {"double", 0.1 + 0.2},
        {"huge", std::numeric_limits<qint64>::max()},
        {"list", QStringList{"a", " b ", "c,d", "@e"}},
        {"empty list", QStringList{}},
        {"rect", QRect(1, -2, 30, 40)},
        {"date", QDateTime(QDate(2026, 12, 9), QTime(8, 30), QTimeZone::utc())},
        {"odd key;=[] %U", QStringLiteral("1")},
        {"中文键", QStringLiteral("2")},
        {"a/b", QStringLiteral("3")},
        {"General", QStringLiteral("4")},
    };
    const auto expected = readByQt(writtenByQt(values));
    EXPECT_EQ(readByQt(ini::encode(values)), expected) << "ours, read by Qt";
    EXPECT_EQ(ini::decode(checkIniText(writtenByQt(values)).trusted), expected) << "Qt's, read by us";
    EXPECT_EQ(ini::decode(ini::encode(values)), expected) << "ours, read by us";
    EXPECT_FALSE(checkIniText(ini::encode(values)).damaged());
}

TEST_F(IniFormatTest, ReadsFilesOtherToolsWroteAsQtDoes)
{
    const std::vector<QByteArray> texts = {
        "[General]\nk = value ; a comment\n; whole line\n  indented=1\n",
        "[General]\nq=\"quoted, with comma\" \nlist=a, b , c\none=\"\" , x\n",
        "[Section]\nk=1\n[%General]\nk=2\n[general]\nk=3\n[With%20Space]\nk=4\n",
        "[General]\nesc=\\x4e2d\\101\\q\\n end \nK=1\nk=2\nk=3\n",
        "\xEF\xBB\xBF[General]\nbom=1\nutf8=\xE4\xB8\xAD\nkey\xE4\xB8\xAD=5\n%U4E2D=6\nbad%ZZ=7\n",
        "top=1\n[General]\nat=@@x\ninv=@Invalid()\nsize=@Size(3 4)\nstr=@String(a)\n",
    };
    for (const QByteArray& text : texts) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(ini::decode(checkIniText(text).trusted), readByQt(text));
    }
}
