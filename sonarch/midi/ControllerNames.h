// The display texts of the 128 MIDI continuous controllers.
#pragma once

namespace Sonarch::Midi
{

constexpr int kControllerNameCount = 128;

// Text c is controller number c left-aligned in four characters, then the controller's name
// ("7   Volume (coarse)", "100 Registered Parameter (fine)"). The texts are the editor's own
// and are kept as they have always been shown, spellings included.
extern const char* const ControllerNames[kControllerNameCount];

} // namespace Sonarch::Midi
