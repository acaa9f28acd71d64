// Parsing and writing of .fxp and .fxb files, big-endian throughout.
#include "tools/render/FxPreset.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

constexpr VstInt32 kChunkMagic = vstFourCc('C', 'c', 'n', 'K');
constexpr VstInt32 kProgramParams = vstFourCc('F', 'x', 'C', 'k');
constexpr VstInt32 kProgramChunk = vstFourCc('F', 'P', 'C', 'h');
constexpr VstInt32 kBankParams = vstFourCc('F', 'x', 'B', 'k');
constexpr VstInt32 kBankChunk = vstFourCc('F', 'B', 'C', 'h');

constexpr std::size_t kProgramHeader = 56; // up to the parameter values or the chunk size
constexpr std::size_t kProgramNameBytes = 28;
constexpr std::size_t kBankHeader = 156; // up to the programs or the chunk size

VstInt32 get32(const std::uint8_t* p)
{
    return static_cast<VstInt32>((static_cast<std::uint32_t>(p[0]) << 24) |
                                 (static_cast<std::uint32_t>(p[1]) << 16) |
                                 (static_cast<std::uint32_t>(p[2]) << 8) | p[3]);
}

void put32(std::vector<std::uint8_t>& out, VstInt32 value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        out.push_back(static_cast<std::uint8_t>((bits >> shift) & 0xFF));
    }
}

void putFloat(std::vector<std::uint8_t>& out, float value)
{
    VstInt32 bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    put32(out, bits);
}

float getFloat(const std::uint8_t* p)
{
    const VstInt32 bits = get32(p);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

std::string fourCc(VstInt32 value)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const char c = static_cast<char>((static_cast<std::uint32_t>(value) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

// The byteSize field covers everything after itself; extent is the record's whole length.
bool checkExtent(const std::uint8_t* data, std::size_t size, std::size_t minimum,
                 std::size_t& extent, std::string& error)
{
    const VstInt32 byteSize = get32(data + 4);
    if (byteSize < 0 || static_cast<std::size_t>(byteSize) + 8 < minimum)
    {
        error = "damaged: record size " + std::to_string(byteSize) + " is impossible";
        return false;
    }
    extent = static_cast<std::size_t>(byteSize) + 8;
    if (extent > size)
    {
        error = "truncated: record of " + std::to_string(extent) + " bytes, " +
                std::to_string(size) + " present";
        return false;
    }
    return true;
}

} // namespace

bool FxPreset::readProgram(const std::uint8_t* data, std::size_t size, FxProgram& program,
                           std::string& error, std::size_t* used)
{
    if (size < 4 || get32(data) != kChunkMagic)
    {
        error = "not a VST preset (no 'CcnK' magic)";
        return false;
    }
    if (size < kProgramHeader)
    {
        error = "truncated program header";
        return false;
    }
    const VstInt32 magic = get32(data + 8);
    if (magic != kProgramParams && magic != kProgramChunk)
    {
        error = "'";
        error += fourCc(magic) + "' is not a program ('FxCk' or 'FPCh' expected)";
        return false;
    }
    std::size_t extent = 0;
    if (!checkExtent(data, size, kProgramHeader + (magic == kProgramChunk ? 4 : 0), extent, error))
    {
        return false;
    }
    FxProgram result;
    result.isChunk = magic == kProgramChunk;
    result.fxID = get32(data + 16);
    result.fxVersion = get32(data + 20);
    result.numParams = get32(data + 24);
    const char* name = reinterpret_cast<const char*>(data + 28);
    result.name.assign(name, std::find(name, name + kProgramNameBytes, '\0'));
    if (result.numParams < 0)
    {
        error = "damaged: " + std::to_string(result.numParams) + " parameters";
        return false;
    }
    if (result.isChunk)
    {
        const VstInt32 chunkSize = get32(data + kProgramHeader);
        if (chunkSize < 0 || static_cast<std::size_t>(chunkSize) > extent - kProgramHeader - 4)
        {
            error = "damaged: chunk of " + std::to_string(chunkSize) + " bytes in a record of " +
                    std::to_string(extent);
            return false;
        }
        const std::uint8_t* chunk = data + kProgramHeader + 4;
        result.chunk.assign(chunk, chunk + chunkSize);
    }
    else
    {
        const std::size_t count = static_cast<std::size_t>(result.numParams);
        if (count > (extent - kProgramHeader) / 4)
        {
            error = "damaged: " + std::to_string(count) + " parameters do not fit a record of " +
                    std::to_string(extent) + " bytes";
            return false;
        }
        result.params.resize(count);
        for (std::size_t i = 0; i < count; ++i)
        {
            const float value = getFloat(data + kProgramHeader + 4 * i);
            if (!(value >= 0.0f && value <= 1.0f))
            {
                error = "damaged: parameter " + std::to_string(i) + " has value " +
                        std::to_string(static_cast<double>(value)) + " (0..1 expected)";
                return false;
            }
            result.params[i] = value;
        }
    }
    program = std::move(result);
    if (used != nullptr)
    {
        *used = extent;
    }
    return true;
}

bool FxPreset::readBank(const std::vector<std::uint8_t>& bytes, FxBank& bank, std::string& error)
{
    const std::uint8_t* data = bytes.data();
    const std::size_t size = bytes.size();
    if (size < 4 || get32(data) != kChunkMagic)
    {
        error = "not a VST bank (no 'CcnK' magic)";
        return false;
    }
    if (size < kBankHeader)
    {
        error = "truncated bank header";
        return false;
    }
    const VstInt32 magic = get32(data + 8);
    if (magic != kBankParams && magic != kBankChunk)
    {
        error = "'";
        error += fourCc(magic) + "' is not a bank ('FxBk' or 'FBCh' expected)";
        return false;
    }
    std::size_t extent = 0;
    if (!checkExtent(data, size, kBankHeader + (magic == kBankChunk ? 4 : 0), extent, error))
    {
        return false;
    }
    FxBank result;
    result.isChunk = magic == kBankChunk;
    result.version = get32(data + 12);
    result.fxID = get32(data + 16);
    result.fxVersion = get32(data + 20);
    result.numPrograms = get32(data + 24);
    result.currentProgram = result.version >= 2 ? get32(data + 28) : 0;
    if (result.numPrograms < 0)
    {
        error = "damaged: " + std::to_string(result.numPrograms) + " programs";
        return false;
    }
    if (result.isChunk)
    {
        const VstInt32 chunkSize = get32(data + kBankHeader);
        if (chunkSize < 0 || static_cast<std::size_t>(chunkSize) > extent - kBankHeader - 4)
        {
            error = "damaged: chunk of " + std::to_string(chunkSize) + " bytes in a bank of " +
                    std::to_string(extent);
            return false;
        }
        const std::uint8_t* chunk = data + kBankHeader + 4;
        result.chunk.assign(chunk, chunk + chunkSize);
    }
    else
    {
        // Each program record takes at least its 56-byte header: a count that cannot fit is
        // refused before anything is allocated for it.
        const auto count = static_cast<std::size_t>(result.numPrograms);
        if (count > (extent - kBankHeader) / kProgramHeader)
        {
            error = "damaged: " + std::to_string(count) + " programs do not fit a bank of " +
                    std::to_string(extent) + " bytes";
            return false;
        }
        std::size_t offset = kBankHeader;
        result.programs.resize(count);
        for (std::size_t i = 0; i < count; ++i)
        {
            std::size_t used = 0;
            if (!readProgram(data + offset, extent - offset, result.programs[i], error, &used))
            {
                error = "program " + std::to_string(i) + ": " + error;
                return false;
            }
            if (result.programs[i].isChunk)
            {
                error = "program " + std::to_string(i) + ": a chunk inside a parameter bank";
                return false;
            }
            offset += used;
        }
    }
    bank = std::move(result);
    return true;
}

std::vector<std::uint8_t> FxPreset::writeProgram(const FxProgram& program)
{
    std::vector<std::uint8_t> out;
    put32(out, kChunkMagic);
    const std::size_t body = program.isChunk ? 4 + program.chunk.size() : 4 * program.params.size();
    put32(out, static_cast<VstInt32>(kProgramHeader - 8 + body));
    put32(out, program.isChunk ? kProgramChunk : kProgramParams);
    put32(out, 1);
    put32(out, program.fxID);
    put32(out, program.fxVersion);
    put32(out, program.isChunk ? program.numParams : static_cast<VstInt32>(program.params.size()));
    char name[kProgramNameBytes] = {};
    std::memcpy(name, program.name.data(), std::min(program.name.size(), kProgramNameBytes - 1));
    out.insert(out.end(), name, name + kProgramNameBytes);
    if (program.isChunk)
    {
        put32(out, static_cast<VstInt32>(program.chunk.size()));
        out.insert(out.end(), program.chunk.begin(), program.chunk.end());
    }
    else
    {
        for (float value : program.params)
        {
            putFloat(out, value);
        }
    }
    return out;
}

std::vector<std::uint8_t> FxPreset::writeBank(const FxBank& bank)
{
    std::vector<std::uint8_t> body;
    if (bank.isChunk)
    {
        put32(body, static_cast<VstInt32>(bank.chunk.size()));
        body.insert(body.end(), bank.chunk.begin(), bank.chunk.end());
    }
    else
    {
        for (const FxProgram& program : bank.programs)
        {
            FxProgram record = program;
            record.isChunk = false;
            const std::vector<std::uint8_t> bytes = writeProgram(record);
            body.insert(body.end(), bytes.begin(), bytes.end());
        }
    }
    std::vector<std::uint8_t> out;
    put32(out, kChunkMagic);
    put32(out, static_cast<VstInt32>(kBankHeader - 8 + body.size()));
    put32(out, bank.isChunk ? kBankChunk : kBankParams);
    put32(out, 2);
    put32(out, bank.fxID);
    put32(out, bank.fxVersion);
    put32(out, bank.isChunk ? bank.numPrograms : static_cast<VstInt32>(bank.programs.size()));
    put32(out, bank.currentProgram);
    out.resize(kBankHeader, 0); // future[124]
    out.insert(out.end(), body.begin(), body.end());
    return out;
}
