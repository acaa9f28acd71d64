// The editor's images carried inside the Linux plug-in, as the files' own bytes.
#pragma once

#include <cstddef>

struct EmbeddedFile
{
    const char* fileName; // the file's name in instrument/resources
    const unsigned char* bytes;
    std::size_t size;
};

// Generated at build time from the images the panel draws.
extern const EmbeddedFile kEmbeddedFiles[];
extern const int kEmbeddedFileCount;

// The entry of a file name, or null.
const EmbeddedFile* findEmbeddedFile(const char* fileName);
