// Checks of MIDI handling through effProcessEvents: timing, channels, bend, pedal, event kinds and
// the sixteen voices.
#include "tests/host/Checks.h"
#include "tests/host/HostSession.h"
#include "tests/host/Signal.h"
#include "tests/support/Analysis.h"
#include "tests/support/ParameterTable.h"

#include <cmath>
#include <cstring>

namespace HostCheck
{

using namespace TestParameters;

namespace
{

using TestAnalysis::firstIndexAtLeast;
using TestAnalysis::peak;

constexpr double kSilence = 1e-6;

bool silent(const Stereo& out, std::size_t from = 0)
{
    return peak(out.left.data() + from, out.frames() - from) < kSilence &&
           peak(out.right.data() + from, out.frames() - from) < kSilence;
}

bool sounding(const Stereo& out, std::size_t from = 0)
{
    return peak(out.left.data() + from, out.frames() - from) > 0.05;
}

void checkEventOffsets()
{
    HostSession session(44100.0f, 256);
    session.useTestTone();
    // A note-on at frame 100 of a 256-frame block: nothing before, sound from there on.
    session.noteOn(100, 69);
    const Stereo first = session.render(256);
    const long onset = firstIndexAtLeast(first.left.data(), first.frames(), kSilence);
    CHECK_MSG(onset >= 100 && onset <= 102, format("onset at frame %ld", onset));
    CHECK(peak(first.left.data(), 100) == 0.0 && peak(first.right.data(), 100) == 0.0);
    session.noteOff(0, 69);
    session.render(44100);

    // An event stamped at the block's end is not lost: it acts after the block's last frame.
    VstMidiEvent late{};
    late.type = kVstMidiType;
    late.byteSize = sizeof(VstMidiEvent);
    late.deltaFrames = 256;
    late.midiData[0] = static_cast<char>(0x90);
    late.midiData[1] = 72;
    late.midiData[2] = 100;
    VstEvent* list[] = {reinterpret_cast<VstEvent*>(&late)};
    CHECK(session.sendEvents(list, 1) == 1);
    const Stereo before = session.render(256);
    const Stereo after = session.render(256);
    CHECK(silent(before));
    CHECK(firstIndexAtLeast(after.left.data(), after.frames(), kSilence) <= 2);
    CHECK(sounding(after, 64));
}

void checkChannels()
{
    HostSession session;
    session.useTestTone();
    session.setParameter(Index::kOmni, 0.0f);
    session.setParameter(Index::kMidiChannel, 0.0f); // channel 1
    session.noteOn(0, 69, 100, 1);                   // channel 2
    CHECK(silent(session.render(4096)));
    session.noteOn(0, 69, 100, 0);
    CHECK(sounding(session.render(4096), 512));
    session.noteOff(0, 69, 0);
    session.render(22050);

    // Channel 9 (0.5 x 15 rounds to 8) hears only its own channel.
    session.setParameter(Index::kMidiChannel, 0.5f);
    session.noteOn(0, 69, 100, 0);
    CHECK(silent(session.render(4096)));
    session.noteOn(0, 69, 100, 8);
    CHECK(sounding(session.render(4096), 512));
    session.noteOff(0, 69, 8);
    session.render(22050);

    // Omni on hears every channel.
    session.setParameter(Index::kOmni, 1.0f);
    session.noteOn(0, 69, 100, 13);
    CHECK(sounding(session.render(4096), 512));
}

void checkPitchBend()
{
    HostSession session;
    session.useTestTone();
    // The default range is 2 semitones; the top of the bend is 8191 / 8192 of it.
    struct Bend
    {
        int value14;
        double semitones;
    };
    for (const Bend bend : {Bend{16383, 2.0 * 8191.0 / 8192.0}, Bend{0, -2.0}, Bend{8192, 0.0}})
    {
        session.pitchBend(0, bend.value14);
        session.noteOn(0, 69);
        const Stereo out = session.render(26460);
        const double expected = 440.0 * std::exp2(bend.semitones / 12.0);
        const double measured = peakFrequency(out.left.data() + 4410, 22050, expected, 44100.0);
        note(format("bend %5d: %.3f Hz, expected %.3f Hz", bend.value14, measured, expected));
        CHECK_MSG(
            std::fabs(cents(measured, expected)) < 3.0,
            format("bend %d sounds %.3f Hz, expected %.3f Hz", bend.value14, measured, expected));
        session.noteOff(0, 69);
        session.render(22050);
    }
}

void checkSustainPedal()
{
    HostSession session;
    session.useTestTone(); // 0.1 s release
    session.controlChange(0, 64, 127);
    session.noteOn(0, 69);
    session.noteOff(4410, 69);
    // Pedal down: the released key keeps sounding long after its release time.
    const Stereo held = session.render(26460);
    CHECK(sounding(held, 22050));
    // Pedal up: the release starts now and ends within its 0.1 s.
    session.controlChange(0, 64, 0);
    const Stereo released = session.render(8820);
    CHECK(sounding(Stereo{{released.left.begin(), released.left.begin() + 1024},
                          {released.right.begin(), released.right.begin() + 1024}}));
    CHECK(silent(released, 4410 + 220));
}

void checkEventKinds()
{
    HostSession session;
    session.useTestTone();

    // A MIDI event of the 24-byte kind some hosts send is read by its type.
    session.midi(0, 0x90, 69, 100, 24);
    CHECK(sounding(session.render(4096), 512));
    session.noteOff(0, 69);
    session.render(22050);

    // A system-exclusive event is skipped. On 64-bit targets its reserved word lies where a
    // MIDI event keeps its bytes; it holds a note-on there to catch a reader that ignores type.
    unsigned char dump[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof(VstMidiSysexEvent);
    sysex.dumpBytes = sizeof(dump);
    sysex.resvd1 = 0x00644590; // bytes 0x90 0x45 0x64: note-on 69, velocity 100
    sysex.sysexDump = reinterpret_cast<char*>(dump);
    VstEvent* alone[] = {reinterpret_cast<VstEvent*>(&sysex)};
    CHECK(session.sendEvents(alone, 1) == 1);
    CHECK(silent(session.render(4096)));

    VstMidiEvent noteOn{};
    noteOn.type = kVstMidiType;
    noteOn.byteSize = sizeof(VstMidiEvent);
    noteOn.midiData[0] = static_cast<char>(0x90);
    noteOn.midiData[1] = 69;
    noteOn.midiData[2] = 100;
    VstEvent* mixed[] = {reinterpret_cast<VstEvent*>(&sysex), reinterpret_cast<VstEvent*>(&noteOn),
                         reinterpret_cast<VstEvent*>(&sysex)};
    CHECK(session.sendEvents(mixed, 3) == 1);
    const Stereo out = session.render(8192);
    CHECK(sounding(out, 512));
    CHECK(std::fabs(cents(peakFrequency(out.left.data() + 512, 7680, 440.0, 44100.0), 440.0)) < 5);
}

// Levels of each note's fundamental over one analysis window.
std::vector<double> noteLevels(const Stereo& out, std::size_t from, std::size_t count,
                               const std::vector<int>& notes)
{
    std::vector<double> levels;
    for (int key : notes)
    {
        levels.push_back(windowedTone(out.left.data() + from, count, noteHz(key), 44100.0));
    }
    return levels;
}

void checkSixteenVoices()
{
    HostSession session;
    session.useTestTone();
    // Sixteen keys three semitones apart (82 Hz to 1109 Hz): far enough apart for a
    // 16384-sample Hann window to tell each sine from its neighbours by more than 50 dB.
    std::vector<int> notes;
    for (int k = 0; k < 16; ++k)
    {
        notes.push_back(40 + 3 * k);
        session.noteOn(0, notes.back(), 100);
    }
    const Stereo chord = session.render(22050);
    const std::vector<double> levels = noteLevels(chord, 4410, 16384, notes);
    int present = 0;
    for (std::size_t k = 0; k < notes.size(); ++k)
    {
        note(format("note %d level %.4f", notes[k], levels[k]));
        present += levels[k] > 0.25 ? 1 : 0;
    }
    CHECK_MSG(present == 16, format("%d of 16 notes sound", present));

    // The seventeenth key takes the voice of the oldest: the first key falls silent at once,
    // the other fifteen and the new one sound.
    const int newest = 88;
    session.noteOn(0, newest, 100);
    const Stereo stolen = session.render(22050);
    std::vector<int> after = notes;
    after.push_back(newest);
    const std::vector<double> levelsAfter = noteLevels(stolen, 2205, 16384, after);
    note(format("after the 17th key: first %.4f, newest %.4f", levelsAfter.front(),
                levelsAfter.back()));
    CHECK_MSG(levelsAfter.front() < 0.01, format("the first key still at %.4f", levelsAfter[0]));
    int still = 0;
    for (std::size_t k = 1; k < after.size(); ++k)
    {
        still += levelsAfter[k] > 0.25 ? 1 : 0;
    }
    CHECK_MSG(still == 16, format("%d of the 16 newer keys sound", still));

    // Releasing the stolen key changes nothing audible.
    session.noteOff(0, notes.front());
    const Stereo released = session.render(22050);
    const std::vector<double> levelsReleased = noteLevels(released, 2205, 16384, after);
    int unchanged = 0;
    for (std::size_t k = 1; k < after.size(); ++k)
    {
        unchanged += std::fabs(levelsReleased[k] - levelsAfter[k]) < 0.02 ? 1 : 0;
    }
    CHECK(unchanged == 16);
    CHECK(session.guardDamage() == 0);
}

} // namespace

void checkMidi()
{
    checkEventOffsets();
    checkChannels();
    checkPitchBend();
    checkSustainPedal();
    checkEventKinds();
    checkSixteenVoices();
}

} // namespace HostCheck
