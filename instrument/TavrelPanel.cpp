// The panel's controls, positions, defaults and item texts.
#include "instrument/TavrelPanel.h"

#include "components/Filter.h"
#include "components/Lfo.h"
#include "components/WaveData.h"
#include "parameters/ModulationSources.h"
#include "sonarch/parameters/BankInterface.h"

namespace TavrelPanel
{
namespace
{

// The boxes show the parameters' own long display texts, in value order. The channels are the
// MIDI channel's displays, 1 to 16.
const char* const kChannels[] = {"1", "2",  "3",  "4",  "5",  "6",  "7",  "8",
                                 "9", "10", "11", "12", "13", "14", "15", "16"};
const char* const* const kWaveforms = getWaveLongNames();
// The panner's box shows only the first three.
const char* const* const kSources = kModulationSourceNames;
const char* const* const kFilterTypes = Filter::kTypeLongNames;
const char* const* const kLfoShapes = Lfo::kShapeLongNames;

constexpr Control toggle(const char* name, int x, int y, float defaultValue)
{
    return {Kind::Switch, name, x, y, 20, 32, defaultValue, nullptr, 0};
}

// count is the number of items the box offers; items holds at least that many.
constexpr Control box(const char* name, const char* const* items, int count, int x, int y,
                      int width = 93)
{
    return {Kind::DropDown, name, x, y, width, 15, 0.0f, items, count};
}

constexpr Control knob(const char* name, int x, int y, float defaultValue)
{
    return {Kind::Knob, name, x, y, 32, 33, defaultValue, nullptr, 0};
}

constexpr Control across(const char* name, int x, int y, float defaultValue, int width = 71)
{
    return {Kind::HorizontalSlider, name, x, y, width, 29, defaultValue, nullptr, 0};
}

constexpr Control upright(const char* name, int x, int y, float defaultValue)
{
    return {Kind::VerticalSlider, name, x, y, 29, 89, defaultValue, nullptr, 0};
}

// The knob default of the bend ranges: two semitones of twelve, as the float 0x3E2AAB8A.
constexpr float kTwoSemitones = 0.16667f;

// Three switches sit a few pixels off their first places, where their windows overlapped a
// neighbour (O2 Prta by 2 pixels into O2 Sync, Ch On into the Ch Dly knob, D On into the D FB
// knob): O2 Prta at y 151 rather than 153, Ch On at 284 rather than 289, D On at 369 rather
// than 375. An overlapping window would hide a corner of the other control and take its clicks.
const std::array<Control, kControlCount> kControls = {{
    toggle("Poly", 337, 61, 1.0f),
    toggle("OMNI", 208, 61, 1.0f),
    toggle("O1 FM1P", 104, 349, 1.0f),
    toggle("O1 FM2P", 104, 432, 1.0f),
    toggle("O1 PWOn", 12, 219, 0.0f),
    toggle("O1 PWMP", 104, 263, 0.0f),
    toggle("O1 Prta", 217, 156, 0.0f),
    toggle("O2 FM1P", 368, 349, 1.0f),
    toggle("O2 FM2P", 368, 432, 1.0f),
    toggle("O2 PWOn", 276, 219, 0.0f),
    toggle("O2 PWMP", 368, 263, 0.0f),
    toggle("O2 Prta", 482, 151, 0.0f),
    toggle("O2 Sync", 482, 183, 0.0f),
    toggle("F FM1PL", 368, 551, 0.0f),
    toggle("F FM2PL", 368, 594, 0.0f),
    toggle("F CPrss", 368, 503, 0.0f),
    toggle("E1 TMod", 717, 584, 1.0f),
    toggle("E2 TMod", 717, 741, 1.0f),
    toggle("N On", 536, 152, 0.0f),
    toggle("L1 MW", 480, 664, 0.0f),
    toggle("L1 Sync", 401, 664, 0.0f),
    toggle("L2 MW", 480, 737, 0.0f),
    toggle("L2 Sync", 401, 737, 0.0f),
    toggle("OD On", 536, 120, 0.0f),
    toggle("P On", 536, 192, 0.0f),
    toggle("P MPol", 630, 248, 0.0f),
    toggle("Ch On", 536, 284, 0.0f),
    toggle("D On", 536, 369, 0.0f),
    toggle("D Sync", 588, 403, 0.0f),
    toggle("D PanD", 747, 418, 0.0f),

    box("MIDI CH", kChannels, 16, 60, 67, 53),
    box("O1 Wave", kWaveforms, 26, 71, 124),
    box("O1 FM1S", kSources, 5, 71, 314),
    box("O1 FM2S", kSources, 5, 71, 395),
    box("O1 PWMS", kSources, 5, 71, 223),
    box("O2 Wave", kWaveforms, 26, 333, 124),
    box("O2 FM1S", kSources, 5, 333, 314),
    box("O2 FM2S", kSources, 5, 333, 395),
    box("O2 PWMS", kSources, 5, 333, 223),
    box("F Type", kFilterTypes, 4, 71, 505),
    box("F FM1S", kSources, 5, 71, 553),
    box("F FM2S", kSources, 5, 71, 597),
    box("L1 Shpe", kLfoShapes, 6, 71, 667),
    box("L2 Shpe", kLfoShapes, 6, 71, 741),
    box("P MSrc", kSources, 3, 587, 223),

    knob("O1 Dtn", 72, 156, 0.5f),
    knob("O1 Tran", 23, 156, 0.5f),
    knob("O1 PBR", 121, 156, kTwoSemitones),
    knob("O1 PWid", 201, 253, 0.5f),
    knob("O2 Dtn", 337, 156, 0.5f),
    knob("O2 Tran", 288, 156, 0.5f),
    knob("O2 PBR", 386, 156, kTwoSemitones),
    knob("O2 PWid", 467, 253, 0.5f),
    knob("F Cut", 190, 491, 0.5f),
    knob("F Res", 254, 491, 0.0f),
    knob("Pr Time", 533, 59, 0.1f),
    knob("Ch Dly", 548, 317, 0.1f),
    knob("Ch Dpth", 591, 317, 0.1f),
    knob("Ch FB", 633, 317, 0.1f),
    knob("Ch Freq", 676, 317, 0.1f),
    knob("D FB", 549, 402, 0.1f),
    knob("D LDly", 633, 402, 0.1f),
    knob("D RDly", 673, 402, 0.1f),

    across("M Lvl", 605, 59, 0.5f, 153),
    across("D Mix", 711, 375, 0.1f),
    across("Ch Mix", 711, 291, 0.1f),
    across("N Lvl", 711, 153, 0.1f),
    across("P L/R", 711, 244, 0.1f),
    across("P ModL", 711, 205, 0.1f),
    across("OD Lvl", 711, 113, 0.1f),
    across("O1 FM1", 184, 307, 0.1f),
    across("O1 FM2", 184, 387, 0.1f),
    across("O1 PWM", 184, 217, 0.1f),
    across("O1 Lvl", 184, 117, 0.1f),
    across("O2 FM1", 446, 307, 0.1f),
    across("O2 FM2", 446, 387, 0.1f),
    across("O2 PWM", 446, 217, 0.1f),
    across("O2 Lvl", 446, 117, 0.1f),
    across("F KTrck", 446, 497, 0.1f),
    across("F FM1", 446, 547, 0.1f),
    across("F FM2", 446, 589, 0.1f),
    across("L1 Dela", 287, 662, 0.1f),
    across("L1 Spd", 196, 662, 0.1f),
    across("L2 Dela", 287, 735, 0.1f),
    across("L2 Spd", 196, 735, 0.1f),
    across("E1 KT", 711, 538, 0.1f),
    across("E1 VDpt", 711, 496, 0.1f),
    across("E2 KT", 711, 696, 0.1f),
    across("E2 VDpt", 711, 653, 0.1f),
    upright("E1 A", 551, 509, 0.001f),
    upright("E1 D", 588, 509, 0.1f),
    upright("E1 S", 627, 509, 0.5f),
    upright("E1 R", 665, 509, 0.1f),
    upright("E2 A", 551, 667, 0.001f),
    upright("E2 D", 588, 667, 0.1f),
    upright("E2 S", 627, 667, 0.5f),
    upright("E2 R", 665, 667, 0.1f),
}};

static_assert(kWaveCount == 26 && kModulationSourceCount == 5 && Filter::kTypeCount == 4 &&
              Lfo::kShapeCount == 6);

} // namespace

const std::array<Control, kControlCount>& controls()
{
    return kControls;
}

bool buildControls(Sonarch::Parameters::BankInterface& bank,
                   const std::function<bool(const Control& entry, int index)>& make)
{
    const int parameterCount = bank.getParameterCount();
    for (const Control& entry : kControls)
    {
        const int index = bank.findParameter(entry.shortName);
        if (index < 0 || index >= parameterCount || !make(entry, index))
        {
            return false;
        }
    }
    return true;
}

} // namespace TavrelPanel
