// Puts the reader, the host, the presets and the writer together for one command line.
#include "tools/render/RenderApp.h"

#include "tools/host/PluginLibrary.h"
#include "tools/render/FileBytes.h"
#include "tools/render/FxPreset.h"
#include "tools/render/NoteList.h"
#include "tools/render/PluginInstance.h"
#include "tools/render/ProgressBar.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/Renderer.h"
#include "tools/render/SmfReader.h"
#include "tools/render/WavWriter.h"

#include <cmath>
#include <filesystem>
#include <memory>

#ifdef _WIN32
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
    // Failures go back to the caller, which reports them; a session writes only to out.
    Session(const RenderOptions& renderOptions, std::FILE* outStream)
        : options(renderOptions), out(outStream)
    {
    }

    bool run(const std::string& pluginPath, Failure& failure);

private:
    bool fail(Failure& failure, const std::string& message)
    {
        failure = Failure{RenderApp::kFailure, message};
        return false;
    }

    bool loadSong(Failure& failure);
    bool openInstance(PluginInstance& instance, const std::string& program, bool main,
                      Failure& failure);
    void listPrograms(PluginInstance& instance);
    void listParams(PluginInstance& instance);
    bool savePresets(PluginInstance& instance, Failure& failure);
    bool render(Failure& failure);
    void summary(const RenderResult& result, double sampleRate);

    const RenderOptions& options;
    std::FILE* out;
    MidiSong song;
    FxBank bank;
    FxProgram program;
    bool haveBank = false;
    bool haveProgram = false;
    PluginLibrary library;
    std::string pluginName;
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
        return fail(failure, "--notes: " + error);
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
            return fail(failure, (main ? "--program: " : "--channel-map: ") + error);
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
            return fail(failure, "--param: " + error);
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
    }
    if (!options.saveFxp.empty())
    {
        FxProgram saved;
        if (!instance.saveProgram(options.saveAsParams, saved, error) ||
            !writeFileBytes(options.saveFxp, FxPreset::writeProgram(saved), error))
        {
            return fail(failure, "--save-fxp: " + error);
        }
    }
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
    settings.gain = static_cast<float>(std::pow(10.0, options.gainDb / 20.0));
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
    ProgressBar bar(!options.quiet);
    RenderSettings songOnly = settings;
    songOnly.autoTail = false;
    songOnly.tailSeconds = 0.0;
    const std::uint64_t songFrames = Renderer::plannedFrames(song, songOnly);
    RenderResult result;
    const bool rendered = Renderer::render(
        song, parts, settings,
        [&writer](const float* const* channels, int frames, std::string& sinkError)
        { return writer.write(channels, frames, sinkError); },
        [&](std::uint64_t frames, std::uint64_t limit)
        { bar.update(frames, options.autoTail ? songFrames : limit, options.sampleRate); },
        result, error);
    bar.finish();
    if (!rendered || !writer.truncate(result.frames, error) || !writer.close(error))
    {
        writer.discard();
        return fail(failure, error);
    }
    if (!options.quiet)
    {
        summary(result, options.sampleRate);
        if (writer.clippedSamples() > 0)
        {
            std::fprintf(out, "  %llu samples were clipped to full scale\n",
                         static_cast<unsigned long long>(writer.clippedSamples()));
        }
    }
    if (result.nonFiniteSamples > 0)
    {
        return fail(failure, "the plug-in produced " + std::to_string(result.nonFiniteSamples) +
                                 " non-finite samples (NaN or infinity); they were written as 0 "
                                 "to " +
                                 options.output);
    }
    return true;
}

void Session::summary(const RenderResult& result, double sampleRate)
{
    const double seconds = static_cast<double>(result.frames) / sampleRate;
    std::fprintf(out, "%s: %.2f s (%llu frames) at %d Hz, %s stereo, through %s\n",
                 options.output.c_str(), seconds, static_cast<unsigned long long>(result.frames),
                 static_cast<int>(sampleRate), wavFormatName(options.format), pluginName.c_str());
    const char* names[2] = {"left ", "right"};
    for (int channel = 0; channel < 2; ++channel)
    {
        auto db = [](double level) { return level > 0.0 ? 20.0 * std::log10(level) : -HUGE_VAL; };
        std::fprintf(out, "  %s  peak %7.2f dBFS   RMS %7.2f dBFS\n", names[channel],
                     db(result.peak[channel]), db(result.rms[channel]));
    }
    const double renderedSeconds = static_cast<double>(result.frames) / sampleRate;
    if (result.wallSeconds > 0.0)
    {
        std::fprintf(out, "  rendered in %.2f s, %.1fx real time\n", result.wallSeconds,
                     renderedSeconds / result.wallSeconds);
    }
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

    pluginName = pluginPath;
    std::error_code code;
    if (!std::filesystem::is_regular_file(pluginPath, code))
    {
        return fail(failure, pluginPath + ": no such plug-in file");
    }
    if (!library.load(pluginPath))
    {
        return fail(failure, library.error() + " (not a loadable plug-in)");
    }
    if (library.findEntry() == nullptr)
    {
        return fail(failure,
                    pluginPath +
                        ": not a VST 2.4 plug-in (exports neither VSTPluginMain nor main)");
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
    Failure failure{kSuccess, ""};
    bool ok = false;
    {
        Session session(options, out);
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
