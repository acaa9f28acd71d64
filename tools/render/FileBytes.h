// Reading and writing whole files as bytes, with size limits and clear messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads the file into bytes; refuses a missing or unreadable file, a directory, and a file
// larger than maxBytes. The message names the path.
bool readFileBytes(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes,
                   std::string& error);

// Writes bytes to the file, replacing it; a failed or short write is reported, not hidden.
bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    std::string& error);
