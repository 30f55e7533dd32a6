// The batch run under Wine: real drop handles sent to the real main window,
// folder listings, the list file, the wait dialog, the Esc hot key and the
// test-photo replacement. The picture job is a stand-in here; the end-to-end
// tests run the real engine.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/messages.h"
#include "common/state.h"
#include "temp_folder.h"
#include "ui/batch_run_win.h"
#include "ui/main_window_win.h"
#include "ui/window_state.h"
#include "ui_test_window.h"

namespace {

struct Box {
    std::string text, caption;
};

PictureResult Made(int n)
{
    PictureResult r;
    r.made = true;
    r.written = "C:\\out\\" + std::to_string(n) + ".jpg";
    return r;
}

PictureResult Failed(JobStop stop)
{
    PictureResult r;
    r.stop = stop;
    return r;
}

class BatchRun : public testing::Test {
protected:
    void SetUp() override
    {
        Settings = SettingsRecord{};
        Settings.Varbo_Photo = temp / "Varbo_Photo";
        CreateDirectoryA(Settings.Varbo_Photo.c_str(), nullptr);
        CreateDirectoryA((temp / "data").c_str(), nullptr);
        Folders = FolderRecord{};
        Folders.DataFolder = temp / "data";
        Folders.ListFile = temp / "data\\DropFolderList.txt";
        WindowState = WindowStateRecord{};
        SetBatchPictureJob([this](const PictureJob& job) {
            jobs.push_back(job.source);
            CreateDirectoryA(job.runFolder.c_str(), nullptr);  // as the engine does
            if (onJob) return onJob(static_cast<int>(jobs.size()));
            return Made(static_cast<int>(jobs.size()));
        });
        SetMessageBoxHook([this](const std::string& text, const std::string& caption, unsigned) {
            boxes.push_back({text, caption});
            return kAnswerNo;
        });
    }
    void TearDown() override
    {
        SetBatchPictureJob(nullptr);
        SetMessageBoxHook(nullptr);
    }
    void Drop(const std::vector<std::string>& paths)
    {
        SendMessageA(window.get(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    }
    std::string File(const std::string& name, const std::string& bytes = "picture bytes")
    {
        const std::string path = temp / name;
        EXPECT_TRUE(WriteBytes(path, bytes)) << path;
        return path;
    }
    // Names that need not exist: the stand-in job never opens them.
    static std::vector<std::string> Names(int n)
    {
        std::vector<std::string> v;
        for (int i = 1; i <= n; ++i) v.push_back("C:\\in\\p" + std::to_string(i) + ".jpg");
        return v;
    }

    TempFolder temp;
    TestMainWindow window;
    std::vector<std::string> jobs;
    std::function<PictureResult(int n)> onJob;
    std::vector<Box> boxes;
};

TEST_F(BatchRun, AFolderRunsItsPicturesInNameOrderFromItsList)
{
    const std::string folder = temp / "Фото 1";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((folder + "\\sub.jpg").c_str(), nullptr));
    for (const char* name : {"b.JPG", "_c.gif", "A.png", "9.jpg", "10.jpg", "алая.jpg", "Ёлка.jpg", "notes.txt"})
        ASSERT_TRUE(WriteBytes(folder + "\\" + name, "x"));
    ASSERT_TRUE(WriteBytes(folder + "\\empty.jpg", ""));

    Drop({folder});

    // Upper-cased UTF-16 order: '1' < '9' < 'A' < 'B' < '_' < 'Ё' (U+0401) < 'А' (U+0410).
    // (Wine lists in that order itself; listings in other orders are in the unit tests.)
    const std::vector<std::string> expected = {folder + "\\10.jpg", folder + "\\9.jpg", folder + "\\A.png",
                                               folder + "\\b.JPG", folder + "\\_c.gif", folder + "\\Ёлка.jpg",
                                               folder + "\\алая.jpg"};
    EXPECT_EQ(jobs, expected);
    std::string list;
    for (const std::string& p : expected) list += p + "\r\n";
    EXPECT_EQ(ReadBytes(Folders.ListFile), list);
    EXPECT_EQ(WindowState.iFromList, 1);
    EXPECT_EQ(WindowState.iTotalFiles, 7);
    EXPECT_EQ(WindowState.iProgress, kProgressDoneWithPictures);
    EXPECT_EQ(WindowState.iDoneFiles, 7);
    EXPECT_EQ(WindowState.iRunToFolder, 1);
    EXPECT_EQ(Folders.iOutSubfolderNo, 1);
    EXPECT_EQ(Folders.OutSubfolder, "001");
    EXPECT_EQ(Settings.LastFile, folder + "\\алая.jpg");
    EXPECT_EQ(Settings.LastDir, folder);
    EXPECT_EQ(Settings.LastVarbo, "C:\\out\\7.jpg");
    EXPECT_TRUE(KillTimer(window.get(), kTimerRunEnd)) << "timer 602 turns the result back to idle";
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BatchRun, DroppedFilesRunInDropOrderAndKeepTheirNames)
{
    const std::string z = File("z.jpg"), a = File("a.jpg"), emoji = File("Фото 😀 ü.png");
    Drop({z, File("notes.txt"), a, emoji});
    EXPECT_EQ(jobs, (std::vector<std::string>{z, a, emoji}));
    EXPECT_EQ(WindowState.iFromList, 0);
    EXPECT_EQ(WindowState.iTotalFiles, 4);
    EXPECT_EQ(WindowState.iDoneFiles, 3);
    EXPECT_EQ(Settings.LastDir, temp.path());
}

TEST_F(BatchRun, OnlyNonPicturesEndWithoutPicturesAndWithoutATimer)
{
    WindowState.iProgress = kProgressDoneWithPictures;  // the last run's result is still shown
    Folders.iOutSubfolderNo = 1;
    Folders.OutSubfolder = "001";
    CreateDirectoryA((Settings.Varbo_Photo + "\\001").c_str(), nullptr);
    Drop({File("notes.txt")});
    EXPECT_TRUE(jobs.empty());
    EXPECT_EQ(Folders.iOutSubfolderNo, 1) << "the folder icon stays on the last run folder that exists";
    EXPECT_EQ(Folders.OutSubfolder, "001");
    EXPECT_EQ(WindowState.iProgress, 0);
    EXPECT_EQ(WindowState.NoteText, "Этот файл не подходит...");
    EXPECT_FALSE(KillTimer(window.get(), kTimerRunEnd));
}

TEST_F(BatchRun, EscBelongsToTheRunOnlyWhileItGoes)
{
    auto escFree = [] {
        const bool free = RegisterHotKey(nullptr, 0x2222, 0, VK_ESCAPE) != 0;
        if (free) UnregisterHotKey(nullptr, 0x2222);
        return free;
    };
    ASSERT_TRUE(escFree()) << "another program holds Esc; this test cannot tell";
    std::vector<bool> freeDuringJobs;
    onJob = [&](int n) {
        freeDuringJobs.push_back(escFree());
        return Made(n);
    };
    Drop(Names(3));
    EXPECT_EQ(freeDuringJobs, (std::vector<bool>{false, false, false})) << "held while the run goes";
    EXPECT_TRUE(escFree()) << "given back when the run ends";

    onJob = [&](int) { return Failed(JobStop::Unreadable); };  // a run whose pictures all fail gives it back too
    Drop(Names(2));
    EXPECT_TRUE(escFree());
}

TEST_F(BatchRun, APictureThatThrowsFailsAloneAndTheRunGoesOn)
{
    onJob = [](int n) -> PictureResult {
        if (n == 2) throw std::runtime_error("out of memory");
        return Made(n);
    };
    Drop(Names(5));
    EXPECT_EQ(jobs.size(), 5u);
    EXPECT_EQ(WindowState.iDoneFiles, 4);
    EXPECT_EQ(WindowState.iRunning, 0) << "the next drop is taken";
    EXPECT_TRUE(RegisterHotKey(nullptr, 0x2222, 0, VK_ESCAPE)) << "Esc is given back";
    UnregisterHotKey(nullptr, 0x2222);
}

TEST_F(BatchRun, EscInThePauseAfterTenOfFiftyStopsTheRunAtOnce)
{
    onJob = [&](int n) {
        // The key arrives while the tenth picture is made; the pause takes it in.
        if (n == 10) PostMessageA(window.get(), WM_HOTKEY, kRunHotKeyId, MAKELPARAM(0, VK_ESCAPE));
        return Made(n);
    };
    const auto start = std::chrono::steady_clock::now();
    Drop(Names(50));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(jobs.size(), 10u);
    EXPECT_EQ(WindowState.iProgress, 0);
    EXPECT_EQ(WindowState.NoteText, "Обработка файлов завершена...");
    EXPECT_LT(ms, 1000) << "the 1.5-second pause ended at once";
}

TEST_F(BatchRun, EscWithinTheLastTenGoesOn)
{
    onJob = [&](int n) {
        if (n == 10) PostMessageA(window.get(), WM_HOTKEY, kRunHotKeyId, MAKELPARAM(0, VK_ESCAPE));
        return Made(n);
    };
    Drop(Names(15));
    EXPECT_EQ(jobs.size(), 15u);
    EXPECT_EQ(WindowState.iProgress, kProgressDoneWithPictures);
    EXPECT_EQ(WindowState.iDoneFiles, 5) << "counted again from the Esc on";
}

TEST_F(BatchRun, ThePauseLastsAboutOneAndAHalfSeconds)
{
    const auto start = std::chrono::steady_clock::now();
    Drop(Names(10));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(ms, 1400);
    EXPECT_LT(ms, 4000);
    EXPECT_EQ(WindowState.iDoneFiles, 10);
}

TEST_F(BatchRun, ADropDuringARunIsIgnoredWhole)
{
    WindowState.iRunning = 1;
    WindowState.iProgress = 5;
    WindowState.iLatchedZone = 2;
    Drop(Names(3));
    EXPECT_TRUE(jobs.empty());
    EXPECT_EQ(WindowState.iProgress, 5) << "the running count is not touched";
    EXPECT_EQ(WindowState.iLatchedZone, 2);
}

TEST_F(BatchRun, AFullOutputFolderStopsTheRunAndClosesTheWindow)
{
    onJob = [&](int n) { return n == 3 ? Failed(JobStop::FolderFull) : Made(n); };
    Drop(Names(12));
    EXPECT_EQ(jobs.size(), 3u);
    EXPECT_EQ(Settings.VarboOver, 2);
    EXPECT_EQ(WindowState.iDoneFiles, 2);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, window.get(), WM_CLOSE, WM_CLOSE, PM_REMOVE)) << "the program ends the usual way";
}

TEST_F(BatchRun, ADropOnTheLowerBandReplacesTheTestPhoto)
{
    const std::string testPhoto = Folders.DataFolder + "\\Test.jpg";
    ASSERT_TRUE(WriteBytes(testPhoto, "old test photo"));
    const std::string source = File("Моё фото.jpg", "the new photo");
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY);
    const DWORD sourceAttributes = GetFileAttributesA(source.c_str());
    WindowState.iDropOnText = 1;
    WindowState.iProgress = kProgressDoneWithPictures;

    Drop({source});
    EXPECT_EQ(ReadBytes(testPhoto), "the new photo");
    EXPECT_EQ(ReadBytes(source), "the new photo");
    EXPECT_EQ(GetFileAttributesA(source.c_str()), sourceAttributes) << "the source is only read";
    EXPECT_TRUE(jobs.empty()) << "no run";
    EXPECT_EQ(WindowState.NoteText, "Тестовый файл успешно обновлён!");
    EXPECT_EQ(WindowState.iNoteTicks, 4);
    EXPECT_EQ(WindowState.iProgress, 0);
    EXPECT_TRUE(boxes.empty());

    // The copy kept no read-only mark: a second replacement works too.
    Drop({File("second.jpg", "second")});
    EXPECT_EQ(ReadBytes(testPhoto), "second");
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(BatchRun, TheLowerBandTakesExactlyOneReadableFile)
{
    const std::string testPhoto = Folders.DataFolder + "\\Test.jpg";
    ASSERT_TRUE(WriteBytes(testPhoto, "old test photo"));
    WindowState.iDropOnText = 1;

    Drop({File("a.jpg"), File("b.jpg")});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Для замены тестовой фотографии     \nдостаточно одного файла...");
    EXPECT_EQ(boxes[0].caption, "Результат");

    Drop({temp / "gone.jpg"});
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Заменить тестовый файл не удалось.    \nПопробуйте выбрать другой файл.");
    EXPECT_EQ(boxes[1].caption, "Результат");
    EXPECT_EQ(ReadBytes(testPhoto), "old test photo");
    EXPECT_TRUE(jobs.empty());
}

TEST_F(BatchRun, ThePauseDialogIsPracticallyInvisible)
{
    RECT seen{-1, -1, -1, -1};
    bool found = false;
    onJob = [&](int n) { return Made(n); };
    DialogDriver driver([&](HWND dialog) {
        found = WindowTitle(dialog) == "Обработка файлов";
        GetWindowRect(dialog, &seen);
    });
    Drop(Names(10));
    EXPECT_TRUE(found);
    EXPECT_EQ(seen.left, 0);
    EXPECT_EQ(seen.top, 0);
    EXPECT_LE(seen.right - seen.left, 1);
    EXPECT_LE(seen.bottom - seen.top, 1);
}

} // namespace
