// The stereo echo: two lines of up to one second, normal or ping-pong, free or tempo-synced.
#pragma once

#include "base/Relaxed.h"
#include "components/Glide.h"
#include "components/LineTail.h"
#include "components/Smoother.h"
#include "engine/IEffectComponent.h"
#include "parameters/BooleanParameter.h"
#include "parameters/DecibelParameter.h"
#include "parameters/EnumParameter.h"
#include "parameters/FloatParameter.h"
#include "parameters/ParameterList.h"

// Each channel reads its line the delay time back (a fraction of the line, in samples: a whole
// number reads one sample, anything between is interpolated by the polynomial through the six
// samples around it), writes input plus feedback, and outputs dry plus wet. In ping-pong mode
// each channel's input and feedback go into the other line, so echoes alternate sides. Delay-time
// changes glide (bending the echoes' pitch meanwhile); the wet level glides in 0.05 s.
//
// Parameters: 0 "D On", 1 "D FB", 2 "D LDly", 3 "D PanD", 4 "D RDly", 5 "D Mix", 6 "D Sync".
// Indexes 2 and 4 also feed the note values "LSync" and "RSync" (1/8 .. 1/1 of a beat), which
// give their label and text while Sync is on; the times then follow setTempo.
// Threads: writes store values and targets only. On and Sync ask for a clear of the lines, which
// the audio thread performs at its next process; reset and setSampleRate clear directly and must
// not run during a process (the engine holds its render lock around them).
class Delay : public IEffectComponent, public ParameterList
{
public:
    static constexpr int kMaxLineLength = 192000;

    Delay();

    Delay(const Delay&) = delete;
    Delay& operator=(const Delay&) = delete;

    // Empties the lines (for the next block that runs the echoes); delay times and wet level
    // jump to their targets. The write position is kept.
    void reset() override;
    float getSampleRate() const override { return sampleRate; }
    // One second of line (at most 192000 samples); the times keep their settings as fractions of
    // the line. Then resets.
    void setSampleRate(float rateHz) override;
    // Writes dry plus wet into both channels (in place); count 1..kMaxBlockFrames. While off,
    // only the wet-level glide advances.
    void process(float** inputs, float** outputs, int count) override;

    // Host tempo in beats per minute, on the audio thread before a block. With Sync on, each
    // delay time glides to its note value of a beat, limited to the line; the first tempo after
    // a reset or after Sync is switched on sets the times at once, since the lines are empty
    // then and a glide would only bend the first echoes. Tempos that are not positive and finite
    // are ignored.
    void setTempo(double bpm);

    // Lands the gliding delay times and wet level on their targets (audio thread, between
    // blocks, while nothing sounds).
    void settle();
    // On, and one of the last line-length writes into the lines was above -100 dBFS: echoes may
    // still come out.
    bool holdsTail() const { return enabled.getBool() && tail.holds(len); }

    void getLabel(int index, char* text) const override;
    void getDisplay(int index, char* text) const override;

    int getLineLength() const { return len; }

protected:
    void parameterChanged(int index) override;

private:
    static constexpr float kOvershoot = 0.0001f;
    static constexpr float kGlideSeconds = 0.05f;

    // The lines, read and written sample by sample, with the wet level gliding along.
    void renderEchoes(float** inputs, float** outputs, int count, GlideStep& wetNow);
    // Sends a setting to a delay-time smoother unless it already has it (no needless glides).
    static void setDelaySetting(Smoother& smoother, float setting);

    int len = 44100;

    // Parameters
    Smoother leftDelay;
    Smoother rightDelay;

    // Wet-level glide
    Glide wet;
    float wetCoefficient;

    BooleanParameter enabled;
    FloatParameter feedback;
    FloatParameter leftTime;
    BooleanParameter pingPong;
    FloatParameter rightTime;
    DecibelParameter mixLevel;
    BooleanParameter sync;
    EnumParameter leftSync;
    EnumParameter rightSync;

    float sampleRate = 44100.0f;

    // Buffers: only the first len samples are used. A reset empties them at the next block that
    // runs the echoes, so lines of a delay that stays off are never written and never become
    // resident.
    float left[kMaxLineLength];
    float right[kMaxLineLength];

    // State
    int writePosition = 0;
    bool linesCleared = false;
    Relaxed<bool> clearRequested;
    LineTail tail;
    // The next synced tempo jumps instead of gliding (set by reset and Sync on, any thread).
    Relaxed<bool> tempoJumpPending;
};
