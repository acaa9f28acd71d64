// What the synthesizer tells the plug-in object about itself.
#pragma once

#include <cstdint>

struct PluginInfo
{
    std::int32_t uniqueID = 0;
    char effectName[32] = {};
    char vendor[64] = {};
    char product[64] = {};
    std::int32_t version = 0;
};
