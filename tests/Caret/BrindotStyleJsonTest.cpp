#include "Caret/Styles/BrindotStyleJson.h"
#include "StyleTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace zorbel;
using zorbel::testing::expectIdentical;
using zorbel::testing::unusualStyle;

namespace {

// A stored style as the program's earlier versions wrote it.
const char* const kStoredForm = R"({
  "shape": "rectangle", "size": 12, "fillEnabled": true, "borderWidth": 1, "borderEnabled": true,
  "fillColor": {"red": 0, "green": 0.4, "blue": 1, "alpha": 0.9},
  "borderColor": {"red": 1, "green": 1, "blue": 1, "alpha": 1},
  "position": {"relativePosition": "bottomRight", "alignment": "top", "horizontalOffset": -3, "verticalOffset": 5.5},
  "customContent": {"type": "image", "data": "AAEC/w==", "scale": 2},
  "animationEnabled": true, "animationDuration": 0.2,
  "shadowEnabled": true, "shadowColor": {"red": 0, "green": 0, "blue": 0, "alpha": 1},
  "shadowRadius": 4, "shadowOffset": [2, 3], "shadowOpacity": 0.5,
  "addedByALaterVersion": {"anything": [1, 2]}
})";

QJsonObject objectOf(const QByteArray& bytes) { return QJsonDocument::fromJson(bytes).object(); }
QByteArray bytesOf(const QJsonObject& o) { return QJsonDocument(o).toJson(QJsonDocument::Compact); }

// Replaces the value at a dotted path ("position.alignment"); an invalid
// value removes the key.
QJsonObject edited(QJsonObject o, const QString& path, const QJsonValue& value)
{
    const auto dot = path.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        const QString head = path.left(dot);
        o[head] = edited(o[head].toObject(), path.mid(dot + 1), value);
    } else if (value.isUndefined()) {
        o.remove(path);
    } else {
        o[path] = value;
    }
    return o;
}

json::Result<BrindotStyle> decodeEdited(const QJsonObject& base, const QString& path, const QJsonValue& value)
{
    return decodeBrindotStyle(bytesOf(edited(base, path, value)));
}

}  // namespace

TEST(BrindotStyleJson, DefaultStyleHasNoCustomContentKeyAndReadsBackFieldForField)
{
    const auto encoded = encodeJson(BrindotStyle::defaultStyle());
    ASSERT_TRUE(encoded.ok()) << encoded.error.toStdString();
    EXPECT_FALSE(encoded.value->contains('\n')) << "compact, not pretty-printed";
    const QJsonObject o = objectOf(*encoded.value);
    EXPECT_EQ(o.size(), 15);
    EXPECT_FALSE(o.contains("customContent"));
    EXPECT_EQ(o["shape"].toString(), "circle");
    EXPECT_EQ(o["shadowOffset"].toArray(), (QJsonArray{0, 0}));
    EXPECT_EQ(o["position"].toObject()["relativePosition"].toString(), "topRight");
    EXPECT_EQ(o["fillColor"].toObject()["green"].toDouble(), 0.4);

    const auto decoded = decodeBrindotStyle(*encoded.value);
    ASSERT_TRUE(decoded.ok()) << decoded.error.toStdString();
    expectIdentical(*decoded.value, BrindotStyle::defaultStyle());
}

TEST(BrindotStyleJson, EveryFieldSurvivesARoundTripIncludingBinaryCustomContent)
{
    const BrindotStyle style = unusualStyle();
    const auto encoded = encodeJson(style);
    ASSERT_TRUE(encoded.ok());
    const QJsonObject content = objectOf(*encoded.value)["customContent"].toObject();
    EXPECT_EQ(content["type"].toString(), "gif");
    EXPECT_EQ(content["data"].toString(), QString::fromLatin1(QByteArray("\x00\x01GIF\xff", 6).toBase64()));
    EXPECT_EQ(content["emoji"].toString(), "🙂");
    expectIdentical(*decodeBrindotStyle(*encoded.value).value, style);
}

TEST(BrindotStyleJson, AbsentOptionalContentFieldsAreLeftOutNotNull)
{
    BrindotStyle style;
    style.customContent = CustomContent{CustomContent::ContentType::emoji, std::nullopt, std::nullopt, 1};
    const QJsonObject content = objectOf(*encodeJson(style).value)["customContent"].toObject();
    EXPECT_EQ(content.keys(), (QStringList{"scale", "type"}));
    const auto decoded = decodeBrindotStyle(*encodeJson(style).value);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.value->customContent, style.customContent);
}

TEST(BrindotStyleJson, ReadsTheStoredFormWithUnknownKeysIgnored)
{
    const auto decoded = decodeBrindotStyle(kStoredForm);
    ASSERT_TRUE(decoded.ok()) << decoded.error.toStdString();
    const BrindotStyle& s = *decoded.value;
    EXPECT_EQ(s.shape, BrindotShape::rectangle);
    EXPECT_EQ(s.size, 12);
    EXPECT_EQ(s.position, (BrindotPosition{BrindotRelativePosition::bottomRight, BrindotAlignment::top, -3, 5.5}));
    ASSERT_TRUE(s.customContent.has_value());
    EXPECT_EQ(s.customContent->type, CustomContent::ContentType::image);
    EXPECT_EQ(s.customContent->data, QByteArray("\x00\x01\x02\xff", 4));
    EXPECT_FALSE(s.customContent->emoji.has_value());
    EXPECT_EQ(s.shadowOffset, QSizeF(2, 3));
    EXPECT_EQ(s.shadowOpacity, 0.5);
}

TEST(BrindotStyleJson, AnyMissingRequiredKeyFailsTheWholeRecordAndIsNamed)
{
    const QJsonObject full = objectOf(kStoredForm);
    const QStringList required{
        "shape", "size", "fillColor", "fillEnabled", "borderColor", "borderWidth", "borderEnabled", "position",
        "animationEnabled", "animationDuration", "shadowEnabled", "shadowColor", "shadowRadius", "shadowOffset",
        "shadowOpacity", "fillColor.red", "borderColor.green", "shadowColor.blue", "fillColor.alpha",
        "position.relativePosition", "position.alignment", "position.horizontalOffset", "position.verticalOffset",
        "customContent.type", "customContent.scale"};
    for (const QString& key : required) {
        const auto result = decodeEdited(full, key, QJsonValue::Undefined);
        EXPECT_FALSE(result.ok()) << key.toStdString();
        EXPECT_TRUE(result.error.contains('"' + key + '"')) << result.error.toStdString();
    }
    for (const char* key : {"customContent", "customContent.data", "customContent.emoji"})
        EXPECT_TRUE(decodeEdited(full, key, QJsonValue::Undefined).ok()) << key;
}

TEST(BrindotStyleJson, WrongJsonTypesFail)
{
    const QJsonObject full = objectOf(kStoredForm);
    const std::vector<std::pair<QString, QJsonValue>> wrong{
        {"size", "12"},
        {"fillEnabled", 1},
        {"shape", 0},
        {"fillColor", QJsonArray{0, 0, 0, 1}},
        {"fillColor.red", true},
        {"position", "center"},
        {"customContent", "image"},
        {"customContent.data", 7},
        {"customContent.data", "not base64!"},
        {"customContent.emoji", QJsonArray{}},
        {"shadowOffset", QJsonObject{{"width", 2}, {"height", 3}}},
        {"shadowOffset", QJsonArray{2}},
        {"shadowOffset", QJsonArray{2, 3, 4}},
        {"shadowOffset", QJsonArray{2, "3"}},
        {"shadowOpacity", QJsonValue::Null},
    };
    for (const auto& [key, value] : wrong) {
        const auto result = decodeEdited(full, key, value);
        EXPECT_FALSE(result.ok()) << key.toStdString();
        EXPECT_TRUE(result.error.contains(key.section('.', 0, 0))) << result.error.toStdString();
    }
    EXPECT_TRUE(decodeEdited(full, "customContent", QJsonValue::Null).ok()) << "null counts as absent";
}

TEST(BrindotStyleJson, EnumerationsUseTheirCaseNamesExactly)
{
    EXPECT_EQ(allCases<BrindotShape>(),
              (std::array{BrindotShape::circle, BrindotShape::triangle, BrindotShape::rectangle}));
    EXPECT_EQ(rawValueList<BrindotRelativePosition>(),
              "topLeft, top, topRight, left, center, right, bottomLeft, bottom, bottomRight");
    EXPECT_EQ(rawValueList<BrindotAlignment>(), rawValueList<BrindotRelativePosition>());
    EXPECT_EQ(rawValueList<CustomContent::ContentType>(), "image, emoji, gif");

    const QJsonObject full = objectOf(kStoredForm);
    for (auto p : allCases<BrindotRelativePosition>()) {
        const auto r = decodeEdited(full, "position.relativePosition", rawValue(p));
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r.value->position.relativePosition, p);
    }
    for (const auto& [key, text] : std::vector<std::pair<QString, QString>>{{"shape", "hexagon"},
                                                                           {"shape", "Circle"},
                                                                           {"position.relativePosition", "middle"},
                                                                           {"position.alignment", ""},
                                                                           {"customContent.type", "video"}}) {
        const auto r = decodeEdited(full, key, text);
        EXPECT_FALSE(r.ok()) << key.toStdString();
        EXPECT_TRUE(r.error.contains('"' + key + '"')) << r.error.toStdString();
    }
}

TEST(BrindotStyleJson, NegativeSizesAndWidthsAreRefusedBothWays)
{
    const QJsonObject full = objectOf(kStoredForm);
    for (const QString key : {"size", "borderWidth", "shadowRadius"}) {
        EXPECT_FALSE(decodeEdited(full, key, -1).ok()) << key.toStdString();
        EXPECT_TRUE(decodeEdited(full, key, 0).ok()) << key.toStdString();
    }
    EXPECT_TRUE(decodeEdited(full, "position.horizontalOffset", -400).ok()) << "offsets may be negative";
    // A huge size is a valid record; bounding the panel is the drawing side's job.
    EXPECT_TRUE(decodeEdited(full, "size", 1e6).ok());

    BrindotStyle style;
    style.size = -2;
    const auto encoded = encodeJson(style);
    EXPECT_FALSE(encoded.ok()) << "what could not be read back is not written";
    EXPECT_TRUE(encoded.error.contains("\"size\""));
}

TEST(BrindotStyleJson, NumbersJsonCannotHoldAreRefusedOnEncode)
{
    const double nan = std::nan("");
    const double inf = INFINITY;
    std::vector<std::pair<BrindotStyle, QString>> cases(4, {BrindotStyle{}, {}});
    cases[0].first.animationDuration = nan, cases[0].second = "animationDuration";
    cases[1].first.fillColor.alpha = inf, cases[1].second = "fillColor.alpha";
    cases[2].first.shadowOffset = QSizeF(-inf, 0), cases[2].second = "shadowOffset[0]";
    cases[3].first.customContent = CustomContent{CustomContent::ContentType::emoji, {}, {}, nan};
    cases[3].second = "customContent.scale";
    for (const auto& [style, key] : cases) {
        const auto encoded = encodeJson(style);
        EXPECT_FALSE(encoded.ok()) << key.toStdString();
        EXPECT_TRUE(encoded.error.contains('"' + key + '"')) << encoded.error.toStdString();
    }
}

TEST(BrindotStyleJson, DataThatIsNotAJsonObjectFails)
{
    const QByteArray whole = *encodeJson(BrindotStyle::defaultStyle()).value;
    for (const QByteArray& bytes : {QByteArray(), QByteArray("not json"), whole.left(whole.size() / 2),
                                    QByteArray("[1,2]"), QByteArray(R"({"size": NaN})"), QByteArray("{\"size\":1e400}")}) {
        const auto r = decodeBrindotStyle(bytes);
        EXPECT_FALSE(r.ok()) << bytes.toStdString();
        EXPECT_FALSE(r.error.isEmpty());
    }
}

TEST(BrindotStyleJson, EqualityIgnoresPositionCustomContentAndShadow)
{
    const BrindotStyle a;
    BrindotStyle b = a;
    b.position.relativePosition = BrindotRelativePosition::left;
    b.customContent = CustomContent{};
    b.shadowEnabled = true;
    b.shadowColor = {1, 0, 0, 1};
    b.shadowRadius = 3;
    b.shadowOffset = QSizeF(1, 1);
    b.shadowOpacity = 1;
    EXPECT_EQ(a, b);

    const auto differs = [&](auto change) {
        BrindotStyle c = a;
        change(c);
        return !(a == c);
    };
    EXPECT_TRUE(differs([](BrindotStyle& c) { c.animationDuration = 0.3; }));
    EXPECT_TRUE(differs([](BrindotStyle& c) { c.animationEnabled = false; }));
    EXPECT_TRUE(differs([](BrindotStyle& c) { c.fillColor.alpha = 1; }));
    EXPECT_TRUE(differs([](BrindotStyle& c) { c.borderEnabled = false; }));
    EXPECT_TRUE(differs([](BrindotStyle& c) { c.shape = BrindotShape::rectangle; }));
}
