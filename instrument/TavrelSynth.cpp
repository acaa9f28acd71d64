// The synthesizer: construction order, wiring and the engine-wide operations.
#include "instrument/TavrelSynth.h"

#include "base/SampleRate.h"
#include "engine/MessageDispatcher.h"
#include "sonarch/midi/MidiLearn.h"

namespace
{
constexpr std::int32_t kUniqueId = 0x5476726C; // 'Tvrl'

PluginInfo makePluginInfo()
{
    PluginInfo made;
    made.uniqueID = kUniqueId;
    copyText(made.effectName, "Tavrel", sizeof(made.effectName));
    copyText(made.vendor, "Kelmore Sound Design", sizeof(made.vendor));
    copyText(made.product, "Tavrel", sizeof(made.product));
    // The plug-in's version is the one its chunks carry.
    made.version = kChunkVersion;
    return made;
}
} // namespace

TavrelSynth::TavrelSynth(std::uint32_t seed)
    : random(seed), osc1Level(true, Smoother::kDisplayDecibels, "O1 Lvl", "dB", 1.0f, 1.0f),
      osc2Level(true, Smoother::kDisplayDecibels, "O2 Lvl", "dB", 1.0f, 1.0f),
      noiseLevel(true, Smoother::kDisplayDecibels, "N Lvl", "dB", 0.0f, 1.0f), lfo1("L1", random),
      lfo2("L2", random),
      voices(TavrelVoiceSources{&osc1Level, &osc2Level, &noiseLevel, &lfo1, &lfo2, &random}),
      allocator(&voices), pannerProgrammer(panner, &lfo1, &lfo2), bank(&programmables),
      info(makePluginInfo())
{
    // Global modulation runs once per piece, before the voices that read it.
    globalComponents.add(&osc1Level);
    globalComponents.add(&osc2Level);
    globalComponents.add(&noiseLevel);
    globalComponents.add(&lfo1);
    globalComponents.add(&lfo2);

    effects.add(&overdrive);
    effects.add(&panner);
    effects.add(&chorus);
    effects.add(&delay);
    effects.add(&master);

    // The order of the instrument's parameter indexes, fixed by the stored programs.
    programmables.append(&allocator);
    midiLearn = std::make_unique<Sonarch::Midi::MidiLearn>(&bank);
    dispatcher = std::make_unique<MessageDispatcher>(&voices, &allocator, &globalComponents,
                                                     &effects, midiLearn.get());
    programmables.append(dispatcher.get());
    programmables.append(&voices);
    programmables.append(&globalComponents);
    programmables.append(&overdrive);
    programmables.append(&pannerProgrammer);
    programmables.append(&panner);
    programmables.append(&chorus);
    programmables.append(&delay);
    programmables.append(&master);

    // Controller messages reach the LFOs (modulation wheel), the voices and the allocator
    // (sustain pedal).
    dispatcher->addControllable(&lfo1);
    dispatcher->addControllable(&lfo2);
    dispatcher->addControllable(&voices);
    dispatcher->addControllable(&allocator);
    dispatcher->setIdleSettler(this);

    bank.fillFromSynthesizer();
}

TavrelSynth::~TavrelSynth()
{
    dispatcher.reset();
    midiLearn.reset();
}

void TavrelSynth::reset()
{
    // The dispatcher's reset covers voices, allocator, global components and effects, under the
    // render lock.
    dispatcher->reset();
}

void TavrelSynth::setSampleRate(float rateHz)
{
    if (!isSupportedSampleRate(rateHz))
    {
        return;
    }
    ScopedLock guard(dispatcher->getRenderLock());
    sampleRate = rateHz;
    globalComponents.setSampleRate(rateHz);
    effects.setSampleRate(rateHz);
    voices.setSampleRate(rateHz);
}

void TavrelSynth::settleIfIdle()
{
    if (voices.isSounding() || chorus.holdsTail() || delay.holdsTail())
    {
        return;
    }
    osc1Level.settle();
    osc2Level.settle();
    noiseLevel.settle();
    overdrive.settle();
    panner.settle();
    chorus.settle();
    delay.settle();
    master.settle();
}

void TavrelSynth::setTimeInfo(double tempo, double ppqPosition, bool playing)
{
    lfo1.updateTimeInfo(playing, tempo, ppqPosition);
    lfo2.updateTimeInfo(playing, tempo, ppqPosition);
    delay.setTempo(tempo);
}
