// Finding a plug-in file from what the user typed, and telling why a file cannot be loaded by
// this build before the system's loader gives its own terser reasons.
#pragma once

#include <string>
#include <vector>

namespace PluginFile
{

// The folders searched for a bare name that is not in the current folder, in order: each entry
// of VST_PATH (separated by ':', ';' on Windows), then ~/.vst, /usr/local/lib/vst and
// /usr/lib/vst (the last three on Linux only).
std::vector<std::string> searchFolders();

// Turns given into an absolute path. A name with a slash is a path, taken from the current
// folder when relative; a bare name is the file in the current folder, else the first match in
// searchFolders(), whose folder lands in foundIn (empty when no search was made). The loader is
// never given a bare name, so it cannot pick a system library of the same name.
bool locate(const std::string& given, std::string& path, std::string& foundIn, std::string& error);

// Why the file at path is no plug-in this build can load: a directory, a Windows DLL on Linux
// (or a Linux library on Windows), a library of another word size or processor, or no library at
// all; empty when it looks loadable. Reads only the file's first bytes.
std::string whyNotLoadable(const std::string& path);

} // namespace PluginFile
