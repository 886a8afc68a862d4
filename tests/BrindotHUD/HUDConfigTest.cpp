#include "BrindotHUD/BrindotHUDConfig.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace zorbel;

namespace {
QJsonObject defaultObject()
{
    return QJsonDocument::fromJson(*encodeJson(BrindotHUDConfig::defaultConfig()).value).object();
}
QByteArray bytes(const QJsonObject& o) { return QJsonDocument(o).toJson(QJsonDocument::Compact); }
}  // namespace

TEST(HUDConfigJson, DefaultRoundTripsWithSixteenKeysAndNoPath)
{
    const QJsonObject o = defaultObject();
    EXPECT_EQ(o.size(), 16);
    EXPECT_FALSE(o.contains(QStringLiteral("customBackgroundPath")));
    EXPECT_EQ(o.value(QStringLiteral("contentTypes")).toArray().size(), 2);
    EXPECT_EQ(o.value(QStringLiteral("shape")).toString(), QStringLiteral("oval"));
    const auto decoded = decodeBrindotHUDConfig(bytes(o));
    ASSERT_TRUE(decoded.ok()) << decoded.error.toStdString();
    EXPECT_EQ(*decoded.value, BrindotHUDConfig::defaultConfig());
}

TEST(HUDConfigJson, PathEmptyListsDuplicatesAndExtraKeysRoundTrip)
{
    BrindotHUDConfig c;
    c.customBackgroundPath = QStringLiteral("/tmp/bg.gif");
    c.contentTypes = {};
    auto decoded = decodeBrindotHUDConfig(*encodeJson(c).value);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(*decoded.value, c);

    QJsonObject o = defaultObject();
    o.insert(QStringLiteral("somethingNew"), 3);
    o.insert(QStringLiteral("contentTypes"), QJsonArray{QStringLiteral("battery"), QStringLiteral("battery")});
    decoded = decodeBrindotHUDConfig(bytes(o));
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.value->contentTypes.size(), 2u);
}

TEST(HUDConfigJson, MissingKeyUnknownValueOrBadTypeFailsTheWholeRecord)
{
    for (const auto& key : defaultObject().keys()) {
        QJsonObject o = defaultObject();
        o.remove(key);
        EXPECT_FALSE(decodeBrindotHUDConfig(bytes(o)).ok()) << key.toStdString();
    }
    QJsonObject o = defaultObject();
    o.insert(QStringLiteral("position"), QStringLiteral("middle"));
    const auto bad = decodeBrindotHUDConfig(bytes(o));
    EXPECT_FALSE(bad.ok());
    EXPECT_TRUE(bad.error.contains(QStringLiteral("position")));
    o = defaultObject();
    o.insert(QStringLiteral("contentTypes"), QJsonArray{QStringLiteral("weather")});
    EXPECT_FALSE(decodeBrindotHUDConfig(bytes(o)).ok());
    EXPECT_FALSE(decodeBrindotHUDConfig("not json").ok());
}

TEST(HUDEnumerations, CaseOrderAndAnimationNames)
{
    EXPECT_EQ(rawValue(allCases<HUDContentType>()[3]), QStringLiteral("typingCount"));
    EXPECT_EQ(allCases<AnimationType>().size(), 10u);
    EXPECT_EQ(rawValue(allCases<AnimationType>()[9]), QStringLiteral("rotate"));
    EXPECT_EQ(displayName(AnimationType::genie), QStringLiteral("精灵效果"));
    EXPECT_TRUE(contains({HUDContentType::time}, HUDContentType::time));
    EXPECT_FALSE(contains({}, HUDContentType::time));
}

TEST(TypingStatistics, KeyOfTheDayAndStrictRecord)
{
    EXPECT_EQ(typingStatisticsKey(QDateTime::fromSecsSinceEpoch(1733529600)), QStringLiteral("typing_stats_1733529600.0"));
    const auto ok = decodeTypingStatistics(R"({"characters":120,"keystrokes":340,"backspaces":12,"date":755000000})");
    ASSERT_TRUE(ok.ok());
    EXPECT_EQ(ok.value->keystrokes, 340);
    EXPECT_FALSE(decodeTypingStatistics(R"({"characters":1,"keystrokes":2,"date":0})").ok());
}
