// The drop-down box's rules: the item a value selects, the value an item stands for, the menu's
// commands, and lists of one item or none.
#include "sonarch/gui/DropDownModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using Sonarch::Gui::DropDownModel;

namespace
{

TEST(DropDownModelTest, HalfOfTwentySixItemsRoundsAwayFromZeroToItemThirteen)
{
    DropDownModel waves(26);
    EXPECT_EQ(waves.getSelected(), 0);
    EXPECT_TRUE(waves.setValue(0.5f));
    EXPECT_EQ(waves.getSelected(), 13);
    // 12.49 of 25 stays below the half.
    waves.setValue(12.49f / 25.0f);
    EXPECT_EQ(waves.getSelected(), 12);
}

TEST(DropDownModelTest, EveryItemReportsItsShareOfTheListAndSelectsItselfAgain)
{
    DropDownModel chosen(26);
    DropDownModel shown(26);
    for (int item = 0; item < 26; ++item)
    {
        ASSERT_TRUE(chosen.choose(DropDownModel::commandForItem(item)));
        EXPECT_EQ(chosen.getSelected(), item);
        EXPECT_EQ(chosen.getValue(), static_cast<float>(item) / 25.0f) << item;
        shown.setValue(chosen.getValue());
        EXPECT_EQ(shown.getSelected(), item);
    }
}

TEST(DropDownModelTest, ChoosingTheSelectedItemIsStillAChoiceButADismissedMenuIsNot)
{
    DropDownModel types(4);
    types.setValue(1.0f / 3.0f);
    EXPECT_TRUE(types.choose(2));
    EXPECT_EQ(types.getSelected(), 1);

    EXPECT_FALSE(types.choose(0));
    EXPECT_FALSE(types.choose(-1));
    EXPECT_FALSE(types.choose(5));
    EXPECT_EQ(types.getSelected(), 1);
    EXPECT_TRUE(types.choose(4));
    EXPECT_EQ(types.getValue(), 1.0f);
}

TEST(DropDownModelTest, SetValueReportsOnlyANewSelection)
{
    DropDownModel sources(5);
    EXPECT_FALSE(sources.setValue(0.1f));
    EXPECT_TRUE(sources.setValue(0.3f));
    EXPECT_EQ(sources.getSelected(), 1);
    EXPECT_FALSE(sources.setValue(0.25f));
    EXPECT_EQ(sources.getSelected(), 1);
}

TEST(DropDownModelTest, DamagedValuesSelectTheNearestEndOfTheList)
{
    DropDownModel shapes(6);
    shapes.setValue(4.0f);
    EXPECT_EQ(shapes.getSelected(), 5);
    shapes.setValue(-0.5f);
    EXPECT_EQ(shapes.getSelected(), 0);
    shapes.setValue(1.0f);
    shapes.setValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(shapes.getSelected(), 0);
}

TEST(DropDownModelTest, ListsOfOneItemOrNoneHaveTheValueZero)
{
    DropDownModel single(1);
    EXPECT_EQ(single.getValue(), 0.0f);
    EXPECT_TRUE(single.choose(1));
    EXPECT_EQ(single.getValue(), 0.0f);
    EXPECT_FALSE(std::isnan(single.getValue()));
    EXPECT_FALSE(single.setValue(1.0f));

    DropDownModel empty(0);
    EXPECT_EQ(empty.getValue(), 0.0f);
    EXPECT_FALSE(empty.setValue(0.7f));
    EXPECT_FALSE(empty.choose(1));
    EXPECT_EQ(DropDownModel(-3).getCount(), 0);
}

} // namespace
