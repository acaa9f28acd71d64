// What the plug-in's own file chooser shows of a folder, and how it reads a typed path: portable,
// so that it is tested without a display.
#pragma once

#include <string>
#include <vector>

namespace Sonarch::Gui
{

struct FolderEntry
{
    std::string name;
    bool isFolder;
};

// The rows of folder: ".." first (except at the root), then the sub-folders, then the files whose
// name ends in extension (".fxb", compared without case), each group sorted by name without case.
// Hidden entries (a leading dot) are left out. A folder that cannot be read lists ".." alone.
std::vector<FolderEntry> listFolder(const std::string& folder, const std::string& extension);

// The absolute, lexically normal path that text names when typed in folder: "/..." as it is,
// "~" and "~/..." under home, anything else relative to folder; "." and ".." resolved, no
// trailing slash (except the root itself). Empty text names folder.
std::string resolvePath(const std::string& folder, const std::string& text,
                        const std::string& home);

} // namespace Sonarch::Gui
