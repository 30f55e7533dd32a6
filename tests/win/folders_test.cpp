// The program's folders: making paths, the run-folder scan, the test photo.
#include <gtest/gtest.h>

#include <vector>

#include "app/folders_win.h"
#include "common/folders_win.h"
#include "engine/run_folders_win.h"
#include "common/state.h"
#include "temp_folder.h"

TEST(MakeFolderPath, Results)
{
    TempFolder dir;
    ASSERT_TRUE(WriteBytes(dir / "file", "x"));
    struct Row {
        const char* rule;
        std::string path;
        int result;
    };
    const Row rows[] = {
        {"all parents missing: made", dir / "a\\b\\c", 1},
        {"there already", dir / "a\\b\\c", 2},
        {"a parent there already", dir / "a\\b\\d", 1},
        {"forward slashes", dir / "s/t/u", 1},
        {"one trailing line feed is dropped", dir / "lf\n", 1},
        {"a file in the way of a parent", dir / "file\\sub", 0},
        {"a file of that very name", dir / "file", 0},
    };
    for (const Row& row : rows) EXPECT_EQ(MakeFolderPath(row.path), row.result) << row.rule;
    for (const char* made : {"a\\b\\c", "a\\b\\d", "s\\t\\u", "lf"}) EXPECT_TRUE(IsDirectory(dir / made)) << made;
    EXPECT_TRUE(IsPlainFile(dir / "file"));
}

TEST(MakeFolderPath, RelativePathsGoUnderTheProgramFolder)
{
    std::string program;
    ASSERT_TRUE(ProgramFolder(program));
    EXPECT_NE(program.back(), '\\');
    EXPECT_TRUE(IsPlainFile(program + "\\win_tests.exe")) << program;

    // Run from elsewhere, so "relative to the current folder" would miss.
    TempFolder elsewhere;
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    SetCurrentDirectoryA(elsewhere.path().c_str());
    const std::string relative = "varbo-relative-" + std::to_string(GetCurrentProcessId());
    EXPECT_EQ(MakeFolderPath(relative + "\\inner"), 1);
    SetCurrentDirectoryA(current);
    EXPECT_TRUE(IsDirectory(program + "\\" + relative + "\\inner"));
    TempFolder::RemoveTree(program + "\\" + relative);
}

TEST(ShellFolders, DesktopAndMakerFolder)
{
    std::string desktop;
    ASSERT_TRUE(GetShellFolder("DeskTop", desktop));
    EXPECT_TRUE(IsDirectory(desktop)) << desktop;
    std::string untouched = "kept";
    EXPECT_FALSE(GetShellFolder("NoSuchShellFolder", untouched));
    EXPECT_EQ(untouched, "kept");

    std::string maker;
    EXPECT_TRUE(EnsureMakerFolder(maker));
    EXPECT_EQ(maker, "C:\\ProgramData\\Orvenda");
    EXPECT_TRUE(IsDirectory(maker));
}

// The scan on real folders, in whatever order the file system lists them.
TEST(RunFolderScan, Table)
{
    struct Row {
        const char* rule;
        std::vector<const char*> folders, files;
        int next;
        const char* name;
        const char* last;
    };
    const Row rows[] = {
        {"only pictures with long names", {}, {"long picture name.jpg"}, 1, "001", "000"},
        {"a gap after 002; 000 and abc do not matter", {"004", "000", "abc", "002", "001"}, {}, 3, "003", "002"},
        {"ten run folders", {"010", "009", "008", "007", "006", "005", "004", "003", "002", "001"}, {}, 11, "011", "010"},
        {"a file named 003 is stepped over and kept", {"001", "002"}, {"003"}, 4, "004", "002"},
    };
    const std::string savedOutput = Settings.Varbo_Photo;
    const FolderRecord savedFolders = Folders;
    for (const Row& row : rows) {
        TempFolder dir;
        for (const char* name : row.folders) CreateDirectoryA((dir / name).c_str(), nullptr);
        for (const char* name : row.files) WriteBytes(dir / name, "user's file");
        Settings.Varbo_Photo = dir.path();
        std::string name;
        EXPECT_EQ(ScanRunFolders(dir.path(), name), row.next) << row.rule;
        EXPECT_EQ(name, row.name) << row.rule;
        FindLastRunFolder();
        EXPECT_EQ(Folders.OutSubfolder, row.last) << row.rule;
        for (const char* file : row.files) EXPECT_EQ(ReadBytes(dir / file), "user's file") << row.rule;
    }
    TempFolder dir;
    WriteBytes(dir / "a file", "x");
    for (const std::string& output : {dir / "missing", dir / "a file"}) {
        Settings.Varbo_Photo = output;
        std::string name;
        EXPECT_EQ(ScanRunFolders(output, name), 0) << "cannot be searched: " << output;
        EXPECT_EQ(name, "001");
    }
    Settings.Varbo_Photo = savedOutput;
    Folders = savedFolders;
}

TEST(TestPicture, WrittenIsTheEmbeddedPhoto)
{
    const char* source = std::getenv("VARBO_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "CTest passes VARBO_SOURCE_DIR";
    const std::string photo = ReadBytes(std::string("Z:") + source + "/resources/test_photo.jpg");
    ASSERT_GT(photo.size(), 50000u);
    EXPECT_EQ(EmbeddedTestPicture(), photo);

    TempFolder dir;
    ASSERT_TRUE(WriteBytes(dir / "Test.jpg", "old"));
    ASSERT_TRUE(SetFileAttributesA((dir / "Test.jpg").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(WriteTestPicture(dir / "Test.jpg"));
    EXPECT_EQ(ReadBytes(dir / "Test.jpg"), photo);
    EXPECT_FALSE(WriteTestPicture(dir / "missing\\Test.jpg"));
    EXPECT_EQ(ListFolder(dir.path()), "Test.jpg");
}
