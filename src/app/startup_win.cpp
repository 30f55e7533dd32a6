#include "app/startup_win.h"

#include "app/command_line.h"
#include "app/folders_win.h"
#include "app/settings_store_win.h"
#include "common/files_win.h"
#include "common/messages.h"
#include "common/state.h"
#include "common/text.h"
#include "engine/job_params.h"
#include "engine/job_win.h"
#include "imaging/gdiplus_win.h"
#include "shell/single_instance_win.h"
#include "shell/verbs.h"
#include "shell/verbs_win.h"
#include "ui/main_window_win.h"

StartupRecord Startup;

const char* const kMainWindowClass = "VarboMainWindow";
const char* const kMainWindowTitle = "Варбо Pro.";
const char* const kInstanceMutex = "os_varbo_pro_exe";

namespace {

constexpr UINT_PTR kTimerSelector = 601;
constexpr UINT_PTR kTimerNotes = 603;

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
    if (!PathExists(Folders.DataFolder) && !CreateDirectoryA(Folders.DataFolder.c_str(), nullptr)) return false;
    for (const char* name : {"Test0.jpg", "Test.jpg"}) {
        const std::string path = JoinPath(Folders.DataFolder, name);
        if (!PathExists(path)) WriteTestPicture(path);  // a missing test photo is written again at the next start
    }
    if (!GetShellFolder("DeskTop", Folders.Desktop)) return false;
    DropTrailingLineFeed(Folders.Desktop);
    Settings.Varbo_Photo = JoinPath(Folders.Desktop, "Varbo_Photo");
    if (!PathExists(Settings.Varbo_Photo) && !CreateDirectoryA(Settings.Varbo_Photo.c_str(), nullptr)) return false;
    return true;
}

void SetDefaults()
{
    const std::string output = Settings.Varbo_Photo;
    Settings = SettingsRecord{};
    Settings.LastDir = Folders.Desktop;
    Settings.Varbo_Photo = output;
    Startup.iWinWidth = 400;
    Startup.iWinHeight = 160;
    Startup.iWinHeightOpen = 250;
}

void CentreWindow(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    MoveWindow(window, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, TRUE);
}

int RunWindowMode(HINSTANCE instance, int show)
{
    HBITMAP background = static_cast<HBITMAP>(LoadImageA(instance, "BG_101", IMAGE_BITMAP, 60, 60, 0));
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "ICO0");
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = background ? CreatePatternBrush(background) : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kMainWindowClass;
    Startup.hInstance = instance;
    if (!RegisterClassA(&wc)) return 0;

    HWND window = CreateWindowExA(WS_EX_APPWINDOW | WS_EX_ACCEPTFILES | WS_EX_TOPMOST, kMainWindowClass, kMainWindowTitle,
                                  WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX | WS_CAPTION, 0, 0, Startup.iWinWidth,
                                  Startup.iWinHeight, nullptr, nullptr, instance, nullptr);
    if (!window) return 0;
    Startup.MainWindow = window;
    SetTimer(window, kTimerNotes, 700, nullptr);
    CentreWindow(window);
    ShowWindow(window, show);
    UpdateWindow(window);
    SetTimer(window, kTimerSelector, 100, nullptr);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);  // keys are not translated
    return static_cast<int>(msg.wParam);
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

    const std::string line = Utf8Prefix(commandLine ? commandLine : "", 511);
    Startup.StartArgument = ScanCommandLine(line);
    const bool commandLineMode = Utf8Length(Startup.StartArgument) >= 2;
    Startup.StartCommand = commandLineMode ? std::string() : line;

    // Held until RunVarbo returns, in both modes.
    InstanceLock runningCopy;
    const InstanceNames names{kInstanceMutex, kMainWindowClass, kMainWindowTitle};
    if (!AcquireInstance(names, runningCopy)) {
        if (!commandLineMode) {
            RestoreRunningCopy();
            return 0;
        }
        const HandOffResult handed = HandOffToRunningCopy(Startup.StartArgument, names, runningCopy);
        if (handed.taken) return handed.jobResult;
        // Our turn has come: go on as a start with a picture.
    }

    if (!PrepareFolders()) return 0;
    RegisterShellVerb(kVerbName, Startup.StartCommand);

    GdiplusSession gdiplus;
    SetDefaults();
    LoadSettings(Folders.DataFolder);  // a missing file is written with the defaults
    Folders.ListFile = JoinPath(Folders.DataFolder, "DropFolderList.txt");
    FindLastRunFolder();
    Settings.VarboOver = 0;

    if (commandLineMode) return RunPictureJob(Settings.MaxPix, 0, Startup.StartArgument, 0, 0);
    return RunWindowMode(instance, show);
}
