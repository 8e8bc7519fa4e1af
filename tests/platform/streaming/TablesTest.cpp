#include "TestClasses.h"

#include "platform/streaming/ClassRegistry.h"
#include "platform/streaming/MethodTable.h"
#include "platform/streaming/PropertyTable.h"
#include "platform/streaming/Resources.h"

#include <gtest/gtest.h>

TEST(PropertyTableTest, InheritedFirstThenOwnWithRepublishedAtItsNewPlace)
{
    std::vector<std::string> names;
    for (const TPropertyInfo& p : PublishedProperties(TTestPanel::StaticClassInfo()))
        names.push_back(p.Name);
    EXPECT_EQ(names, (std::vector<std::string> { "Tag", "Left", "Align", "Anchors", "Visible", "Color", "ParentFont", "Font",
                         "Caption", "Picture", "OnClick", "Buddy", "BevelWidth", "Width" }));

    const TPropertyInfo* panelWidth = PublishedProperties(TTestPanel::StaticClassInfo()).Find("wIDTH");
    const TPropertyInfo* controlWidth = PublishedProperties(TTestControl::StaticClassInfo()).Find("Width");
    ASSERT_TRUE(panelWidth && controlWidth);
    EXPECT_EQ(panelWidth->OrdinalDefault, 260);
    EXPECT_EQ(controlWidth->OrdinalDefault, 100); // the parent's table is left as it was

    // A class without a table of its own publishes its parent's; methods are found up the chain.
    EXPECT_TRUE(PublishedProperties(TTestForm::StaticClassInfo()).Find("OnCreate"));
    EXPECT_TRUE(FindPublishedMethod(TTestForm::StaticClassInfo(), "baseclick"));
    EXPECT_FALSE(FindPublishedMethod(TTestFormBase::StaticClassInfo(), "FormCreate"));
}

TEST(ClassRegistryTest, FindsRegisteredClassesByName)
{
    EXPECT_EQ(FindClass("ttestpanel"), &TTestPanel::StaticClassInfo());
    EXPECT_EQ(FindClass("TNoSuchClass"), nullptr);
    RegisterClass(TTestPanel::StaticClassInfo()); // again: harmless
    EXPECT_EQ(FindClass("TTestPanel"), &TTestPanel::StaticClassInfo());
}

TEST(ResourceTest, EmbeddedFilesAreRegisteredAtStartUp)
{
    auto bytes = FindResource("test_bytes");
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 259u);
    for (size_t i = 0; i < 256; ++i)
        ASSERT_EQ((*bytes)[i], i);
    EXPECT_EQ((*bytes)[256], 0x00);
    EXPECT_EQ((*bytes)[258], 0x7F);

    auto empty = FindResource("TEST_EMPTY");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
    EXPECT_FALSE(FindResource("TEST_MISSING"));
}
