// Checks of the parameter list as the host reads it: names, labels, default displays, shadows.
#include "tests/host/Checks.h"
#include "tests/host/HostSession.h"
#include "tests/support/ParameterTable.h"

namespace HostCheck
{

using namespace TestParameters;

namespace
{

struct ShadowCase
{
    int index;
    float valueNorm;
    const char* display;
};

// Index 68 (LFO 1 speed) and 72 (LFO 2 speed) select one of eight note values while their
// sync switch is on; 91 and 93 (delay times) likewise with the delay's switch.
void checkSyncTexts(HostSession& session, int syncIndex, std::initializer_list<int> shadowed,
                    std::initializer_list<ShadowCase> cases)
{
    session.setParameter(syncIndex, 1.0f);
    CHECK_TEXT(session.parameterDisplay(syncIndex), "On");
    for (const ShadowCase& shadow : cases)
    {
        session.setParameter(shadow.index, shadow.valueNorm);
        CHECK_MSG(session.parameterDisplay(shadow.index) == shadow.display,
                  format("index %d at %.3f shows \"%s\", expected \"%s\"", shadow.index,
                         static_cast<double>(shadow.valueNorm),
                         session.parameterDisplay(shadow.index).c_str(), shadow.display));
        CHECK(session.getParameter(shadow.index) == shadow.valueNorm);
    }
    for (int index : shadowed)
    {
        CHECK_TEXT(session.parameterLabel(index), "Res");
        // The name stays the host parameter's own.
        CHECK_TEXT(session.parameterName(index), kParameterTable[index].name);
    }

    // Back at the defaults with sync off, the plain texts return.
    for (int index : shadowed)
    {
        session.setParameter(index, kParameterTable[index].defaultNorm);
    }
    session.setParameter(syncIndex, 0.0f);
    for (int index : shadowed)
    {
        CHECK_TEXT(session.parameterLabel(index), kParameterTable[index].label);
        CHECK_TEXT(session.parameterDisplay(index), kParameterTable[index].display);
    }
}

} // namespace

void checkParameters()
{
    HostSession session;
    if (!CHECK(session.isOpen()))
    {
        return;
    }
    CHECK(session.effect()->numParams == kParameterCount);

    // Each index at its default, all written first so that no display depends on a neighbour
    // left at a program's value.
    session.setDefaults();
    for (int index = 0; index < kParameterCount; ++index)
    {
        const ParameterRow& row = kParameterTable[index];
        const std::string name = session.parameterName(index);
        const std::string label = session.parameterLabel(index);
        const std::string display = session.parameterDisplay(index);
        CHECK_MSG(name == row.name && label == row.label && display == row.display,
                  format("index %d reads \"%s\" \"%s\" \"%s\", expected \"%s\" \"%s\" \"%s\"",
                         index, name.c_str(), label.c_str(), display.c_str(), row.name, row.label,
                         row.display));
        CHECK_MSG(session.getParameter(index) == row.defaultNorm,
                  format("index %d reads back %.7g", index,
                         static_cast<double>(session.getParameter(index))));
    }

    // Texts cut to 7 characters with the terminator in the 8th byte.
    CHECK_TEXT(session.parameterName(47), "L1 Dela");
    session.setParameter(Index::kFilterCutoff, 1.0f);
    CHECK_TEXT(session.parameterDisplay(Index::kFilterCutoff), "13000.0");
    session.setParameter(Index::kFilterCutoff, 0.75f);

    // The MIDI channel is a whole channel: 0.5 x 15 = 7.5 rounds to channel 8 (shown 9) and
    // reads back as 8 / 15; the two switches read back 0 or 1.
    session.setParameter(Index::kMidiChannel, 0.5f);
    CHECK_TEXT(session.parameterDisplay(Index::kMidiChannel), "9");
    CHECK_NEAR(session.getParameter(Index::kMidiChannel), 8.0 / 15.0, 1e-7);
    session.setParameter(Index::kMidiChannel, 1.0f);
    CHECK_TEXT(session.parameterDisplay(Index::kMidiChannel), "16");
    session.setParameter(Index::kMidiChannel, 0.0f);
    session.setParameter(Index::kOmni, 0.7f);
    CHECK(session.getParameter(Index::kOmni) == 1.0f);
    session.setParameter(Index::kOmni, 0.3f);
    CHECK(session.getParameter(Index::kOmni) == 0.0f);
    CHECK_TEXT(session.parameterDisplay(Index::kOmni), "Off");
    session.setParameter(Index::kPoly, 0.2f);
    CHECK(session.getParameter(Index::kPoly) == 0.0f);
    CHECK_TEXT(session.parameterDisplay(Index::kPoly), "Mono");
    session.setDefaults();

    // LFO note values 16/1, 8/1, 4/1, 3/1, 2/1, 1/1, 1/2, 1/4 over 0..1 (value x 7, rounded).
    checkSyncTexts(session, Index::kLfo1Sync, {Index::kLfo1Speed},
                   {{Index::kLfo1Speed, 0.2f, "8/1"},
                    {Index::kLfo1Speed, 0.0f, "16/1"},
                    {Index::kLfo1Speed, 0.5f, "2/1"},
                    {Index::kLfo1Speed, 1.0f, "1/4"},
                    {Index::kLfo1Speed, 0.2f, "8/1"}});
    checkSyncTexts(session, Index::kLfo2Sync, {Index::kLfo2Speed},
                   {{Index::kLfo2Speed, 0.2f, "8/1"}, {Index::kLfo2Speed, 0.86f, "1/2"}});
    // Delay note values 1/8 .. 1/1; a time written while sync is off selects the note value
    // for the same stored number once sync is on.
    session.setParameter(Index::kDelayLeftTime, 1.0f);
    CHECK_TEXT(session.parameterDisplay(Index::kDelayLeftTime), "1000.0");
    session.setParameter(Index::kDelaySync, 1.0f);
    CHECK_TEXT(session.parameterDisplay(Index::kDelayLeftTime), "1/1");
    checkSyncTexts(session, Index::kDelaySync, {Index::kDelayLeftTime, Index::kDelayRightTime},
                   {{Index::kDelayLeftTime, 0.25f, "1/6"},
                    {Index::kDelayRightTime, 0.25f, "1/6"},
                    {Index::kDelayRightTime, 0.5f, "1/4"},
                    {Index::kDelayLeftTime, 0.0f, "1/8"},
                    {Index::kDelayLeftTime, 0.25f, "1/6"}});
    // The other LFO's texts are untouched by one LFO's sync.
    session.setParameter(Index::kLfo1Sync, 1.0f);
    CHECK_TEXT(session.parameterLabel(Index::kLfo2Speed), "Hz");
    CHECK_TEXT(session.parameterLabel(Index::kLfo1Speed), "Res");
}

} // namespace HostCheck
