// Checks of damaged input through the ABI: null and out-of-range opcode arguments, parameter
// values outside 0..1, damaged chunks, malformed MIDI, and sample rates and time information no
// host should send.
#include "tests/host/Checks.h"
#include "tests/host/ChunkLayout.h"
#include "tests/host/HostSession.h"
#include "tests/host/Signal.h"
#include "tests/support/Analysis.h"
#include "tests/support/ParameterTable.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

namespace HostCheck
{

using namespace TestParameters;

namespace
{

using namespace Chunk;
using TestAnalysis::allFinite;
using TestAnalysis::peak;

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInfinity = std::numeric_limits<float>::infinity();
const float kBadValues[] = {kNaN, kInfinity, -kInfinity, -1.0f, 2.0f, 1e30f};
constexpr int kBadValueCount = 6;

bool finite(const Stereo& out)
{
    return allFinite(out.left.data(), out.frames()) && allFinite(out.right.data(), out.frames());
}

// Every parameter reads back a value inside 0..1 and a display that fits its field.
int parametersOutOfRange(HostSession& session)
{
    int bad = 0;
    for (int index = 0; index < kParameterCount; ++index)
    {
        const float value = session.getParameter(index);
        const bool inRange = value >= 0.0f && value <= 1.0f;
        char field[16];
        std::memset(field, 'x', sizeof(field));
        session.dispatch(effGetParamDisplay, index, 0, field);
        const bool fits = std::memchr(field, '\0', kVstMaxParamStrLen) != nullptr;
        if (!inRange || !fits)
        {
            ++bad;
            note(format("index %d reads %g", index, static_cast<double>(value)));
        }
    }
    return bad;
}

// A state that runs every section: modulated oscillators with pulse width and sync, noise, a
// resonant modulated filter, sample-and-hold, and every effect.
void useBusySound(HostSession& session)
{
    session.selectProgram(0);
    const struct
    {
        int index;
        float valueNorm;
    } settings[] = {{6, 0.2f},  {11, 1.0f}, {13, 0.5f}, {27, 0.25f}, {29, 0.5f}, {35, 1.0f},
                    {37, 0.5f}, {40, 0.5f}, {45, 1.0f}, {63, 1.0f},  {67, 0.3f}, {69, 1.0f},
                    {76, 1.0f}, {77, 0.5f}, {78, 0.5f}, {79, 1.0f},  {81, 0.5f}, {83, 1.0f},
                    {88, 0.5f}, {89, 1.0f}, {90, 0.5f}, {94, 0.5f}};
    for (const auto& setting : settings)
    {
        session.setParameter(setting.index, setting.valueNorm);
    }
}

void checkBadParameterValues()
{
    HostSession session;
    if (!CHECK(session.isOpen()))
    {
        return;
    }
    // Each damaged value in every parameter at once.
    for (float bad : kBadValues)
    {
        useBusySound(session);
        for (int index = 0; index < kParameterCount; ++index)
        {
            session.setParameter(index, bad);
        }
        CHECK_MSG(parametersOutOfRange(session) == 0,
                  format("after writing %g everywhere", static_cast<double>(bad)));
        session.noteOn(0, 60);
        const Stereo out = session.render(22050);
        CHECK_MSG(finite(out), format("audio with %g everywhere", static_cast<double>(bad)));
        session.noteOff(0, 60);
        CHECK(finite(session.render(4096)));
    }

    // Each damaged value in each parameter alone, over a sound that uses every section.
    useBusySound(session);
    std::vector<float> base;
    for (int index = 0; index < kParameterCount; ++index)
    {
        base.push_back(session.getParameter(index));
    }
    int nonFinite = 0;
    int outOfRange = 0;
    int audible = 0;
    for (int index = 0; index < kParameterCount; ++index)
    {
        for (float bad : kBadValues)
        {
            session.setParameter(index, bad);
            const float readBack = session.getParameter(index);
            if (!(readBack >= 0.0f && readBack <= 1.0f))
            {
                ++outOfRange;
            }
            session.noteOn(0, 60);
            session.noteOn(64, 67);
            const Stereo out = session.render(2048);
            audible += peak(out.left.data(), out.frames()) > 1e-3 ? 1 : 0;
            if (!finite(out))
            {
                ++nonFinite;
                note(format("index %d at %g renders non-finite audio", index,
                            static_cast<double>(bad)));
            }
            // Back to the sound, and a reset so no damaged state carries into the next case.
            session.setParameter(index, base[static_cast<std::size_t>(index)]);
            session.selectProgram(0);
        }
    }
    CHECK_MSG(nonFinite == 0, format("%d damaged settings gave non-finite audio", nonFinite));
    CHECK_MSG(outOfRange == 0, format("%d damaged settings read back outside 0..1", outOfRange));
    // Most cases sound (a level written to 0 or below silences its source), so the damaged
    // values reach the running sections rather than a silent engine.
    note(format("%d of %d damaged settings sound", audible, kParameterCount * kBadValueCount));
    CHECK(audible >= kParameterCount * kBadValueCount * 3 / 4);
    CHECK(session.guardDamage() == 0);
}

void checkDamagedChunks()
{
    HostSession session;
    if (!CHECK(session.isOpen()))
    {
        return;
    }
    const std::vector<std::uint8_t> factory = session.getChunk(false);
    // Every value slot of every program damaged, one kind at a time, then all kinds mixed.
    for (int pattern = 0; pattern <= kBadValueCount; ++pattern)
    {
        std::vector<std::uint8_t> damaged = factory;
        for (int program = 0; program < kPrograms; ++program)
        {
            for (int slot = 0; slot < kValueSlots; ++slot)
            {
                const int kind =
                    pattern < kBadValueCount ? pattern : (slot + program) % kBadValueCount;
                writeFloat(damaged, valueOffset(program, slot), kBadValues[kind]);
            }
        }
        const std::string what =
            pattern < kBadValueCount
                ? format("bank of %g", static_cast<double>(kBadValues[pattern]))
                : std::string("bank of mixed damage");
        CHECK_MSG(session.setChunk(damaged, false) == 1, what);
        CHECK_MSG(parametersOutOfRange(session) == 0, what);
        for (int program : {0, 1, 77})
        {
            session.selectProgram(program);
            session.noteOn(0, 60);
            session.noteOn(0, 72);
            const Stereo out = session.render(11025);
            CHECK_MSG(finite(out), format("%s, program %d", what.c_str(), program));
        }
        session.selectProgram(0);
        // The same damage through a program chunk.
        std::vector<std::uint8_t> program(damaged.begin() + kBankPrograms,
                                          damaged.begin() + kBankPrograms + kProgramSize);
        CHECK(session.setChunk(program, true) == 1);
        session.noteOn(0, 48);
        CHECK_MSG(finite(session.render(11025)), what + " as a program chunk");
    }
    CHECK(session.setChunk(factory, false) == 1);

    // A MIDI-learn table with impossible entries: parameter indexes outside the list are not
    // bound, and a count larger than the chunk ends the table without harm.
    Bindings bindings(kControllers);
    bindings[20] = {-1, Index::kFilterResonance, kParameterCount, 1000000, INT_MIN, 127};
    std::vector<std::uint8_t> table = encodeTable(bindings);
    std::vector<std::uint8_t> chunk = withTable(factory, table);
    CHECK(session.setChunk(chunk, false) == 1);
    Bindings expected(kControllers);
    expected[20] = {Index::kFilterResonance};
    CHECK(tableOf(session.getChunk(false)) == encodeTable(expected));
    session.callbacks().automations.clear();
    session.controlChange(0, 20, 64);
    session.render(512);
    const auto& calls = session.callbacks().automations;
    CHECK(calls.size() == 1 && calls[0].index == Index::kFilterResonance);

    std::vector<std::uint8_t> huge = withTable(factory, {});
    appendInt32(huge, INT_MAX); // controller 0 claims two billion bindings
    appendInt32(huge, Index::kFilterCutoff);
    CHECK(session.setChunk(huge, false) == 1);
    std::vector<std::uint8_t> negative = withTable(factory, {});
    appendInt32(negative, -5);
    appendInt32(negative, Index::kFilterCutoff);
    CHECK(session.setChunk(negative, false) == 1);
    session.noteOn(0, 60);
    CHECK(finite(session.render(4096)));
    CHECK(session.guardDamage() == 0);
}

VstMidiEvent midiEvent(VstInt32 deltaFrames, int status, int data1, int data2)
{
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = deltaFrames;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    return event;
}

void checkMalformedMidi()
{
    HostSession session;
    if (!CHECK(session.isOpen()))
    {
        return;
    }
    useBusySound(session);
    // Data bytes with the high bit set (as signed bytes they are negative), statuses of every
    // kind, and offsets before the block, at its end and far beyond it.
    std::vector<VstMidiEvent> events = {
        midiEvent(0, 0x90, 0x80 | 60, 100), midiEvent(0, 0x90, 60, 0x80 | 100),
        midiEvent(0, 0x90, 0xFF, 0xFF),     midiEvent(0, 0x80, 0x80 | 60, 0xFF),
        midiEvent(0, 0xB0, 0xFF, 0xFF),     midiEvent(0, 0xB0, 0x80 | 64, 127),
        midiEvent(0, 0xB0, 64, 0xFF),       midiEvent(0, 0xB0, 0x80 | 123, 0),
        midiEvent(0, 0xE0, 0xFF, 0xFF),     midiEvent(0, 0xE0, 0x80, 0x80),
        midiEvent(0, 0xD0, 0xFF, 0),        midiEvent(0, 0xA0, 0xFF, 0xFF),
        midiEvent(0, 0xC0, 0xFF, 0),        midiEvent(0, 0xF0, 0xFF, 0xFF),
        midiEvent(0, 0xFF, 0xFF, 0xFF),     midiEvent(-1, 0x90, 61, 100),
        midiEvent(-300, 0x90, 62, 100),     midiEvent(INT_MIN, 0x90, 63, 100),
        midiEvent(INT_MIN, 0x80, 63, 0),    midiEvent(512, 0x90, 64, 100),
        midiEvent(100000, 0x90, 65, 100),   midiEvent(INT_MAX, 0x90, 66, 100),
        midiEvent(-1, 0xE0, 0x7F, 0x7F),    midiEvent(200, 0x90, 0x80 | 1, 0x80 | 1),
    };
    std::vector<VstEvent*> pointers;
    for (VstMidiEvent& event : events)
    {
        pointers.push_back(reinterpret_cast<VstEvent*>(&event));
    }
    pointers.push_back(nullptr); // a host that leaves a hole in its list
    for (int round = 0; round < 3; ++round)
    {
        CHECK(session.sendEvents(pointers.data(), static_cast<int>(pointers.size())) == 1);
        const Stereo out = session.render(512);
        CHECK(finite(out));
        CHECK(finite(session.render(4096)));
    }
    CHECK_MSG(session.guardDamage() == 0,
              format("%ld guard samples overwritten", session.guardDamage()));

    // The engine is still whole: a plain note plays in tune once the bend is centred again.
    session.selectProgram(0);
    session.pitchBend(0, 8192);
    session.noteOn(0, 69);
    const Stereo out = session.render(22050);
    CHECK(std::fabs(cents(peakFrequency(out.left.data() + 2205, 19845, 440.0, 44100.0), 440.0)) <
          3.0);
}

void checkBadRates()
{
    // Rates no host should send leave the previous one: the tuning and the rate-dependent
    // displays stay.
    for (float rate : {44100.0f, 48000.0f})
    {
        HostSession session(rate);
        session.selectProgram(0);
        const std::string chorusDelay = session.parameterDisplay(84);
        for (float bad : {0.0f, -1.0f, -44100.0f, kNaN, kInfinity, -kInfinity, 1e9f, 768001.0f})
        {
            session.dispatch(effSetSampleRate, 0, 0, nullptr, bad);
        }
        CHECK_TEXT(session.parameterDisplay(84), chorusDelay);
        session.noteOn(0, 69);
        const Stereo out = session.render(static_cast<long>(rate) / 2);
        CHECK(finite(out));
        const double measured =
            peakFrequency(out.left.data() + 2205, out.frames() - 2205, 440.0, rate);
        note(format("rate %.0f after damaged rates: %.3f Hz", static_cast<double>(rate), measured));
        CHECK_MSG(std::fabs(cents(measured, 440.0)) < 3.0,
                  format("at %.0f Hz note 69 sounds %.3f Hz", static_cast<double>(rate), measured));

        // Block sizes no host should send change nothing either.
        session.dispatch(effSetBlockSize, 0, 0);
        session.dispatch(effSetBlockSize, 0, -64);
        CHECK(finite(session.render(4096)));
    }
}

void checkDamagedTimeInfo()
{
    HostSession session;
    const int program = session.findProgram("S&H Bleeps");
    if (!CHECK(program >= 0))
    {
        return;
    }
    session.selectProgram(program);
    session.noteOn(0, 60);
    const double values[] = {0.0,
                             -120.0,
                             1e-30,
                             1e9,
                             1e300,
                             std::nan(""),
                             static_cast<double>(INFINITY),
                             -static_cast<double>(INFINITY)};
    int nonFinite = 0;
    for (double tempo : values)
    {
        for (double position : {0.0, -3.5, 1e15, std::nan(""), static_cast<double>(INFINITY)})
        {
            VstTimeInfo info{};
            info.sampleRate = 44100.0;
            info.tempo = tempo;
            info.ppqPos = position;
            info.flags = kVstPpqPosValid | kVstTempoValid | kVstTransportPlaying;
            session.setFixedTimeInfo(info);
            if (!finite(session.render(2048)))
            {
                ++nonFinite;
                note(format("tempo %g at position %g renders non-finite audio", tempo, position));
            }
        }
    }
    CHECK_MSG(nonFinite == 0, format("%d damaged time infos gave non-finite audio", nonFinite));
    // A sane tempo afterwards plays on.
    session.setTransport(120.0, true);
    const Stereo out = session.render(22050);
    CHECK(finite(out) && peak(out.left.data(), out.frames()) > 1e-3);
}

} // namespace

void checkBadOpcodes()
{
    HostSession session;
    if (!CHECK(session.isOpen()))
    {
        return;
    }
    // Null pointers where the host should pass buffers or records.
    for (VstInt32 opcode :
         {effGetProgramName, effSetProgramName, effGetParamLabel, effGetParamDisplay,
          effGetParamName, effEditGetRect, effGetChunk, effSetChunk, effProcessEvents,
          effGetProgramNameIndexed, effGetEffectName, effGetVendorString, effGetProductString,
          effCanDo, effBeginLoadBank, effBeginLoadProgram})
    {
        CHECK_MSG(session.dispatch(opcode, 0, 0, nullptr, 0.0f) == 0, format("opcode %d", opcode));
    }

    // Parameter indexes outside 0..96 leave the buffer untouched and read 0.
    for (VstInt32 index : {-1, 97, 1000000, INT_MIN})
    {
        char buffer[16];
        std::memset(buffer, 'x', sizeof(buffer));
        session.dispatch(effGetParamName, index, 0, buffer);
        session.dispatch(effGetParamLabel, index, 0, buffer);
        session.dispatch(effGetParamDisplay, index, 0, buffer);
        CHECK(buffer[0] == 'x' && buffer[15] == 'x');
        session.setParameter(index, 0.5f);
        CHECK(session.getParameter(index) == 0.0f);
    }
    char name[64];
    std::memset(name, 'x', sizeof(name));
    CHECK(session.dispatch(effGetProgramNameIndexed, 128, 0, name) == 0);
    CHECK(session.dispatch(effGetProgramNameIndexed, -1, 0, name) == 0);
    CHECK(name[0] == 'x');

    // Negative sizes and counts.
    char chunk[16] = {};
    CHECK(session.dispatch(effSetChunk, 0, -5, chunk) == 0);
    CHECK(session.dispatch(effSetChunk, 1, -5, chunk) == 0);
    VstEvents events{};
    events.numEvents = -3;
    CHECK(session.dispatch(effProcessEvents, 0, 0, &events) == 0);

    // Text fields never receive more than their published size, whatever the value.
    int overruns = 0;
    for (VstInt32 index = 0; index < kParameterCount; ++index)
    {
        for (float value : {0.0f, 0.3f, 1.0f})
        {
            session.setParameter(index, value);
            for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay})
            {
                char field[16];
                std::memset(field, 'x', sizeof(field));
                session.dispatch(opcode, index, 0, field);
                overruns += field[8] == 'x' && std::strlen(field) <= 7 ? 0 : 1;
            }
        }
    }
    CHECK_MSG(overruns == 0, format("%d parameter texts overran their field", overruns));
    char program[32];
    std::memset(program, 'x', sizeof(program));
    session.dispatch(effGetProgramName, 0, 0, program);
    CHECK(program[24] == 'x' && std::strlen(program) <= 23);

    // Zero or negative frame counts write nothing; the accumulating and double-precision
    // entries, which this plug-in does not implement, leave their buffers alone.
    session.noteOn(0, 60);
    session.render(512);
    float left[64];
    float right[64];
    double leftDouble[64];
    double rightDouble[64];
    for (int i = 0; i < 64; ++i)
    {
        left[i] = right[i] = 0.25f;
        leftDouble[i] = rightDouble[i] = 0.25;
    }
    float* outputs[2] = {left, right};
    double* outputsDouble[2] = {leftDouble, rightDouble};
    AEffect* effect = session.effect();
    effect->processReplacing(effect, outputs, outputs, 0);
    effect->processReplacing(effect, outputs, outputs, -64);
    effect->process(effect, outputs, outputs, 64);
    effect->processDoubleReplacing(effect, outputsDouble, outputsDouble, 64);
    bool untouched = true;
    for (int i = 0; i < 64; ++i)
    {
        untouched = untouched && left[i] == 0.25f && right[i] == 0.25f && leftDouble[i] == 0.25 &&
                    rightDouble[i] == 0.25;
    }
    CHECK(untouched);
}

void checkDamage()
{
    checkBadParameterValues();
    checkDamagedChunks();
    checkMalformedMidi();
    checkBadRates();
    checkDamagedTimeInfo();
}

} // namespace HostCheck
