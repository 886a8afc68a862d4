#include "Caret/Styles/StylePreset.h"
#include "StyleTestSupport.h"

#include <QColor>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using namespace zorbel;
using zorbel::testing::unusualStyle;

namespace {
StylePreset withHex(const QString& hex) { return StylePreset{99, QStringLiteral("测试色"), hex, QString()}; }
BrindotColor fillOf(const QString& hex) { return withHex(hex).makeStyle(BrindotStyle{}).fillColor; }
}  // namespace

TEST(StylePreset, SixteenBuiltInPresetsNumberedByPosition)
{
    const auto& presets = StylePreset::builtInPresets();
    ASSERT_EQ(presets.size(), 16u);
    const QRegularExpression hexForm("^#[0-9A-F]{6}$");
    for (std::size_t i = 0; i < presets.size(); ++i) {
        EXPECT_EQ(presets[i].id, static_cast<int>(i));
        EXPECT_TRUE(hexForm.match(presets[i].colorHex).hasMatch()) << presets[i].colorHex.toStdString();
        EXPECT_EQ(presets[i].name.size(), 3);
    }
    const std::vector<StylePreset> expected{
        {0, "经典蓝", "#0066FF", "高识别度，适合所有场景"}, {1, "活力红", "#FF3B30", "醒目警示，吸引注意"},
        {2, "自然绿", "#34C759", "舒缓视觉，护眼友好"},     {3, "明亮黄", "#FFCC00", "高亮显眼，注意力强"},
        {4, "优雅紫", "#AF52DE", "创意优雅，适合设计"},     {5, "活力橙", "#FF9500", "温暖活力，积极向上"},
        {6, "清新青", "#5AC8FA", "清新科技，现代感强"},     {7, "甜美粉", "#FF2D55", "柔和亲和，温馨可爱"},
        {8, "深邃蓝", "#007AFF", "专业沉稳，商务风格"},     {9, "深沉红", "#D70015", "强烈对比，高度警示"},
        {10, "森林绿", "#28CD41", "自然稳定，舒适护眼"},    {11, "奢华金", "#FFD700", "高级醒目，奢华感强"},
        {12, "神秘靛", "#5856D6", "深邃神秘，独特个性"},    {13, "大地棕", "#A2845E", "温暖稳重，自然亲和"},
        {14, "中性灰", "#8E8E93", "低调中性，不抢眼球"},    {15, "纯净白", "#FFFFFF", "简洁纯净，极简风格"},
    };
    EXPECT_EQ(presets, expected);
}

TEST(StylePreset, JsonUsesTheFieldNamesAndNeedsAllFourKeys)
{
    const StylePreset preset = StylePreset::builtInPresets()[13];
    const auto encoded = encodeJson(preset);
    ASSERT_TRUE(encoded.ok());
    const auto object = QJsonDocument::fromJson(*encoded.value).object();
    EXPECT_EQ(object.keys(), (QStringList{"colorHex", "description", "id", "name"}));
    EXPECT_EQ(object.value("name").toString(), "大地棕");
    EXPECT_EQ(decodeStylePreset(*encoded.value).value, preset);

    EXPECT_FALSE(decodeStylePreset(R"({"id":1,"name":"n","colorHex":"#000000"})").ok());
    EXPECT_FALSE(decodeStylePreset(R"({"id":"1","name":"n","colorHex":"#000000","description":""})").ok());
    EXPECT_FALSE(decodeStylePreset(R"({"id":1.5,"name":"n","colorHex":"#000000","description":""})").ok());
    EXPECT_TRUE(decodeStylePreset(R"({"id":7,"name":"n","colorHex":"#000000","description":"","x":1})").ok());
}

TEST(StylePreset, RecoloursOnlyFillAndBorderColourOfTheBase)
{
    const BrindotStyle base = unusualStyle();
    const BrindotStyle s = StylePreset::builtInPresets()[0].makeStyle(base);
    EXPECT_EQ(s.fillColor, (BrindotColor{0, 0.4, 1, 0.9}));
    EXPECT_TRUE(s.fillEnabled) << "the base had it off";
    EXPECT_EQ(s.borderColor, (BrindotColor{1, 1, 1, 1}));
    EXPECT_FALSE(s.borderEnabled) << "the border switch stays the base's";
    EXPECT_EQ(s.borderWidth, base.borderWidth);
    EXPECT_EQ(s.shape, base.shape);
    EXPECT_EQ(s.size, base.size);
    EXPECT_EQ(s.position, base.position);
    EXPECT_EQ(s.customContent, base.customContent);
    EXPECT_EQ(s.shadowColor, base.shadowColor);
    EXPECT_EQ(s.shadowOpacity, base.shadowOpacity);
}

TEST(StylePreset, PureWhiteGetsABlackBorderSoItStaysVisible)
{
    const BrindotStyle s = StylePreset::builtInPresets()[15].makeStyle(BrindotStyle::defaultStyle());
    EXPECT_EQ(s.fillColor, (BrindotColor{1, 1, 1, 0.9}));
    EXPECT_EQ(s.borderColor, (BrindotColor{0, 0, 0, 1}));
    EXPECT_EQ(s.borderWidth, 2);

    EXPECT_EQ(withHex("#ffffff").makeStyle({}).borderColor, (BrindotColor{0, 0, 0, 1}));
    // The border rule reads the text as written: blanks or a missing "#" make
    // it a different text, although the fill is the same white.
    for (const QString hex : {" #FFFFFF", "FFFFFF", "#FFFFFF\n", "##FFFFFF"}) {
        const BrindotStyle w = withHex(hex).makeStyle({});
        EXPECT_EQ(w.fillColor, (BrindotColor{1, 1, 1, 0.9})) << hex.toStdString();
        EXPECT_EQ(w.borderColor, (BrindotColor{1, 1, 1, 1})) << hex.toStdString();
    }
}

TEST(StylePreset, HexTextIsReadLikeTheHexadecimalScanner)
{
    EXPECT_EQ(fillOf(" #ff3b30 \n"), fillOf("#FF3B30"));
    EXPECT_EQ(fillOf("#FF3B30"), (BrindotColor{1, 59 / 255.0, 48 / 255.0, 0.9}));
    EXPECT_EQ(hexColorValue("#FFF"), 0xFFFu) << "three digits are not expanded";
    EXPECT_EQ(fillOf("#FFF"), (BrindotColor{0, 15 / 255.0, 1, 0.9}));
    EXPECT_EQ(fillOf("#80FF3B30"), fillOf("#FF3B30")) << "eight digits: only the low six count";
    EXPECT_EQ(fillOf("#zz"), (BrindotColor{0, 0, 0, 0.9}));
    EXPECT_EQ(fillOf(""), (BrindotColor{0, 0, 0, 0.9}));
    EXPECT_EQ(hexColorValue("12zz34"), 0x12u) << "reading stops at the first non-digit";
    EXPECT_EQ(hexColorValue("#1#2#3"), 0x123u) << "every # is dropped, not only the first";
    EXPECT_EQ(hexColorValue("0x00FF00"), 0x00FF00u);
    EXPECT_EQ(hexColorValue("0xq"), 0u);
    EXPECT_EQ(hexColorValue("# 0000FF"), 0x0000FFu) << "blanks before the digits are skipped";
    EXPECT_EQ(hexColorValue("1234567890ABCDEF"), 0x1234567890ABCDEFu);
    EXPECT_EQ(hexColorValue("1234567890ABCDEF0"), 0xFFFFFFFFFFFFFFFFu) << "too long for 64 bits saturates";
    EXPECT_EQ(fillOf("#1234567890ABCDEF01"), (BrindotColor{1, 1, 1, 0.9}));
}

// Three whole styles, centred on the caret, animated, without shadow, with a white border (the
// blue circle alone has it off).
TEST(StylePreset, WholeStylesComeInTheirOrderWithTheirNames)
{
    const struct {
        QString name;
        BrindotShape shape;
        double size;
        BrindotColor fill;
        bool border;
        double borderWidth;
    } expected[] = {
        {"经典黑色", BrindotShape::rectangle, 12, {0, 0, 0, 1}, true, 1},
        {"蓝色圆形", BrindotShape::circle, 14, {0, 122 / 255.0, 1, 1}, false, 1},
        {"红色三角形", BrindotShape::triangle, 16, {1, 59 / 255.0, 48 / 255.0, 1}, true, 2},
    };
    const auto styles = PresetStyle::wholeStyles();
    ASSERT_EQ(styles.size(), std::size(expected));
    for (std::size_t i = 0; i < styles.size(); ++i) {
        const auto& [name, shape, size, fill, border, borderWidth] = expected[i];
        SCOPED_TRACE(name.toStdString());
        const BrindotStyle& s = styles[i].style;
        EXPECT_EQ(styles[i].name, name);
        EXPECT_EQ(s.shape, shape);
        EXPECT_EQ(s.size, size);
        EXPECT_EQ(s.fillColor, fill);
        EXPECT_TRUE(s.fillEnabled);
        EXPECT_EQ(s.borderEnabled, border);
        EXPECT_EQ(s.borderWidth, borderWidth);
        EXPECT_EQ(s.borderColor, (BrindotColor{1, 1, 1, 1}));
        EXPECT_EQ(s.position, (BrindotPosition{BrindotRelativePosition::center, BrindotAlignment::center, 0, 0}));
        EXPECT_FALSE(s.customContent.has_value());
        EXPECT_TRUE(s.animationEnabled);
        EXPECT_EQ(s.animationDuration, 0.2);
        EXPECT_FALSE(s.shadowEnabled);
        EXPECT_EQ(s.shadowColor, (BrindotColor{0, 0, 0, 1}));
        EXPECT_EQ(s.shadowOpacity, 0);
    }
}

TEST(StylePreset, PresetTakesAnyColourIntoSrgbWithItsOwnAlpha)
{
    const BrindotStyle hsv = BrindotStyle::preset(QColor::fromHsv(120, 255, 255, 128), BrindotShape::circle, 8, 0);
    EXPECT_EQ(hsv.fillColor, (BrindotColor{0, 1, 0, 128 / 255.0}));
    EXPECT_EQ(hsv.size, 8);
    EXPECT_EQ(hsv.borderWidth, 0);
    EXPECT_TRUE(hsv.borderEnabled);
    const BrindotStyle invalid = BrindotStyle::preset(QColor(), BrindotShape::circle, 8, 1);
    EXPECT_EQ(invalid.fillColor, (BrindotColor{0, 0, 0, 1}));
}
