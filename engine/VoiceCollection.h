// The sixteen voices of the synthesizer, presented to the engine as one component.
#pragma once

#include "engine/IBendable.h"
#include "engine/IComponent.h"
#include "engine/IControllable.h"
#include "engine/IPressable.h"
#include "engine/IProcess.h"
#include "engine/IVoiceFactory.h"
#include "engine/Voice.h"
#include "parameters/ForwardingProgrammable.h"

#include <array>
#include <memory>

// One renderer (the voices add into the same buffer, so it receives their mono sum), one receiver
// of controllers, bend and pressure, and one programmable with the parameters of a single voice:
// a write or reset of a parameter reaches all sixteen voices in collection order, so they always
// hold the same values, and reads come from the first voice. Keys do not pass through here: the
// allocator reaches single voices through getVoice.
//
// The voices are made once at construction and deleted with the collection; no lock of its own
// (see Voice for the threads of each operation).
class VoiceCollection : public IComponent,
                        public IProcess,
                        public IControllable,
                        public IBendable,
                        public IPressable,
                        public ForwardingProgrammable
{
public:
    static constexpr int kVoiceCount = 16;

    // Calls factory.createVoice() sixteen times and keeps the voices in that order. The factory
    // must return a new voice each time; it is not used afterwards.
    explicit VoiceCollection(IVoiceFactory& factory);
    ~VoiceCollection() override;
    VoiceCollection(const VoiceCollection&) = delete;
    VoiceCollection& operator=(const VoiceCollection&) = delete;

    void reset() override;
    float getSampleRate() const override { return sampleRate; }
    void setSampleRate(float rateHz) override;

    void process(float* buffer, int count) override;
    void processReplacing(float* buffer, int count) override;

    void controlChange(int controller, float value) override;
    void bend(float amount) override;
    void press(float pressure) override;

    int getParameterCount() const override;

    int getVoiceCount() const { return kVoiceCount; }
    // The voice at index 0..15 in collection order; null outside.
    Voice* getVoice(int index) const;

protected:
    // All sixteen voices, in collection order, for an index of a voice's parameters.
    std::span<IProgrammable* const> route(int index, int& local) const override;

private:
    // Voices (owned), and the same voices as the holders of every parameter
    std::array<std::unique_ptr<Voice>, kVoiceCount> voices;
    std::array<IProgrammable*, kVoiceCount> holders{};

    // State
    float sampleRate = 44100.0f;
};
