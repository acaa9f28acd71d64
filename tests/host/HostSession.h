// One plug-in instance driven as a host drives it: set-up, parameters, chunks, MIDI and rendering.
#pragma once

#include "tools/host/HostCallback.h"
#include "tools/host/PluginLibrary.h"

#include <cstdint>
#include <string>
#include <vector>

namespace HostCheck
{

// Two rendered channels of equal length.
struct Stereo
{
    std::vector<float> left;
    std::vector<float> right;
    std::size_t frames() const { return left.size(); }
};

// Opens an instance of the plug-in (effOpen, sample rate, block size, resume) and renders blocks
// through processReplacing with the MIDI scheduled for them. Every block is rendered into
// buffers with guard zones on both sides and pre-filled with NaN, so a plug-in that writes
// outside its frames or leaves a frame unwritten is caught (guardDamage, and NaN in the audio).
class HostSession
{
public:
    // The entry of the plug-in that every session instantiates.
    static void setEntry(VstPluginEntry pluginEntry);
    static VstPluginEntry getEntry();

    explicit HostSession(float sampleRateHz = 44100.0f, VstInt32 blockFrames = 512);
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    bool isOpen() const { return host.effect() != nullptr; }
    AEffect* effect() const { return host.effect(); }
    HostedPlugin& callbacks() { return host; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    void setSampleRate(float rateHz);
    void setBlockSize(VstInt32 frames);
    float getSampleRate() const { return sampleRate; }
    VstInt32 getBlockSize() const { return blockSize; }

    // Programs
    void selectProgram(int index);
    std::string programName(int index);
    // The index of the factory program of that name, or -1.
    int findProgram(const char* name);

    // Parameters through the AEffect entries and the text opcodes
    void setParameter(int index, float valueNorm);
    float getParameter(int index);
    std::string parameterName(int index);
    std::string parameterLabel(int index);
    std::string parameterDisplay(int index);
    // Every parameter to its default.
    void setDefaults();
    // A plain test sound: the defaults with a sine on oscillator 1 alone, the filter fully open,
    // full sustain, a 0.1 s release and no effects.
    void useTestTone();

    // Chunks (copies of the plug-in's buffer)
    std::vector<std::uint8_t> getChunk(bool isProgram);
    VstIntPtr setChunk(const std::vector<std::uint8_t>& data, bool isProgram);

    // MIDI scheduled at a frame counted from the start of the next render call.
    void midi(long frame, int status, int data1, int data2, VstInt32 byteSize = 32);
    void noteOn(long frame, int note, int velocity = 100, int channel = 0);
    void noteOff(long frame, int note, int channel = 0);
    void controlChange(long frame, int controller, int value, int channel = 0);
    // value14 is 0..16383, 8192 the centre.
    void pitchBend(long frame, int value14, int channel = 0);
    // Hands the host's event list straight to effProcessEvents.
    VstIntPtr sendEvents(VstEvent* const* events, int count);

    // Renders in blocks of the block size, sending the scheduled MIDI before each block.
    Stereo render(long frames);
    // Time information for audioMasterGetTime: tempo and a song position that advances with the
    // rendered frames. Without it the host answers no time information.
    void setTransport(double tempoBpm, bool playing);
    void clearTransport();
    // Hands out exactly this record for every block, whatever it holds.
    void setFixedTimeInfo(const VstTimeInfo& info);

    // Guard samples beside the output buffers that the plug-in changed, over all renders.
    long guardDamage() const { return damagedGuards; }

private:
    struct Scheduled
    {
        long frame;
        unsigned char bytes[3];
        VstInt32 byteSize;
    };

    void renderBlock(float* left, float* right, VstInt32 frames);
    void updateTimeInfo();

    HostedPlugin host;
    float sampleRate;
    VstInt32 blockSize;
    std::vector<Scheduled> scheduled;
    VstTimeInfo timeInfo{};
    bool transport = false;
    double tempo = 120.0;
    bool transportPlaying = false;
    double renderedFrames = 0.0;
    long damagedGuards = 0;
};

} // namespace HostCheck
