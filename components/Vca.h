// The master gain stage of the effects chain: both channels times a gliding level.
#pragma once

#include "components/Smoother.h"
#include "engine/IEffectComponent.h"
#include "parameters/IProgrammable.h"

// The level is an embedded Smoother "M Lvl" (squared, shown in dB, default 0.75, that is a gain
// of 0.5625 or -5 dB); every IProgrammable operation is its single parameter's. The gain glides
// sample by sample, so a level change makes no click.
//
// Threads: process on the audio thread; setValue on any writer's thread (the smoother picks the
// new level up at its next block).
class Vca : public IEffectComponent, public IProgrammable
{
public:
    Vca();

    Vca(const Vca&) = delete;
    Vca& operator=(const Vca&) = delete;

    // Leaves the level and its glide alone.
    void reset() override {}
    // Lands the gliding level on its target (audio thread, between blocks, while nothing sounds).
    void settle() { level.settle(); }
    float getSampleRate() const override { return sampleRate; }
    void setSampleRate(float rateHz) override;
    // Works in place when inputs and outputs are the same channels.
    void process(float** inputs, float** outputs, int count) override;

    void resetParameter(int index) override { level.resetParameter(index); }
    float getValue(int index) const override { return level.getValue(index); }
    void setValue(int index, float value) override;
    void getName(int index, char* text) const override { level.getName(index, text); }
    void getLabel(int index, char* text) const override { level.getLabel(index, text); }
    void getDisplay(int index, char* text) const override { level.getDisplay(index, text); }
    void getLongDisplay(int index, char* text) const override { level.getLongDisplay(index, text); }
    int getParameterCount() const override { return level.getParameterCount(); }

private:
    // Parameters
    Relaxed<float> sampleRate;
    Smoother level;
};
