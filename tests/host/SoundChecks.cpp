// Checks of the rendered sound: tuning, channels, release, factory programs, block and rate
// independence, time information.
#include "tests/host/Checks.h"
#include "tests/host/HostSession.h"
#include "tests/host/Signal.h"
#include "tests/support/Analysis.h"
#include "tests/support/ParameterTable.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace HostCheck
{

using namespace TestParameters;

namespace
{

using TestAnalysis::allFinite;
using TestAnalysis::lastIndexAtLeast;
using TestAnalysis::peak;
using TestAnalysis::rmsDb;

// Cents allowed between a measured and an expected pitch: the measurement itself is good to a
// small fraction of a cent, so this leaves the oscillator's own rounding.
constexpr double kPitchCents = 3.0;
// Below this a sample counts as silence (-120 dB).
constexpr double kSilence = 1e-6;

// The pitch of a note held for 0.5 s, measured on the left channel after its onset.
double measuredPitch(HostSession& session, int note, double expectedHz)
{
    const long onset = static_cast<long>(session.getSampleRate() * 0.05f);
    const long frames = static_cast<long>(session.getSampleRate() * 0.5f);
    session.noteOn(0, note);
    session.noteOff(onset + frames, note);
    const Stereo out = session.render(onset + frames);
    return peakFrequency(out.left.data() + onset, static_cast<std::size_t>(frames), expectedHz,
                         session.getSampleRate());
}

void checkTuning()
{
    HostSession session;
    if (!CHECK(session.isOpen()))
    {
        return;
    }
    session.selectProgram(0);
    for (int key : {57, 69, 81})
    {
        const double expected = noteHz(key);
        const double measured = measuredPitch(session, key, expected);
        note(format("note %d: %.3f Hz (%+.3f cents)", key, measured, cents(measured, expected)));
        CHECK_MSG(std::fabs(cents(measured, expected)) < kPitchCents,
                  format("note %d sounds at %.3f Hz, expected %.3f Hz", key, measured, expected));
        session.render(44100); // let the release end
    }

    // The same pitch at other rates, up to the highest any host offers.
    for (float rate : {48000.0f, 96000.0f, 22050.0f, 705600.0f, 768000.0f})
    {
        HostSession other(rate);
        other.selectProgram(0);
        const double measured = measuredPitch(other, 69, 440.0);
        note(format("%.0f Hz: note 69 at %.3f Hz", static_cast<double>(rate), measured));
        CHECK_MSG(
            std::fabs(cents(measured, 440.0)) < kPitchCents,
            format("at %.0f Hz note 69 sounds at %.3f Hz", static_cast<double>(rate), measured));
    }

    // A rate change on a running instance takes effect for the next note.
    session.setSampleRate(48000.0f);
    CHECK(std::fabs(cents(measuredPitch(session, 69, 440.0), 440.0)) < kPitchCents);
    CHECK(session.guardDamage() == 0);
}

void checkChannelsAndRelease()
{
    HostSession session;
    if (!CHECK(session.isOpen()))
    {
        return;
    }
    session.selectProgram(0);
    // The release time as the host reads it ("0.150" seconds for the clean program).
    const double releaseSeconds = std::atof(session.parameterDisplay(Index::kEnv1Release).c_str());
    CHECK(releaseSeconds > 0.01 && releaseSeconds < 2.0);
    const long releaseFrames = static_cast<long>(releaseSeconds * 44100.0);
    const long held = 22050;
    session.noteOn(0, 60);
    session.noteOff(held, 60);
    const Stereo out = session.render(held + releaseFrames + 8820);
    CHECK(allFinite(out.left.data(), out.frames()) && allFinite(out.right.data(), out.frames()));

    // Held, the note sounds in both channels.
    const std::size_t window = 8192;
    const double leftDb = rmsDb(out.left.data() + held - window, window);
    const double rightDb = rmsDb(out.right.data() + held - window, window);
    note(format("held note: left %.1f dB, right %.1f dB", leftDb, rightDb));
    CHECK(leftDb > -30.0 && rightDb > -30.0);

    // The release lasts the displayed time: audible at 80 % of it, silent after it. The first
    // sample of silence lies within 5 ms after the nominal end.
    for (const std::vector<float>* channel : {&out.left, &out.right})
    {
        const long last = lastIndexAtLeast(channel->data(), channel->size(), kSilence);
        const long lastAudible = lastIndexAtLeast(channel->data(), channel->size(), 1e-3);
        note(format("release %.3f s: audible to %.4f s, sound to %.4f s after note-off",
                    releaseSeconds, static_cast<double>(lastAudible - held) / 44100.0,
                    static_cast<double>(last - held) / 44100.0));
        CHECK(lastAudible >= held + releaseFrames * 8 / 10);
        CHECK(last <= held + releaseFrames + 220);
    }
    CHECK(session.guardDamage() == 0);
}

void checkFactoryPrograms()
{
    HostSession session;
    if (!CHECK(session.isOpen()))
    {
        return;
    }
    int sounding = 0;
    int finite = 0;
    for (int program = 0; program < session.effect()->numPrograms; ++program)
    {
        session.selectProgram(program);
        session.noteOn(0, 60, 100);
        const Stereo out = session.render(44100);
        const bool isFinite =
            allFinite(out.left.data(), out.frames()) && allFinite(out.right.data(), out.frames());
        const double level =
            std::max(peak(out.left.data(), out.frames()), peak(out.right.data(), out.frames()));
        note(format("program %3d %-24s peak %8.4f (%6.1f dB)", program,
                    session.programName(program).c_str(), level, TestAnalysis::decibels(level)));
        finite += isFinite ? 1 : 0;
        // -60 dB: every program is meant to be heard.
        sounding += isFinite && level > 1e-3 ? 1 : 0;
        CHECK_MSG(isFinite && level > 1e-3, format("program %d \"%s\": peak %g", program,
                                                   session.programName(program).c_str(), level));
        session.noteOff(0, 60);
        session.render(512);
    }
    note(format("%d programs finite, %d sounding", finite, sounding));
    CHECK(session.guardDamage() == 0);
}

// The louder channel's peak in dBFS of a chord held for 2 s at velocity 100, with a 2 s tail, on
// a fresh instance at 120 BPM, as a new user first plays a program.
double chordPeakDb(int program, std::initializer_list<int> notes)
{
    HostSession session;
    session.selectProgram(program);
    session.setTransport(120.0, true);
    for (int chordNote : notes)
    {
        session.noteOn(0, chordNote, 100);
        session.noteOff(88200, chordNote);
    }
    const Stereo out = session.render(176400);
    return TestAnalysis::decibels(
        std::max(peak(out.left.data(), 176400), peak(out.right.data(), 176400)));
}

// Gain staging of the factory bank: a C major triad peaks at -3 dBFS or below in every program
// and the six-note chord C3 E3 G3 C4 E4 G4 at -1 dBFS or below.
void checkBankLevels(int firstProgram, int endProgram)
{
    for (int program = firstProgram; program < endProgram; ++program)
    {
        const double triad = chordPeakDb(program, {60, 64, 67});
        const double six = chordPeakDb(program, {48, 52, 55, 60, 64, 67});
        CHECK_MSG(
            triad <= -3.0 && six <= -1.0,
            format("program %d peaks at %.2f (triad), %.2f dBFS (six notes)", program, triad, six));
    }
}

// The audio of one sequence rendered with the given block size on a fresh instance.
Stereo renderSequence(int program, VstInt32 blockFrames, long frames)
{
    HostSession session(44100.0f, blockFrames);
    session.selectProgram(program);
    session.noteOn(0, 60, 100);
    session.noteOn(3000, 67, 80);
    session.controlChange(5000, 1, 90);
    session.pitchBend(7000, 12000);
    session.noteOff(15000, 60);
    session.noteOff(17000, 67);
    Stereo out = session.render(frames);
    CHECK(session.guardDamage() == 0);
    return out;
}

void checkBlockIndependence()
{
    HostSession session;
    const int programs[] = {0, session.findProgram("Tape Echo"),
                            session.findProgram("Evolving Pad"), session.findProgram("S&H Bleeps"),
                            session.findProgram("Acid Bass")};
    for (int program : programs)
    {
        if (!CHECK(program >= 0))
        {
            continue;
        }
        // One block longer than the engine's 8192-frame pieces against blocks of 512 and of 1.
        // A resonant program shows any state the engine resets at block boundaries.
        const Stereo whole = renderSequence(program, 20000, 20000);
        for (VstInt32 blockFrames : {512, 1})
        {
            const Stereo pieces = renderSequence(program, blockFrames, 20000);
            const Difference left = difference(whole.left.data(), pieces.left.data(), 20000);
            const Difference right = difference(whole.right.data(), pieces.right.data(), 20000);
            note(format("program %d, blocks of %d: max difference %.3g / %.3g (at %u)", program,
                        blockFrames, left.maxAbsolute, right.maxAbsolute,
                        static_cast<unsigned>(left.worstIndex)));
            CHECK(left.referencePeak > 1e-3);
            CHECK_MSG(left.maxAbsolute <= 1e-6 && right.maxAbsolute <= 1e-6,
                      format("program %d in blocks of %d differs by %g at frame %u", program,
                             blockFrames, std::max(left.maxAbsolute, right.maxAbsolute),
                             static_cast<unsigned>(left.worstIndex)));
        }
    }
}

void checkTimeInformation()
{
    // Without time information from the host the synth still plays.
    {
        HostSession session;
        session.selectProgram(0);
        session.clearTransport();
        session.noteOn(0, 60);
        const Stereo out = session.render(4096);
        CHECK(session.callbacks().getTimeCalls >= 8);
        CHECK(peak(out.left.data(), out.frames()) > 0.01);
    }

    // Programs with tempo-synced LFOs and delays, with the transport playing and stopped.
    HostSession session;
    for (const char* name : {"S&H Bleeps", "Trance Gate", "Synced Auto Pan"})
    {
        const int program = session.findProgram(name);
        if (!CHECK_MSG(program >= 0, name))
        {
            continue;
        }
        session.selectProgram(program);
        for (double tempo : {120.0, 33.0, 240.0})
        {
            session.setTransport(tempo, tempo != 33.0);
            session.noteOn(0, 60);
            session.noteOn(0, 67);
            session.noteOff(60000, 60);
            session.noteOff(60000, 67);
            const Stereo out = session.render(88200);
            const bool isFinite = allFinite(out.left.data(), out.frames()) &&
                                  allFinite(out.right.data(), out.frames());
            CHECK_MSG(isFinite && peak(out.left.data(), out.frames()) > 1e-3,
                      format("%s at %.0f BPM", name, tempo));
        }
    }
    session.clearTransport();

    // The synced delay follows the host's tempo: at 120 BPM "1/1" is one beat (0.5 s) on the
    // left and "1/2" half a beat (0.25 s) on the right.
    HostSession echo;
    echo.useTestTone();
    echo.setParameter(Index::kEnv1Release, 0.05f); // 25 ms
    echo.setParameter(89, 1.0f);                   // delay on
    echo.setParameter(94, 1.0f);                   // full wet level
    echo.setParameter(Index::kDelaySync, 1.0f);
    echo.setParameter(Index::kDelayLeftTime, 1.0f);
    echo.setParameter(Index::kDelayRightTime, 6.0f / 7.0f);
    CHECK_TEXT(echo.parameterDisplay(Index::kDelayRightTime), "1/2");
    echo.setTransport(120.0, true);
    echo.render(44100); // the delay times glide to the tempo
    echo.noteOn(0, 69);
    echo.noteOff(441, 69); // 10 ms
    const Stereo out = echo.render(33075);
    const long start = 2205; // after the dry note and its release
    const long leftEcho =
        TestAnalysis::firstIndexAtLeast(out.left.data() + start, out.frames() - start, 0.01);
    const long rightEcho =
        TestAnalysis::firstIndexAtLeast(out.right.data() + start, out.frames() - start, 0.01);
    note(format("synced echoes at %.4f s (left) and %.4f s (right)",
                static_cast<double>(leftEcho + start) / 44100.0,
                static_cast<double>(rightEcho + start) / 44100.0));
    CHECK_MSG(leftEcho >= 0 && std::labs(leftEcho + start - 22050) < 100,
              format("left echo at frame %ld", leftEcho + start));
    CHECK_MSG(rightEcho >= 0 && std::labs(rightEcho + start - 11025) < 100,
              format("right echo at frame %ld", rightEcho + start));
}

} // namespace

void checkPlaying()
{
    checkTuning();
    checkChannelsAndRelease();
    checkTimeInformation();
}

void checkPrograms()
{
    checkFactoryPrograms();
}

void checkLevels(int firstProgram, int endProgram)
{
    checkBankLevels(firstProgram, endProgram);
}

void checkBlocks()
{
    checkBlockIndependence();
}

} // namespace HostCheck
