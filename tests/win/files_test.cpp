// PathExists, OpenFileStream, WriteFileReplacing, and names beyond any 8-bit code page.
#include <gtest/gtest.h>

#include "app/folders_win.h"
#include "common/files_win.h"
#include "common/folders_win.h"
#include "temp_folder.h"

TEST(PathExists, DropsOneTrailingLineFeed)
{
    TempFolder dir;
    ASSERT_TRUE(WriteBytes(dir / "a.jpg", "x"));
    const std::string path = dir / "a.jpg\n";
    EXPECT_TRUE(PathExists(path));
    EXPECT_FALSE(PathExists(dir / "a.jpg\n\n"));
    EXPECT_TRUE(PathExists(dir.path()));
    EXPECT_FALSE(PathExists(dir / "b.jpg"));
}

TEST(OpenFileStream, WritingClearsReadOnlyHiddenAndSystem)
{
    TempFolder dir;
    const std::string path = dir / "locked.txt";
    for (const char* mode : {"w", "a", "wb"}) {
        ASSERT_TRUE(WriteBytes(path, "old"));
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
        FileStream f = OpenFileStream(path + "\n", mode);
        ASSERT_TRUE(f) << mode;
        EXPECT_EQ(GetFileAttributesA(path.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE)) << mode;
    }
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(OpenFileStream(path, "r"));
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) << "reading leaves them";
    EXPECT_FALSE(OpenFileStream(dir / "missing\\x.txt", "w"));
}

TEST(WriteFileReplacing, ReplacesWholeOrLeavesNothing)
{
    TempFolder dir;
    ASSERT_TRUE(WriteBytes(dir / "t.bin", "old contents"));
    ASSERT_TRUE(SetFileAttributesA((dir / "t.bin").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(WriteFileReplacing(dir / "t.bin", "new", 3));
    EXPECT_EQ(ReadBytes(dir / "t.bin"), "new");

    EXPECT_EQ(WriteFileReplacing(dir / "missing\\t.bin", "new", 3).error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    ASSERT_TRUE(CreateDirectoryA((dir / "folder").c_str(), nullptr));
    EXPECT_EQ(WriteFileReplacing(dir / "folder", "new", 3).error, static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "a folder in the way";
    EXPECT_EQ(ListFolder(dir.path()), "folder|t.bin") << "no partial file left behind";
}

TEST(UnicodeNames, WorkThroughTheAFunctions)
{
    ASSERT_EQ(GetACP(), 65001u) << "the test program carries the UTF-8 manifest";
    TempFolder dir;
    for (const std::string name : {"café été", "Фото ёлки", "😀 smile", "日本語"}) {
        const std::string folder = dir / name;
        EXPECT_EQ(MakeFolderPath(folder), 1) << name;
        const std::string file = folder + "\\" + name + ".jpg";
        {
            FileStream f = OpenFileStream(file, "wb");
            ASSERT_TRUE(f) << name;
            std::fputs("x", f.get());
        }
        EXPECT_TRUE(PathExists(file)) << name;
        // The name on disk is the real one, not one mangled through a code page.
        wchar_t wide[MAX_PATH];
        ASSERT_GT(MultiByteToWideChar(CP_UTF8, 0, file.c_str(), -1, wide, MAX_PATH), 0);
        EXPECT_NE(GetFileAttributesW(wide), INVALID_FILE_ATTRIBUTES) << name;
        EXPECT_EQ(ListFolder(folder), name + ".jpg");
    }
}

// Every file call the program makes, on a folder and a file past the classic
// 260 characters, and past 32767 units, where Wine would otherwise cut the
// path short and write a file of the cut name.
TEST(LongPaths, EveryFileCallTakesThemAndRefusesPastTheSystemsLimit)
{
    TempFolder dir;
    const std::string folder = DeepFolder(dir.path(), 300);
    EXPECT_EQ(MakeFolderPath(folder), 1);
    EXPECT_EQ(MakeFolderPath(folder), 2);
    EXPECT_TRUE(IsFolder(folder));
    EXPECT_EQ(ProbeEntry(folder), EntryKind::Folder);
    const std::string file = folder + "\\Фото 😀.jpg";
    EXPECT_EQ(ProbeEntry(file), EntryKind::Missing);
    ASSERT_TRUE(WriteFileReplacing(file, "bytes", 5));
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(file, bytes));
    EXPECT_EQ(bytes, "bytes");
    EXPECT_EQ(ProbeEntry(file), EntryKind::Other);
    {
        FileStream f = OpenFileStream(file, "ab");
        ASSERT_TRUE(f);
        std::fputs("+", f.get());
    }
    EXPECT_NE(GetFileAttributesW((L"\\\\?\\" + TempFolder::Wide(file)).c_str()), INVALID_FILE_ATTRIBUTES)
        << "the name on disk is the real one";
    EXPECT_TRUE(ReadFileBytes(file, bytes));
    EXPECT_EQ(bytes, "bytes+");

    const std::string tooLong = DeepFolder(folder, 33000);
    EXPECT_EQ(WriteFileReplacing(tooLong + "\\x.jpg", "x", 1).error, static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(ListFolder(folder), "Фото 😀.jpg") << "nothing made at a cut name";
    EXPECT_FALSE(PathExists(tooLong));
    EXPECT_EQ(MakeFolderPath(tooLong), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(ListFolder(folder), "Фото 😀.jpg") << "no half-made tree either";
}

// Only "not found" means free: a name the system refuses is neither free nor taken.
TEST(ProbeEntry, ANameTheSystemRefusesIsUnknown)
{
    TempFolder dir;
    EXPECT_EQ(ProbeEntry(dir / "none\\deeper"), EntryKind::Missing);
    EXPECT_EQ(ProbeEntry(dir / "bad<name"), EntryKind::Unknown);
}
