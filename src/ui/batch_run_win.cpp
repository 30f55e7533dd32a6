#include "ui/batch_run_win.h"

#include <shellapi.h>

#include <algorithm>

#include "common/files_win.h"
#include "common/folders_win.h"
#include "common/messages.h"
#include "common/owners_win.h"
#include "common/state.h"
#include "common/text.h"
#include "common/wide_win.h"
#include "engine/job_win.h"
#include "engine/picture_list.h"
#include "engine/run_folders_win.h"
#include "ui/window_state.h"

namespace {

constexpr UINT kWaitPauseMs = 1500;

// The wait dialog while it is open, so that the Esc key can end it at once.
HWND g_waitDialog = nullptr;

PictureRunner& PictureRunnerHook()
{
    static PictureRunner runner;
    return runner;
}

// Fails when another program holds Esc; the run then cannot be stopped, and goes on.
bool RegisterRunHotKey(HWND window)
{
    return RegisterHotKey(window, kRunHotKeyId, 0, VK_ESCAPE) != 0;
}

// However the loop is left, even by an exception, the run is over: Esc goes
// back to the other programs and the next drop is taken.
class RunEnd {
public:
    RunEnd(HWND window, bool holdsEsc) : window_(window), holdsEsc_(holdsEsc) {}
    ~RunEnd()
    {
        WindowState.iRunning = 0;
        if (holdsEsc_) UnregisterHotKey(window_, kRunHotKeyId);
    }
    RunEnd(const RunEnd&) = delete;
    RunEnd& operator=(const RunEnd&) = delete;
private:
    HWND window_;
    bool holdsEsc_;
};

void RunWaitPause(HWND window)
{
    DialogBoxParamA(GetModuleHandleA(nullptr), "WAIT", window, WaitDialogProc, 0);
    g_waitDialog = nullptr;
    SetForegroundWindow(window);
}

// One picture of the run; its message, if any, is shown here.
PictureResult RunOnePicture(const PictureJob& job)
{
    PictureResult result;
    try {
        result = PictureRunnerHook() ? PictureRunnerHook()(job) : RunPictureJob(job);
    } catch (...) {
        return PictureResult{};  // one picture failed; the run goes on
    }
    if (!result.message.empty()) ShowResult(result.message, result.caption);
    return result;
}

} // namespace

UINT DroppedCount(HDROP drop)
{
    return DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
}

// The wide form: a 512-byte buffer of the 8-bit form would cut long Cyrillic paths.
std::optional<std::string> DroppedName(HDROP drop, UINT index)
{
    const UINT length = DragQueryFileW(drop, index, nullptr, 0);
    if (length == 0) return std::nullopt;
    std::wstring name(length + 1, L'\0');
    if (DragQueryFileW(drop, index, name.data(), length + 1) != length) return std::nullopt;
    name.resize(length);
    return Narrow(name);
}

std::vector<std::string> ScanDropFolder(const std::string& folder)
{
    std::vector<ListedEntry> entries;
    WIN32_FIND_DATAW found;
    const FindHandle search(FindFirstFileW(Widen(JoinPath(WithoutTrailingLineFeed(folder), "*.*")).c_str(), &found));
    if (search) {
        do {
            ListedEntry entry;
            entry.name = Narrow(found.cFileName);
            entry.folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            entry.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            entries.push_back(std::move(entry));
        } while (FindNextFileW(search.get(), &found));
    }
    std::vector<std::string> paths = FolderPicturePaths(WithoutTrailingLineFeed(folder), std::move(entries));
    const std::string text = FolderListText(paths);
    // A list that cannot be written (a read-only data folder) does not stop the run.
    WriteFileReplacing(Folders.ListFile, text.data(), text.size());
    return paths;
}

BatchEnd RunDroppedFiles(HWND window, HDROP drop, const std::function<void()>& repaint)
{
    WindowStateRecord& state = WindowState;
    state.iRunToFolder = 1;
    const UINT dropped = DroppedCount(drop);
    state.iDropCount = static_cast<int>(std::min<UINT>(dropped, kMaxRunInputs));
    state.iFromList = 0;

    // One folder: its pictures, listed and sorted. The run works from that
    // list in memory; DropFolderList.txt is its record on disk.
    std::vector<std::string> listed;
    if (dropped == 1) {
        const std::optional<std::string> only = DroppedName(drop, 0);
        if (only && IsFolder(*only)) {
            listed = ScanDropFolder(*only);
            state.iDropCount = static_cast<int>(listed.size());
            state.iFromList = 1;
        }
    }

    const int lastRunNo = Folders.iOutSubfolderNo;
    const std::string lastRunFolder = Folders.OutSubfolder;
    std::string runFolder;
    Folders.iOutSubfolderNo = ScanRunFolders(Settings.Varbo_Photo, runFolder);
    Folders.OutSubfolder = runFolder;
    // Every picture of the run is the same job but for its source.
    PictureJob job = BatchPictureJob(Settings, Folders);

    BatchHooks hooks;
    hooks.inputName = [&](int index) -> std::optional<std::string> {
        if (state.iFromList) return index < static_cast<int>(listed.size()) ? std::optional(listed[index]) : std::nullopt;
        return DroppedName(drop, static_cast<UINT>(index));
    };
    hooks.repaint = repaint;
    hooks.runPicture = [&job](const std::string& path) {
        job.source = path;
        return RunOnePicture(job);
    };
    hooks.probe = [](const std::string& path) { return ProbeEntry(path); };
    hooks.pause = [window] { RunWaitPause(window); };

    // Esc is ours only while the run goes; the rest of the time other
    // programs get it. If another program holds it, the run cannot be stopped.
    BatchEnd end;
    {
        const RunEnd runEnd(window, state.iDropCount > 0 && RegisterRunHotKey(window));
        end = RunBatchLoop(state, Settings, hooks);
    }
    // The engine makes the run folder with its first picture. A run that made
    // none leaves the folder icon on the last run folder that exists.
    if (!IsFolder(JoinPath(Settings.Varbo_Photo, Folders.OutSubfolder))) {
        Folders.iOutSubfolderNo = lastRunNo;
        Folders.OutSubfolder = lastRunFolder;
    }
    return end;
}

void HandleRunHotKey(int hotKeyId)
{
    if (hotKeyId != kRunHotKeyId) return;
    if (TakeRunEsc(WindowState) && g_waitDialog) EndDialog(g_waitDialog, IDCANCEL);
}

INT_PTR CALLBACK WaitDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    // An Esc taken in while the pause waits ends it at once.
    if (WindowState.iEscState != 0) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG:
        g_waitDialog = dialog;
        SetTimer(dialog, kTimerWaitPause, kWaitPauseMs, nullptr);
        // Practically invisible: what matters is the modal loop, which lets
        // the Esc key, paint requests and timers through.
        MoveWindow(dialog, 0, 0, 1, 1, FALSE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    case WM_TIMER:
        if (wParam == kTimerWaitPause) EndDialog(dialog, IDCANCEL);
        return TRUE;
    case WM_NOTIFY:
    case WM_DESTROY: return TRUE;
    default: return FALSE;
    }
}

void SetBatchPictureJob(PictureRunner runner)
{
    PictureRunnerHook() = std::move(runner);
}
