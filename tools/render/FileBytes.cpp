// Whole-file reads and writes with stdio.
#include "tools/render/FileBytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

bool readFileBytes(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes,
                   std::string& error)
{
    std::error_code code;
    if (std::filesystem::is_directory(path, code))
    {
        error = path + ": is a directory";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
    {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    bytes.clear();
    std::uint8_t buffer[65536];
    bool ok = true;
    for (;;)
    {
        const std::size_t got = std::fread(buffer, 1, sizeof(buffer), file);
        if (got == 0)
        {
            if (std::ferror(file) != 0)
            {
                error = path + ": read error";
                ok = false;
            }
            break;
        }
        if (bytes.size() + got > maxBytes)
        {
            error = path + ": larger than " + std::to_string(maxBytes >> 20) + " MB";
            ok = false;
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    std::fclose(file);
    return ok;
}

bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    std::string& error)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
    {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    const bool written =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
    {
        error = path + ": write failed";
        std::remove(path.c_str());
        return false;
    }
    return true;
}
