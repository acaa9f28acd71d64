// The panel's table against the parameter list: one control per parameter, inside the panel,
// no overlaps, drop-down boxes that agree with their parameters' steps.
#include "instrument/TavrelPanel.h"

#include "instrument/TavrelSynth.h"
#include "sonarch/parameters/BankInterface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace
{

using TavrelPanel::Control;
using TavrelPanel::Kind;

class TavrelPanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        synth = std::make_unique<TavrelSynth>();
        bank = synth->getBank();
    }

    std::unique_ptr<TavrelSynth> synth;
    Sonarch::Parameters::BankInterface* bank = nullptr;
};

TEST_F(TavrelPanelTest, EveryParameterHasExactlyOneControl)
{
    std::set<int> indexes;
    for (const Control& control : TavrelPanel::controls())
    {
        const int index = bank->findParameter(control.shortName);
        ASSERT_LT(index, bank->getParameterCount()) << control.shortName;
        EXPECT_TRUE(indexes.insert(index).second) << control.shortName << " appears twice";
    }
    EXPECT_EQ(indexes.size(), static_cast<std::size_t>(bank->getParameterCount()));
}

TEST_F(TavrelPanelTest, ControlsLieInsideThePanelWithoutOverlapping)
{
    const auto& controls = TavrelPanel::controls();
    for (const Control& control : controls)
    {
        EXPECT_GE(control.x, 0) << control.shortName;
        EXPECT_GE(control.y, TavrelPanel::kMenuBottom) << control.shortName << " under the title";
        EXPECT_LE(control.x + control.width, TavrelPanel::kWidth) << control.shortName;
        EXPECT_LE(control.y + control.height, TavrelPanel::kHeight) << control.shortName;
        EXPECT_GE(control.defaultValue, 0.0f) << control.shortName;
        EXPECT_LE(control.defaultValue, 1.0f) << control.shortName;
    }
    for (std::size_t a = 0; a < controls.size(); ++a)
    {
        for (std::size_t b = a + 1; b < controls.size(); ++b)
        {
            const Control& p = controls[a];
            const Control& q = controls[b];
            const bool apart = p.x + p.width <= q.x || q.x + q.width <= p.x ||
                               p.y + p.height <= q.y || q.y + q.height <= p.y;
            EXPECT_TRUE(apart) << p.shortName << " overlaps " << q.shortName;
        }
    }
}

TEST_F(TavrelPanelTest, GroupsComeInCreationOrderWithTheirSizes)
{
    int counts[5] = {};
    Kind previous = Kind::Switch;
    for (const Control& control : TavrelPanel::controls())
    {
        EXPECT_GE(static_cast<int>(control.kind), static_cast<int>(previous)) << control.shortName;
        previous = control.kind == Kind::VerticalSlider ? Kind::HorizontalSlider : control.kind;
        ++counts[static_cast<int>(control.kind)];
        switch (control.kind)
        {
        case Kind::Switch:
            EXPECT_EQ(control.width * 100 + control.height, 2032) << control.shortName;
            break;
        case Kind::Knob:
            EXPECT_EQ(control.width * 100 + control.height, 3233) << control.shortName;
            break;
        case Kind::DropDown:
            EXPECT_EQ(control.height, 15) << control.shortName;
            break;
        case Kind::HorizontalSlider:
            EXPECT_EQ(control.height, 29) << control.shortName;
            break;
        case Kind::VerticalSlider:
            EXPECT_EQ(control.width * 100 + control.height, 2989) << control.shortName;
            break;
        }
    }
    EXPECT_EQ(counts[static_cast<int>(Kind::Switch)], 30);
    EXPECT_EQ(counts[static_cast<int>(Kind::DropDown)], 15);
    EXPECT_EQ(counts[static_cast<int>(Kind::Knob)], 18);
    EXPECT_EQ(counts[static_cast<int>(Kind::HorizontalSlider)] +
                  counts[static_cast<int>(Kind::VerticalSlider)],
              34);
}

// Item k of n stands for the value k / (n - 1). The parameter behind the box must have the same
// steps: its long text is item k up to half a step either side and changes beyond.
TEST_F(TavrelPanelTest, DropDownItemsMatchTheirParametersSteps)
{
    for (const Control& control : TavrelPanel::controls())
    {
        if (control.kind != Kind::DropDown)
        {
            continue;
        }
        ASSERT_GT(control.itemCount, 1) << control.shortName;
        ASSERT_NE(control.items, nullptr) << control.shortName;
        const int index = bank->findParameter(control.shortName);
        const float step = 1.0f / static_cast<float>(control.itemCount - 1);
        auto textAt = [&](float value)
        {
            bank->setParameter(index, std::clamp(value, 0.0f, 1.0f));
            return std::string(bank->getParameterLongDisplay(index));
        };
        for (int k = 0; k < control.itemCount; ++k)
        {
            const float value = static_cast<float>(k) * step;
            const std::string text = textAt(value);
            EXPECT_EQ(text, control.items[k]) << control.shortName;
            EXPECT_EQ(textAt(value - 0.49f * step), text) << control.shortName << " item " << k;
            EXPECT_EQ(textAt(value + 0.49f * step), text) << control.shortName << " item " << k;
            if (k + 1 < control.itemCount)
            {
                EXPECT_NE(textAt(value + 0.51f * step), text) << control.shortName << " item " << k;
            }
        }
    }
}

TEST_F(TavrelPanelTest, TheBendRangeKnobsRestoreTwoSemitones)
{
    for (const Control& control : TavrelPanel::controls())
    {
        if (std::string_view(control.shortName).ends_with("PBR"))
        {
            EXPECT_EQ(std::bit_cast<std::uint32_t>(control.defaultValue), 0x3E2AAB8Au);
            bank->setParameter(bank->findParameter(control.shortName), control.defaultValue);
            EXPECT_STREQ(bank->getParameterDisplay(bank->findParameter(control.shortName)), "2");
        }
    }
}

} // namespace

// Every platform builds from the table through buildControls: each entry in creation order with
// its parameter's index, and the first refusal ends the building.
TEST_F(TavrelPanelTest, BuildingVisitsTheTableInOrderAndStopsAtTheFirstRefusal)
{
    const auto& table = TavrelPanel::controls();
    for (const std::size_t refusedAt : {table.size(), std::size_t{0}, std::size_t{40}})
    {
        std::size_t calls = 0;
        const bool built =
            TavrelPanel::buildControls(*bank,
                                       [&](const TavrelPanel::Control& entry, int index)
                                       {
                                           EXPECT_EQ(&entry, &table[calls]);
                                           EXPECT_EQ(index, bank->findParameter(entry.shortName));
                                           return calls++ != refusedAt;
                                       });
        EXPECT_EQ(built, refusedAt == table.size());
        EXPECT_EQ(calls, std::min(refusedAt + 1, table.size()));
    }
}
