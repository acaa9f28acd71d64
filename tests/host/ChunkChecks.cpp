// Checks of bank and program chunks: the layout after construction, round trips and refusals.
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

// What getParameter gives for a stored value: the mode switches read back 0 or 1, the MIDI
// channel its whole channel / 15; every other parameter the value itself.
float readBack(int index, float stored)
{
    if (index == Index::kPoly || index == Index::kOmni)
    {
        return stored >= 0.5f ? 1.0f : 0.0f;
    }
    if (index == Index::kMidiChannel)
    {
        return std::floor(stored * 15.0f + 0.5f) / 15.0f;
    }
    return stored;
}

// The live values equal the stored values of program p in the bank chunk.
bool liveValuesMatch(HostSession& session, const std::vector<std::uint8_t>& bank, int program)
{
    bool same = true;
    for (int index = 0; index < kParameterCount; ++index)
    {
        const float stored = readFloat(bank, valueOffset(program, index));
        const float live = session.getParameter(index);
        if (std::fabs(live - readBack(index, stored)) > 1e-6f)
        {
            same = false;
            note(format("program %d index %d: live %.7g, stored %.7g", program, index,
                        static_cast<double>(live), static_cast<double>(stored)));
        }
    }
    return same;
}

std::vector<std::string> allProgramNames(HostSession& session)
{
    std::vector<std::string> names;
    for (int program = 0; program < kPrograms; ++program)
    {
        names.push_back(session.programName(program));
    }
    return names;
}

void checkFactoryBankChunk()
{
    HostSession session;
    if (!CHECK(session.isOpen()))
    {
        return;
    }
    const std::vector<std::uint8_t> bank = session.getChunk(false);
    // The image of 98948 bytes and a table without bindings.
    if (!CHECK_MSG(bank.size() == kBankImageSize + kEmptyTableSize,
                   format("bank chunk of %u bytes", static_cast<unsigned>(bank.size()))))
    {
        return;
    }
    // Stored under this plug-in's version although the factory image is version 1000.
    CHECK(readInt32(bank, 0) == kVersion);
    CHECK_TEXT(readText(bank, kBankIdentifier), "Tavrel Bank");

    int matchingNames = 0;
    int matchingValues = 0;
    int finiteValues = 0;
    for (int program = 0; program < kPrograms; ++program)
    {
        const std::size_t record = programOffset(program);
        CHECK(readInt32(bank, record) == kVersion);
        CHECK(readText(bank, record + kProgramIdentifier) == "Tavrel Program");
        const std::string stored = readText(bank, record + kProgramName);
        const std::string listed = session.programName(program);
        // The host's field holds 23 characters of the stored name.
        matchingNames += !stored.empty() && listed == stored.substr(0, 23) ? 1 : 0;

        bool inRange = true;
        for (int index = 0; index < kParameterCount; ++index)
        {
            const float value = readFloat(bank, valueOffset(program, index));
            inRange = inRange && value >= 0.0f && value <= 1.0f;
        }
        finiteValues += inRange ? 1 : 0;
        session.selectProgram(program);
        matchingValues += liveValuesMatch(session, bank, program) ? 1 : 0;
    }
    CHECK_MSG(matchingNames == kPrograms, format("%d names match", matchingNames));
    CHECK_MSG(finiteValues == kPrograms, format("%d programs hold values in 0..1", finiteValues));
    CHECK_MSG(matchingValues == kPrograms,
              format("%d programs apply their values", matchingValues));

    bool emptyTable = true;
    for (std::size_t i = kBankImageSize; i < bank.size(); ++i)
    {
        emptyTable = emptyTable && bank[i] == 0;
    }
    CHECK(emptyTable);

    // The program chunk is the current program's record as the bank holds it.
    session.selectProgram(0);
    const std::vector<std::uint8_t> program = session.getChunk(true);
    CHECK(program.size() == kProgramSize);
    CHECK(program.size() == kProgramSize &&
          std::equal(program.begin(), program.end(), bank.begin() + kBankPrograms));
}

// Marks programs 3 and 7 with their own names and values.
void changePrograms(HostSession& session, const char* suffix, float offset)
{
    for (int program : {3, 7})
    {
        session.selectProgram(program);
        std::string name = format("Edited %d %s", program, suffix);
        session.dispatch(effSetProgramName, 0, 0, name.data());
        for (int index : {Index::kFilterCutoff, Index::kFilterResonance, Index::kPanPosition,
                          Index::kDelayFeedback, Index::kMidiChannel})
        {
            session.setParameter(index, 0.1f * static_cast<float>(program) / 7.0f + offset +
                                            0.001f * static_cast<float>(index));
        }
    }
}

void checkBankRoundTrip()
{
    HostSession first;
    HostSession second;
    if (!CHECK(first.isOpen() && second.isOpen()))
    {
        return;
    }
    changePrograms(first, "first", 0.4f);
    first.selectProgram(3);
    const std::vector<std::uint8_t> saved = first.getChunk(false);
    CHECK(readText(saved, programOffset(3) + kProgramName) == "Edited 3 first");
    CHECK_NEAR(readFloat(saved, valueOffset(7, Index::kFilterCutoff)),
               0.1 + 0.4 + 0.001 * Index::kFilterCutoff, 1e-6);

    // Into a fresh instance: the same bytes come back, the names and values are there.
    first.callbacks().automations.clear();
    second.callbacks().automations.clear();
    CHECK(second.setChunk(saved, false) == 1);
    CHECK(second.getChunk(false) == saved);
    CHECK(allProgramNames(second) == allProgramNames(first));
    CHECK(second.dispatch(effGetProgram) == 0);
    CHECK(liveValuesMatch(second, saved, 0));
    second.selectProgram(7);
    CHECK(liveValuesMatch(second, saved, 7));

    // Back into the instance it came from after further edits.
    changePrograms(first, "again", 0.2f);
    first.selectProgram(3);
    CHECK(first.getChunk(false) != saved);
    CHECK(first.setChunk(saved, false) == 1);
    CHECK(first.getChunk(false) == saved);
    CHECK_TEXT(first.programName(3), "Edited 3 first");
    CHECK_TEXT(first.programName(7), "Edited 7 first");
    // The current program stays selected and takes the loaded values.
    CHECK(first.dispatch(effGetProgram) == 3);
    CHECK(liveValuesMatch(first, saved, 3));

    // Loading is not automation.
    CHECK(first.callbacks().automations.empty());
    CHECK(second.callbacks().automations.empty());
}

void checkProgramRoundTrip()
{
    HostSession session;
    if (!CHECK(session.isOpen()))
    {
        return;
    }
    session.selectProgram(9);
    const std::vector<std::uint8_t> saved = session.getChunk(true);
    if (!CHECK(saved.size() == kProgramSize))
    {
        return;
    }
    const std::vector<std::uint8_t> bankBefore = session.getChunk(false);
    CHECK(std::equal(saved.begin(), saved.end(), bankBefore.begin() + programOffset(9)));
    CHECK_TEXT(readText(saved, kProgramName), session.programName(9).c_str());

    std::vector<float> values;
    for (int index = 0; index < kParameterCount; ++index)
    {
        values.push_back(session.getParameter(index));
    }
    std::string changed = "Changed Nine";
    session.dispatch(effSetProgramName, 0, 0, changed.data());
    for (int index = 3; index < kParameterCount; index += 5)
    {
        session.setParameter(index, 1.0f - values[static_cast<std::size_t>(index)] * 0.5f);
    }
    CHECK(session.getChunk(true) != saved);

    // A chunk one byte short is refused and changes nothing.
    const std::vector<std::uint8_t> edited = session.getChunk(true);
    std::vector<std::uint8_t> shortChunk(saved.begin(), saved.end() - 1);
    CHECK(session.setChunk(shortChunk, true) == 0);
    CHECK(session.setChunk({}, true) == 0);
    CHECK(session.getChunk(true) == edited);

    CHECK(session.setChunk(saved, true) == 1);
    CHECK(session.getChunk(true) == saved);
    CHECK_TEXT(session.programName(9), readText(saved, kProgramName));
    bool restored = true;
    for (int index = 0; index < kParameterCount; ++index)
    {
        restored =
            restored && session.getParameter(index) == values[static_cast<std::size_t>(index)];
    }
    CHECK(restored);

    // Into another program, whatever the identifier says: name and values arrive, the
    // neighbours keep theirs.
    std::vector<std::uint8_t> foreign = saved;
    writeText(foreign, kProgramIdentifier, "Something Else");
    writeText(foreign, kProgramName, "Copied Program");
    session.selectProgram(10);
    const std::string eleventh = session.programName(11);
    CHECK(session.setChunk(foreign, true) == 1);
    CHECK_TEXT(session.programName(10), "Copied Program");
    CHECK_TEXT(session.programName(11), eleventh);
    const std::vector<std::uint8_t> bankAfter = session.getChunk(false);
    CHECK(std::equal(saved.begin() + kProgramName + kTextField, saved.end(),
                     bankAfter.begin() + programOffset(10) + kProgramName + kTextField));
    CHECK(session.callbacks().automations.empty());
}

void checkShortBankRefused()
{
    HostSession session;
    if (!CHECK(session.isOpen()))
    {
        return;
    }
    session.selectProgram(2);
    const std::vector<std::uint8_t> before = session.getChunk(false);
    std::vector<float> live;
    for (int index = 0; index < kParameterCount; ++index)
    {
        live.push_back(session.getParameter(index));
    }

    // Different names and values everywhere, one byte short of a whole image.
    std::vector<std::uint8_t> damaged(before.begin(), before.begin() + kBankImageSize - 1);
    for (int program = 0; program < kPrograms - 1; ++program)
    {
        writeText(damaged, programOffset(program) + kProgramName, "Should Not Load");
        for (int index = 0; index < kParameterCount; ++index)
        {
            writeFloat(damaged, valueOffset(program, index), 0.37f);
        }
    }
    CHECK(damaged.size() == 98947);
    CHECK(session.setChunk(damaged, false) == 0);
    CHECK(session.setChunk({}, false) == 0);
    CHECK(session.getChunk(false) == before);
    bool unchanged = true;
    for (int index = 0; index < kParameterCount; ++index)
    {
        unchanged =
            unchanged && session.getParameter(index) == live[static_cast<std::size_t>(index)];
    }
    CHECK(unchanged);
    CHECK(session.dispatch(effGetProgram) == 2);
}

void checkHostWritesAreNotEchoed()
{
    HostSession session;
    if (!CHECK(session.isOpen()))
    {
        return;
    }
    session.callbacks().automations.clear();
    for (int index = 0; index < kParameterCount; ++index)
    {
        session.setParameter(index, 0.5f);
    }
    session.selectProgram(4);
    session.selectProgram(0);
    std::string name = "Renamed";
    session.dispatch(effSetProgramName, 0, 0, name.data());
    CHECK(session.setChunk(session.getChunk(true), true) == 1);
    CHECK(session.setChunk(session.getChunk(false), false) == 1);
    session.noteOn(0, 60);
    session.render(1024);
    CHECK_MSG(session.callbacks().automations.empty(),
              format("%u automation calls",
                     static_cast<unsigned>(session.callbacks().automations.size())));
}

} // namespace

void checkChunks()
{
    checkFactoryBankChunk();
    checkBankRoundTrip();
    checkProgramRoundTrip();
    checkShortBankRefused();
    checkHostWritesAreNotEchoed();
}

} // namespace HostCheck
