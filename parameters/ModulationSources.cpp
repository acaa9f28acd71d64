// The item texts of the modulation source selectors.
#include "parameters/ModulationSources.h"

const char* const kModulationSourceNames[kModulationSourceCount] = {"None", "LFO 1", "LFO 2",
                                                                    "Env 1", "Env 2"};
