// Asking the desktop for a file to open, without blocking the user-interface thread.
#pragma once

#include <string>
#include <sys/types.h>

namespace Sonarch::X11
{

// Runs a chooser program as a child process and reads the path it prints: the program named by
// TAVREL_FILE_CHOOSER (given the title and the pattern as its two arguments), else zenity, else
// kdialog, whichever the machine has. The owner polls it from its idle calls; nothing waits.
class FileChooser
{
public:
    enum class State
    {
        Running,
        Chosen,    // getPath() holds the file
        Cancelled, // the user cancelled, or the program failed
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

} // namespace Sonarch::X11
