// Checks of the MIDI-learn table carried in bank chunks and of the automation its bindings cause.
#include "tests/host/Checks.h"
#include "tests/host/ChunkLayout.h"
#include "tests/host/HostSession.h"
#include "tests/support/ParameterTable.h"

#include <cmath>

namespace HostCheck
{

using namespace TestParameters;

namespace
{

using namespace Chunk;

constexpr int kVolume = 7;
constexpr int kBrightness = 74;
constexpr int kSlider = 16;

// Three parameters on one controller in an order of our choosing (not index order), one alone,
// and two more on a third controller. All are plain values that read back as written.
Bindings chosenBindings()
{
    Bindings bindings(kControllers);
    bindings[kVolume] = {Index::kPanPosition, Index::kFilterCutoff, Index::kFilterResonance};
    bindings[kBrightness] = {Index::kDelayFeedback};
    bindings[kSlider] = {86, 39};
    return bindings;
}

// Sends one control change, renders a block and returns the automation calls it caused.
std::vector<HostedPlugin::Automation> moveController(HostSession& session, int controller,
                                                     int value, int channel = 0)
{
    session.callbacks().automations.clear();
    session.controlChange(0, controller, value, channel);
    session.render(512);
    return session.callbacks().automations;
}

void checkBindingsAct(HostSession& session)
{
    const float expected = 100.0f / 127.0f;
    const float feedback = session.getParameter(Index::kDelayFeedback);
    const std::vector<HostedPlugin::Automation> calls = moveController(session, kVolume, 100);
    const std::vector<std::int32_t> bound = chosenBindings()[kVolume];
    // Exactly one automation call per bound parameter, in binding order, with the new value.
    if (CHECK_MSG(calls.size() == bound.size(),
                  format("%u calls", static_cast<unsigned>(calls.size()))))
    {
        for (std::size_t i = 0; i < bound.size(); ++i)
        {
            CHECK(calls[i].index == bound[i]);
            CHECK_NEAR(calls[i].value, expected, 1e-6);
        }
    }
    for (std::int32_t index : bound)
    {
        CHECK_NEAR(session.getParameter(index), expected, 1e-6);
    }
    // A parameter bound to another controller stays.
    CHECK(session.getParameter(Index::kDelayFeedback) == feedback);

    // Controllers are learned on every channel; 127 is full scale, 0 is zero.
    const auto full = moveController(session, kBrightness, 127, 5);
    CHECK(full.size() == 1 && full[0].index == Index::kDelayFeedback && full[0].value == 1.0f);
    CHECK(session.getParameter(Index::kDelayFeedback) == 1.0f);
    const auto zero = moveController(session, kSlider, 0);
    CHECK(zero.size() == 2 && zero[0].index == 86 && zero[1].index == 39);
    CHECK(session.getParameter(86) == 0.0f && session.getParameter(39) == 0.0f);

    // A controller without bindings writes nothing.
    const float cutoff = session.getParameter(Index::kFilterCutoff);
    CHECK(moveController(session, 75, 64).empty());
    CHECK(session.getParameter(Index::kFilterCutoff) == cutoff);
}

void checkTableLifecycle()
{
    HostSession session;
    if (!CHECK(session.isOpen()))
    {
        return;
    }
    const std::vector<std::uint8_t> factory = session.getChunk(false);
    const std::vector<std::uint8_t> table = encodeTable(chosenBindings());
    CHECK(table.size() == kEmptyTableSize + 6 * 4);
    const std::vector<std::uint8_t> learned = withTable(factory, table);

    CHECK(session.setChunk(learned, false) == 1);
    // The lists come back as written, each in its order.
    CHECK(session.getChunk(false) == learned);
    checkBindingsAct(session);

    // Through a fresh instance the bindings travel unchanged.
    {
        HostSession other;
        CHECK(other.setChunk(session.getChunk(false), false) == 1);
        CHECK(tableOf(other.getChunk(false)) == table);
    }

    // A version-1000 chunk has no table: the bindings stay, even if bytes follow the image.
    std::vector<std::uint8_t> old = withTable(factory, {});
    writeInt32(old, 0, kFactoryVersion);
    CHECK(session.setChunk(old, false) == 1);
    CHECK(tableOf(session.getChunk(false)) == table);
    std::vector<std::uint8_t> oldWithBytes = withTable(old, encodeTable(Bindings(kControllers)));
    CHECK(session.setChunk(oldWithBytes, false) == 1);
    CHECK(tableOf(session.getChunk(false)) == table);
    CHECK(readInt32(session.getChunk(false), 0) == kVersion);

    // A version-1510 chunk that ends with the image clears every binding.
    CHECK(session.setChunk(withTable(factory, {}), false) == 1);
    CHECK(tableOf(session.getChunk(false)) == std::vector<std::uint8_t>(kEmptyTableSize, 0));
    const float pan = session.getParameter(Index::kPanPosition);
    CHECK(moveController(session, kVolume, 3).empty());
    CHECK(session.getParameter(Index::kPanPosition) == pan);

    // Selecting programs keeps the bindings.
    CHECK(session.setChunk(learned, false) == 1);
    session.selectProgram(12);
    session.selectProgram(0);
    CHECK(tableOf(session.getChunk(false)) == table);
}

void checkRebinding()
{
    HostSession session;
    if (!CHECK(session.isOpen()))
    {
        return;
    }
    // A parameter listed under two controllers ends up under the later one only.
    Bindings twice(kControllers);
    twice[1] = {Index::kFilterCutoff, Index::kFilterResonance};
    twice[2] = {Index::kFilterCutoff};
    CHECK(session.setChunk(withTable(session.getChunk(false), encodeTable(twice)), false) == 1);
    Bindings expected(kControllers);
    expected[1] = {Index::kFilterResonance};
    expected[2] = {Index::kFilterCutoff};
    CHECK(tableOf(session.getChunk(false)) == encodeTable(expected));
    const auto calls = moveController(session, 1, 64);
    CHECK(calls.size() == 1 && calls[0].index == Index::kFilterResonance);
}

} // namespace

void checkMidiLearn()
{
    checkTableLifecycle();
    checkRebinding();
}

} // namespace HostCheck
