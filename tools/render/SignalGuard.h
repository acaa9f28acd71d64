// What the render tool does on signals: SIGINT and SIGTERM ask the render to stop at the next
// block, so its partial file can be removed and the exit status can tell; a crash (a bad memory
// access, an illegal instruction, an abort) prints one line naming the plug-in being hosted,
// removes the partial file and then ends the process as the signal would have.
#pragma once

#include <string>

namespace SignalGuard
{

// Installs the handlers; the program calls it once (library users and tests do not).
void install();
// 0, or the signal that asked the render to stop.
int stopRequested();
// The plug-in named in a crash message and the partial file a crash removes (empty for none).
// Called outside the audio loop; the handlers read only what was set here.
void setContext(const std::string& pluginName, const std::string& partialPath);
// The name of a signal for messages ("SIGINT").
const char* signalName(int signal);

} // namespace SignalGuard
