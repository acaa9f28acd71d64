// Puts the reader, the host, the presets and the writer together for one command line.
#include "tools/render/RenderApp.h"

#include "tools/host/PluginLibrary.h"
#include "tools/render/FileBytes.h"
#include "tools/render/FxPreset.h"
#include "tools/render/NoteList.h"
#include "tools/render/PluginFile.h"
#include "tools/render/PluginInstance.h"
#include "tools/render/ProgressBar.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/Renderer.h"
#include "tools/render/SignalGuard.h"
#include "tools/render/SmfReader.h"
#include "tools/render/WavWriter.h"

#include <cmath>
#include <filesystem>
#include <memory>
#include <string_view>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace
{

// Failure with a message: the error path of every step below.
struct Failure
{
    int status;
    std::string message;
};

class Session
{
public:
    // Failures go back to the caller, which reports them; listings and the summary go to out,
    // warnings to err.
    Session(const RenderOptions& renderOptions, std::FILE* outStream, std::FILE* errStream)
        : options(renderOptions), out(outStream), err(errStream)
    {
    }

    bool run(const std::string& pluginPath, Failure& failure);

private:
    bool fail(Failure& failure, const std::string& message, int status = RenderApp::kFailure)
    {
        failure = Failure{status, message};
        return false;
    }
    // A bad option value that only the plug-in or the song could check.
    bool badOption(Failure& failure, const std::string& message)
    {
        return fail(failure, message, RenderApp::kUsage);
    }
    void warn(const std::string& message)
    {
        std::fprintf(err, "tavrel-render: warning: %s\n", message.c_str());
    }

    bool loadSong(Failure& failure);
    bool openInstance(PluginInstance& instance, const std::string& program, bool main,
                      Failure& failure);
    void listPrograms(PluginInstance& instance);
    void listParams(PluginInstance& instance);
    bool savePresets(PluginInstance& instance, Failure& failure);
    bool loadPlugin(const std::string& given, Failure& failure);
    bool render(Failure& failure);
    bool normalizeInto(std::FILE* spool, WavWriter& writer, RenderResult& result,
                       std::string& error);
    void report(const RenderResult& result, std::uint64_t clipped);
    void summary(const RenderResult& result, std::uint64_t clipped);
    void jsonSummary(const RenderResult& result, std::uint64_t clipped);
    PluginInstance& instanceOf(int channel) const;

    const RenderOptions& options;
    std::FILE* out;
    std::FILE* err;
    double appliedGainDb = 0.0; // --gain, or the gain --normalize chose
    std::string pluginFoundIn;  // the VST folder a bare name was found in
    MidiSong song;
    FxBank bank;
    FxProgram program;
    bool haveBank = false;
    bool haveProgram = false;
    PluginLibrary library;
    std::string pluginName; // the plug-in's own name once open, else its file
    std::string pluginFile; // the absolute path loaded
    std::vector<std::unique_ptr<PluginInstance>> instances; // [0] is the main instance
};

bool Session::loadSong(Failure& failure)
{
    std::string error;
    if (!options.midiFile.empty())
    {
        if (!SmfReader::readFile(options.midiFile, song, error))
        {
            return fail(failure, error);
        }
        if (song.events.empty())
        {
            return fail(failure, options.midiFile + ": no notes or other channel messages to play");
        }
    }
    else if (!NoteList::parse(options.notes, options.tempoBpm, song, error))
    {
        return badOption(failure, "--notes: " + error);
    }
    return true;
}

bool Session::openInstance(PluginInstance& instance, const std::string& programText, bool main,
                           Failure& failure)
{
    std::string error;
    if (!instance.open(library.findEntry(), options.sampleRate, options.blockSize, error))
    {
        return fail(failure, pluginName + ": " + error);
    }
    if (options.rendersAudio() && !instance.isInstrument())
    {
        return fail(failure, pluginName + ": not an instrument (an effect plug-in cannot play "
                                          "MIDI; it neither flags itself as a synth nor answers "
                                          "the synth category)");
    }
    if (haveBank && !instance.loadBank(bank, error))
    {
        return fail(failure, options.fxb + ": " + error);
    }
    if (!programText.empty())
    {
        int index = 0;
        if (!instance.findProgram(programText, index, error))
        {
            return badOption(failure, (main ? "--program: " : "--channel-map: ") + error);
        }
        instance.setProgram(index);
    }
    if (!main)
    {
        return true;
    }
    if (haveProgram && !instance.loadProgram(program, error))
    {
        return fail(failure, options.fxp + ": " + error);
    }
    for (const ParamSetting& setting : options.params)
    {
        int index = 0;
        if (!instance.findParam(setting.name, index, error))
        {
            return badOption(failure, "--param: " + error);
        }
        instance.setParam(index, setting.value);
    }
    return true;
}

void Session::listPrograms(PluginInstance& instance)
{
    const int current = instance.currentProgram();
    std::fprintf(out, "%d programs of %s (* = current)\n", instance.numPrograms(),
                 pluginName.c_str());
    for (int i = 0; i < instance.numPrograms(); ++i)
    {
        std::fprintf(out, "%c%4d  %s\n", i == current ? '*' : ' ', i,
                     instance.programName(i).c_str());
    }
}

void Session::listParams(PluginInstance& instance)
{
    struct Row
    {
        std::string name, label, display;
        float value;
    };
    std::vector<Row> rows;
    std::size_t widths[3] = {4, 5, 7};
    for (int i = 0; i < instance.numParams(); ++i)
    {
        Row row{instance.paramName(i), instance.paramLabel(i), instance.paramDisplay(i),
                instance.param(i)};
        widths[0] = std::max(widths[0], row.name.size());
        widths[1] = std::max(widths[1], row.label.size());
        widths[2] = std::max(widths[2], row.display.size());
        rows.push_back(row);
    }
    std::fprintf(out, "%d parameters of %s\n", instance.numParams(), pluginName.c_str());
    std::fprintf(out, "%5s  %-*s  %-*s  %-*s  %s\n", "#", static_cast<int>(widths[0]), "name",
                 static_cast<int>(widths[1]), "label", static_cast<int>(widths[2]), "display",
                 "value");
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        std::fprintf(out, "%5zu  %-*s  %-*s  %-*s  %.6f\n", i, static_cast<int>(widths[0]),
                     rows[i].name.c_str(), static_cast<int>(widths[1]), rows[i].label.c_str(),
                     static_cast<int>(widths[2]), rows[i].display.c_str(),
                     static_cast<double>(rows[i].value));
    }
}

bool Session::savePresets(PluginInstance& instance, Failure& failure)
{
    std::string error;
    if (!options.saveFxb.empty())
    {
        FxBank saved;
        if (!instance.saveBank(options.saveAsParams, saved, error) ||
            !writeFileBytes(options.saveFxb, FxPreset::writeBank(saved), error))
        {
            return fail(failure, "--save-fxb: " + error);
        }
        if (!options.quiet)
        {
            std::fprintf(out, "saved a bank of %d programs (%s) to %s\n",
                         static_cast<int>(saved.numPrograms),
                         saved.isChunk ? "chunk" : "parameter lists", options.saveFxb.c_str());
        }
    }
    if (!options.saveFxp.empty())
    {
        FxProgram saved;
        if (!instance.saveProgram(options.saveAsParams, saved, error) ||
            !writeFileBytes(options.saveFxp, FxPreset::writeProgram(saved), error))
        {
            return fail(failure, "--save-fxp: " + error);
        }
        if (!options.quiet)
        {
            std::fprintf(out, "saved program %d '%s' (%s) to %s\n", instance.currentProgram(),
                         saved.name.c_str(), saved.isChunk ? "chunk" : "parameter list",
                         options.saveFxp.c_str());
        }
    }
    return true;
}

double toDb(double level)
{
    return level > 0.0 ? 20.0 * std::log10(level) : -HUGE_VAL;
}

// The mix spooled for --normalize: interleaved float frames in a temporary file that the system
// removes when it is closed or the process ends.
bool spoolFrames(std::FILE* spool, const float* const* channels, int frames,
                 std::vector<float>& interleaved, std::string& error)
{
    interleaved.resize(static_cast<std::size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i)
    {
        interleaved[2 * static_cast<std::size_t>(i)] = channels[0][i];
        interleaved[2 * static_cast<std::size_t>(i) + 1] = channels[1][i];
    }
    if (std::fwrite(interleaved.data(), sizeof(float), interleaved.size(), spool) !=
        interleaved.size())
    {
        error = "cannot write the temporary file for --normalize (disk full?)";
        return false;
    }
    return true;
}

bool Session::normalizeInto(std::FILE* spool, WavWriter& writer, RenderResult& result,
                            std::string& error)
{
    const double peak = std::max(result.peak[0], result.peak[1]);
    const double factor = peak > 0.0 ? std::pow(10.0, options.normalizeDbfs / 20.0) / peak : 1.0;
    appliedGainDb = toDb(factor);
    const auto gain = static_cast<float>(factor);
    std::rewind(spool);
    std::vector<float> interleaved(2 * 4096);
    std::vector<float> channel[2] = {std::vector<float>(4096), std::vector<float>(4096)};
    const float* pointers[2] = {channel[0].data(), channel[1].data()};
    for (std::uint64_t done = 0; done < result.frames;)
    {
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(4096, result.frames - done));
        if (std::fread(interleaved.data(), sizeof(float) * 2, count, spool) != count)
        {
            error = "cannot read back the temporary file for --normalize";
            return false;
        }
        for (std::size_t i = 0; i < count; ++i)
        {
            channel[0][i] = interleaved[2 * i] * gain;
            channel[1][i] = interleaved[2 * i + 1] * gain;
        }
        if (SignalGuard::stopRequested() != 0)
        {
            error = "interrupted";
            return false;
        }
        if (!writer.write(pointers, static_cast<int>(count), error))
        {
            return false;
        }
        done += count;
    }
    for (int c = 0; c < 2; ++c)
    {
        result.peak[c] *= factor;
        result.rms[c] *= factor;
    }
    result.endPeak *= factor;
    return true;
}

bool Session::render(Failure& failure)
{
    RenderSettings settings;
    settings.sampleRate = options.sampleRate;
    settings.blockSize = options.blockSize;
    settings.autoTail = options.autoTail;
    settings.tailSeconds = options.tailSeconds;
    settings.maxTailSeconds = options.maxTailSeconds;
    settings.programChanges = !options.ignoreProgramChanges;
    appliedGainDb = options.normalize ? 0.0 : options.gainDb;
    settings.gain = static_cast<float>(std::pow(10.0, appliedGainDb / 20.0));
    const std::uint64_t planned = Renderer::plannedFrames(song, settings);
    if (planned > WavWriter::maxFrames(options.format, 2))
    {
        return fail(failure, "the song is too long for a WAV file (" +
                                 std::to_string(static_cast<double>(planned) / options.sampleRate) +
                                 " s planned)");
    }

    // The main instance plays every channel that has no instance of its own.
    std::vector<RenderPart> parts;
    std::uint16_t mainChannels = 0xFFFF;
    for (std::size_t i = 0; i < options.channelMap.size(); ++i)
    {
        const int channel = options.channelMap[i].channel;
        mainChannels = static_cast<std::uint16_t>(mainChannels & ~(1u << channel));
        parts.push_back(
            RenderPart{instances[i + 1].get(), static_cast<std::uint16_t>(1u << channel)});
    }
    parts.insert(parts.begin(), RenderPart{instances[0].get(), mainChannels});

    std::string error;
    WavWriter writer;
    if (!writer.open(options.output, options.format, 2, static_cast<int>(options.sampleRate),
                     error))
    {
        return fail(failure, error);
    }
    SignalGuard::setContext(pluginName, writer.partialPath());
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> spool(nullptr, std::fclose);
    if (options.normalize)
    {
        spool.reset(std::tmpfile());
        if (!spool)
        {
            writer.discard();
            return fail(failure, "cannot create a temporary file for --normalize");
        }
    }
    ProgressBar bar(!options.quiet);
    RenderSettings songOnly = settings;
    songOnly.autoTail = false;
    songOnly.tailSeconds = 0.0;
    const std::uint64_t songFrames = Renderer::plannedFrames(song, songOnly);
    std::vector<float> interleaved;
    RenderResult result;
    bool rendered = Renderer::render(
        song, parts, settings,
        [&](const float* const* channels, int frames, std::string& sinkError)
        {
            if (SignalGuard::stopRequested() != 0)
            {
                sinkError = "interrupted";
                return false;
            }
            return spool ? spoolFrames(spool.get(), channels, frames, interleaved, sinkError)
                         : writer.write(channels, frames, sinkError);
        },
        [&](std::uint64_t frames, std::uint64_t limit)
        { bar.update(frames, songFrames, limit, options.sampleRate, options.autoTail); },
        result, error);
    bar.finish();
    if (rendered && spool)
    {
        rendered = normalizeInto(spool.get(), writer, result, error);
    }
    if (SignalGuard::stopRequested() != 0)
    {
        const int signal = SignalGuard::stopRequested();
        const bool removed = !writer.partialPath().empty();
        writer.discard();
        return fail(failure,
                    std::string("stopped by ") + SignalGuard::signalName(signal) +
                        (removed ? "; the partial output was removed, " + options.output +
                                       " was not written"
                                 : "; the stream ends early"),
                    128 + signal);
    }
    if (!rendered || !writer.close(error))
    {
        writer.discard();
        return fail(failure, error);
    }
    SignalGuard::setContext(pluginName, "");
    report(result, writer.clippedSamples());
    if (result.nonFiniteSamples > 0)
    {
        return fail(failure, "the plug-in produced " + std::to_string(result.nonFiniteSamples) +
                                 " non-finite samples (NaN or infinity); they were written as 0 "
                                 "to " +
                                 options.output);
    }
    return true;
}

PluginInstance& Session::instanceOf(int channel) const
{
    for (std::size_t i = 0; i < options.channelMap.size(); ++i)
    {
        if (options.channelMap[i].channel == channel)
        {
            return *instances[i + 1];
        }
    }
    return *instances[0];
}

// Warnings (always, on err) and the summary (unless quiet).
void Session::report(const RenderResult& result, std::uint64_t clipped)
{
    const double peak = std::max(result.peak[0], result.peak[1]);
    if (clipped > 0)
    {
        char text[160];
        std::snprintf(text, sizeof(text),
                      "%llu samples were clipped to full scale (peak %+.2f dBFS); lower --gain or "
                      "use --normalize",
                      static_cast<unsigned long long>(clipped), toDb(peak));
        warn(text);
    }
    else if (peak > 1.0)
    {
        char text[160];
        std::snprintf(text, sizeof(text),
                      "the peak is %+.2f dBFS, above full scale: the float file keeps it, but "
                      "players and conversion to PCM will clip; lower --gain or use --normalize",
                      toDb(peak));
        warn(text);
    }
    if (peak < Renderer::kSilenceLevel)
    {
        warn("the output is silent (its peak is below -90 dBFS)");
    }
    else if (result.cutWhileSounding)
    {
        char text[200];
        std::snprintf(text, sizeof(text),
                      "the output ends while still sounding (%.1f dBFS in its last 50 ms): the "
                      "automatic tail stopped at --max-tail %g s",
                      toDb(result.endPeak), options.maxTailSeconds);
        warn(text);
    }
    if (result.unknownPrograms > 0)
    {
        warn(std::to_string(result.unknownPrograms) +
             " program changes asked for programs the plug-in does not have; they were ignored");
    }
    if (options.json)
    {
        jsonSummary(result, clipped);
    }
    else if (!options.quiet)
    {
        summary(result, clipped);
    }
}

void Session::summary(const RenderResult& result, std::uint64_t)
{
    const double seconds = static_cast<double>(result.frames) / options.sampleRate;
    std::fprintf(out, "%s: %.2f s (%llu frames) at %d Hz, %s stereo, through %s\n",
                 options.outputIsStdout() ? "standard output" : options.output.c_str(), seconds,
                 static_cast<unsigned long long>(result.frames),
                 static_cast<int>(options.sampleRate), wavFormatName(options.format),
                 pluginName.c_str());
    const char* names[2] = {"left ", "right"};
    for (int channel = 0; channel < 2; ++channel)
    {
        std::fprintf(out, "  %s  peak %7.2f dBFS   RMS %7.2f dBFS\n", names[channel],
                     toDb(result.peak[channel]), toDb(result.rms[channel]));
    }
    if (options.normalize)
    {
        std::fprintf(out, "  normalised to %.2f dBFS peak (gain %+.2f dB)\n", options.normalizeDbfs,
                     appliedGainDb);
    }
    for (int channel = 0; channel < 16; ++channel)
    {
        const std::vector<int>& used = result.programsUsed[static_cast<std::size_t>(channel)];
        if (used.empty())
        {
            continue;
        }
        std::string list;
        for (const int index : used)
        {
            list += (list.empty() ? "" : ", ") + std::to_string(index) + " '" +
                    instanceOf(channel).programName(index) + "'";
        }
        std::fprintf(out, "  MIDI channel %2d: program%s %s\n", channel + 1,
                     used.size() > 1 ? "s" : "", list.c_str());
    }
    if (result.wallSeconds > 0.0)
    {
        std::fprintf(out, "  rendered in %.2f s, %.1fx real time\n", result.wallSeconds,
                     seconds / result.wallSeconds);
    }
}

// A JSON string literal of text.
std::string jsonText(std::string_view text)
{
    std::string result = "\"";
    for (const char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
        {
            result += '\\';
            result += c;
        }
        else if (byte < 0x20)
        {
            char escape[8];
            std::snprintf(escape, sizeof(escape), "\\u%04x", byte);
            result += escape;
        }
        else
        {
            result += c;
        }
    }
    return result + "\"";
}

// A level in dBFS, or null for silence.
std::string jsonDb(double level)
{
    if (!(level > 0.0))
    {
        return "null";
    }
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f", toDb(level));
    return text;
}

void Session::jsonSummary(const RenderResult& result, std::uint64_t clipped)
{
    std::string programs;
    for (int channel = 0; channel < 16; ++channel)
    {
        const std::vector<int>& used = result.programsUsed[static_cast<std::size_t>(channel)];
        if (used.empty())
        {
            continue;
        }
        programs += (programs.empty() ? "" : ", ") + jsonText(std::to_string(channel + 1)) + ": [";
        for (std::size_t i = 0; i < used.size(); ++i)
        {
            programs += (i > 0 ? ", " : "") + std::string("{\"program\": ") +
                        std::to_string(used[i]) +
                        ", \"name\": " + jsonText(instanceOf(channel).programName(used[i])) + "}";
        }
        programs += "]";
    }
    const double peak = std::max(result.peak[0], result.peak[1]);
    char numbers[512];
    std::snprintf(numbers, sizeof(numbers),
                  "\"sampleRate\": %d, \"frames\": %llu, \"seconds\": %.6f, \"songSeconds\": "
                  "%.6f, \"renderSeconds\": %.3f, \"gainDb\": %.2f, \"clippedSamples\": %llu, "
                  "\"nonFiniteSamples\": %llu, \"unknownProgramChanges\": %llu",
                  static_cast<int>(options.sampleRate),
                  static_cast<unsigned long long>(result.frames),
                  static_cast<double>(result.frames) / options.sampleRate,
                  static_cast<double>(result.songFrames) / options.sampleRate, result.wallSeconds,
                  appliedGainDb, static_cast<unsigned long long>(clipped),
                  static_cast<unsigned long long>(result.nonFiniteSamples),
                  static_cast<unsigned long long>(result.unknownPrograms));
    std::fprintf(out,
                 "{\"output\": %s, \"plugin\": %s, \"pluginFile\": %s, \"format\": %s, %s, "
                 "\"peakDbfs\": [%s, %s], \"rmsDbfs\": [%s, %s], \"silent\": %s, "
                 "\"cutWhileSounding\": %s, \"endPeakDbfs\": %s, \"programs\": {%s}}\n",
                 jsonText(options.output).c_str(), jsonText(pluginName).c_str(),
                 jsonText(pluginFile).c_str(), jsonText(wavFormatName(options.format)).c_str(),
                 numbers, jsonDb(result.peak[0]).c_str(), jsonDb(result.peak[1]).c_str(),
                 jsonDb(result.rms[0]).c_str(), jsonDb(result.rms[1]).c_str(),
                 peak < Renderer::kSilenceLevel ? "true" : "false",
                 result.cutWhileSounding ? "true" : "false", jsonDb(result.endPeak).c_str(),
                 programs.c_str());
}

bool Session::loadPlugin(const std::string& given, Failure& failure)
{
    std::string error;
    pluginName = given;
    if (!PluginFile::locate(given, pluginFile, pluginFoundIn, error))
    {
        return fail(failure, error);
    }
    pluginName = pluginFile;
    if (!pluginFoundIn.empty() && !options.quiet && !options.json)
    {
        std::fprintf(out, "plug-in %s found in %s\n", given.c_str(), pluginFoundIn.c_str());
    }
    const std::string reason = PluginFile::whyNotLoadable(pluginFile);
    if (!reason.empty())
    {
        return fail(failure, reason);
    }
    SignalGuard::setContext(pluginFile, "");
    if (!library.load(pluginFile))
    {
        return fail(failure, library.error() + " (not a loadable plug-in)");
    }
    if (library.findEntry() == nullptr)
    {
        return fail(failure,
                    pluginFile +
                        ": not a VST 2.4 plug-in (exports neither VSTPluginMain nor main)");
    }
    return true;
}

bool Session::run(const std::string& pluginPath, Failure& failure)
{
    std::string error;
    if (options.rendersAudio() && !loadSong(failure))
    {
        return false;
    }
    if (!options.fxb.empty())
    {
        std::vector<std::uint8_t> bytes;
        if (!readFileBytes(options.fxb, FxPreset::kMaxFileBytes, bytes, error))
        {
            return fail(failure, error);
        }
        if (!FxPreset::readBank(bytes, bank, error))
        {
            return fail(failure, options.fxb + ": " + error);
        }
        haveBank = true;
    }
    if (!options.fxp.empty())
    {
        std::vector<std::uint8_t> bytes;
        if (!readFileBytes(options.fxp, FxPreset::kMaxFileBytes, bytes, error))
        {
            return fail(failure, error);
        }
        if (!FxPreset::readProgram(bytes.data(), bytes.size(), program, error))
        {
            return fail(failure, options.fxp + ": " + error);
        }
        haveProgram = true;
    }

    if (!loadPlugin(pluginPath, failure))
    {
        return false;
    }
    instances.push_back(std::make_unique<PluginInstance>());
    if (!openInstance(*instances[0], options.program, true, failure))
    {
        return false;
    }
    const std::string name = instances[0]->effectName();
    if (!name.empty())
    {
        pluginName = name;
        SignalGuard::setContext(pluginName + " (" + pluginFile + ")", "");
    }
    if (options.rendersAudio())
    {
        for (const ChannelProgram& entry : options.channelMap)
        {
            instances.push_back(std::make_unique<PluginInstance>());
            if (!openInstance(*instances.back(), entry.program, false, failure))
            {
                failure.message =
                    "MIDI channel " + std::to_string(entry.channel + 1) + ": " + failure.message;
                return false;
            }
        }
    }
    if (options.listPrograms)
    {
        listPrograms(*instances[0]);
    }
    if (options.listParams)
    {
        listParams(*instances[0]);
    }
    if (!savePresets(*instances[0], failure))
    {
        return false;
    }
    return !options.rendersAudio() || render(failure);
}

bool isTerminal(std::FILE* stream)
{
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

} // namespace

int RenderApp::run(const std::vector<std::string>& args, const std::string& executableDirectory,
                   std::FILE* out, std::FILE* err)
{
    RenderOptions options;
    std::string error;
    if (!RenderOptions::parse(args, options, error))
    {
        std::fprintf(err, "tavrel-render: %s\nTry 'tavrel-render --help'.\n", error.c_str());
        return kUsage;
    }
    if (options.help)
    {
        std::fputs(RenderOptions::usage(), out);
        return kSuccess;
    }
    if (options.version)
    {
        std::fprintf(out, "tavrel-render 1.0 (VST 2.4 host, %d-bit)\n",
                     static_cast<int>(sizeof(void*) * 8));
        return kSuccess;
    }
    const std::string pluginPath =
        options.plugin.empty() ? defaultPlugin(executableDirectory) : options.plugin;
    if (options.outputIsStdout() && isTerminal(stdout))
    {
        std::fprintf(err, "tavrel-render: -o -: standard output is a terminal; pipe the WAV "
                          "stream into a program or redirect it into a file\n");
        return kUsage;
    }
    Failure failure{kSuccess, ""};
    bool ok = false;
    {
        // With the WAV stream on standard output, everything else goes to err.
        Session session(options, options.outputIsStdout() ? err : out, err);
        ok = session.run(pluginPath, failure);
    } // instances close before their library unloads
    std::fflush(out);
    if (!ok)
    {
        std::fprintf(err, "tavrel-render: error: %s\n", failure.message.c_str());
        return failure.status;
    }
    return kSuccess;
}

std::string RenderApp::defaultPlugin(const std::string& executableDirectory)
{
#ifdef _WIN32
    const char* name = sizeof(void*) == 4 ? "Tavrel.dll" : "Tavrel64.dll";
#else
    const char* name = "tavrel.so";
#endif
    return (std::filesystem::path(executableDirectory) / name).string();
}

std::string RenderApp::executableDirectory(const char* argv0)
{
    std::string path;
#ifdef _WIN32
    char buffer[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
    if (length > 0 && length < sizeof(buffer))
    {
        path.assign(buffer, length);
    }
#else
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length > 0)
    {
        path.assign(buffer, static_cast<std::size_t>(length));
    }
#endif
    if (path.empty() && argv0 != nullptr)
    {
        path = argv0;
    }
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? "." : parent.string();
}
