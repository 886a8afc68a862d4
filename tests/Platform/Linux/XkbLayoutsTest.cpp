// Keyboard layouts as input sources, from the rules names and the rules description.
#include "Platform/Linux/XkbLayouts.h"

#include <gtest/gtest.h>

namespace zorbel::platform {
namespace {

const char* rulesXml = R"(<xkbConfigRegistry><modelList><model><configItem><name>pc105</name>
<description>Generic 105-key PC</description></configItem></model></modelList><layoutList>
<layout><configItem><name>us</name><shortDescription>en</shortDescription><description>English (US)</description>
<languageList><iso639Id>eng</iso639Id></languageList></configItem><variantList><variant><configItem>
<name>intl</name><description>English (US, intl., with dead keys)</description></configItem></variant></variantList></layout>
<layout><configItem><name>cn</name><shortDescription>zh</shortDescription><description>Chinese</description>
<languageList><iso639Id>zho</iso639Id></languageList></configItem><variantList/></layout>
</layoutList></xkbConfigRegistry>)";

TEST(XkbLayouts, GroupsBecomeSourcesWithIdsNamesAndLanguages)
{
    const XkbLayoutTable table = XkbLayoutTable::fromXml(rulesXml);
    const auto sources = xkbSources("us,cn,zz", "intl,,", table);
    ASSERT_EQ(sources.size(), 3u);
    EXPECT_EQ(sources[0].id, "xkb:us:intl:eng");
    EXPECT_EQ(sources[0].localizedName, QStringLiteral("English (US, intl., with dead keys)"));
    EXPECT_EQ(sources[0].languages, QStringList{"en"}) << "a variant without languages has its layout's";
    EXPECT_EQ(sources[0].shortLabel, "en");
    EXPECT_EQ(sources[1].id, "xkb:cn::zho");
    EXPECT_EQ(sources[1].languages, QStringList{"zh"});
    // A layout the description does not know keeps its name.
    EXPECT_EQ(sources[2].id, "xkb:zz::");
    EXPECT_EQ(sources[2].localizedName, QStringLiteral("zz"));
    EXPECT_EQ(sources[2].category, QStringLiteral("keyboard"));
    EXPECT_TRUE(XkbLayoutTable::fromFile("/nonexistent.xml").isEmpty());
}

}  // namespace
}  // namespace zorbel::platform
