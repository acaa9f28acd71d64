// When smoothed settings take effect: at once while nothing sounds (after a parameter write, a
// program change or a program chunk), gliding while a note sounds; and the first synced echoes.
#include "tests/host/Checks.h"
#include "tests/host/HostSession.h"
#include "tests/support/Analysis.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace HostCheck
{

namespace
{

using TestAnalysis::rmsDb;
using Writes = std::vector<std::pair<int, float>>;

constexpr long kWindow = 2205; // 50 ms
constexpr long kApart = 88200; // the same note again 2 s later

// Each smoothed setting (the last write) after the writes that make it audible on the test
// tone; the chorus sweep stands still (87, Ch Freq 0) so that both notes meet the same delays.
const std::vector<Writes> kSmoothed = {
    {{65, 0.3f}},                                                  // O1 Lvl
    {{65, 0.0f}, {66, 0.4f}},                                      // O2 Lvl
    {{65, 0.0f}, {63, 1.0f}, {67, 0.5f}},                          // N Lvl
    {{96, 0.3f}},                                                  // M Lvl
    {{76, 1.0f}, {77, 0.9f}},                                      // OD Lvl
    {{79, 1.0f}, {80, 0.1f}},                                      // P L/R
    {{83, 1.0f}, {87, 0.0f}, {88, 1.0f}},                          // Ch Mix
    {{83, 1.0f}, {87, 0.0f}, {88, 1.0f}, {85, 0.0f}, {84, 0.25f}}, // Ch Dly
    {{83, 1.0f}, {87, 0.0f}, {88, 1.0f}, {84, 0.1f}, {85, 1.0f}},  // Ch Dpth
    {{89, 1.0f}, {91, 0.01f}, {94, 1.0f}},                         // D Mix
    {{89, 1.0f}, {94, 1.0f}, {91, 0.02f}},                         // D LDly
    {{89, 1.0f}, {94, 1.0f}, {93, 0.03f}},                         // D RDly
};

// The test tone and the first count writes.
void prepare(HostSession& session, const Writes& writes, std::size_t count)
{
    session.useTestTone();
    for (std::size_t i = 0; i < count; ++i)
    {
        session.setParameter(writes[i].first, writes[i].second);
    }
}

// A setting applied while nothing sounds holds from the next note's first sample: the first
// 50 ms of a note played at once lie within 0.5 dB of the same note's 2 s later, on both sides.
void checkSettingsLandWhileSilent()
{
    for (const Writes& writes : kSmoothed)
    {
        const auto [index, value] = writes.back();
        for (int way = 0; way < 3; ++way) // written, in the program selected, in the chunk loaded
        {
            HostSession session;
            HostSession source;
            prepare(source, writes, writes.size());
            session.selectProgram(1);
            prepare(session, writes, writes.size() - (way == 0 ? 1 : 0));
            session.selectProgram(2);
            prepare(session, writes, writes.size() - 1);
            session.render(4410);
            if (way == 0)
                session.setParameter(index, value);
            else if (way == 1)
                session.selectProgram(1);
            else
                CHECK(session.setChunk(source.getChunk(true), true) == 1);
            session.noteOn(0, 69);
            session.noteOff(8820, 69);
            session.noteOn(kApart, 69);
            const Stereo out = session.render(kApart + kWindow);
            for (const std::vector<float>* side : {&out.left, &out.right})
            {
                const double first = rmsDb(side->data(), kWindow);
                const double later = rmsDb(side->data() + kApart, kWindow);
                CHECK_MSG(std::fabs(first - later) <= 0.5,
                          format("parameter %d, way %d: first note %.2f dB, later %.2f dB", index,
                                 way, first, later));
            }
        }
    }
}

// While a note sounds a change still glides: 10 ms after the master level drops by 16 dB the
// note has lost less than 3 dB, and half a second later the whole step.
void checkGlideWhileSounding()
{
    HostSession session;
    session.useTestTone();
    session.noteOn(0, 69);
    const double before = rmsDb(session.render(22050).left.data() + 22050 - kWindow, kWindow);
    session.setParameter(96, 0.3f);
    const Stereo out = session.render(22050);
    CHECK(before - rmsDb(out.left.data(), 441) < 3.0);
    CHECK(before - rmsDb(out.left.data() + 22050 - kWindow, kWindow) > 15.0);
}

// The synced echoes of a pluck right after its program is loaded match those of the same note
// 8 beats later: in 20 ms steps over the first second, their levels lie within 1 dB (echoes
// that glided from the free delay times on the first tempo came late and off pitch).
void checkFirstSyncedEcho()
{
    HostSession session;
    session.selectProgram(session.findProgram("Echo Pluck"));
    session.setTransport(110.0, true);
    const long beat = 44100 * 60 / 110;
    for (long onset : {0L, 8 * beat})
    {
        session.noteOn(onset, 72);
        session.noteOff(onset + beat / 4, 72);
    }
    const Stereo out = session.render(8 * beat + 44100);
    // Levels below -80 dBFS count as -80: the tail of the last echoes.
    auto level = [&out](long start)
    { return std::max(rmsDb(out.left.data() + start, 882), -80.0); };
    double worst = 0.0;
    for (long start = 0; start < 44100; start += 882)
    {
        worst = std::max(worst, std::fabs(level(start) - level(8 * beat + start)));
    }
    CHECK_MSG(worst < 1.0, format("first echoes differ by up to %.2f dB", worst));
}

} // namespace

void checkSettling()
{
    checkSettingsLandWhileSilent();
    checkGlideWhileSounding();
    checkFirstSyncedEcho();
}

} // namespace HostCheck
