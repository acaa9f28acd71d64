// Asking the desktop for a file to open, without blocking the user-interface thread.
#pragma once

#include "sonarch/gui/x11/Dialog.h"

#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>

namespace Sonarch::X11
{

// Runs a chooser program as a child process and reads the path it prints: the program named by
// TAVREL_FILE_CHOOSER (given the title and the pattern as its two arguments), else zenity, else
// kdialog, whichever the machine has. The owner polls it from its idle calls; nothing waits. Where
// none of them is found, or the program found fails, the owner opens the plug-in's own chooser
// (makeOwnFileChooser).
class FileChooser
{
public:
    enum class State
    {
        Running,
        Chosen,    // getPath() holds the file
        Cancelled, // the user cancelled: the program ended with status 0 or 1, naming no file
        Failed,    // the program crashed or ended with another status (it could not run)
    };

    FileChooser() = default;
    ~FileChooser();
    FileChooser(const FileChooser&) = delete;
    FileChooser& operator=(const FileChooser&) = delete;

    // Starts the chooser for files matching pattern ("*.fxb"); false when no chooser program
    // could be started.
    bool start(const char* title, const char* pattern);
    bool isRunning() const { return child > 0; }
    // Takes what the program printed so far; the state once it ended.
    State poll();
    const std::string& getPath() const { return path; }

private:
    pid_t child = -1;
    int output = -1;
    std::string path;
};

// The plug-in's own chooser, a dialog over the window `over`: the folder's path, its sub-folders
// and its files ending in extension (".fxb"), and a line for a typed path. Enter, Open or a double
// click enters a folder or picks a file (the typed path, else the selected row); typed paths are
// relative to the folder shown, or absolute, or under "~". It opens in the folder of the last file
// picked, else the working folder. chosen gets the picked file's path; Cancel calls nothing.
std::unique_ptr<Dialog> makeOwnFileChooser(const XLibraries& libraries, Display* display,
                                           Window over, const char* title,
                                           const std::string& extension,
                                           std::function<void(const std::string& path)> chosen);

} // namespace Sonarch::X11
