// The wavetable oscillator: increment, table choice, FM, hard sync, pulse width and level.
#include "components/Oscillator.h"

#include "base/SampleRate.h"
#include "components/FastMath.h"
#include "components/Lanes.h"
#include "components/WaveData.h"

#include <cmath>
#include <cstdint>

namespace
{

constexpr float kCycle = static_cast<float>(Wavetables::kTableLength);
constexpr int kIndexMask = Wavetables::kTableLength - 1;
// After a sync restart the old waveform fades out over this many samples.
constexpr int kSyncCrossfade = 16;
constexpr float kSyncCrossfadeStep = 1.0f / static_cast<float>(kSyncCrossfade);
// A change of the tables that follow the pitch fades from the old tables' reading to the new ones'
// over this many samples (0.7 ms at 44100 Hz), so that the change itself makes no click.
constexpr float kTableCrossfadeStep = 1.0f / static_cast<float>(Oscillator::kTableCrossfade);
// While the pitch sounds above the band the note's tables were chosen for, the choice that follows
// it is checked every this many samples (0.7 ms at 44100 Hz).
constexpr int kFollowFrames = 32; // a power of two
// A new choice covers a semitone above the step that made it, so that a rising pitch is followed
// in steps of a semitone rather than at every sample.
constexpr float kFollowHeadroom = 1.0594631f;
// The highest key a risen table choice is made for (keys from 120 play table 9 alone).
constexpr float kHighestKey = 127.0f;
// Read positions beyond this are reduced before the cast to int; below it the integer part
// always fits.
constexpr float kLargestDirectPosition = 16777216.0f;

// Brings a finite phase at or above one cycle back into [0, 2048). One subtraction covers every
// step below a cycle; larger steps (notes far above the sample rate's reach, a huge modulation
// sum) take the exact remainder instead of subtracting 2048 thousands of times.
inline float wrapPhase(float phaseTableSamples)
{
    float wrapped = phaseTableSamples - kCycle;
    if (wrapped >= kCycle)
    {
        wrapped = std::fmod(wrapped, kCycle);
    }
    return wrapped;
}

// Brings any read position into [0, 2048): negative or very large positions come from pulse
// widths pushed outside 0..1 by modulation; a NaN (from a damaged source) reads at 0.
inline float wrapAnyPosition(float positionTableSamples)
{
    if (!std::isfinite(positionTableSamples))
    {
        return 0.0f;
    }
    float wrapped = std::fmod(positionTableSamples, kCycle);
    if (wrapped < 0.0f)
    {
        wrapped += kCycle;
    }
    return wrapped < kCycle ? wrapped : 0.0f;
}

// The crossfaded pair of tables, linearly interpolated at a position in [0, 2^24), the lower
// table weighted lowerWeight (1 - the upper's weight). T is float or FloatLanes (four positions).
template <class T>
inline T readWave(const float* lower, const float* upper, T lowerWeight, T upperWeight,
                  T positionTableSamples)
{
    const auto whole = truncateToInt(positionTableSamples);
    const auto index = whole & kIndexMask;
    const T fraction = positionTableSamples - toFloat(whole);
    T lowerHere;
    T lowerNext;
    T upperHere;
    T upperNext;
    gatherWithNext(lower, index, kIndexMask, lowerHere, lowerNext);
    gatherWithNext(upper, index, kIndexMask, upperHere, upperNext);
    const T low = lowerHere + fraction * (lowerNext - lowerHere);
    const T high = upperHere + fraction * (upperNext - upperHere);
    return lowerWeight * low + upperWeight * high;
}

inline float readWave(const float* lower, const float* upper, float weight,
                      float positionTableSamples)
{
    return readWave<float>(lower, upper, 1.0f - weight, weight, positionTableSamples);
}

// The first index from begin on, below end, whose value is not at or below limit (end if none):
// four values to a comparison.
inline int firstAbove(const float* values, int begin, int end, float limit)
{
    const FloatLanes limits(limit);
    int i = begin;
    for (; i + kLanes <= end; i += kLanes)
    {
        const int atOrBelow = laneBits(FloatLanes::load(values + i) <= limits);
        if (atOrBelow != 0xF)
        {
            return i + __builtin_ctz(static_cast<unsigned>(~atOrBelow));
        }
    }
    while (i < end && values[i] <= limit)
    {
        ++i;
    }
    return i;
}

} // namespace

Oscillator::Oscillator(const char* prefix)
    : ParameterList(true), detune(prefix, "Dtn", 0.5f),
      transpose(prefix, "Tran", "Semi", 0.5f, -24, 24),
      bendRange(prefix, "PBR", "Semi", 0.166667f, 0, 12),
      fm1Level(prefix, "FM1", "Octave", 0.0f, 0.0f, 1.0f, true),
      fm2Level(prefix, "FM2", "Octave", 0.0f, 0.0f, 1.0f, true), fm1Polarity(prefix, "FM1P"),
      fm2Polarity(prefix, "FM2P"),
      wave(prefix, "Wave", "Type", 0.0f, kWaveCount - 1, getWaveShortNames(), getWaveLongNames()),
      pulseWidthOn(prefix, "PWOn"), pulseWidth(prefix, "PWid", "Width", 0.5f, 0.0f, 1.0f, false),
      pwmLevel(prefix, "PWM", "Level", 0.0f, 0.0f, 1.0f, false), pwmPolarity(prefix, "PWMP"),
      sampleRate(44100.0f), waveSet(nullptr), lowerTable(0), upperTable(0), weight(0.0f),
      increment(0.0f), keyIncrement(0.0f), bendPosition(0.0f), note(69)
{
    addParameter(detune);
    addParameter(transpose);
    addParameter(bendRange);
    addParameter(fm1Level);
    addParameter(fm2Level);
    addParameter(fm1Polarity);
    addParameter(fm2Polarity);
    addParameter(wave);
    addParameter(pulseWidthOn);
    addParameter(pulseWidth);
    addParameter(pwmLevel);
    addParameter(pwmPolarity);
    chooseTables();
}

void Oscillator::setSampleRate(float rateHz)
{
    if (isSupportedSampleRate(rateHz))
    {
        sampleRate = rateHz;
    }
}

void Oscillator::trigger(int /*previousNote*/, int newNote, int /*velocity*/)
{
    note = newNote < 0 ? 0 : (newNote > 127 ? 127 : newNote);
    chooseTables();
}

void Oscillator::bend(float amount)
{
    if (amount >= -1.0f && amount <= 1.0f)
    {
        bendPosition = amount;
    }
    else
    {
        bendPosition = amount > 1.0f ? 1.0f : (amount < -1.0f ? -1.0f : 0.0f);
    }
}

void Oscillator::parameterChanged(int index)
{
    switch (index)
    {
    case kDtn:
    case kTrans:
        // Both move the key the tables are chosen for as well as the pitch: a held note
        // transposed by two octaves would otherwise keep tables with four times too many
        // harmonics for its new pitch.
        computeIncrement();
        chooseTables();
        break;
    case kPbr:
        computeIncrement();
        break;
    case kWave:
        chooseTables();
        break;
    default:
        break;
    }
}

void Oscillator::getLongDisplay(int index, char* text) const
{
    if (index == kWave)
    {
        wave.getLongDisplay(text);
    }
    else
    {
        ParameterList::getLongDisplay(index, text);
    }
}

void Oscillator::setPhase(float positionTableSamples)
{
    phase = positionTableSamples >= 0.0f && positionTableSamples < kCycle
                ? positionTableSamples
                : wrapAnyPosition(positionTableSamples);
    // A phase set from outside starts a new note: the sync crossfade of the last note ends, and
    // the master's last phase is forgotten, so that the first sample does not take the master's
    // new phase, lower than where the last note left it, for a wrap and restart the phase at once.
    oldPhase = phase;
    crossfadeCount = 0;
    masterLastPhase = 0.0f;
}

void Oscillator::setFmSource(int input, const ISynthComponent* source)
{
    ScopedLock hold(lock);
    if (input == 1)
    {
        fm1Source = source;
    }
    else if (input == 2)
    {
        fm2Source = source;
    }
}

void Oscillator::setAmplitudeSource(const ISynthComponent* source)
{
    ScopedLock hold(lock);
    amplitudeSource = source;
}

void Oscillator::setPwmSource(const ISynthComponent* source)
{
    ScopedLock hold(lock);
    pwmSource = source;
}

void Oscillator::setPitchSource(const ISynthComponent* source)
{
    ScopedLock hold(lock);
    pitchSource = source;
}

void Oscillator::setSyncMaster(const Oscillator* master)
{
    ScopedLock hold(lock);
    syncMaster = master;
}

int Oscillator::getLowerTable() const
{
    ScopedLock hold(lock);
    return lowerTable;
}

int Oscillator::getUpperTable() const
{
    ScopedLock hold(lock);
    return upperTable;
}

float Oscillator::getTableWeight() const
{
    ScopedLock hold(lock);
    return weight;
}

float Oscillator::incrementFor(double pitchSemitones) const
{
    // In double, stored as float: 2^((pitch - 69) / 12) x 440 Hz / rate x 2048 table samples.
    const double ratio = std::exp2((pitchSemitones - 69.0) * static_cast<double>(kOneTwelfth));
    return static_cast<float>(ratio * 440.0 / static_cast<double>(sampleRate.load()) *
                              static_cast<double>(Wavetables::kTableLength));
}

void Oscillator::computeIncrement()
{
    const double keySemitones = static_cast<double>(note) +
                                static_cast<double>(transpose.getInt()) +
                                static_cast<double>(detune.getReal());
    increment =
        incrementFor(keySemitones + static_cast<double>(bendRange.getInt()) *
                                        static_cast<double>(static_cast<float>(bendPosition)));
    keyIncrement = incrementFor(keySemitones);
}

void Oscillator::chooseTables()
{
    // The key the tables are chosen for ignores bend and modulation; it is folded by octaves
    // into 0..127 (note 0..127, Trans +-24 and Dtn +-1 need at most three steps). Computed
    // under the lock, so that of two concurrent choices the later one uses the later values.
    ScopedLock hold(lock);
    float key = static_cast<float>(note + transpose.getInt()) + detune.getReal();
    while (key < 0.0f)
    {
        key += 12.0f;
    }
    while (key >= 128.0f)
    {
        key -= 12.0f;
    }
    waveSet = Wavetables::get().getWaveSet(wave.getInt());
    tableKey = key;
    tablesChosen = true;
    tablesForKey(key, lowerTable, upperTable, weight);
}

void Oscillator::tablesForKey(float key, int& lower, int& upper, float& upperWeight)
{
    const float octave = key * kOneTwelfth;
    int whole = static_cast<int>(octave);
    whole = whole > 10 ? 10 : whole;
    lower = Wavetables::kOctaveTables[whole];
    upper = Wavetables::kOctaveTables[whole + 1];
    upperWeight = octave - static_cast<float>(whole);
}

template <bool kModulated, bool kSynced>
void Oscillator::renderWave(int begin, int end, const float* lower, const float* upper,
                            float tableWeight, const Oscillator* master)
{
    const float baseIncrement = increment;
    const float* masterRecord = nullptr;
    float masterIncrement = 0.0f;
    if constexpr (kSynced)
    {
        masterRecord = master->getPhaseRecord();
        masterIncrement = master->getIncrement();
    }

    float currentPhase = phase;
    float currentOldPhase = oldPhase;
    int fade = crossfadeCount;
    float lastMasterPhase = masterLastPhase;

    for (int i = begin; i < end; ++i)
    {
        output[i] = readWave(lower, upper, tableWeight, currentPhase);

        float step = baseIncrement;
        if constexpr (kModulated)
        {
            step = modulation[i]; // the step, in place of the modulation sum
        }
        currentPhase += step;
        if (currentPhase >= kCycle)
        {
            currentPhase = wrapPhase(currentPhase);
        }
        phaseRecord[i] = currentPhase;

        if constexpr (kSynced)
        {
            if (fade > 0)
            {
                --fade;
                const float oldSample = readWave(lower, upper, tableWeight, currentOldPhase);
                currentOldPhase += step;
                if (currentOldPhase >= kCycle)
                {
                    currentOldPhase = wrapPhase(currentOldPhase);
                }
                const float oldWeight = static_cast<float>(fade) * kSyncCrossfadeStep;
                output[i] = (1.0f - oldWeight) * output[i] + oldWeight * oldSample;
            }
            const float masterPhase = masterRecord[i];
            if (masterPhase < lastMasterPhase)
            {
                // The master wrapped during this sample: restart where it would be had the
                // restart come at its exact wrap, masterPhase / masterIncrement samples ago.
                currentOldPhase = currentPhase;
                fade = kSyncCrossfade;
                currentPhase = masterIncrement > 0.0f
                                   ? masterPhase / masterIncrement * baseIncrement
                                   : baseIncrement;
                if (currentPhase >= kCycle)
                {
                    currentPhase = wrapPhase(currentPhase);
                }
            }
            lastMasterPhase = masterPhase;
        }
    }

    phase = currentPhase;
    oldPhase = currentOldPhase;
    crossfadeCount = fade;
    masterLastPhase = lastMasterPhase;
}

void Oscillator::subtractPulseCopy(int begin, int end, const float* lower, const float* upper,
                                   float tableWeight, const ISynthComponent* pwmInput)
{
    // The copy is read at the phase after each sample's advance, PWid of a cycle ahead; four
    // samples to a vector.
    const float width = pulseWidth.getReal();
    const float lowerWeight = 1.0f - tableWeight;
    const float* __restrict record = phaseRecord;
    float* __restrict out = output;
    if (pwmInput != nullptr)
    {
        const float* __restrict source = pwmInput->getOutput();
        const float depth = 0.5f * static_cast<float>(pwmPolarity.getSign()) * pwmLevel.getReal();
        forEachLanes(
            begin, end,
            [&](auto lanes, int i)
            {
                using T = decltype(lanes);
                const T modulatedWidth = T(width) + T(depth) * loadLanes<T>(source + i);
                T position = loadLanes<T>(record + i) + modulatedWidth * T(kCycle);
                const auto direct = (position >= T(0.0f)) & (position < T(kLargestDirectPosition));
                if (!allLanes(direct))
                {
                    // A width pushed outside 0..1 (or a damaged source).
                    position = eachLane(position,
                                        [](float lane) {
                                            return lane >= 0.0f && lane < kLargestDirectPosition
                                                       ? lane
                                                       : wrapAnyPosition(lane);
                                        });
                }
                storeLanes(out + i, loadLanes<T>(out + i) - readWave(lower, upper, T(lowerWeight),
                                                                     T(tableWeight), position));
            });
    }
    else
    {
        const float shift = width * kCycle;
        forEachLanes(begin, end,
                     [&](auto lanes, int i)
                     {
                         using T = decltype(lanes);
                         const T position = loadLanes<T>(record + i) + T(shift);
                         storeLanes(out + i,
                                    loadLanes<T>(out + i) - readWave(lower, upper, T(lowerWeight),
                                                                     T(tableWeight), position));
                     });
    }
}

float Oscillator::modulationToSteps(int count)
{
    const float baseIncrement = increment;
    float* __restrict steps = modulation;
    // The largest step, NaN steps aside (larger keeps its second operand when one is NaN).
    FloatLanes highestLanes(0.0f);
    int i = 0;
    for (; i + kLanes <= count; i += kLanes)
    {
        const FloatLanes step = fastExp2(FloatLanes::load(steps + i)) * FloatLanes(baseIncrement);
        step.store(steps + i);
        highestLanes = larger(step, highestLanes);
    }
    float lanes[kLanes];
    highestLanes.store(lanes);
    float highest = lanes[0];
    for (float lane : {lanes[1], lanes[2], lanes[3]})
    {
        highest = larger(lane, highest);
    }
    for (; i < count; ++i)
    {
        steps[i] = fastExp2(steps[i]) * baseIncrement;
        highest = larger(steps[i], highest);
    }
    return highest;
}

template <bool kModulated>
void Oscillator::renderFree(int begin, int end, const float* lower, const float* upper,
                            float tableWeight)
{
    const float baseIncrement = increment;
    const float* __restrict steps = modulation;
    float* __restrict record = phaseRecord;
    float* __restrict out = output;

    // Four samples at a time: their phases one after the other (the only dependent step, three
    // cycles of latency a sample), then the wave at each sample's phase before its advance, read
    // for all four in one vector while the next phases are summed.
    const FloatLanes lowerWeight(1.0f - tableWeight);
    const FloatLanes upperWeight(tableWeight);
    float currentPhase = phase;
    auto advance = [&](int i)
    {
        currentPhase += kModulated ? steps[i] : baseIncrement;
        if (currentPhase >= kCycle)
        {
            currentPhase = wrapPhase(currentPhase);
        }
        record[i] = currentPhase;
        return currentPhase;
    };
    int i = begin;
    for (; i + 4 <= end; i += 4)
    {
        const float phase0 = currentPhase;
        const float phase1 = advance(i);
        const float phase2 = advance(i + 1);
        const float phase3 = advance(i + 2);
        advance(i + 3);
        readWave(lower, upper, lowerWeight, upperWeight,
                 FloatLanes::make(phase0, phase1, phase2, phase3))
            .store(out + i);
    }
    for (; i < end; ++i)
    {
        out[i] = readWave(lower, upper, tableWeight, currentPhase);
        advance(i);
    }
    phase = currentPhase;
}

void Oscillator::process(int count)
{
    count = limitBlockFrames(count);
    if (count == 0)
    {
        return;
    }

    const ISynthComponent* fm1Input;
    const ISynthComponent* fm2Input;
    const ISynthComponent* amplitudeInput;
    const ISynthComponent* pwmInput;
    const ISynthComponent* pitchInput;
    const Oscillator* master;
    const float* set;
    float key;
    const float* lower;
    const float* upper;
    float tableWeight;
    {
        ScopedLock hold(lock);
        fm1Input = fm1Source;
        fm2Input = fm2Source;
        amplitudeInput = amplitudeSource;
        pwmInput = pwmSource;
        pitchInput = pitchSource;
        master = syncMaster;
        set = waveSet;
        key = tableKey;
        if (tablesChosen)
        {
            // A new note or wave starts from its own tables and a new grid of choices, with no
            // fade from the tables played before.
            tablesChosen = false;
            coveredStep = 0.0f;
            followPosition = 0;
            tableFade = 0;
            playedLower = waveSet + lowerTable * Wavetables::kTableLength;
            playedUpper = waveSet + upperTable * Wavetables::kTableLength;
            playedWeight = weight;
        }
        lower = waveSet + lowerTable * Wavetables::kTableLength;
        upper = waveSet + upperTable * Wavetables::kTableLength;
        tableWeight = weight;
    }

    // Modulation sum in octaves. Without any input it is 0 throughout and fastExp2(0) is
    // exactly 1, so the loop then skips it.
    const bool modulated = fm1Input != nullptr || fm2Input != nullptr || pitchInput != nullptr;
    if (modulated)
    {
        for (int i = 0; i < count; ++i)
        {
            modulation[i] = 0.0f;
        }
        const ISynthComponent* fmInputs[2] = {fm1Input, fm2Input};
        const float depths[2] = {static_cast<float>(fm1Polarity.getSign()) * fm1Level.getReal(),
                                 static_cast<float>(fm2Polarity.getSign()) * fm2Level.getReal()};
        for (int input = 0; input < 2; ++input)
        {
            if (fmInputs[input] != nullptr)
            {
                const float* source = fmInputs[input]->getOutput();
                const float depthOctaves = depths[input];
                for (int i = 0; i < count; ++i)
                {
                    modulation[i] += depthOctaves * source[i];
                }
            }
        }
        if (pitchInput != nullptr)
        {
            const float* source = pitchInput->getOutput();
            for (int i = 0; i < count; ++i)
            {
                modulation[i] += source[i];
            }
        }
    }

    computeIncrement();
    const float highestStep = modulated ? modulationToSteps(count) : increment.load();

    // The tables follow the pitch towards fewer harmonics only. The choice covers a step: 0 for
    // the note's own tables, else a step above the note's own increment, played with the tables of
    // the key that far above the note's. A sample whose step exceeds the covered one chooses at
    // once, for a semitone above its step; every kFollowFrames samples from the note's start the
    // choice is checked: back to the note's own tables at or below its pitch, anew when the step
    // has fallen more than two semitones below the covered one. Every decision is a function of
    // the samples alone, never of where a block starts, so any split of a block renders the same;
    // a note that never sounds above its own pitch plays exactly its own tables.
    const float own = keyIncrement;
    const float base = increment;
    float covered = coveredStep;
    int position = followPosition;
    if (covered == 0.0f && !(highestStep > own))
    {
        // Nowhere above the note's pitch: its own tables throughout, as every check would find.
        renderFaded(0, count, modulated, master, lower, upper, tableWeight, pwmInput);
        position = (position + count) & (kFollowFrames - 1);
    }
    else
    {
        for (int begin = 0; begin < count;)
        {
            int end = begin;
            while (end < count)
            {
                const float here = modulated ? modulation[end] : base;
                float next = covered;
                if (position == 0 && !(here > own))
                {
                    next = 0.0f;
                }
                else if (here > (covered > 0.0f ? covered : own) ||
                         (position == 0 && here * kFollowHeadroom * kFollowHeadroom < covered))
                {
                    next = here * kFollowHeadroom;
                }
                if (next != covered)
                {
                    if (end > begin)
                    {
                        break; // this sample starts the next stretch
                    }
                    covered = next;
                }
                // On to the next sample that may decide: the next check, or one that exceeds.
                const float limit = covered > 0.0f ? covered : own;
                const int until = end + (kFollowFrames - position) < count
                                      ? end + (kFollowFrames - position)
                                      : count;
                int stop = end + 1;
                if (modulated)
                {
                    stop = firstAbove(modulation, stop, until, limit);
                }
                else
                {
                    stop = until;
                }
                position = (position + stop - end) & (kFollowFrames - 1);
                end = stop;
            }

            const float* lowerHere = lower;
            const float* upperHere = upper;
            float weightHere = tableWeight;
            if (covered > 0.0f)
            {
                float risenKey = key + 12.0f * std::log2(covered / own);
                risenKey = risenKey < kHighestKey ? risenKey : kHighestKey;
                int lowerNumber = 0;
                int upperNumber = 0;
                tablesForKey(risenKey, lowerNumber, upperNumber, weightHere);
                lowerHere = set + lowerNumber * Wavetables::kTableLength;
                upperHere = set + upperNumber * Wavetables::kTableLength;
            }
            renderFaded(begin, end, modulated, master, lowerHere, upperHere, weightHere, pwmInput);
            begin = end;
        }
    }
    coveredStep = covered;
    followPosition = position;

    if (amplitudeInput != nullptr)
    {
        const float* __restrict gain = amplitudeInput->getOutput();
        float* __restrict out = output;
        for (int i = 0; i < count; ++i)
        {
            out[i] *= gain[i];
        }
    }
}

void Oscillator::renderFaded(int begin, int end, bool modulated, const Oscillator* master,
                             const float* lower, const float* upper, float tableWeight,
                             const ISynthComponent* pwmInput)
{
    if (lower != playedLower || upper != playedUpper || tableWeight != playedWeight)
    {
        // A change of tables fades from the ones played before. A change during a fade keeps
        // fading from the tables it started from, on towards the newest, and takes no longer.
        if (tableFade == 0)
        {
            fadeLower = playedLower;
            fadeUpper = playedUpper;
            fadeWeight = playedWeight;
            tableFade = kTableCrossfade;
        }
        playedLower = lower;
        playedUpper = upper;
        playedWeight = tableWeight;
    }
    if (tableFade == 0)
    {
        renderStretch(begin, end, modulated, master, lower, upper, tableWeight, pwmInput);
        return;
    }

    // The faded samples with the old tables first. The phase and the sync state do not depend on
    // the tables, so they are put back and the new tables' render retraces the same phases.
    const int fadeEnd = end - begin < tableFade ? end : begin + tableFade;
    const float savedPhase = phase;
    const float savedOldPhase = oldPhase;
    const int savedSyncFade = crossfadeCount;
    const float savedMasterPhase = masterLastPhase;
    renderStretch(begin, fadeEnd, modulated, master, fadeLower, fadeUpper, fadeWeight, pwmInput);
    for (int i = begin; i < fadeEnd; ++i)
    {
        fadeFrom[i - begin] = output[i];
    }
    phase = savedPhase;
    oldPhase = savedOldPhase;
    crossfadeCount = savedSyncFade;
    masterLastPhase = savedMasterPhase;

    renderStretch(begin, end, modulated, master, lower, upper, tableWeight, pwmInput);
    int fade = tableFade;
    for (int i = begin; i < fadeEnd; ++i)
    {
        --fade;
        const float oldWeight = static_cast<float>(fade) * kTableCrossfadeStep;
        output[i] = (1.0f - oldWeight) * output[i] + oldWeight * fadeFrom[i - begin];
    }
    tableFade = fade;
}

void Oscillator::renderStretch(int begin, int end, bool modulated, const Oscillator* master,
                               const float* lower, const float* upper, float tableWeight,
                               const ISynthComponent* pwmInput)
{
    if (master != nullptr)
    {
        if (modulated)
        {
            renderWave<true, true>(begin, end, lower, upper, tableWeight, master);
        }
        else
        {
            renderWave<false, true>(begin, end, lower, upper, tableWeight, master);
        }
    }
    else if (modulated)
    {
        renderFree<true>(begin, end, lower, upper, tableWeight);
    }
    else
    {
        renderFree<false>(begin, end, lower, upper, tableWeight);
    }

    if (pulseWidthOn.getBool())
    {
        subtractPulseCopy(begin, end, lower, upper, tableWeight, pwmInput);
    }
}
