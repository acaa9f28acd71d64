// Listing a folder for the file chooser, and resolving typed paths.
#include "sonarch/gui/FolderListing.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace Sonarch::Gui
{

namespace
{

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

std::vector<FolderEntry> listFolder(const std::string& folder, const std::string& extension)
{
    namespace fs = std::filesystem;
    std::vector<FolderEntry> folders;
    std::vector<FolderEntry> files;
    const std::string wanted = lowered(extension);
    std::error_code error;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error))
    {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.')
        {
            continue;
        }
        // is_directory follows links: a link to a folder is entered like one.
        std::error_code kindError;
        if (it->is_directory(kindError))
        {
            folders.push_back({name, true});
        }
        else if (name.size() > wanted.size() &&
                 lowered(name.substr(name.size() - wanted.size())) == wanted)
        {
            files.push_back({name, false});
        }
    }
    const auto byName = [](const FolderEntry& a, const FolderEntry& b)
    {
        const std::string left = lowered(a.name);
        const std::string right = lowered(b.name);
        return left != right ? left < right : a.name < b.name;
    };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    std::vector<FolderEntry> rows;
    if (fs::path(folder).has_relative_path())
    {
        rows.push_back({"..", true});
    }
    rows.insert(rows.end(), folders.begin(), folders.end());
    rows.insert(rows.end(), files.begin(), files.end());
    return rows;
}

std::string resolvePath(const std::string& folder, const std::string& text, const std::string& home)
{
    namespace fs = std::filesystem;
    fs::path path;
    if (!text.empty() && text[0] == '/')
    {
        path = text;
    }
    else if (text == "~" || text.rfind("~/", 0) == 0)
    {
        path = fs::path(home.empty() ? "/" : home) /
               text.substr(std::min<std::size_t>(2, text.size()));
    }
    else
    {
        path = fs::path(folder.empty() ? "/" : folder) / text;
    }
    std::string normal = path.lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
    {
        normal.pop_back();
    }
    return normal;
}

} // namespace Sonarch::Gui
