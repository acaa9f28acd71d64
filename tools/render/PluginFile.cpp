// Plug-in paths, the VST folders and the kind of a library file from its header.
#include "tools/render/PluginFile.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace
{

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char kPathSeparator = ';';
#else
constexpr char kPathSeparator = ':';
#endif

#ifndef _WIN32
// ELF machine numbers of the processors this tool is built for, and their names.
#if defined(__x86_64__) || defined(_M_X64)
constexpr unsigned kOwnMachine = 62;
#elif defined(__i386__) || defined(_M_IX86)
constexpr unsigned kOwnMachine = 3;
#elif defined(__aarch64__)
constexpr unsigned kOwnMachine = 183;
#else
constexpr unsigned kOwnMachine = 0; // unknown: the machine is not checked
#endif

std::string machineName(unsigned machine)
{
    switch (machine)
    {
    case 3:
        return "x86 (32-bit)";
    case 40:
        return "ARM (32-bit)";
    case 62:
        return "x86-64";
    case 183:
        return "AArch64";
    default:
        return "ELF machine " + std::to_string(machine);
    }
}
#endif

unsigned le16(const std::string& bytes, std::size_t at)
{
    return static_cast<unsigned char>(bytes[at]) |
           (static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8);
}

std::uint32_t le32(const std::string& bytes, std::size_t at)
{
    return le16(bytes, at) | (static_cast<std::uint32_t>(le16(bytes, at + 2)) << 16);
}

// The word size of a Windows DLL from its PE header: 32, 64, or 0 when it is not one.
int peBits(const std::string& bytes)
{
    if (bytes.size() < 0x40 || bytes.compare(0, 2, "MZ") != 0)
    {
        return 0;
    }
    const std::uint32_t pe = le32(bytes, 0x3C);
    if (pe > bytes.size() - 6 || bytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0)
    {
        return 0;
    }
    const unsigned machine = le16(bytes, pe + 4);
    return machine == 0x14C ? 32 : machine == 0x8664 || machine == 0xAA64 ? 64 : 0;
}

const char* ownBits()
{
    return sizeof(void*) == 8 ? "64" : "32";
}

} // namespace

std::vector<std::string> PluginFile::searchFolders()
{
    std::vector<std::string> folders;
    if (const char* list = std::getenv("VST_PATH"); list != nullptr)
    {
        std::string text = list;
        std::size_t start = 0;
        while (start <= text.size())
        {
            const std::size_t end = std::min(text.find(kPathSeparator, start), text.size());
            if (end > start)
            {
                folders.push_back(text.substr(start, end - start));
            }
            start = end + 1;
        }
    }
#ifndef _WIN32
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
    {
        folders.push_back((fs::path(home) / ".vst").string());
    }
    folders.push_back("/usr/local/lib/vst");
    folders.push_back("/usr/lib/vst");
#endif
    return folders;
}

bool PluginFile::locate(const std::string& given, std::string& path, std::string& foundIn,
                        std::string& error)
{
    foundIn.clear();
    std::error_code code;
    const bool bare = given.find_first_of("/\\") == std::string::npos;
    if (!bare || fs::exists(given, code))
    {
        path = fs::absolute(given, code).lexically_normal().string();
        if (code)
        {
            error = given + ": " + code.message();
            return false;
        }
        if (!fs::exists(path, code))
        {
            error = given + ": no such plug-in file";
            return false;
        }
        return true;
    }
    std::string searched = "the current folder";
    for (const std::string& folder : searchFolders())
    {
        const fs::path candidate = fs::path(folder) / given;
        if (fs::is_regular_file(candidate, code))
        {
            path = fs::absolute(candidate, code).lexically_normal().string();
            foundIn = folder;
            return true;
        }
        searched += ", " + folder;
    }
    error = given + ": no such plug-in file (looked in " + searched + ")";
    return false;
}

std::string PluginFile::whyNotLoadable(const std::string& path)
{
    std::error_code code;
    if (fs::is_directory(path, code))
    {
        return path + ": is a directory, not a plug-in file";
    }
    std::ifstream file(path, std::ios::binary);
    std::string bytes(4096, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    const bool elf = bytes.size() >= 20 && bytes.compare(0, 4,
                                                         "\x7f"
                                                         "ELF") == 0;
    const int dllBits = peBits(bytes);
#ifdef _WIN32
    if (elf)
    {
        return path + ": a Linux shared library; this Windows tool loads DLLs only (use "
                      "build/linux/bin/tavrel-render for .so plug-ins)";
    }
    if (dllBits != 0 && dllBits != static_cast<int>(sizeof(void*) * 8))
    {
        return path + ": a " + std::to_string(dllBits) + "-bit DLL; this tool is " + ownBits() +
               "-bit (use build/win" + std::to_string(dllBits) + "/bin/tavrel-render.exe)";
    }
    if (dllBits == 0)
    {
        return path + ": not a plug-in (not a Windows DLL)";
    }
#else
    if (dllBits != 0)
    {
        return path + ": a " + std::to_string(dllBits) +
               "-bit Windows DLL; this tool loads Linux .so plug-ins only. Render it with the "
               "Windows build of the tool under Wine: " +
               (dllBits == 64 ? "/usr/lib/wine/wine64" : "/usr/lib/wine/wine") + " build/win" +
               std::to_string(dllBits) + "/bin/tavrel-render.exe (scripts/build.sh win" +
               std::to_string(dllBits) + " builds it)";
    }
    if (!elf)
    {
        return path + ": not a plug-in (neither a shared library nor a Windows DLL)";
    }
    const int elfBits = bytes[4] == 1 ? 32 : bytes[4] == 2 ? 64 : 0;
    const unsigned machine = bytes[5] == 1 ? le16(bytes, 18) : 0;
    if (elfBits != static_cast<int>(sizeof(void*) * 8))
    {
        return path + ": a " + std::to_string(elfBits) + "-bit shared library; this tool is " +
               ownBits() + "-bit and loads " + ownBits() + "-bit plug-ins only";
    }
    if (kOwnMachine != 0 && machine != kOwnMachine)
    {
        return path + ": built for " + machineName(machine) + "; this tool runs on " +
               machineName(kOwnMachine);
    }
#endif
    return "";
}
