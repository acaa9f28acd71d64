// The command line of tavrel-render: its options, their checks and the help text.
#pragma once

#include "tools/render/WavFormat.h"

#include <string>
#include <vector>

struct ParamSetting
{
    std::string name; // a parameter name or number
    float value;      // normalised 0..1
};

struct ChannelProgram
{
    int channel;         // MIDI channel 0..15 (given as 1..16)
    std::string program; // a program number or name
};

struct RenderOptions
{
    std::string midiFile;
    std::string notes;
    double tempoBpm = 120.0; // of --notes
    std::string output;      // default: the MIDI file's name with .wav, or out.wav
    std::string plugin;      // default: the Tavrel plug-in beside the tool

    std::string program;
    std::string fxb;
    std::string fxp;
    std::vector<ParamSetting> params;
    std::vector<ChannelProgram> channelMap;
    std::string saveFxb;
    std::string saveFxp;
    bool saveAsParams = false;
    bool listPrograms = false;
    bool listParams = false;

    double sampleRate = 44100.0;
    int blockSize = 512;
    WavFormat format = WavFormat::Pcm24;
    bool autoTail = true;
    double tailSeconds = 0.0;
    double maxTailSeconds = 30.0;
    double gainDb = 0.0;
    bool normalize = false;      // scale the whole output so its peak lands on normalizeDbfs
    double normalizeDbfs = -1.0; // peak after normalisation, dBFS
    bool ignoreProgramChanges = false;
    bool json = false; // the summary as one JSON object instead of text

    bool quiet = false;
    bool help = false;
    bool version = false;

    bool rendersAudio() const { return !midiFile.empty() || !notes.empty(); }
    // "-o -": the WAV stream goes to standard output, the listings and summary to stderr.
    bool outputIsStdout() const { return output == "-"; }

    // Fills options from the arguments after the program name. Every value is checked here;
    // what needs the plug-in (names of programs and parameters) is checked once it is loaded.
    static bool parse(const std::vector<std::string>& args, RenderOptions& options,
                      std::string& error);
    static const char* usage();
};
