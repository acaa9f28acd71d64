// Builds the plug-in instance that the exported entry hands to the host.
#include "vst/AudioEffectX.h"
#include "vst/VstEntry.h"

namespace
{
constexpr VstInt32 kProgramCount = 128;
constexpr VstInt32 kParameterCount = 97;
} // namespace

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    return new AudioEffectX(audioMaster, kProgramCount, kParameterCount);
}
