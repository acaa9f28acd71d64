// The host-side driver of one plug-in instance.
#include "tools/render/PluginInstance.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace
{

constexpr std::size_t kTextBuffer = 512;

std::string lowered(std::string text)
{
    for (char& c : text)
    {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

bool isIndex(const std::string& text)
{
    return !text.empty() && text.size() <= 9 &&
           std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// The plug-in gets a writable copy of a chunk with a zero byte after its end (not counted in
// the size): plug-ins whose chunks are text read them as C strings, past the given size.
std::vector<std::uint8_t> paddedCopy(const std::vector<std::uint8_t>& chunk)
{
    std::vector<std::uint8_t> copy(chunk);
    copy.push_back(0);
    return copy;
}

// A plug-in ID as the four characters it is made of ('amsy'), or as a number when they are not
// all printable.
std::string idText(VstInt32 id)
{
    const auto bits = static_cast<std::uint32_t>(id);
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const auto c = static_cast<unsigned char>((bits >> shift) & 0xFF);
        if (c < 0x20 || c > 0x7E)
        {
            return std::to_string(id);
        }
        text += static_cast<char>(c);
    }
    return "'" + text + "'";
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
    {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

PluginInstance::~PluginInstance()
{
    close();
}

bool PluginInstance::open(AEffect*(VSTCALLBACK* entry)(audioMasterCallback), double sampleRate,
                          int blockSize, std::string& error)
{
    close();
    host.sampleRate = sampleRate;
    host.blockSize = blockSize;
    if (!host.create(entry))
    {
        error = "the plug-in's entry gave no valid instance";
        return false;
    }
    AEffect* e = host.effect();
    if (e->numOutputs < 0 || e->numOutputs > kMaxChannels || e->numInputs < 0 ||
        e->numInputs > kMaxChannels || e->numParams < 0 || e->numPrograms < 0)
    {
        error = "the plug-in declares impossible counts (" + std::to_string(e->numInputs) +
                " inputs, " + std::to_string(e->numOutputs) + " outputs, " +
                std::to_string(e->numParams) + " parameters, " + std::to_string(e->numPrograms) +
                " programs)";
        host.close();
        return false;
    }
    opened = true;
    host.dispatch(effOpen);
    host.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    host.dispatch(effSetBlockSize, 0, blockSize);
    inputBuffers.assign(static_cast<std::size_t>(e->numInputs),
                        std::vector<float>(static_cast<std::size_t>(blockSize), 0.0f));
    inputPointers.clear();
    for (auto& buffer : inputBuffers)
    {
        inputPointers.push_back(buffer.data());
    }
    return true;
}

void PluginInstance::close()
{
    if (running)
    {
        stop();
    }
    if (opened)
    {
        host.close();
        opened = false;
    }
}

bool PluginInstance::isInstrument()
{
    return (effect()->flags & effFlagsIsSynth) != 0 ||
           host.dispatch(effGetPlugCategory) == kPlugCategSynth;
}

bool PluginInstance::usesChunks() const
{
    return (effect()->flags & effFlagsProgramChunks) != 0;
}

std::string PluginInstance::text(VstInt32 opcode, VstInt32 index)
{
    char buffer[kTextBuffer];
    std::memset(buffer, 0, sizeof(buffer));
    host.dispatch(opcode, index, 0, buffer, 0.0f);
    buffer[kTextBuffer - 1] = '\0';
    return buffer;
}

std::string PluginInstance::effectName()
{
    std::string name = text(effGetEffectName, 0);
    if (name.empty())
    {
        name = text(effGetProductString, 0);
    }
    return name;
}

int PluginInstance::numPrograms() const
{
    return effect()->numPrograms;
}

int PluginInstance::numParams() const
{
    return effect()->numParams;
}

int PluginInstance::numOutputs() const
{
    return effect()->numOutputs;
}

int PluginInstance::numInputs() const
{
    return effect()->numInputs;
}

int PluginInstance::currentProgram()
{
    return static_cast<int>(host.dispatch(effGetProgram));
}

void PluginInstance::beginProgramChange()
{
    host.dispatch(effBeginSetProgram);
}

void PluginInstance::endProgramChange()
{
    host.dispatch(effEndSetProgram);
}

void PluginInstance::setProgram(int index)
{
    beginProgramChange();
    host.dispatch(effSetProgram, 0, index);
    endProgramChange();
}

std::string PluginInstance::programName(int index)
{
    char buffer[kTextBuffer];
    std::memset(buffer, 0, sizeof(buffer));
    if (host.dispatch(effGetProgramNameIndexed, index, -1, buffer, 0.0f) != 0)
    {
        buffer[kTextBuffer - 1] = '\0';
        return buffer;
    }
    // Plug-ins without indexed names: select the program, read its name, select back.
    const int current = currentProgram();
    if (index == current)
    {
        return text(effGetProgramName, 0);
    }
    host.dispatch(effSetProgram, 0, index);
    std::string name = text(effGetProgramName, 0);
    host.dispatch(effSetProgram, 0, current);
    return name;
}

void PluginInstance::setProgramName(const std::string& name)
{
    char buffer[kVstMaxProgNameLen] = {};
    std::memcpy(buffer, name.data(), std::min(name.size(), sizeof(buffer) - 1));
    host.dispatch(effSetProgramName, 0, 0, buffer, 0.0f);
}

std::string PluginInstance::paramName(int index)
{
    return text(effGetParamName, index);
}

std::string PluginInstance::paramLabel(int index)
{
    return text(effGetParamLabel, index);
}

std::string PluginInstance::paramDisplay(int index)
{
    return text(effGetParamDisplay, index);
}

float PluginInstance::param(int index) const
{
    return effect()->getParameter(effect(), index);
}

void PluginInstance::setParam(int index, float value)
{
    effect()->setParameter(effect(), index, value);
}

bool PluginInstance::findProgram(const std::string& textValue, int& index, std::string& error)
{
    if (isIndex(textValue))
    {
        const long value = std::stol(textValue);
        if (value >= numPrograms())
        {
            error = "program " + textValue + " does not exist (the plug-in has " +
                    std::to_string(numPrograms()) + ", numbered from 0)";
            return false;
        }
        index = static_cast<int>(value);
        return true;
    }
    const std::string wanted = trimmed(textValue);
    int caseless = -1;
    for (int i = 0; i < numPrograms(); ++i)
    {
        const std::string name = trimmed(programName(i));
        if (name == wanted)
        {
            index = i;
            return true;
        }
        if (caseless < 0 && lowered(name) == lowered(wanted))
        {
            caseless = i;
        }
    }
    if (caseless >= 0)
    {
        index = caseless;
        return true;
    }
    error = "no program named '" + textValue + "' (see --list-programs)";
    return false;
}

bool PluginInstance::findParam(const std::string& textValue, int& index, std::string& error)
{
    if (isIndex(textValue))
    {
        const long value = std::stol(textValue);
        if (value >= numParams())
        {
            error = "parameter " + textValue + " does not exist (the plug-in has " +
                    std::to_string(numParams()) + ", numbered from 0)";
            return false;
        }
        index = static_cast<int>(value);
        return true;
    }
    std::vector<int> exact;
    std::vector<int> caseless;
    const std::string wanted = trimmed(textValue);
    for (int i = 0; i < numParams(); ++i)
    {
        const std::string name = trimmed(paramName(i));
        if (name == wanted)
        {
            exact.push_back(i);
        }
        else if (lowered(name) == lowered(wanted))
        {
            caseless.push_back(i);
        }
    }
    const std::vector<int>& found = exact.empty() ? caseless : exact;
    if (found.size() == 1)
    {
        index = found.front();
        return true;
    }
    if (found.empty())
    {
        error = "no parameter named '" + textValue + "' (see --list-params)";
    }
    else
    {
        error = "parameter name '" + textValue + "' is ambiguous; use its number:";
        for (int i : found)
        {
            error += ' ';
            error += std::to_string(i);
        }
    }
    return false;
}

bool PluginInstance::loadProgram(const FxProgram& program, std::string& error)
{
    if (program.fxID != effect()->uniqueID)
    {
        error = "the preset belongs to plug-in ID " + idText(program.fxID) +
                ", this plug-in's ID is " + idText(effect()->uniqueID);
        return false;
    }
    if (program.isChunk)
    {
        if (!usesChunks())
        {
            error = "the preset holds a chunk, but this plug-in does not load chunks";
            return false;
        }
        VstPatchChunkInfo info{};
        info.version = 1;
        info.pluginUniqueID = program.fxID;
        info.pluginVersion = program.fxVersion;
        info.numElements = program.numParams;
        if (host.dispatch(effBeginLoadProgram, 0, 0, &info, 0.0f) == -1)
        {
            error = "the plug-in refused the preset";
            return false;
        }
        std::vector<std::uint8_t> chunk = paddedCopy(program.chunk);
        host.dispatch(effSetChunk, 1, static_cast<VstIntPtr>(program.chunk.size()), chunk.data(),
                      0.0f);
    }
    else
    {
        if (program.numParams != numParams())
        {
            error = "the preset has " + std::to_string(program.numParams) +
                    " parameters, the plug-in " + std::to_string(numParams());
            return false;
        }
        for (int i = 0; i < program.numParams; ++i)
        {
            setParam(i, program.params[static_cast<std::size_t>(i)]);
        }
        setProgramName(program.name); // a chunk carries its own name
    }
    return true;
}

bool PluginInstance::loadBank(const FxBank& bank, std::string& error)
{
    if (bank.fxID != effect()->uniqueID)
    {
        error = "the bank belongs to plug-in ID " + idText(bank.fxID) + ", this plug-in's ID is " +
                idText(effect()->uniqueID);
        return false;
    }
    const int current =
        bank.version >= 2 && bank.currentProgram >= 0 && bank.currentProgram < numPrograms()
            ? bank.currentProgram
            : 0;
    if (bank.isChunk)
    {
        if (!usesChunks())
        {
            error = "the bank holds a chunk, but this plug-in does not load chunks";
            return false;
        }
        // Hosts select the program first: selecting it after the chunk would let a plug-in
        // whose bank chunk holds only the current program replace what was just loaded.
        if (numPrograms() > 0)
        {
            setProgram(current);
        }
        VstPatchChunkInfo info{};
        info.version = 1;
        info.pluginUniqueID = bank.fxID;
        info.pluginVersion = bank.fxVersion;
        info.numElements = bank.numPrograms;
        if (host.dispatch(effBeginLoadBank, 0, 0, &info, 0.0f) == -1)
        {
            error = "the plug-in refused the bank";
            return false;
        }
        std::vector<std::uint8_t> chunk = paddedCopy(bank.chunk);
        host.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(bank.chunk.size()), chunk.data(),
                      0.0f);
        return true;
    }
    if (bank.numPrograms > numPrograms())
    {
        error = "the bank has " + std::to_string(bank.numPrograms) + " programs, the plug-in " +
                std::to_string(numPrograms());
        return false;
    }
    for (const FxProgram& program : bank.programs)
    {
        if (program.numParams != numParams())
        {
            error = "the bank's programs have " + std::to_string(program.numParams) +
                    " parameters, the plug-in " + std::to_string(numParams());
            return false;
        }
    }
    for (int i = 0; i < bank.numPrograms; ++i)
    {
        setProgram(i);
        if (!loadProgram(bank.programs[static_cast<std::size_t>(i)], error))
        {
            return false;
        }
    }
    if (numPrograms() > 0)
    {
        setProgram(current);
    }
    return true;
}

bool PluginInstance::saveProgram(bool asParams, FxProgram& program, std::string& error)
{
    FxProgram result;
    result.fxID = effect()->uniqueID;
    result.fxVersion = effect()->version;
    result.numParams = numParams();
    result.name = text(effGetProgramName, 0);
    if (usesChunks() && !asParams)
    {
        void* data = nullptr;
        const VstIntPtr size = host.dispatch(effGetChunk, 1, 0, &data, 0.0f);
        if (size <= 0 || data == nullptr || size > static_cast<VstIntPtr>(FxPreset::kMaxFileBytes))
        {
            error = "the plug-in gave no program chunk";
            return false;
        }
        result.isChunk = true;
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        result.chunk.assign(bytes, bytes + size);
    }
    else
    {
        for (int i = 0; i < numParams(); ++i)
        {
            result.params.push_back(std::clamp(param(i), 0.0f, 1.0f));
        }
    }
    program = std::move(result);
    return true;
}

bool PluginInstance::saveBank(bool asParams, FxBank& bank, std::string& error)
{
    FxBank result;
    result.fxID = effect()->uniqueID;
    result.fxVersion = effect()->version;
    result.numPrograms = numPrograms();
    result.currentProgram = currentProgram();
    if (usesChunks() && !asParams)
    {
        void* data = nullptr;
        const VstIntPtr size = host.dispatch(effGetChunk, 0, 0, &data, 0.0f);
        if (size <= 0 || data == nullptr || size > static_cast<VstIntPtr>(FxPreset::kMaxFileBytes))
        {
            error = "the plug-in gave no bank chunk";
            return false;
        }
        result.isChunk = true;
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        result.chunk.assign(bytes, bytes + size);
    }
    else
    {
        for (int i = 0; i < numPrograms(); ++i)
        {
            setProgram(i);
            FxProgram program;
            if (!saveProgram(true, program, error))
            {
                return false;
            }
            result.programs.push_back(std::move(program));
        }
        if (numPrograms() > 0)
        {
            setProgram(result.currentProgram);
        }
    }
    bank = std::move(result);
    return true;
}

void PluginInstance::start()
{
    if (!running)
    {
        host.dispatch(effMainsChanged, 0, 1);
        host.dispatch(effStartProcess);
        running = true;
    }
}

void PluginInstance::stop()
{
    if (running)
    {
        host.dispatch(effStopProcess);
        host.dispatch(effMainsChanged, 0, 0);
        running = false;
    }
}

void PluginInstance::process(const std::vector<VstMidiEvent>& events, const VstTimeInfo& time,
                             float** outputs, int frames)
{
    AEffect* e = effect();
    timeInfo = time;
    host.setTimeInfo(&timeInfo);
    if (!events.empty())
    {
        // The events stay valid until the next block, as the interface promises plug-ins.
        eventStore = events;
        const std::size_t bytes =
            offsetof(VstEvents, events) + eventStore.size() * sizeof(VstEvent*);
        eventList.assign(std::max(bytes, sizeof(VstEvents)), 0);
        auto* list = reinterpret_cast<VstEvents*>(eventList.data());
        list->numEvents = static_cast<VstInt32>(eventStore.size());
        auto** slots = reinterpret_cast<VstEvent**>(eventList.data() + offsetof(VstEvents, events));
        for (std::size_t i = 0; i < eventStore.size(); ++i)
        {
            slots[i] = reinterpret_cast<VstEvent*>(&eventStore[i]);
        }
        host.dispatch(effProcessEvents, 0, 0, list, 0.0f);
    }
    for (int channel = 0; channel < e->numOutputs; ++channel)
    {
        std::fill(outputs[channel], outputs[channel] + frames, 0.0f);
    }
    float** inputs = inputPointers.empty() ? nullptr : inputPointers.data();
    if ((e->flags & effFlagsCanReplacing) != 0 && e->processReplacing != nullptr)
    {
        e->processReplacing(e, inputs, outputs, frames);
    }
    else if (e->process != nullptr)
    {
        e->process(e, inputs, outputs, frames);
    }
}
