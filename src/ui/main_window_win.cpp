#include "ui/main_window_win.h"

#include <commctrl.h>

#include "app/settings_store_win.h"
#include "common/files_win.h"
#include "common/messages.h"
#include "common/state.h"
#include "common/text.h"
#include "engine/job_params.h"
#include "shell/launch_win.h"
#include "shell/removal_win.h"
#include "shell/reset.h"
#include "shell/single_instance_win.h"
#include "ui/paint_win.h"
#include "ui/panel_win.h"
#include "ui/selectors.h"
#include "ui/window_actions.h"
#include "ui/window_commands.h"
#include "ui/window_state.h"

namespace {

constexpr UINT_PTR kDisplaySubclassId = 1;

HCURSOR HandCursor()
{
    static const HCURSOR hand = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
    return hand;
}

void Paint(HWND window)
{
    PaintMainWindow(WindowState, Settings, Folders, {DisplayChild(window), ColourButton(window)});
}

// The display child is a bitmap static: whenever the system has it repaint
// itself (shown, uncovered) it would cover the picture with its own bitmap
// until the next mouse move. It draws first, so the bitmap shows in the one
// column the back buffer leaves, and the picture goes over it.
LRESULT CALLBACK DisplayProc(HWND display, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_PAINT) {
        const LRESULT result = DefSubclassProc(display, message, wParam, lParam);
        try {
            Paint(GetParent(display));
        } catch (...) {
            // As in the window procedure: nothing unwinds into the system's dispatch.
        }
        return result;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(display, DisplayProc, kDisplaySubclassId);
    return DefSubclassProc(display, message, wParam, lParam);
}

void OnCreate(HWND window)
{
    // No Esc hot key here: the batch run holds it only while it runs, so
    // other programs keep their Esc the rest of the time.
    HandCursor();
    WindowState.iPanelOpen = 0;
    WindowState.MaxPixShown = Settings.MaxPix;
    WindowState.ProtsShown = Settings.Prots;
    if (HWND display = CreateChildControls(window, Settings))
        SetWindowSubclass(display, DisplayProc, kDisplaySubclassId, 0);
}

void OnMouseMove(HWND window, int x, int y)
{
    if (WindowState.iProgress != 0) return;
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
    TrackMouseEvent(&track);
    const MouseMoveOutcome out = HandleMouseMove(WindowState, Settings, x, y, CurrentPanelRects(window));
    if (out.handCursor) SetCursor(HandCursor());
    if (out.repaint) RepaintMainWindow(window);
}

void OnMouseLeave(HWND window)
{
    ClearHover(WindowState);
    RepaintMainWindow(window);
}

void OpenLastResult()
{
    if (PathExists(Settings.LastVarbo))
        OpenDocument(Settings.LastVarbo);
    else
        ShowNote(WindowState, "Файл Варбо ещё не создан....", kNoteTicks);
}

void ResetSizeAndQuality(HWND window)
{
    RestoreInitialSettings(Settings, {WindowState.MaxPixShown, WindowState.ProtsShown, WindowState.iHoverZone,
                                      WindowState.iSelectorLit, WindowState.iProgress});
    RepaintMainWindow(window);
}

// After a confirmed removal the program ends without writing the settings
// back, so the data folder stays gone.
void RemoveProgramAndExit(HWND window)
{
    if (!RemoveProgramFiles(Folders.DataFolder)) return;
    WindowState.iRemoved = 1;
    DestroyWindow(window);
}

// A picture from Explorer while the window is open: made as a start with a
// picture would make it; only the status line tells.
LRESULT OnCopyData(HWND window, const COPYDATASTRUCT* data)
{
    HandOffTarget target;
    target.busy = WindowState.iRunning != 0;
    target.process = [window](const std::string& picture) {
        const int result = RunHandedPicture(picture);
        ShowNote(WindowState, result == 1 ? "Готово: " + FileNameOf(picture) : "Не вышло: " + FileNameOf(picture), kNoteTicks);
        RepaintMainWindow(window);
        return result;
    };
    return HandleCopyData(data, target);
}

void TogglePanel(HWND window)
{
    WindowState.iPanelOpen = WindowState.iPanelOpen ? 0 : 1;
    SetPanelClientArea(window, WindowState.iPanelOpen == 1);
}

void OnLeftButtonDown(HWND window)
{
    switch (LeftClickAction(WindowState, Settings, Folders.iOutSubfolderNo)) {
    case ClickAction::OpenRunFolder: OpenFolder(Settings.Varbo_Photo + "\\" + Folders.OutSubfolder); break;
    case ClickAction::ExplainNoRunYet: ShowMessage("Варбо сначала должна поработать...   "); break;
    case ClickAction::RestoreInitialSettings: ResetSizeAndQuality(window); break;
    case ClickAction::RemoveProgramFiles: RemoveProgramAndExit(window); break;
    case ClickAction::OpenOutputFolder: OpenFolder(Settings.Varbo_Photo); break;
    case ClickAction::ViewLastResult: OpenLastResult(); break;
    case ClickAction::CommitSelector: CommitSelector(WindowState, Settings); break;
    case ClickAction::TogglePanel: TogglePanel(window); break;
    case ClickAction::OpenPhotoTextEditor: OpenPhotoTextEditor(window); break;
    default: break;
    }
}

void OnLeftButtonUp(HWND window)
{
    if (WindowState.iHoverZone == 0) return;
    if (WindowState.iDropOnText == 0) SetCursor(HandCursor());
    RepaintMainWindow(window);
}

void OnRightButtonDown(HWND window)
{
    switch (RightClickAction(WindowState)) {
    case ClickAction::OpenSourceFolder: OpenFolder(Settings.LastDir); break;
    case ClickAction::RestoreFirstPhotoText: RestoreFirstPhotoText(window); break;
    default: break;
    }
}

void OnMouseWheel(HWND window)
{
    if (!IsIconic(window)) SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void OnCommand(HWND window, WPARAM wParam)
{
    switch (ApplyPanelCommand(wParam, Settings, JobParams)) {
    case CommandEffect::RunTestPicture: RunTestPicture(window); break;
    case CommandEffect::PastePhotoText: PastePhotoText(window); break;
    case CommandEffect::ClosePanel:
        // Back to a 400 x 160 client area, as the panel toggle closes it; an
        // outer size of 400 x 160 would cut the status line off.
        WindowState.iPanelOpen = 0;
        SetPanelClientArea(window, false);
        ShowWindow(window, SW_SHOW);
        break;
    case CommandEffect::EnableTextControls: EnableTextControls(window, true); break;
    case CommandEffect::DisableTextControls: EnableTextControls(window, false); break;
    case CommandEffect::ChooseColour: {
        int colour = 0;
        if (ChooseTextColor(window, colour)) {
            Settings.Color = colour;
            RepaintMainWindow(window);
        }
        break;
    }
    case CommandEffect::ChooseFont: ChooseTextFont(window); break;
    default: break;
    }
}

void OnNotesTimer(HWND window)
{
    POINT cursor{};
    const bool cursorKnown = GetCursorPos(&cursor) != 0;
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    const NotesTickOutcome out =
        HandleNotesTick(WindowState, Settings, IsIconic(window) != 0, cursorKnown, cursor.y, desktop.bottom);
    if (out.restoreWindow) ShowWindow(window, SW_SHOWNORMAL);
    if (out.refreshPhotoText) SetPhotoTextField(window, Settings.Protext);
    // An ended note gives way to the hint at once, not at the next mouse move.
    if (out.refreshPhotoText || out.noteExpired) RepaintMainWindow(window);
}

void OnTimer(HWND window, UINT_PTR id)
{
    switch (id) {
    case kTimerSlide: WindowState.iSlideTick = 1; break;
    case kTimerRunEnd:
        KillTimer(window, kTimerRunEnd);
        WindowState.iProgress = 0;
        SetForegroundWindow(window);
        break;
    case kTimerNotes: OnNotesTimer(window); break;
    case kTimerTestDone:
        KillTimer(window, kTimerTestDone);
        WindowState.iProgress = 0;
        ShowWindow(window, SW_MINIMIZE);
        break;
    default: break;
    }
}

void OnDestroy(HWND window)
{
    if (!WindowState.iRemoved) SaveSettings(Folders.DataFolder);
    KillTimer(window, kTimerSlide);
    KillTimer(window, kTimerNotes);
    UnregisterRunHotKey(window);  // in case a run is cut short by the end of the program
    PostQuitMessage(0);
}

} // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        switch (message) {
        case WM_CREATE: OnCreate(window); break;
        case WM_MOUSEMOVE: OnMouseMove(window, LOWORD(lParam), HIWORD(lParam)); break;
        case WM_MOUSELEAVE: OnMouseLeave(window); break;
        case WM_LBUTTONDOWN: OnLeftButtonDown(window); break;
        case WM_LBUTTONUP: OnLeftButtonUp(window); break;
        case WM_RBUTTONDOWN: OnRightButtonDown(window); break;
        case WM_MOUSEWHEEL: OnMouseWheel(window); break;
        case WM_SHOWWINDOW: RepaintMainWindow(window); break;
        case WM_PAINT: Paint(window); break;
        case WM_COMMAND: OnCommand(window, wParam); break;
        case WM_TIMER: OnTimer(window, wParam); break;
        case WM_HOTKEY: HandleRunHotKey(window, static_cast<int>(wParam)); break;
        case WM_DROPFILES: HandleDroppedFiles(window, reinterpret_cast<HDROP>(wParam)); break;
        case WM_DESTROY: OnDestroy(window); break;
        case WM_COPYDATA: return OnCopyData(window, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        default: break;
        }
    } catch (...) {
        // Nothing may unwind into the system's dispatch; the message still gets its default handling.
    }
    // Every message, handled or not, also gets the default handling.
    return DefWindowProcA(window, message, wParam, lParam);
}

void RepaintMainWindow(HWND window)
{
    SendMessageA(window, WM_PAINT, 0, 0);
}

bool RegisterRunHotKey(HWND window)
{
    // Fails when another program holds Esc; the run then cannot be stopped, and goes on.
    return RegisterHotKey(window, kRunHotKeyId, 0, VK_ESCAPE) != 0;
}

void UnregisterRunHotKey(HWND window)
{
    UnregisterHotKey(window, kRunHotKeyId);  // fails harmlessly when it was not registered
}

void SetPhotoTextField(HWND window, const std::string& text)
{
    HWND field = GetDlgItem(window, kIdPhotoText);
    if (!field) return;
    const std::string shown = Utf8Prefix(text, kProtextMaxLen);
    // Timer 603 calls this every 700 ms while the panel is open; setting the
    // same text again would only make the field flicker.
    std::string current(static_cast<size_t>(GetWindowTextLengthA(field)) + 1, '\0');
    current.resize(static_cast<size_t>(GetWindowTextA(field, current.data(), static_cast<int>(current.size()))));
    if (current != shown) SetWindowTextA(field, shown.c_str());
}
