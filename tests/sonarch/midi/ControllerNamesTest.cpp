// The controller texts: count, the number field of every text, and samples of the names.
#include "sonarch/midi/ControllerNames.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

using Sonarch::Midi::ControllerNames;

namespace
{

TEST(ControllerNamesTest, EachTextIsItsNumberInFourCharactersThenAName)
{
    ASSERT_EQ(std::size(ControllerNames), 128u);
    for (int c = 0; c < 128; ++c)
    {
        const std::string text = ControllerNames[c];
        std::string field = std::to_string(c);
        field.resize(4, ' ');
        ASSERT_GT(text.size(), 4u) << c;
        EXPECT_EQ(text.substr(0, 4), field) << c;
        EXPECT_NE(text[4], ' ') << c;
    }
}

TEST(ControllerNamesTest, NamesAreTheEditorsOwnSpellingsIncluded)
{
    EXPECT_STREQ(ControllerNames[0], "0   Bank Select (coarse)");
    EXPECT_STREQ(ControllerNames[7], "7   Volume (coarse)");
    EXPECT_STREQ(ControllerNames[9], "9   Undefined");
    EXPECT_STREQ(ControllerNames[31], "31  Undefined");
    EXPECT_STREQ(ControllerNames[34], "34  Breath controller (fine)");
    EXPECT_STREQ(ControllerNames[64], "64  Hold Pedal (on/off)");
    EXPECT_STREQ(ControllerNames[66], "66  Sustenuto Pedal (on/off)");
    EXPECT_STREQ(ControllerNames[83], "83  General Purpose Button 4 (on/off)");
    EXPECT_STREQ(ControllerNames[89], "89  Undefined");
    EXPECT_STREQ(ControllerNames[90], "90  Undefinied");
    EXPECT_STREQ(ControllerNames[92], "92  Tremulo Level");
    EXPECT_STREQ(ControllerNames[99], "99  Non-registered Parameter (coarse)");
    EXPECT_STREQ(ControllerNames[100], "100 Registered Parameter (fine)");
    EXPECT_STREQ(ControllerNames[119], "119 Undefined");
    EXPECT_STREQ(ControllerNames[120], "120 All Sound Off");
    EXPECT_STREQ(ControllerNames[127], "127 Poly Operation");

    int undefined = 0;
    for (const char* text : ControllerNames)
    {
        undefined += std::string(text).substr(4) == "Undefined" ? 1 : 0;
    }
    // 3, 9, 14, 15, 20-31, 35, 41, 46-63, 84-89 and 102-119 (90 is spelt differently).
    EXPECT_EQ(undefined, 4 + 12 + 2 + 18 + 6 + 18);
}

} // namespace
