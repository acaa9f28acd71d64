// The own file chooser's rows of a real folder, and the paths typed into it.
#include "sonarch/gui/FolderListing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using Sonarch::Gui::listFolder;
using Sonarch::Gui::resolvePath;

namespace
{

TEST(FolderListingTest, ListsParentThenFoldersThenMatchingFilesEachSortedWithoutCase)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "tavrel-folder-listing";
    fs::remove_all(folder);
    for (const char* name : {"beta", "Alpha", ".hidden-folder"})
    {
        fs::create_directories(folder / name);
    }
    for (const char* name : {"b.fxb", "A.FXB", "c.fxp", "fxb", ".hidden.fxb", "notes.txt"})
    {
        std::ofstream(folder / name) << "x";
    }
    std::string rows;
    for (const auto& entry : listFolder(folder.string(), ".fxb"))
    {
        rows += entry.name + (entry.isFolder ? "/ " : " ");
    }
    EXPECT_EQ(rows, "../ Alpha/ beta/ A.FXB b.fxb ");
    fs::remove_all(folder);

    // A folder that cannot be read still leads back up; the root has no parent.
    ASSERT_EQ(listFolder((folder / "missing").string(), ".fxb").size(), 1u);
    for (const auto& entry : listFolder("/", ".fxb"))
    {
        EXPECT_NE(entry.name, "..");
    }
}

TEST(FolderListingTest, ResolvesTypedPathsAgainstTheFolderShown)
{
    struct Case
    {
        const char* typed;
        const char* expected;
    };
    const Case cases[] = {
        {"", "/home/user/banks"},
        {"pads.fxb", "/home/user/banks/pads.fxb"},
        {"..", "/home/user"},
        {"../other/./x.fxb", "/home/user/other/x.fxb"},
        {"/tmp/a.fxb", "/tmp/a.fxb"},
        {"/tmp/sub/", "/tmp/sub"},
        {"/../..", "/"},
        {"~", "/home/user"},
        {"~/b.fxb", "/home/user/b.fxb"},
        {"~x.fxb", "/home/user/banks/~x.fxb"},
    };
    for (const Case& test : cases)
    {
        EXPECT_EQ(resolvePath("/home/user/banks", test.typed, "/home/user"), test.expected)
            << test.typed;
    }
}

} // namespace
