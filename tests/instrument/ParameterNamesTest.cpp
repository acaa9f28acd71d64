// The long-name table: its size, samples, and the blocks that repeat for the second oscillator,
// envelope and LFO.
#include "instrument/ParameterNames.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>

namespace
{

TEST(ParameterNamesTest, OneDistinctNameForEachOf97Parameters)
{
    EXPECT_EQ(std::size(kParameterLongNames), 97u);
    std::set<std::string> distinct;
    for (const char* name : kParameterLongNames)
    {
        ASSERT_NE(name, nullptr);
        EXPECT_GT(std::string(name).size(), 3u);
        distinct.insert(name);
    }
    EXPECT_EQ(distinct.size(), 97u);

    EXPECT_STREQ(kParameterLongNames[0], "Polyphony Mode");
    EXPECT_STREQ(kParameterLongNames[1], "MIDI Channel");
    EXPECT_STREQ(kParameterLongNames[27], "Osc 1: FM 1 Source");
    EXPECT_STREQ(kParameterLongNames[35], "Osc 2: SyncEnabled");
    EXPECT_STREQ(kParameterLongNames[36], "Filter: Cutoff");
    EXPECT_STREQ(kParameterLongNames[47], "Lfo 1: Delay");
    EXPECT_STREQ(kParameterLongNames[54], "Env 1: Vel. Depth");
    EXPECT_STREQ(kParameterLongNames[64], "Porta: Time");
    EXPECT_STREQ(kParameterLongNames[78], "Pan: Mod. Source");
    EXPECT_STREQ(kParameterLongNames[91], "Delay: Left Time");
    EXPECT_STREQ(kParameterLongNames[93], "Delay: Right Time");
    EXPECT_STREQ(kParameterLongNames[96], "Master Level");
}

// The second oscillator (15-26), envelope (56-62) and LFO (72-75) repeat the first one's names
// with the number changed.
TEST(ParameterNamesTest, SecondBlocksRepeatTheFirstWithTheirNumber)
{
    struct Block
    {
        int first;
        int second;
        int count;
        const char* firstPrefix;
        const char* secondPrefix;
    };
    for (const Block& block :
         {Block{3, 15, 12, "Osc 1: ", "Osc 2: "}, Block{49, 56, 7, "Env 1: ", "Env 2: "},
          Block{68, 72, 4, "Lfo 1: ", "Lfo 2: "}})
    {
        for (int i = 0; i < block.count; ++i)
        {
            const std::string one = kParameterLongNames[block.first + i];
            const std::string two = kParameterLongNames[block.second + i];
            ASSERT_EQ(one.rfind(block.firstPrefix, 0), 0u) << one;
            ASSERT_EQ(two.rfind(block.secondPrefix, 0), 0u) << two;
            EXPECT_EQ(one.substr(7), two.substr(7)) << block.first + i;
        }
    }
}

} // namespace
