// Files without paths dropped on the real window's drop target, as a phone's
// folder in Explorer offers them: a data object of our own with descriptors
// and contents only. The real engine makes the pictures.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "common/files_win.h"
#include "common/messages.h"
#include "common/paths.h"
#include "common/state.h"
#include "engine/transform_win.h"
#include "offered_files_win.h"
#include "temp_folder.h"
#include "ui/batch_run_win.h"
#include "ui/main_window_win.h"
#include "ui/window_state.h"
#include "ui_test_window.h"

namespace {

constexpr uint64_t kWritten = 133000000000001234ull;  // a write time a sender gives

std::string SourceFile(const std::string& relative)
{
    const char* source = std::getenv("VARBO_SOURCE_DIR");
    std::string bytes;
    EXPECT_TRUE(source && ReadFileBytes(std::string("Z:") + source + "/" + relative, bytes)) << relative;
    return bytes;
}

class FilesWithoutPaths : public testing::Test {
protected:
    void SetUp() override
    {
        Settings = SettingsRecord{};
        Settings.iTrSaveFileName = 1;
        Settings.LastFile = "C:\\before\\a.jpg";
        Settings.LastDir = "C:\\before";
        Settings.Varbo_Photo = temp / "Varbo_Photo";
        CreateDirectoryA(Settings.Varbo_Photo.c_str(), nullptr);
        Folders = FolderRecord{};
        Folders.DataFolder = temp / "data";
        CreateDirectoryA(Folders.DataFolder.c_str(), nullptr);
        WindowState = WindowStateRecord{};
        BatchSeams seams;
        seams.workers = 2;
        seams.make = [this](const PictureJob& job, int) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            GetFileAttributesExA(job.source.c_str(), GetFileExInfoStandard, &data);
            const bool senderTime = data.ftLastWriteTime.dwLowDateTime == DWORD(kWritten) &&
                                    data.ftLastWriteTime.dwHighDateTime == DWORD(kWritten >> 32);
            const std::lock_guard<std::mutex> lock(mutex);
            made.push_back(FileNameOf(job.source) + (senderTime ? " with its time" : ""));
            return MakePicture(job);
        };
        // The copies on disk (by their inputs' places) as the writer saves a picture.
        seams.save = [this](const PictureJob& job, const std::vector<uint8_t>& jpeg) {
            copiesAtSave.push_back(ListFolder(Folders.DataFolder + "\\virtual.1"));
            return SavePicture(job, jpeg);
        };
        SetBatchSeams(seams);
        SetMessageBoxHook([this](const std::string& text, const std::string&, unsigned) {
            boxes.push_back(text);
            return kAnswerNo;
        });
    }
    void TearDown() override
    {
        SetBatchSeams({});
        SetMessageBoxHook(nullptr);
    }

    // Drops as OLE does, on client point `at`, and lets the window work until it lets go of the data object.
    DWORD Drop(std::vector<OfferedFile> files, POINT at = {200, 60})
    {
        auto* offered = new OfferedFiles(std::move(files), false);
        IDropTarget* target = MainWindowDropTarget(window.get());
        ClientToScreen(window.get(), &at);
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        target->DragEnter(offered, MK_LBUTTON, POINTL{at.x, at.y}, &effect);
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        target->Drop(offered, 0, POINTL{at.x, at.y}, &effect);
        const DWORD start = GetTickCount();
        for (MSG msg; offered->Count() > 1 && GetTickCount() - start < 20000;)
            if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        EXPECT_EQ(offered->Count(), 1u) << "the window let go of the sender's object";
        offered->Release();
        return effect;
    }

    ComApartment ole{ComApartment::Kind::OleWindowThread};
    TempFolder temp;
    TestMainWindow window;
    std::mutex mutex;
    std::vector<std::string> made, copiesAtSave, boxes;
};

TEST_F(FilesWithoutPaths, PicturesByTheirOwnNamesOneCopyEachAndNothingLeft)
{
    ASSERT_EQ(RegisterDragDrop(window.get(), MainWindowDropTarget(window.get())), DRAGDROP_E_ALREADYREGISTERED);
    std::vector<OfferedFile> files(3);
    files[0] = {L"DCIM\\100APPLE\\IMG_0002.HEIC", SourceFile("tests/data/heif/quarters.heic"), false, SIZE_MAX, false, kWritten};
    files[1] = {L"DCIM\\notes.txt", "not a picture"};
    files[2] = {L"Фото.jpg", SourceFile("resources/test_photo.jpg"), false, SIZE_MAX, true};

    EXPECT_EQ(Drop(files), DROPEFFECT_COPY) << "a copy, never a move";
    EXPECT_EQ(ListFolder(Settings.Varbo_Photo + "\\001"), "v901_IMG_0002.jpg|v901_Фото.jpg");
    std::sort(made.begin(), made.end());
    EXPECT_EQ(made, (std::vector<std::string>{"IMG_0002.HEIC with its time", "Фото.jpg"}))
        << "each made from a copy with the sender's name and write time";
    EXPECT_EQ(ListFolder(Folders.DataFolder), "") << "no copy is left";
    ASSERT_EQ(copiesAtSave.size(), 2u);
    EXPECT_EQ(copiesAtSave[1], "1") << "the copy being saved is there, the one saved before is gone";
    EXPECT_EQ(WindowState.iDoneFiles, 2);
    EXPECT_EQ(Settings.LastVarbo, Settings.Varbo_Photo + "\\001\\v901_Фото.jpg");
    EXPECT_EQ(Settings.LastFile, "C:\\before\\a.jpg") << "no source with a path";
    EXPECT_EQ(Settings.LastDir, "C:\\before");
}

TEST_F(FilesWithoutPaths, AStreamThatBreaksOffMakesNoPictureAndTheRunGoesOn)
{
    const std::string jpeg = SourceFile("resources/test_photo.jpg");
    std::vector<OfferedFile> files(3);
    files[0] = {L"a.jpg", jpeg};
    files[1] = {L"b.jpg", jpeg + std::string(4096, '\0'), false, jpeg.size()};  // what came would make a picture
    files[2] = {L"c.heic", SourceFile("tests/data/heif/quarters.heic")};
    Drop(files);
    EXPECT_EQ(ListFolder(Settings.Varbo_Photo + "\\001"), "v901_a.jpg|v901_c.jpg");
    EXPECT_EQ(ListFolder(Folders.DataFolder), "") << "no part of b.jpg stays";
    ASSERT_EQ(copiesAtSave.size(), 2u);
    EXPECT_EQ(copiesAtSave[1], "2") << "the broken copy went at once";
    EXPECT_EQ(WindowState.iDoneFiles, 2);
}

TEST_F(FilesWithoutPaths, OneOnTheLowerBandBecomesTheTestPhoto)
{
    const std::string jpeg = SourceFile("resources/test_photo.jpg");
    Drop({{L"DCIM\\new test.jpg", jpeg}}, {200, 157});
    EXPECT_TRUE(ReadBytes(Folders.DataFolder + "\\Test.jpg") == jpeg) << "the test photo is the file dropped";
    EXPECT_EQ(ListFolder(Folders.DataFolder), "Test.jpg");
    EXPECT_TRUE(made.empty()) << "no run";
    EXPECT_TRUE(boxes.empty());
}

} // namespace
