// VST program (.fxp) and bank (.fxb) files: the records and their byte layouts.
#pragma once

#include "vst/VstAbi.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One program: either a list of normalised parameter values ('FxCk') or an opaque chunk
// that only the plug-in understands ('FPCh').
struct FxProgram
{
    bool isChunk = false;
    VstInt32 fxID = 0;      // the plug-in's unique ID
    VstInt32 fxVersion = 0; // the plug-in's version
    VstInt32 numParams = 0;
    std::string name; // at most 27 characters are stored
    std::vector<float> params;
    std::vector<std::uint8_t> chunk;
};

// A bank: programs as parameter lists ('FxBk') or one opaque chunk ('FBCh').
struct FxBank
{
    bool isChunk = false;
    VstInt32 version = 2; // 2 carries currentProgram, 1 does not
    VstInt32 fxID = 0;
    VstInt32 fxVersion = 0;
    VstInt32 numPrograms = 0;
    VstInt32 currentProgram = 0;
    std::vector<FxProgram> programs; // numPrograms of them, for 'FxBk'
    std::vector<std::uint8_t> chunk; // for 'FBCh'
};

// The readers check every size against the bytes present before reading: a file that is
// truncated, has the wrong magic, declares negative or impossible counts or sizes, or holds
// non-finite or out-of-range (outside 0..1) parameter values is refused with a message.
class FxPreset
{
public:
    static constexpr std::size_t kMaxFileBytes = 64u << 20;

    // Reads a program record from data[0..size); used gets the bytes the record occupies.
    static bool readProgram(const std::uint8_t* data, std::size_t size, FxProgram& program,
                            std::string& error, std::size_t* used = nullptr);
    static bool readBank(const std::vector<std::uint8_t>& bytes, FxBank& bank, std::string& error);

    static std::vector<std::uint8_t> writeProgram(const FxProgram& program);
    static std::vector<std::uint8_t> writeBank(const FxBank& bank);
};
