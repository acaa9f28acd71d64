// The synthesizer: owns every component, wires voices and effects and gathers the 97 parameters.
#pragma once

#include "components/Chorus.h"
#include "components/Delay.h"
#include "components/Lfo.h"
#include "components/Overdrive.h"
#include "components/Panner.h"
#include "components/PannerProgrammer.h"
#include "components/Smoother.h"
#include "components/Vca.h"
#include "engine/ComponentCollection.h"
#include "engine/IIdleSettler.h"
#include "engine/ISynthesizer.h"
#include "engine/RandomGenerator.h"
#include "engine/VoiceAllocator.h"
#include "engine/VoiceCollection.h"
#include "instrument/TavrelBank.h"
#include "instrument/TavrelVoiceCollection.h"
#include "parameters/ProgrammableCollection.h"

#include <memory>

class MessageDispatcher;
namespace Sonarch::Midi
{
class MidiLearn;
}

// Per block: the level smoothers and LFOs run once, each sounding voice adds its mono signal into
// the left channel, and the effects chain (overdrive, panner, chorus, delay, master level) runs in
// place over both channels; the panner makes the stereo image. Parameter order: allocator (0),
// dispatcher (1-2), one voice (3-64), the global components (65-75), overdrive (76-77), panner
// source (78), panner (79-82), chorus (83-88), delay (89-95), master level (96).
//
// Smoothed settings (levels, effect times, depths and mixes) glide while something sounds and
// land at once while nothing does: the dispatcher asks settleIfIdle at the start of each block
// and before each message, and nothing sounds when every voice is silent (its release over) and
// neither the chorus nor the delay holds a tail in its lines.
//
// Threads: the audio thread renders through the dispatcher under its lock. reset and
// setSampleRate come from the user-interface thread and take the same lock, so they never land
// in the middle of a block.
class TavrelSynth : public ISynthesizer, private IIdleSettler
{
public:
    // seed: the start of the engine's random sequence (noise, sample-and-hold, restart phases).
    explicit TavrelSynth(std::uint32_t seed = RandomGenerator::kDefaultSeed);
    ~TavrelSynth() override;
    TavrelSynth(const TavrelSynth&) = delete;
    TavrelSynth& operator=(const TavrelSynth&) = delete;

    void reset() override;
    float getSampleRate() const override { return sampleRate; }
    void setSampleRate(float rateHz) override;
    MessageDispatcher* getMessageDispatcher() override { return dispatcher.get(); }
    Sonarch::Parameters::BankInterface* getBank() override { return &bank; }
    PluginInfo getPluginInfo() const override { return info; }
    void setTimeInfo(double tempo, double ppqPosition, bool playing) override;
    Sonarch::Midi::MidiLearn* getMidiLearn() override { return midiLearn.get(); }

    // The top-level parameter collection (97 parameters), as the bank sees it.
    IProgrammable& getProgrammables() { return programmables; }
    VoiceCollection& getVoices() { return voices; }

private:
    void settleIfIdle() override;

    float sampleRate = 44100.0f;
    RandomGenerator random;
    Smoother osc1Level;
    Smoother osc2Level;
    Smoother noiseLevel;
    Lfo lfo1;
    Lfo lfo2;
    TavrelVoiceCollection voices;
    VoiceAllocator allocator;
    SynthComponentCollection globalComponents;
    EffectComponentCollection effects;
    Overdrive overdrive;
    Panner panner;
    PannerProgrammer pannerProgrammer;
    Delay delay;
    Chorus chorus;
    Vca master;
    ProgrammableCollection programmables;
    TavrelBank bank;
    PluginInfo info;
    std::unique_ptr<Sonarch::Midi::MidiLearn> midiLearn;
    std::unique_ptr<MessageDispatcher> dispatcher;
};
