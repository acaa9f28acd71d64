// What the plug-in object sees of the synthesizer.
#pragma once

#include "engine/PluginInfo.h"

class MessageDispatcher;
namespace Sonarch::Parameters
{
class BankInterface;
}
namespace Sonarch::Midi
{
class MidiLearn;
}

class ISynthesizer
{
public:
    // Deletes the whole engine.
    virtual ~ISynthesizer() = default;
    // Silences and resets every component, voice, the allocator and the dispatcher.
    virtual void reset() = 0;
    virtual float getSampleRate() const = 0;
    // A supported rate (base/SampleRate.h) is passed on to every component; any other is ignored.
    virtual void setSampleRate(float rateHz) = 0;
    virtual MessageDispatcher* getMessageDispatcher() = 0;
    virtual Sonarch::Parameters::BankInterface* getBank() = 0;
    virtual PluginInfo getPluginInfo() const = 0;
    // Tempo in beats per minute and song position in quarter notes, once per host block on the
    // audio thread.
    virtual void setTimeInfo(double tempo, double ppqPosition, bool playing) = 0;
    // The MIDI-learn table of the bank.
    virtual Sonarch::Midi::MidiLearn* getMidiLearn() = 0;
};
