// Finding a carried file by its name.
#include "instrument/x11/EmbeddedFiles.h"

#include <string_view>

const EmbeddedFile* findEmbeddedFile(const char* fileName)
{
    if (fileName == nullptr)
    {
        return nullptr;
    }
    for (int i = 0; i < kEmbeddedFileCount; ++i)
    {
        if (std::string_view(kEmbeddedFiles[i].fileName) == fileName)
        {
            return &kEmbeddedFiles[i];
        }
    }
    return nullptr;
}
