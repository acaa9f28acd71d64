// The desktop's file chooser as a child process, and the plug-in's own where there is none.
#include "sonarch/gui/x11/FileChooser.h"

#include "sonarch/gui/FolderListing.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace Sonarch::X11
{

namespace
{

// Whether a program of that name lies on the PATH.
bool onPath(const std::string& name)
{
    const char* pathVariable = std::getenv("PATH");
    std::string paths = pathVariable != nullptr ? pathVariable : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= paths.size())
    {
        const std::size_t end = paths.find(':', start);
        const std::string folder =
            paths.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!folder.empty() && access((folder + "/" + name).c_str(), X_OK) == 0)
        {
            return true;
        }
        if (end == std::string::npos)
        {
            break;
        }
        start = end + 1;
    }
    return false;
}

} // namespace

FileChooser::~FileChooser()
{
    if (child > 0)
    {
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
    if (output >= 0)
    {
        close(output);
    }
}

bool FileChooser::start(const char* title, const char* pattern)
{
    if (child > 0)
    {
        return false;
    }
    path.clear();
    std::vector<std::string> arguments;
    const char* own = std::getenv("TAVREL_FILE_CHOOSER");
    if (own != nullptr && *own != '\0')
    {
        arguments = {own, title, pattern};
    }
    else if (onPath("zenity"))
    {
        arguments = {"zenity", "--file-selection", std::string("--title=") + title,
                     std::string("--file-filter=") + pattern};
    }
    else if (onPath("kdialog"))
    {
        arguments = {"kdialog", "--title", title, "--getopenfilename", ".", pattern};
    }
    else
    {
        return false;
    }
    int pipeEnds[2] = {-1, -1};
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
    {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
    {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t started = -1;
    const int result = posix_spawnp(&started, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (result != 0)
    {
        close(pipeEnds[0]);
        return false;
    }
    fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
    child = started;
    output = pipeEnds[0];
    return true;
}

FileChooser::State FileChooser::poll()
{
    if (child <= 0)
    {
        return State::Cancelled;
    }
    char buffer[512];
    for (;;)
    {
        const ssize_t count = read(output, buffer, sizeof(buffer));
        if (count > 0)
        {
            path.append(buffer, static_cast<std::size_t>(count));
            continue;
        }
        break;
    }
    int status = 0;
    const pid_t ended = waitpid(child, &status, WNOHANG);
    if (ended == 0)
    {
        return State::Running;
    }
    // The rest of the output after the program's end.
    for (;;)
    {
        const ssize_t count = read(output, buffer, sizeof(buffer));
        if (count <= 0)
        {
            break;
        }
        path.append(buffer, static_cast<std::size_t>(count));
    }
    close(output);
    output = -1;
    child = -1;
    while (!path.empty() && (path.back() == '\n' || path.back() == '\r'))
    {
        path.pop_back();
    }
    // zenity and kdialog end with 1 when cancelled; anything else is a program that did not run
    // (127: not executable, a library missing; a signal: a crash).
    const bool exited = ended > 0 && WIFEXITED(status);
    if (!exited || WEXITSTATUS(status) > 1)
    {
        return State::Failed;
    }
    return WEXITSTATUS(status) == 0 && !path.empty() ? State::Chosen : State::Cancelled;
}

} // namespace Sonarch::X11

namespace Sonarch::X11
{

namespace
{

// The folder of the last file picked in the own chooser (user-interface thread only).
std::string lastFolder;

struct OwnChooser
{
    std::string folder;
    std::string extension;
    std::string home;
    std::vector<Gui::FolderEntry> rows;
    std::string picked;

    // The rows as shown: a folder's name ends in '/'.
    std::vector<std::string> rowTexts()
    {
        rows = Gui::listFolder(folder, extension);
        std::vector<std::string> texts;
        for (const Gui::FolderEntry& row : rows)
        {
            texts.push_back(row.isFolder && row.name != ".." ? row.name + "/" : row.name);
        }
        return texts;
    }
};

std::string startFolder()
{
    std::error_code error;
    if (!lastFolder.empty() && std::filesystem::is_directory(lastFolder, error))
    {
        return lastFolder;
    }
    char working[4096];
    if (getcwd(working, sizeof(working)) != nullptr)
    {
        return working;
    }
    const char* home = std::getenv("HOME");
    return home != nullptr && *home == '/' ? home : "/";
}

} // namespace

std::unique_ptr<Dialog> makeOwnFileChooser(const XLibraries& libraries, Display* display,
                                           Window over, const char* title,
                                           const std::string& extension,
                                           std::function<void(const std::string& path)> chosen)
{
    auto state = std::make_shared<OwnChooser>();
    state->folder = startFolder();
    state->extension = extension;
    const char* home = std::getenv("HOME");
    state->home = home != nullptr ? home : "";
    auto dialog = std::make_unique<Dialog>(libraries, display, over, title, state->folder.c_str(),
                                           state->rowTexts(), 0, Dialog::kOpenCancel,
                                           [state, chosen](bool ok, int)
                                           {
                                               if (ok && !state->picked.empty() && chosen)
                                               {
                                                   chosen(state->picked);
                                               }
                                           });
    dialog->setAccept(
        [state](Dialog& shown, int selection, const std::string& text)
        {
            const bool onRow = text.empty();
            if (onRow && (selection < 0 || selection >= static_cast<int>(state->rows.size())))
            {
                return false;
            }
            const std::string target = Gui::resolvePath(
                state->folder, onRow ? state->rows[static_cast<std::size_t>(selection)].name : text,
                state->home);
            std::error_code error;
            if (std::filesystem::is_directory(target, error))
            {
                state->folder = target;
                shown.setMessage(state->folder);
                shown.setList(state->rowTexts(), 0);
                shown.setText("");
                return false;
            }
            if (!std::filesystem::is_regular_file(target, error))
            {
                shown.setMessage("No such file: " + target);
                return false;
            }
            state->picked = target;
            lastFolder = std::filesystem::path(target).parent_path().string();
            return true;
        });
    return dialog;
}

} // namespace Sonarch::X11
