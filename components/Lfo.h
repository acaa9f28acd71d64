// The global LFO: six shapes, a free or tempo-locked rate and a depth under the modulation wheel.
#pragma once

#include "base/Relaxed.h"
#include "engine/IControllable.h"
#include "engine/ISynthComponent.h"
#include "engine/RandomGenerator.h"
#include "parameters/BooleanParameter.h"
#include "parameters/EnumParameter.h"
#include "parameters/FloatParameter.h"
#include "parameters/ParameterList.h"

#include <cstdint>

// Output runs from -depth to +depth, one value per sample. The phase counts cycles and is read
// before it wraps, so it may be up to one increment above 1 when a sample is computed.
//
// Parameter index 0 ("Spd") is also written into the shadow "SyRe" (the note value used while
// Sync is on); while Sync is on, index 0 shows the note value and its label "Res".
//
// Threads: process, controlChange and updateTimeInfo run on the audio thread; setValue runs on
// any writer's thread and only writes the increment and the depth, which the audio thread reads
// once per block. reset and setSampleRate run under the engine's render lock.
class Lfo : public ISynthComponent, public IControllable, public ParameterList
{
public:
    enum Shape
    {
        kSine = 0,
        kTriangle = 1,
        kDownRamp = 2,
        kUpRamp = 3,
        kSquare = 4,
        kSampleHold = 5,
    };
    static constexpr int kShapeCount = 6;
    // The long names in shape order: the item texts of Shpe.
    static const char* const kShapeLongNames[kShapeCount];
    static constexpr int kNoteValueCount = 8;
    // The fastest tempo taken from a host, in beats per minute; anything above is not a tempo.
    static constexpr double kMaxTempoBpm = 10000.0;

    enum ParameterIndex
    {
        kSpd = 0,
        kShpe = 1,
        kMw = 2,
        kSync = 3,
    };

    // prefixText is "L1" or "L2"; random feeds the sample-and-hold shape and must outlive the LFO.
    Lfo(const char* prefixText, RandomGenerator& random);

    Lfo(const Lfo&) = delete;
    Lfo& operator=(const Lfo&) = delete;

    // The shape's long name for the editor ("Sine" .. "Sample/Hold"); empty outside 0..5.
    static const char* getShapeLongName(int shapeIndex);

    void reset() override;
    float getSampleRate() const override { return sampleRate; }
    void setSampleRate(float rateHz) override;
    // Advances the phase (and the sample-and-hold's draws) over count samples. The output is not
    // computed here but by the first getOutput after it, from the state this block started with:
    // a block that nothing reads (no voice sounding, the panner off or on another source) costs
    // only the advance, a few steps per block.
    void process(int count) override;
    // The last processed block's output, rendered on the first call after process (audio thread,
    // like process).
    const float* getOutput() const override;

    // Controller 1 (the modulation wheel) sets the depth to value squared while MW is on.
    void controlChange(int controller, float value) override;

    // Once per host block with the host's transport: tempo in beats per minute, song position in
    // quarter notes. With Sync on, the rate follows the tempo, and while playing the phase is
    // locked to the song position (positions before the song start too). Values a host cannot
    // mean (a tempo that is not a positive finite number of at most kMaxTempoBpm, a position that
    // is not finite or too large to have a fraction) leave the rate or the phase as they were.
    // Locking the phase back by less than half a cycle is a correction, not a new cycle: the
    // sample-and-hold does not draw for it.
    void updateTimeInfo(bool playing, double tempo, double ppqPosition);

    // Writes the default through setValue, so that the shadow, the rate and the depth follow.
    void resetParameter(int index) override;
    void setValue(int index, float value) override;
    void getLabel(int index, char* text) const override;
    void getDisplay(int index, char* text) const override;
    void getLongDisplay(int index, char* text) const override;

private:
    bool showsNoteValue(int index) const { return index == kSpd && sync.getBool(); }
    float freeIncrement() const;

    // Parameters
    FloatParameter speed;
    EnumParameter shape;
    BooleanParameter modWheel;
    BooleanParameter sync;
    EnumParameter syncResolution;

    // Derived coefficients
    Relaxed<float> sampleRate;
    Relaxed<float> increment; // cycles per sample

    // State (audio thread)
    float phase = 0.0f;         // cycles, 0 .. 1 + increment
    float previousPhase = 0.0f; // the phase of the last sample, after its wrap
    float held = 0.0f;          // the sample-and-hold value, -1 .. +1
    Relaxed<float> depth;
    double songPosition = 0.0; // quarter notes
    bool wheelDepth = false;   // MW as last written, to act on changes only

    // Sources (borrowed)
    RandomGenerator& random;

    // The last processed block, as process found it: what getOutput renders the buffer from.
    struct Block
    {
        float phase;
        float previousPhase;
        float held;
        std::uint32_t randomState;
        float increment;
        float depth;
        int shape;
        int count;
    };
    Block block = {};
    mutable bool outputCurrent = true;

    // Buffers
    mutable float output[kMaxBlockFrames] = {};
};
