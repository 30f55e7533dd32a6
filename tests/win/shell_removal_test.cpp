// Removal of the program's files and verbs, against Wine's file system and registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/messages.h"
#include "shell/removal_win.h"
#include "shell/verbs.h"
#include "shell/verbs_win.h"
#include "shell_registry.h"
#include "temp_folder.h"

using namespace shelltest;

namespace {

DWORD Attributes(const std::string& path)
{
    return GetFileAttributesA(path.c_str());
}

int CountFiles(const std::string& folder)
{
    const std::string names = ListFolder(folder);
    if (names.empty()) return 0;
    int n = 1;
    for (char c : names) n += c == '|';
    return n;
}

} // namespace

TEST(ClearAttributes, MakesAFilePlainArchive)
{
    TempFolder dir;
    ASSERT_TRUE(WriteBytes(dir / "locked.txt", "x"));
    ASSERT_TRUE(SetFileAttributesA((dir / "locked.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_TRUE(ClearAttributes(dir / "locked.txt\n")) << "one trailing line feed is dropped";
    EXPECT_EQ(Attributes(dir / "locked.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));

    EXPECT_FALSE(ClearAttributes(dir / "missing.txt"));
}

TEST(DeleteFolderFiles, FilesGoThenTheFolder)
{
    TempFolder dir;
    const std::string data = dir / "Varbo";
    ASSERT_TRUE(CreateDirectoryA(data.c_str(), nullptr));
    const char* const names[] = {"varbo.vars", "varbo_text.txt", "DropFolderList.txt", "Test0.jpg", "Фото 😀.jpg", "no extension"};
    for (const char* name : names) ASSERT_TRUE(WriteBytes(data + "\\" + name, "x")) << name;
    ASSERT_TRUE(SetFileAttributesA((data + "\\Test0.jpg").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA((data + "\\varbo.vars").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));

    EXPECT_TRUE(DeleteFolderFiles(data + "\n")) << "one trailing line feed is dropped";
    EXPECT_EQ(Attributes(data), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(DeleteFolderFiles(data)) << "nothing there: nothing done";
}

TEST(DeleteFolderFiles, SubfoldersStayAndKeepTheFolder)
{
    TempFolder dir;
    const std::string data = dir / "Varbo";
    ASSERT_TRUE(CreateDirectoryA(data.c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(data + "\\varbo.vars", "x"));
    ASSERT_TRUE(CreateDirectoryA((data + "\\Mine").c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(data + "\\Mine\\keep.jpg", "keep"));

    EXPECT_FALSE(DeleteFolderFiles(data));
    EXPECT_EQ(ListFolder(data), "Mine");
    EXPECT_EQ(ReadBytes(data + "\\Mine\\keep.jpg"), "keep");
}

// "." and ".." count among the 1001 entries looked at: of 1100 files, 999 go.
TEST(DeleteFolderFiles, LooksAtNoMoreThan1001Entries)
{
    TempFolder dir;
    const std::string data = dir / "many";
    ASSERT_TRUE(CreateDirectoryA(data.c_str(), nullptr));
    for (int i = 0; i < 1100; ++i) ASSERT_TRUE(WriteBytes(data + "\\f" + std::to_string(i), ""));
    EXPECT_FALSE(DeleteFolderFiles(data));
    EXPECT_EQ(CountFiles(data), 101);
}

class Removal : public testing::Test {
protected:
    void SetUp() override
    {
        SetMessageBoxHook([this](const std::string& text, const std::string& caption, unsigned style) {
            asked.push_back(caption + "|" + text + "|" + std::to_string(style));
            return answer;
        });
        ASSERT_TRUE(CreateDirectoryA(data.c_str(), nullptr));
        ASSERT_TRUE(WriteBytes(data + "\\varbo.vars", "1.[901] MaxPix"));
        ASSERT_TRUE(WriteBytes(data + "\\Test.jpg", "jpg"));
        ASSERT_TRUE(CreateDirectoryA((data + "\\Sub").c_str(), nullptr));
        ASSERT_TRUE(WriteBytes(data + "\\Sub\\mine.txt", "mine"));
        RegisterShellVerb(kVerbName, "\"varbo.exe\"");
        ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, VerbCommandKeyPath("jpegfile", kOldVerbName), "", "old.exe"));
        ASSERT_TRUE(RawWrite(HKEY_LOCAL_MACHINE, VerbCommandKeyPath("pngfile", kOldVerbName), "", "old.exe"));
    }
    // The Windows tests run in a Wine prefix of their own (build/win/wine-tests),
    // so the verb removed here is never the one `make run` registered.
    void TearDown() override
    {
        SetMessageBoxHook(nullptr);
        UnregisterShellVerb(kVerbName);
        UnregisterShellVerb(kOldVerbName);
    }
    bool AnyVerbLeft() const
    {
        for (const char* c : kPictureClasses)
            for (const char* verb : {kVerbName, kOldVerbName})
                if (KeyExists(HKEY_CURRENT_USER, VerbKeyPath(c, verb)) || KeyExists(HKEY_LOCAL_MACHINE, VerbKeyPath(c, verb))) return true;
        return false;
    }
    TempFolder dir;
    const std::string data = dir / "Varbo";
    std::vector<std::string> asked;
    int answer = kAnswerNo;
};

TEST_F(Removal, NoChangesNothing)
{
    EXPECT_FALSE(RemoveProgramFiles(data));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "Вопрос|Будут удалены служебные файлы Варбо      \nи записи в реестре Windows.\nФотографии останутся. \n\nХотите продолжить?|"
                        + std::to_string(0x40024));
    EXPECT_EQ(ListFolder(data), "Sub|Test.jpg|varbo.vars");
    EXPECT_EQ(RawRead(HKEY_CURRENT_USER, VerbCommandKeyPath("emffile", kVerbName)).substr(0, 1), "\"");
    EXPECT_EQ(RawRead(HKEY_LOCAL_MACHINE, VerbCommandKeyPath("pngfile", kOldVerbName)), "old.exe");
}

TEST_F(Removal, YesRemovesVerbsAndFilesButNotSubfolders)
{
    answer = kAnswerYes;
    EXPECT_TRUE(RemoveProgramFiles(data));
    EXPECT_FALSE(AnyVerbLeft());
    EXPECT_EQ(ListFolder(data), "Sub");
    EXPECT_EQ(ReadBytes(data + "\\Sub\\mine.txt"), "mine");
}

TEST_F(Removal, AMissingDataFolderStillRemovesTheVerbs)
{
    answer = kAnswerYes;
    EXPECT_TRUE(RemoveProgramFiles(dir / "NoSuchFolder"));
    EXPECT_FALSE(AnyVerbLeft());
}
