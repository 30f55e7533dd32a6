#include "ui/batch_run_win.h"

#include <shellapi.h>

#include <algorithm>
#include <optional>

#include "app/folders_win.h"
#include "app/settings_file.h"
#include "common/files_win.h"
#include "common/state.h"
#include "common/text.h"
#include "common/wide_win.h"
#include "engine/job_params.h"
#include "engine/job_win.h"
#include "ui/main_window_win.h"
#include "ui/photo_text_flows_win.h"
#include "ui/window_actions.h"
#include "ui/window_state.h"

namespace {

constexpr UINT kWaitPauseMs = 1500;
constexpr UINT kRunEndMs = 1000;

// The wait dialog while it is open, so that the Esc key can end it at once.
HWND g_waitDialog = nullptr;

PictureJob& PictureJobHook()
{
    static PictureJob job;
    return job;
}

// Releases the shell's drop handle however the drop ends.
class DropOwner {
public:
    explicit DropOwner(HDROP drop) : drop_(drop) {}
    ~DropOwner() { if (drop_) DragFinish(drop_); }
    DropOwner(const DropOwner&) = delete;
    DropOwner& operator=(const DropOwner&) = delete;
    HDROP get() const { return drop_; }
private:
    HDROP drop_;
};

UINT DroppedCount(HDROP drop)
{
    return DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
}

// One dropped name, whatever its length and characters (the wide form: a
// 512-byte buffer of the 8-bit form would cut long Cyrillic paths).
std::optional<std::string> DroppedName(HDROP drop, UINT index)
{
    const UINT length = DragQueryFileW(drop, index, nullptr, 0);
    if (length == 0) return std::nullopt;
    std::wstring name(length + 1, L'\0');
    if (DragQueryFileW(drop, index, name.data(), length + 1) != length) return std::nullopt;
    name.resize(length);
    return Narrow(name);
}

PictureOutcome RunEnginePicture(const std::string& path)
{
    PictureOutcome out;
    JobResult.iJobStop = 0;  // the engine only ever sets it
    try {
        out.made = RunPictureJob(Settings.MaxPix, Settings.Prots, path, WindowState.iRunToFolder, 0) == 1;
    } catch (...) {
        return out;  // one picture failed; the run goes on
    }
    if (out.made)
        out.outFile = JobResult.LastOutFile;
    else
        out.stopCode = JobResult.iJobStop;
    return out;
}

// However the loop is left, even by an exception, the run is over: Esc goes
// back to the other programs and the next drop is taken.
class RunEnd {
public:
    RunEnd(HWND window, bool holdsEsc) : window_(window), holdsEsc_(holdsEsc) {}
    ~RunEnd()
    {
        WindowState.iRunning = 0;
        if (holdsEsc_) UnregisterRunHotKey(window_);
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

void RunDroppedFiles(HWND window, HDROP drop)
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

    PrepareJob(Settings, JobParams);
    const int lastRunNo = Folders.iOutSubfolderNo;
    const std::string lastRunFolder = Folders.OutSubfolder;
    std::string runFolder;
    Folders.iOutSubfolderNo = ScanRunFolders(runFolder);
    Folders.OutSubfolder = runFolder;
    // A result of the last run still on screen: its timer must not clear this run's count.
    KillTimer(window, kTimerRunEnd);

    BatchHooks hooks;
    hooks.inputName = [&](int index) -> std::optional<std::string> {
        if (state.iFromList) return index < static_cast<int>(listed.size()) ? std::optional(listed[index]) : std::nullopt;
        return DroppedName(drop, static_cast<UINT>(index));
    };
    hooks.repaint = [window] { RepaintMainWindow(window); };
    hooks.runPicture = [](const std::string& path) {
        return PictureJobHook() ? PictureJobHook()(path) : RunEnginePicture(path);
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

    if (end.startEndTimer) SetTimer(window, kTimerRunEnd, kRunEndMs, nullptr);
    RepaintMainWindow(window);
    // A full output folder ends the program once the result has been painted;
    // WM_CLOSE takes the usual way out, which saves the settings.
    if (end.endProgram) PostMessageA(window, WM_CLOSE, 0, 0);
}

} // namespace

std::vector<std::string> ScanDropFolder(const std::string& folder)
{
    std::vector<ListedEntry> entries;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Widen(JoinPath(WithoutTrailingLineFeed(folder), "*.*")).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            ListedEntry entry;
            entry.name = Narrow(found.cFileName);
            entry.folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            entry.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            entries.push_back(std::move(entry));
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    std::vector<std::string> paths = FolderPicturePaths(WithoutTrailingLineFeed(folder), std::move(entries));
    const std::string text = FolderListText(paths);
    // A list that cannot be written (a read-only data folder) does not stop the run.
    WriteFileReplacing(Folders.ListFile, text.data(), text.size());
    return paths;
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

void SetBatchPictureJob(PictureJob job)
{
    PictureJobHook() = std::move(job);
}

void HandleDroppedFiles(HWND window, HDROP drop)
{
    const DropOwner owner(drop);
    // A drop that reaches the window during a run's pause is dropped whole:
    // it neither starts a second run nor touches the one that goes on.
    if (WindowState.iRunning) return;
    ClearRunStatus(WindowState);
    if (WindowState.iDropOnText) {
        ReplaceTestPhoto(window, DroppedCount(drop), DroppedName(drop, 0));
        return;
    }
    RunDroppedFiles(window, drop);
}

void HandleRunHotKey(HWND, int hotKeyId)
{
    if (hotKeyId != kRunHotKeyId) return;
    if (TakeRunEsc(WindowState) && g_waitDialog) EndDialog(g_waitDialog, IDCANCEL);
}
