#include "AXLayerTest.h"

using namespace zorbel;
using namespace zorbel::platform;
using zorbel::testing::AXLayerTest;

class DescriptionTest : public AXLayerTest {};

TEST_F(DescriptionTest, NamesWindowsByTitleApplicationsByBundleAndOthersByTheirOwnForm)
{
    EXPECT_EQ(wrap(window).description(), "<AXWindow \"Notes\" (pid=512)>");
    EXPECT_EQ(wrap(&notes->element()).description(), "<AXApplication \"com.example.notes\" (pid=512)>");
    EXPECT_EQ(wrap(area).description(),
              QStringLiteral("<AXTextArea \"%1\" (pid=512)>").arg(area->ref().debugDescription()));

    auto& anonymous = desktop().addApplication({77, std::nullopt, std::nullopt, ActivationPolicy::regular});
    EXPECT_EQ(wrap(&anonymous.element()).description(), "<AXApplication \"\" (pid=77)>");
    desktop().forceResult(axcode::cannotComplete, *window, "AXTitle");
    EXPECT_EQ(wrap(window).description(), "<AXWindow \"\" (pid=512)>") << "an unreadable title is empty";
}

TEST_F(DescriptionTest, TellsWhyARoleIsMissing)
{
    const auto own = area->ref().debugDescription();
    notes->quit();
    EXPECT_EQ(wrap(area).description(), QStringLiteral("<InvalidUIElement \"%1\" (pid=?\?)>").arg(own));

    auto& other = addApplication(600, "org.example.other", "Other");
    auto& widget = other.addWindow("W", QRectF(0, 0, 10, 10)).addChild("AXZorbelWidget", QRectF(0, 0, 5, 5));
    EXPECT_EQ(wrap(&widget).description(),
              QStringLiteral("<UIElementNoRole \"%1\" (pid=600)>").arg(widget.ref().debugDescription()));
    widget.removeAttribute("AXRole");
    EXPECT_TRUE(wrap(&widget).description().startsWith("<UIElementNoRole \""));
    desktop().forceResult(axcode::failure, widget, "AXRole");
    EXPECT_TRUE(wrap(&widget).description().startsWith("<UnknownUIElement \""));
    EXPECT_TRUE(UIElement(systemWideElement()).description().endsWith("\" (pid=?\?)>"));
}

TEST_F(DescriptionTest, DescribeAttributesListsValuesOrSaysInvalid)
{
    const auto text = wrap(field).describeAttributes();
    EXPECT_TRUE(text.startsWith("[role: AXTextField, ")) << text.toStdString();
    EXPECT_TRUE(text.contains(", value: hello, ")) << text.toStdString();
    EXPECT_TRUE(text.contains(", position: (110.0, 110.0), ")) << text.toStdString();
    EXPECT_TRUE(text.contains(", selectedTextRange: (location: 5, length: 0), ")) << text.toStdString();
    EXPECT_TRUE(text.contains("parent: <AXWindow \"Notes\" (pid=512)>")) << text.toStdString();

    desktop().forceResult(axcode::cannotComplete, *field, "AXValue");
    EXPECT_EQ(wrap(field).describeAttributes(), "InvalidUIElement");
    notes->quit();
    EXPECT_EQ(wrap(window).describeAttributes(), "InvalidUIElement");
}
