#include "app/startup_win.h"

#include <string>

#include "app/command_line.h"
#include "app/folders_win.h"
#include "app/settings_store_win.h"
#include "common/files_win.h"
#include "common/folders_win.h"
#include "common/messages.h"
#include "common/owners_win.h"
#include "common/state.h"
#include "common/text.h"
#include "common/wide_win.h"
#include "engine/job_win.h"
#include "engine/failure_messages.h"
#include "engine/picture_job.h"
#include "imaging/gdiplus_win.h"
#include "shell/single_instance_win.h"
#include "shell/verbs.h"
#include "shell/verbs_win.h"
#include "ui/main_window_win.h"
#include "ui/window_state.h"

namespace {

const char* const kInstanceMutex = "os_varbo_pro_exe";

// Another copy is running: bring its window back if it was minimised.
void RestoreRunningCopy()
{
    if (HWND other = FindWindowA(nullptr, kMainWindowTitle); other && IsIconic(other)) OpenIcon(other);
}

// Folders, test photos, Desktop and output folder. False stops start-up.
bool PrepareFolders()
{
    if (!EnsureMakerFolder(Folders.MakerFolder)) return false;
    Folders.DataFolder = JoinPath(Folders.MakerFolder, "Varbo");
    if (!PathExists(Folders.DataFolder) && !MakeFolder(Folders.DataFolder)) return false;
    for (const char* name : {"Test0.jpg", "Test.jpg"}) {
        const std::string path = JoinPath(Folders.DataFolder, name);
        if (!PathExists(path)) WriteTestPicture(path);  // a missing test photo is written again at the next start
    }
    if (!GetShellFolder("DeskTop", Folders.Desktop)) return false;
    DropTrailingLineFeed(Folders.Desktop);
    Settings.Varbo_Photo = JoinPath(Folders.Desktop, "Varbo_Photo");
    if (!PathExists(Settings.Varbo_Photo) && !MakeFolder(Settings.Varbo_Photo)) return false;
    return true;
}

void SetDefaults()
{
    const std::string output = Settings.Varbo_Photo;
    Settings = SettingsRecord{};
    Settings.LastDir = Folders.Desktop;
    Settings.Varbo_Photo = output;
    WindowState = WindowStateRecord{};
}

void CentreWindow(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    MoveWindow(window, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, TRUE);
}

// The window and its message loop. The settings reach the disk once the
// loop has ended, unless the program's files were removed meanwhile.
int RunWindowMode(HINSTANCE instance, int show)
{
    // Drag and drop through OLE, for the window's life and beyond.
    const ComApartment ole(ComApartment::Kind::OleWindowThread);
    const MainWindowClass windowClass(instance);
    if (!windowClass.ok()) return 0;
    HWND window = CreateMainWindow(instance);
    if (!window) return 0;
    CentreWindow(window);
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG msg;
    int result = 0;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);  // keys are not translated
    if (msg.message == WM_QUIT) result = static_cast<int>(msg.wParam);
    if (IsWindow(window)) DestroyWindow(window);  // a loop that failed still leaves no window behind
    if (!WindowState.iRemoved) SaveSettings(Folders.DataFolder);
    return result;
}

} // namespace

int RunVarbo(HINSTANCE instance, const char* commandLine, int show)
{
    // Names with any character work only through the UTF-8 code page, which
    // the manifest asks for and Windows 10 (1903) and later honour.
    if (GetACP() != CP_UTF8) {
        ShowMessage("Для работы Варбо нужна Windows 10 (версия 1903) или новее.");
        return 0;
    }

    // The whole line: a picture's path is never cut to a length.
    const std::string line = commandLine ? commandLine : "";
    const std::string named = ScanCommandLine(line);
    const bool commandLineMode = Utf8Length(named) >= 2;
    // Absolute before anything uses it: the running copy that may take the
    // picture has a current folder of its own.
    const std::string startArgument = commandLineMode ? FullPath(named) : std::string();
    // The command the verb is registered with comes from a start without a picture only.
    const std::string startCommand = commandLineMode ? std::string() : line;

    // Held until RunVarbo returns, in both modes.
    InstanceLock runningCopy;
    const InstanceNames names{kInstanceMutex, kMainWindowClass, kMainWindowTitle};
    if (!AcquireInstance(names, runningCopy)) {
        if (!commandLineMode) {
            RestoreRunningCopy();
            return 0;
        }
        const HandOffResult handed = HandOffToRunningCopy(startArgument, names, runningCopy);
        if (handed.taken) return handed.jobResult;
        // Our turn has come: go on as a start with a picture.
    }

    if (!PrepareFolders()) return 0;
    RegisterShellVerb(kVerbName, startCommand);

    GdiplusSession gdiplus;  // for the whole run of either mode
    SetDefaults();
    LoadSettings(Folders.DataFolder);  // a missing file is written with the defaults
    Folders.ListFile = JoinPath(Folders.DataFolder, "DropFolderList.txt");
    FindLastRunFolder();
    Settings.VarboOver = 0;

    if (commandLineMode) {
        PictureJob job = StartPictureJob(Settings, Folders, Folders.Desktop);
        job.source = startArgument;
        PictureResult result = RunPictureJob(job);
        ExplainUnreadableStart(result, job.source);
        if (!result.message.empty()) ShowResult(result.message, result.caption);
        return result.made ? 1 : 0;
    }
    return RunWindowMode(instance, show);
}
