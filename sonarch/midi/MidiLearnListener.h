// Callbacks of the MIDI-learn table.
#pragma once

namespace Sonarch::Midi
{

class MidiLearn;

// learnEnded may run on the audio thread (a learned controller ends learning there): listeners
// must not touch windows or block from it.
class MidiLearnListener
{
public:
    virtual ~MidiLearnListener() = default;
    virtual void learnBegan(MidiLearn* /*midiLearn*/) {}
    virtual void learnEnded(MidiLearn* /*midiLearn*/) {}
};

} // namespace Sonarch::Midi
