// The fuzz harnesses' host: callback, life cycle and checked rendering.
#include "tests/fuzz/FuzzHost.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

extern "C" AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster);

namespace FuzzHost
{
namespace
{

VstTimeInfo startTime()
{
    VstTimeInfo info{};
    info.sampleRate = 44100.0;
    info.tempo = 120.0;
    info.timeSigNumerator = 4;
    info.timeSigDenominator = 4;
    info.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid | kVstTimeSigValid;
    return info;
}

VstTimeInfo time = startTime();

VstIntPtr VSTCALLBACK callback(AEffect* /*effect*/, VstInt32 opcode, VstInt32 /*index*/,
                               VstIntPtr /*value*/, void* /*ptr*/, float /*opt*/)
{
    switch (opcode)
    {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(&time);
    case audioMasterGetSampleRate:
        return 44100;
    case audioMasterGetBlockSize:
        return 512;
    default:
        return 0;
    }
}

// Guard bands around each output: a plug-in that writes past the block it was given changes them.
constexpr int kGuard = 64;
constexpr float kGuardValue = 12345.0f;
float left[kGuard + kMaxFrames + kGuard];
float right[kGuard + kMaxFrames + kGuard];

void fail(const char* what, int frame)
{
    std::fprintf(stderr, "fuzz host: %s at frame %d\n", what, frame);
    std::abort();
}

} // namespace

AEffect* open()
{
    time = startTime();
    AEffect* effect = VSTPluginMain(callback);
    if (effect == nullptr || effect->magic != kEffectMagic)
    {
        fail("no instance from VSTPluginMain", 0);
    }
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, effSetBlockSize, 0, 512, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    effect->dispatcher(effect, effStartProcess, 0, 0, nullptr, 0.0f);
    return effect;
}

void close(AEffect* effect)
{
    effect->dispatcher(effect, effStopProcess, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

void renderChecked(AEffect* effect, int frames)
{
    if (frames < 0 || frames > kMaxFrames)
    {
        return;
    }
    for (float* channel : {left, right})
    {
        for (int i = 0; i < kGuard + kMaxFrames + kGuard; ++i)
        {
            channel[i] = i < kGuard || i >= kGuard + frames ? kGuardValue : 0.0f;
        }
    }
    float* outputs[2] = {left + kGuard, right + kGuard};
    effect->processReplacing(effect, nullptr, outputs, frames);
    time.samplePos += frames;
    time.ppqPos = time.samplePos / 44100.0 * time.tempo / 60.0;
    for (const float* channel : {left, right})
    {
        for (int i = 0; i < kGuard + kMaxFrames + kGuard; ++i)
        {
            const bool inside = i >= kGuard && i < kGuard + frames;
            if (inside && !std::isfinite(channel[i]))
            {
                fail("a sample that is not finite", i - kGuard);
            }
            if (!inside && channel[i] != kGuardValue)
            {
                fail("a sample written outside the block", i - kGuard);
            }
        }
    }
}

VstTimeInfo& timeInfo()
{
    return time;
}

} // namespace FuzzHost
