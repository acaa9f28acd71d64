// Parsing and checking of tavrel-render's options.
#include "tools/render/RenderOptions.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>

namespace
{

bool parseNumber(const std::string& option, const std::string& text, double low, double high,
                 double& value, std::string& error)
{
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (text.empty() || end == text.c_str() || *end != '\0' || !std::isfinite(parsed))
    {
        error = option + ": '" + text + "' is not a number";
        return false;
    }
    if (parsed < low || parsed > high)
    {
        char range[96];
        std::snprintf(range, sizeof(range), "%g to %g", low, high);
        error = option + ": " + text + " is outside " + range;
        return false;
    }
    value = parsed;
    return true;
}

bool parseInteger(const std::string& option, const std::string& text, long low, long high,
                  long& value, std::string& error)
{
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || end == text.c_str() || *end != '\0')
    {
        error = option + ": '" + text + "' is not a whole number";
        return false;
    }
    if (parsed < low || parsed > high)
    {
        error = option + ": " + text + " is outside " + std::to_string(low) + " to " +
                std::to_string(high);
        return false;
    }
    value = parsed;
    return true;
}

bool parseChannelMap(const std::string& text, std::vector<ChannelProgram>& map, std::string& error)
{
    std::size_t start = 0;
    while (start <= text.size())
    {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string entry = text.substr(start, comma - start);
        const std::size_t equals = entry.find('=');
        if (equals == std::string::npos || equals == 0 || equals + 1 == entry.size())
        {
            error = "--channel-map: '" + entry + "' is not CHANNEL=PROGRAM";
            return false;
        }
        long channel = 0;
        if (!parseInteger("--channel-map", entry.substr(0, equals), 1, 16, channel, error))
        {
            return false;
        }
        for (const ChannelProgram& existing : map)
        {
            if (existing.channel == channel - 1)
            {
                error = "--channel-map: channel " + std::to_string(channel) + " is mapped twice";
                return false;
            }
        }
        map.push_back(ChannelProgram{static_cast<int>(channel - 1), entry.substr(equals + 1)});
        start = comma + 1;
    }
    return true;
}

// The value of --format.
bool parseFormat(const std::string& name, const std::string& value, WavFormat& format,
                 std::string& error)
{
    if (value == "16")
    {
        format = WavFormat::Pcm16;
    }
    else if (value == "24")
    {
        format = WavFormat::Pcm24;
    }
    else if (value == "float" || value == "32")
    {
        format = WavFormat::Float32;
    }
    else
    {
        error = name + ": '" + value + "' is not 16, 24 or float";
        return false;
    }
    return true;
}

// The value of --param: NAME=VALUE, the value normalised 0..1. The name may hold '='.
bool parseParam(const std::string& name, const std::string& value,
                std::vector<ParamSetting>& params, std::string& error)
{
    const std::size_t equals = value.rfind('=');
    if (equals == std::string::npos || equals == 0)
    {
        error = name + ": '" + value + "' is not NAME=VALUE";
        return false;
    }
    double number = 0.0;
    if (!parseNumber(name + " " + value.substr(0, equals), value.substr(equals + 1), 0.0, 1.0,
                     number, error))
    {
        return false;
    }
    params.push_back(ParamSetting{value.substr(0, equals), static_cast<float>(number)});
    return true;
}

// Options that take a value; each checks the text and sets its field of result.
using Setter = std::function<bool(const std::string& name, const std::string& value)>;

std::map<std::string, Setter> valueSetters(RenderOptions& result, bool& tempoGiven,
                                           std::string& error)
{
    auto text = [&error](std::string& field) -> Setter
    {
        return [&field, &error](const std::string& name, const std::string& value)
        {
            if (value.empty())
            {
                error = name + " needs a non-empty value";
                return false;
            }
            field = value;
            return true;
        };
    };
    auto number = [&error](double low, double high, double& field) -> Setter
    {
        return [low, high, &field, &error](const std::string& name, const std::string& value)
        { return parseNumber(name, value, low, high, field, error); };
    };
    auto whole = [&error](long low, long high, std::function<void(long)> store) -> Setter
    {
        return [low, high, store, &error](const std::string& name, const std::string& value)
        {
            long parsed = 0;
            if (!parseInteger(name, value, low, high, parsed, error))
            {
                return false;
            }
            store(parsed);
            return true;
        };
    };
    return {
        {"--output", text(result.output)},
        {"--plugin", text(result.plugin)},
        {"--notes", text(result.notes)},
        {"--program", text(result.program)},
        {"--fxb", text(result.fxb)},
        {"--fxp", text(result.fxp)},
        {"--save-fxb", text(result.saveFxb)},
        {"--save-fxp", text(result.saveFxp)},
        {"--tempo",
         [&result, &tempoGiven, &error](const std::string& name, const std::string& value)
         {
             tempoGiven = true;
             return parseNumber(name, value, 1.0, 1000.0, result.tempoBpm, error);
         }},
        {"--rate", whole(8000, 768000,
                         [&result](long rate) { result.sampleRate = static_cast<double>(rate); })},
        {"--block",
         whole(1, 8192, [&result](long block) { result.blockSize = static_cast<int>(block); })},
        {"--format", [&result, &error](const std::string& name, const std::string& value)
         { return parseFormat(name, value, result.format, error); }},
        {"--tail",
         [&result, &error](const std::string& name, const std::string& value)
         {
             result.autoTail = value == "auto";
             return result.autoTail ||
                    parseNumber(name, value, 0.0, 600.0, result.tailSeconds, error);
         }},
        {"--gain", number(-60.0, 24.0, result.gainDb)},
        {"--normalize",
         [&result, &error](const std::string& name, const std::string& value)
         {
             result.normalize = true;
             return value.empty() ||
                    parseNumber(name, value, -60.0, 0.0, result.normalizeDbfs, error);
         }},
        {"--max-tail", number(0.0, 600.0, result.maxTailSeconds)},
        {"--param", [&result, &error](const std::string& name, const std::string& value)
         { return parseParam(name, value, result.params, error); }},
        {"--channel-map", [&result, &error](const std::string&, const std::string& value)
         { return parseChannelMap(value, result.channelMap, error); }},
    };
}

// One command-line word: an option's name with the value given after '=' (short names become
// long ones), or the MIDI file.
struct Argument
{
    std::string name;
    std::string value;
    bool hasValue = false;
    bool isFile = false;
};

Argument splitArgument(const std::string& word)
{
    static const std::map<std::string, std::string> kShortNames = {
        {"-o", "--output"}, {"-p", "--plugin"}, {"-q", "--quiet"}, {"-h", "--help"}};
    Argument argument;
    argument.name = kShortNames.count(word) != 0 ? kShortNames.at(word) : word;
    const std::string& name = argument.name;
    if (name.size() > 2 && name.compare(0, 2, "--") == 0)
    {
        const std::size_t equals = name.find('=');
        if (equals != std::string::npos)
        {
            argument.value = name.substr(equals + 1);
            argument.name = name.substr(0, equals);
            argument.hasValue = true;
        }
    }
    else if (!(name.size() > 1 && name[0] == '-'))
    {
        argument.isFile = true;
    }
    return argument;
}

// What the options ask for together: one source of notes, --tempo only with --notes, something
// to do, rendering options only when something renders, --max-tail only with the automatic tail.
bool checkCombination(const RenderOptions& result, const std::set<std::string>& seen,
                      bool tempoGiven, std::string& error)
{
    if (!result.midiFile.empty() && !result.notes.empty())
    {
        error = "give either a MIDI file or --notes, not both";
        return false;
    }
    if (tempoGiven && result.notes.empty())
    {
        error = "--tempo sets the tempo of --notes (a MIDI file has its own tempo map)";
        return false;
    }
    const bool inspects = result.listPrograms || result.listParams || !result.saveFxb.empty() ||
                          !result.saveFxp.empty();
    if (!result.rendersAudio() && !inspects)
    {
        error = "nothing to do: give a MIDI file, --notes, --list-programs, --list-params, "
                "--save-fxb or --save-fxp";
        return false;
    }
    if (!result.rendersAudio())
    {
        for (const char* renderOnly : {"--output", "--tail", "--max-tail", "--format",
                                       "--channel-map", "--gain", "--normalize"})
        {
            if (seen.count(renderOnly) != 0)
            {
                error = std::string(renderOnly) + " needs something to render (a MIDI file or "
                                                  "--notes)";
                return false;
            }
        }
    }
    for (const auto& [flag, given] :
         {std::pair{"--json", result.json},
          std::pair{"--ignore-program-changes", result.ignoreProgramChanges}})
    {
        if (given && !result.rendersAudio())
        {
            error = std::string(flag) + " needs something to render (a MIDI file or --notes)";
            return false;
        }
    }
    if (result.normalize && seen.count("--gain") != 0)
    {
        error = "give either --gain or --normalize, not both";
        return false;
    }
    if (seen.count("--max-tail") != 0 && !result.autoTail)
    {
        error = "--max-tail applies to --tail auto only";
        return false;
    }
    return true;
}

// Whether the tool writes the file the name asks for: WAV, or a name without an extension.
bool writesWav(const std::string& output)
{
    if (output == "-")
    {
        return true;
    }
    const std::size_t slash = output.find_last_of("/\\");
    const std::size_t dot = output.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot == (slash == std::string::npos ? 0 : slash + 1))
    {
        return true; // no extension (a leading dot starts a hidden name)
    }
    std::string extension = output.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "wav" || extension == "wave";
}

// The MIDI file's name with .wav in place of its extension, or out.wav for --notes.
std::string defaultOutput(const std::string& midiFile)
{
    if (midiFile.empty())
    {
        return "out.wav";
    }
    const std::size_t slash = midiFile.find_last_of("/\\");
    const std::size_t dot = midiFile.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? midiFile.substr(0, dot) : midiFile) + ".wav";
}

// Reads the words of the command line into result; seen collects the options given.
bool readArguments(const std::vector<std::string>& args, RenderOptions& result,
                   std::set<std::string>& seen, bool& tempoGiven, std::string& error)
{
    static const std::set<std::string> kRepeatable = {"--param", "--channel-map"};
    const std::map<std::string, Setter> setters = valueSetters(result, tempoGiven, error);
    const std::map<std::string, bool*> flags = {
        {"--list-programs", &result.listPrograms},
        {"--ignore-program-changes", &result.ignoreProgramChanges},
        {"--json", &result.json},
        {"--list-params", &result.listParams},
        {"--save-as-params", &result.saveAsParams},
        {"--quiet", &result.quiet},
        {"--help", &result.help},
        {"--version", &result.version},
    };
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        Argument argument = splitArgument(args[i]);
        const std::string& name = argument.name;
        if (argument.isFile)
        {
            if (!result.midiFile.empty())
            {
                error =
                    "more than one MIDI file given ('" + result.midiFile + "' and '" + name + "')";
                return false;
            }
            result.midiFile = name;
            continue;
        }
        if (flags.count(name) != 0)
        {
            if (argument.hasValue)
            {
                error = name + " takes no value";
                return false;
            }
            *flags.at(name) = true;
            continue;
        }
        if (setters.count(name) == 0)
        {
            error = "unknown option " + name;
            return false;
        }
        if (!argument.hasValue && name == "--normalize")
        {
            // The level is optional: taken only when the next word is a number.
            char* end = nullptr;
            if (i + 1 < args.size() && !args[i + 1].empty())
            {
                std::strtod(args[i + 1].c_str(), &end);
            }
            if (end != nullptr && *end == '\0')
            {
                argument.value = args[++i];
            }
            argument.hasValue = true;
        }
        if (!argument.hasValue)
        {
            if (i + 1 >= args.size())
            {
                error = name + " needs a value";
                return false;
            }
            argument.value = args[++i];
        }
        if (seen.count(name) != 0 && kRepeatable.count(name) == 0)
        {
            error = name + " given twice";
            return false;
        }
        seen.insert(name);
        if (!setters.at(name)(name, argument.value))
        {
            return false;
        }
    }
    return true;
}

} // namespace

bool RenderOptions::parse(const std::vector<std::string>& args, RenderOptions& options,
                          std::string& error)
{
    RenderOptions result;
    std::set<std::string> seen;
    bool tempoGiven = false;
    if (!readArguments(args, result, seen, tempoGiven, error))
    {
        return false;
    }
    if (result.help || result.version)
    {
        options = result;
        return true;
    }
    if (!checkCombination(result, seen, tempoGiven, error))
    {
        return false;
    }
    if (result.output.empty() && result.rendersAudio())
    {
        result.output = defaultOutput(result.midiFile);
    }
    if (!result.midiFile.empty() && result.output == result.midiFile)
    {
        error = "the output file would overwrite the MIDI file";
        return false;
    }
    if (!result.output.empty() && !writesWav(result.output))
    {
        error = "--output " + result.output +
                ": only WAV files are written (.wav or .wave, a name without an extension, or - "
                "for standard output); for other formats convert the stream, e.g. "
                "tavrel-render song.mid -o - | sox -t wav - song.flac";
        return false;
    }
    options = result;
    return true;
}

const char* RenderOptions::usage()
{
    return R"(Usage: tavrel-render [OPTIONS] [MIDIFILE]

Renders a Standard MIDI File (format 0 or 1) or a note list through a VST 2.4
instrument into a WAV file.

Input and output
  MIDIFILE                  the song to render
  --notes TEXT              play a note list instead: steps NOTES[:BEATS][@VELOCITY]
                            separated by spaces, NOTES a note (60, C4, F#3), a chord
                            (C4+E4+G4) or r (rest); e.g. "C4+E4+G4:2 r:0.5 A3@80"
  --tempo BPM               tempo of --notes (1 to 1000, default 120)
  -o, --output FILE         WAV file to write (default: MIDIFILE with .wav, or out.wav);
                            - writes a WAV stream to standard output. The file is
                            written beside FILE under a temporary name and renamed
                            once complete. Only WAV is written: other extensions
                            are refused (convert with e.g. -o - | sox -t wav - x.flac)
  --format 16|24|float      sample format: 16- or 24-bit PCM, or 32-bit float (also
                            given as 32); default 24
  --rate HZ                 sample rate, a whole number 8000 to 768000 (default 44100)
  --block FRAMES            block size, 1 to 8192 (default 512)
  --tail auto|SECONDS       after the last event render until the output has stayed
                            below -90 dBFS for 2 s, then cut the quiet end (auto, the
                            default), or render exactly SECONDS (0 to 600)
  --max-tail SECONDS        longest automatic tail (default 30)
  --gain DB                 gain of the mix, -60 to +24 dB (default 0)
  --normalize [DBFS]        scale the output so its peak is DBFS, -60 to 0 (default
                            -1): the mix is kept in a temporary file, then written
                            scaled (a second pass over the buffer, not a second render)

Plug-in
  -p, --plugin FILE         the VST 2.4 instrument (default: the Tavrel plug-in next
                            to this program). A name without a slash is the file in
                            the current folder, else the first found in VST_PATH
                            (folders separated by :), ~/.vst, /usr/local/lib/vst
                            and /usr/lib/vst
  --program N|NAME          select program N (from 0) or the program of that name
  --fxb FILE                load a bank file (.fxb, chunk or parameter-list kind)
  --fxp FILE                load a program file (.fxp) into the current program
  --param NAME=VALUE        set a parameter (name or number) to a normalised value
                            0..1; may be repeated
  --channel-map CH=PROG,... play MIDI channel CH (1..16) by an instance of its own with
                            program PROG (number or name), mixed into the output; may be
                            repeated; other channels play on the main instance
  --ignore-program-changes  drop the song's program changes (by default each selects
                            the program of its channel's instance at its time, with
                            bank select for plug-ins of more than 128 programs)
  --list-programs           print the programs
  --list-params             print the parameters: name, label, display, value
  --save-fxb FILE           write the bank after the changes above
  --save-fxp FILE           write the current program after the changes above
  --save-as-params          save parameter lists even when the plug-in uses chunks

Order: --fxb, then --program, --fxp and --param. Channel-map instances get the
bank and their own program.

Other
  -q, --quiet               no progress bar, summary or confirmations (warnings
                            such as clipping are still printed on stderr)
  --json                    print the summary as one JSON object (programs used,
                            peaks, clipping, duration, time taken)
  -h, --help                this text
  --version                 the tool's version

The exit status is 0 on success, 1 when loading or rendering fails, 2 for bad
options (also names of programs and parameters the plug-in does not have),
128 + N when stopped by signal N (130 for Ctrl-C, 143 for SIGTERM; the
partial file is removed).
)";
}
