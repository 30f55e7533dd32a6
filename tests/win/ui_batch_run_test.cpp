// The batch run under Wine: real drop handles sent to the real main window,
// folder listings, the list file, the worker threads and the writer, the Esc
// hot key, closing during a run and the test-photo replacement. Pictures are
// "made" by a stand-in (their JPEG is the source's path) and saved by the
// engine's own writer; the end-to-end tests run the whole engine.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/files_win.h"
#include "common/messages.h"
#include "common/state.h"
#include "engine/output_names.h"
#include "temp_folder.h"
#include "ui/batch_run_win.h"
#include "ui/main_window_win.h"
#include "ui/window_state.h"
#include "ui_test_window.h"

namespace {

constexpr POINT kLowerBand{200, 157};  // y > 154: the band where a drop replaces the test photo

struct Box {
    std::string text, caption;
};

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
        BatchSeams seams;
        seams.workers = 2;
        seams.make = [this](const PictureJob& job, int index) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                started.push_back(job.source);
            }
            if (onMake) return onMake(index, job.source);
            return Made(job.source);
        };
        seams.save = [this](const PictureJob& job, const std::vector<uint8_t>& jpeg) {
            const std::string source(jpeg.begin(), jpeg.end());
            saved.push_back(source);
            if (onSave) return onSave(static_cast<int>(saved.size()));
            return SavePicture(job, jpeg);
        };
        SetBatchSeams(seams);
        SetMessageBoxHook([this](const std::string& text, const std::string& caption, unsigned) {
            boxes.push_back({text, caption});
            return kAnswerNo;
        });
    }
    void TearDown() override
    {
        SetBatchSeams({});
        SetMessageBoxHook(nullptr);
    }
    static MadePicture Made(const std::string& source)
    {
        MadePicture made;
        made.jpeg.assign(source.begin(), source.end());
        return made;
    }
    // Drops at (200, 60), the upper part of the window, unless told otherwise,
    // and lets the window take the ends of the pictures until the run is over.
    void Drop(const std::vector<std::string>& paths, POINT at = {200, 60})
    {
        SendMessageA(window.get(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths, at)), 0);
        PumpWhile([] { return BatchRunning(); });
    }
    static void PumpWhile(const std::function<bool()>& going)
    {
        const DWORD start = GetTickCount();
        MSG msg;
        while (going() && GetTickCount() - start < 20000) {
            if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message != WM_QUIT) DispatchMessageA(&msg);
            } else {
                Sleep(1);
            }
        }
        EXPECT_FALSE(going()) << "still going after 20 s";
    }
    // What the writer would answer for the n-th save, without writing.
    static PictureResult SaveAsEngine(int n)
    {
        PictureResult r;
        r.made = true;
        r.written = "C:\\out\\" + std::to_string(n) + ".jpg";
        return r;
    }
    std::string File(const std::string& name, const std::string& bytes = "picture bytes")
    {
        const std::string path = temp / name;
        EXPECT_TRUE(WriteBytes(path, bytes)) << path;
        return path;
    }
    // Names that need not exist: the stand-in never opens them.
    static std::vector<std::string> Names(int n)
    {
        std::vector<std::string> v;
        for (int i = 1; i <= n; ++i) v.push_back("C:\\in\\p" + std::to_string(i) + ".jpg");
        return v;
    }
    std::string RunFile(int number) const
    {
        return Settings.Varbo_Photo + "\\" + Folders.OutSubfolder + "\\" + NumberedOutputName(901, number);
    }

    TempFolder temp;
    TestMainWindow window;
    std::mutex mutex;
    std::vector<std::string> started, saved;
    std::function<MadePicture(int index, const std::string& source)> onMake;
    std::function<PictureResult(int n)> onSave;
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
    EXPECT_EQ(saved, expected);
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
    EXPECT_EQ(Settings.LastVarbo, RunFile(7));
    EXPECT_TRUE(KillTimer(window.get(), kTimerRunEnd)) << "the run-end timer turns the result back to idle";
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BatchRun, DroppedFilesRunInDropOrderAndKeepTheirNames)
{
    Settings.iTrSaveFileName = 1;
    const std::string z = File("z.jpg"), a = File("a.jpg"), emoji = File("Фото 😀 ü.png");
    Drop({z, File("notes.txt"), a, emoji});
    EXPECT_EQ(saved, (std::vector<std::string>{z, a, emoji}));
    const std::string runFolder = Settings.Varbo_Photo + "\\001\\";
    EXPECT_EQ(ReadBytes(runFolder + "v901_z.jpg"), z) << "kept names";
    EXPECT_EQ(ReadBytes(runFolder + "v901_Фото 😀 ü.jpg"), emoji);
    EXPECT_EQ(WindowState.iFromList, 0);
    EXPECT_EQ(WindowState.iTotalFiles, 4);
    EXPECT_EQ(WindowState.iDoneFiles, 3);
    EXPECT_EQ(Settings.LastDir, temp.path());
}

// A worker that is slow with the first picture: the others go ahead, but
// every picture gets the name a one-at-a-time run would give it.
TEST_F(BatchRun, NamesFollowTheDropOrderWhenWorkersFinishOutOfOrder)
{
    std::atomic<int> finished{0};
    onMake = [&](int index, const std::string& source) {
        if (index == 0) {
            const DWORD start = GetTickCount();
            while (finished < 3 && GetTickCount() - start < 5000) Sleep(5);  // the others finish first
        }
        ++finished;
        return Made(source);
    };
    const std::vector<std::string> names = Names(6);
    Drop(names);
    ASSERT_EQ(WindowState.iDoneFiles, 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(ReadBytes(RunFile(i + 1)), names[i]) << "picture " << i + 1;
    EXPECT_EQ(Settings.LastFile, names.back());
}

TEST_F(BatchRun, OnlyNonPicturesEndWithoutPicturesAndWithoutATimer)
{
    WindowState.iProgress = kProgressDoneWithPictures;  // the last run's result is still shown
    Folders.iOutSubfolderNo = 1;
    Folders.OutSubfolder = "001";
    CreateDirectoryA((Settings.Varbo_Photo + "\\001").c_str(), nullptr);
    Drop({File("notes.txt")});
    EXPECT_TRUE(started.empty());
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
    onSave = [&](int n) {
        freeDuringJobs.push_back(escFree());
        return SaveAsEngine(n);
    };
    Drop(Names(3));
    EXPECT_EQ(freeDuringJobs, (std::vector<bool>{false, false, false})) << "held while the run goes";
    EXPECT_TRUE(escFree()) << "given back when the run ends";

    onMake = [](int, const std::string&) { return MadePicture{}; };  // a run whose pictures all fail gives it back too
    Drop(Names(2));
    EXPECT_TRUE(escFree());
}

TEST_F(BatchRun, APictureThatThrowsFailsAloneAndTheRunGoesOn)
{
    onMake = [](int index, const std::string& source) {
        if (index == 1) throw std::runtime_error("out of memory");
        return Made(source);
    };
    Drop(Names(5));
    EXPECT_EQ(saved.size(), 4u);
    EXPECT_EQ(WindowState.iDoneFiles, 4);
    EXPECT_EQ(ReadBytes(RunFile(2)), "C:\\in\\p3.jpg") << "the next picture takes the free name";
    EXPECT_EQ(WindowState.iRunning, 0) << "the next drop is taken";
}

// Esc while the tenth picture is saved: no new picture starts, the ones in
// work (made ahead, or being made) are finished and kept.
TEST_F(BatchRun, EscWithPicturesInWorkStopsTheRun)
{
    onSave = [&](int n) {
        if (n == 10) PostMessageA(window.get(), WM_HOTKEY, kRunHotKeyId, MAKELPARAM(0, VK_ESCAPE));
        return SaveAsEngine(n);
    };
    Drop(Names(50));
    EXPECT_GE(saved.size(), 10u);
    EXPECT_LT(saved.size(), 30u) << "only what was in work when the key came";
    EXPECT_EQ(saved.size(), started.size()) << "what was started is kept";
    EXPECT_EQ(WindowState.iProgress, 0);
    EXPECT_EQ(WindowState.NoteText, "Обработка файлов завершена...");
    EXPECT_EQ(Settings.LastFile, saved.back());
}

TEST_F(BatchRun, EscWithinTheLastTenGoesOn)
{
    onSave = [&](int n) {
        if (n == 10) PostMessageA(window.get(), WM_HOTKEY, kRunHotKeyId, MAKELPARAM(0, VK_ESCAPE));
        return SaveAsEngine(n);
    };
    Drop(Names(15));
    EXPECT_EQ(saved.size(), 15u);
    EXPECT_EQ(WindowState.iProgress, kProgressDoneWithPictures);
    EXPECT_EQ(WindowState.iDoneFiles, 6) << "counted again from the Esc on: pictures 10 to 15";
}

TEST_F(BatchRun, ADropDuringARunIsIgnoredWhole)
{
    std::atomic<bool> release{false};
    onMake = [&](int, const std::string& source) {
        while (!release) Sleep(5);
        return Made(source);
    };
    SendMessageA(window.get(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(Names(2))), 0);
    ASSERT_TRUE(BatchRunning());
    WindowState.iLatchedZone = 2;
    SendMessageA(window.get(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"C:\\other\\x.jpg"})), 0);
    EXPECT_EQ(WindowState.iLatchedZone, 2) << "the drop touched nothing";
    release = true;
    PumpWhile([] { return BatchRunning(); });
    EXPECT_EQ(saved, Names(2));
}

TEST_F(BatchRun, AFullOutputFolderStopsTheRunAndClosesTheWindow)
{
    onSave = [&](int n) {
        if (n != 3) return SaveAsEngine(n);
        PictureResult r;
        r.stop = JobStop::FolderFull;
        r.message = "full";
        return r;
    };
    Drop(Names(12));
    EXPECT_EQ(saved.size(), 3u) << "nothing after the full one is saved";
    EXPECT_EQ(Settings.VarboOver, 2);
    EXPECT_EQ(WindowState.iDoneFiles, 2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "full");
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, window.get(), WM_CLOSE, WM_CLOSE, PM_REMOVE)) << "the program ends the usual way";
}

// The close button during a run: the window steps aside at once, the
// pictures in work are finished and kept, then it goes.
TEST_F(BatchRun, ClosingDuringARunFinishesThePicturesInWorkThenEnds)
{
    std::atomic<bool> closed{false};
    onMake = [&](int index, const std::string& source) {
        if (index == 4) PostMessageA(window.get(), WM_CLOSE, 0, 0);
        if (index > 4) while (!closed) Sleep(5);
        return Made(source);
    };
    SendMessageA(window.get(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(Names(30))), 0);
    PumpWhile([&] {
        if (!IsWindowVisible(window.get())) closed = true;
        return IsWindow(window.get()) != 0;
    });
    EXPECT_TRUE(closed) << "hidden at once";
    EXPECT_FALSE(BatchRunning());
    EXPECT_GE(saved.size(), 5u);
    EXPECT_LE(saved.size(), 8u) << "no new picture after the close";
    EXPECT_EQ(saved.size(), started.size());
    EXPECT_EQ(Settings.LastFile, saved.back()) << "the settings name the last picture made";
}

// With VARBO_TEST_RUNS set, each run logs its pictures and its GDI and USER
// counts at the start, at the peak and at the end; a second run leaves them
// where it found them.
TEST_F(BatchRun, EachRunLogsItsObjectCounts)
{
    const std::string log = temp / "runs.txt";
    _putenv_s("VARBO_TEST_RUNS", log.c_str());
    Drop(Names(5));
    Drop(Names(3));
    _putenv_s("VARBO_TEST_RUNS", "");
    Drop(Names(2));  // the log is off
    const std::string text = ReadBytes(log);
    long made[2], gdi[2][3], user[2][3];
    ASSERT_EQ(std::sscanf(text.c_str(), "run\tmade %ld\tgdi %ld %ld %ld\tuser %ld %ld %ld\nrun\tmade %ld\tgdi %ld %ld %ld\tuser %ld %ld %ld\n",
                          &made[0], &gdi[0][0], &gdi[0][1], &gdi[0][2], &user[0][0], &user[0][1], &user[0][2], &made[1],
                          &gdi[1][0], &gdi[1][1], &gdi[1][2], &user[1][0], &user[1][1], &user[1][2]),
              14)
        << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
    EXPECT_EQ(made[0], 5);
    EXPECT_EQ(made[1], 3);
    for (int run = 0; run < 2; ++run) {
        EXPECT_GT(gdi[run][0], 0);
        EXPECT_GE(gdi[run][1], gdi[run][0]);
        EXPECT_GE(gdi[run][1], gdi[run][2]);
        EXPECT_GT(user[run][0], 0) << "the window at least";
        EXPECT_GE(user[run][1], user[run][2]);
    }
    EXPECT_EQ(gdi[1][2], gdi[1][0]);
    EXPECT_EQ(user[1][2], user[1][0]);
}

TEST_F(BatchRun, ADropOnTheLowerBandReplacesTheTestPhoto)
{
    const std::string testPhoto = Folders.DataFolder + "\\Test.jpg";
    ASSERT_TRUE(WriteBytes(testPhoto, "old test photo"));
    const std::string source = File("Моё фото.jpg", "the new photo");
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY);
    const DWORD sourceAttributes = GetFileAttributesA(source.c_str());
    WindowState.iProgress = kProgressDoneWithPictures;

    Drop({source}, kLowerBand);
    EXPECT_EQ(ReadBytes(testPhoto), "the new photo");
    EXPECT_EQ(ReadBytes(source), "the new photo");
    EXPECT_EQ(GetFileAttributesA(source.c_str()), sourceAttributes) << "the source is only read";
    EXPECT_TRUE(started.empty()) << "no run";
    EXPECT_EQ(WindowState.NoteText, "Тестовый файл успешно обновлён!");
    EXPECT_EQ(WindowState.iNoteTicks, 4);
    EXPECT_EQ(WindowState.iProgress, 0);
    EXPECT_TRUE(boxes.empty());

    // The copy kept no read-only mark: a second replacement works too.
    Drop({File("second.jpg", "second")}, kLowerBand);
    EXPECT_EQ(ReadBytes(testPhoto), "second");
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// During a drag from Explorer the window sees no mouse moves: where the mouse
// last left the window says nothing about where the files were let go.
TEST_F(BatchRun, TheDropPointDecidesNotTheLastMouseMove)
{
    const std::string testPhoto = Folders.DataFolder + "\\Test.jpg";
    ASSERT_TRUE(WriteBytes(testPhoto, "old test photo"));
    WindowState.iDropOnText = 1;
    Drop({File("upper.jpg", "upper")}, {200, 154});
    EXPECT_EQ(started.size(), 1u) << "dropped on the upper part: a run";
    EXPECT_EQ(ReadBytes(testPhoto), "old test photo");

    WindowState.iDropOnText = 0;
    Drop({File("lower.jpg", "lower")}, {20, 155});
    EXPECT_EQ(started.size(), 1u) << "dropped on the lower band: no run";
    EXPECT_EQ(ReadBytes(testPhoto), "lower");
}

// The test picture's timer would minimise the window and clear the count in the middle of a run.
TEST_F(BatchRun, ARunStopsTheTimerOfATestPicture)
{
    SetTimer(window.get(), kTimerTestDone, 2000, nullptr);
    Drop(Names(1));
    EXPECT_FALSE(KillTimer(window.get(), kTimerTestDone));
}

TEST_F(BatchRun, TheLowerBandTakesExactlyOneReadableFile)
{
    const std::string testPhoto = Folders.DataFolder + "\\Test.jpg";
    ASSERT_TRUE(WriteBytes(testPhoto, "old test photo"));

    Drop({File("a.jpg"), File("b.jpg")}, kLowerBand);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Для замены тестовой фотографии     \nдостаточно одного файла...");
    EXPECT_EQ(boxes[0].caption, "Результат");

    Drop({temp / "gone.jpg"}, kLowerBand);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Заменить тестовый файл не удалось.    \nПопробуйте выбрать другой файл.");
    EXPECT_EQ(boxes[1].caption, "Результат");
    EXPECT_EQ(ReadBytes(testPhoto), "old test photo");
    EXPECT_TRUE(started.empty());
}

} // namespace
