#include "ui/main_window_win.h"

#include <commctrl.h>

#include <memory>

#include "common/files_win.h"
#include "common/folders_win.h"
#include "common/messages.h"
#include "common/state.h"
#include "common/text.h"
#include "engine/failure_messages.h"
#include "engine/picture_job.h"
#include "shell/launch_win.h"
#include "shell/removal_win.h"
#include "shell/reset.h"
#include "shell/single_instance_win.h"
#include "ui/batch_run.h"
#include "ui/batch_run_win.h"
#include "ui/dpi_scale.h"
#include "ui/dpi_win.h"
#include "ui/drop_target_win.h"
#include "ui/job_thread_win.h"
#include "ui/paint_win.h"
#include "ui/panel_layout.h"
#include "ui/panel_win.h"
#include "ui/photo_text_flows.h"
#include "ui/photo_text_flows_win.h"
#include "ui/selectors.h"
#include "ui/virtual_drop_win.h"
#include "ui/window_commands.h"
#include "ui/window_state.h"

const char* const kMainWindowClass = "VarboMainWindow";
const char* const kMainWindowTitle = "Варбо Pro.";

namespace {

constexpr UINT_PTR kDisplaySubclassId = 1;
constexpr UINT_PTR kColourSubclassId = 2;
constexpr UINT kSlideTickMs = 100;
constexpr UINT kNotesTickMs = 700;
constexpr UINT kRunEndMs = 1000;
constexpr DWORD kProgressRepaintMs = 50;  // the run's count repaints at most 20 times a second
constexpr UINT kTestDoneMs = 2000;
constexpr DWORD kWindowStyle = WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX | WS_CAPTION;
constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW | WS_EX_ACCEPTFILES | WS_EX_TOPMOST;

// What the window owns besides its child windows: made at WM_CREATE,
// destroyed at WM_NCDESTROY, so inside the process's GDI+ session. The
// artwork and the fonts are made for the DPI of the window's monitor, and
// made anew when it moves to a monitor of another DPI.
struct WindowParts {
    int dpi = kBaseDpi;
    std::unique_ptr<Artwork> art;
    std::unique_ptr<PanelFonts> fonts;
    ChildWindows children;
    DWORD lastProgressPaint = 0;
    ComObject<WindowDropTarget> dropTarget;
    bool dropTargetRegistered = false;
};

WindowParts* PartsOf(HWND window)
{
    return reinterpret_cast<WindowParts*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

HCURSOR HandCursor()
{
    static const HCURSOR hand = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
    return hand;
}

// The display child shows the composed picture and nothing of its own: its
// paint cycle paints the back buffer from the window's state, and the
// static's bitmap is never drawn over it.
LRESULT CALLBACK DisplayProc(HWND display, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(display, &ps);
        try {
            if (WindowParts* parts = PartsOf(GetParent(display)))
                PaintMainWindow(WindowState, Settings, Folders, *parts->art, dc);
        } catch (...) {
            // As in the window procedure: nothing unwinds into the system's dispatch.
        }
        EndPaint(display, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;  // the picture covers every pixel
    case WM_NCDESTROY: RemoveWindowSubclass(display, DisplayProc, kDisplaySubclassId); break;
    default: break;
    }
    return DefSubclassProc(display, message, wParam, lParam);
}

// The colour button draws itself; the photo-text colour goes on its face after.
LRESULT CALLBACK ColourButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_PAINT) {
        const LRESULT result = DefSubclassProc(button, message, wParam, lParam);
        const WindowParts* parts = PartsOf(GetParent(button));
        if (HDC dc = GetDC(button)) {
            PaintColourSwatch(dc, Settings.Color, parts ? parts->dpi : kBaseDpi);
            ReleaseDC(button, dc);
        }
        return result;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(button, ColourButtonProc, kColourSubclassId);
    return DefSubclassProc(button, message, wParam, lParam);
}

void OnCreate(HWND window)
{
    auto parts = std::make_unique<WindowParts>();
    parts->dpi = WindowDpi(window);
    parts->art = std::make_unique<Artwork>(parts->dpi);
    parts->fonts = std::make_unique<PanelFonts>(parts->dpi);
    HandCursor();
    WindowState.iPanelOpen = 0;
    WindowState.MaxPixShown = Settings.MaxPix;
    WindowState.ProtsShown = Settings.Prots;
    parts->children = CreateChildControls(window, Settings, *parts->fonts, parts->dpi);
    if (HWND display = parts->children.display) SetWindowSubclass(display, DisplayProc, kDisplaySubclassId, 0);
    if (HWND colour = ColourButton(window)) SetWindowSubclass(colour, ColourButtonProc, kColourSubclassId, 0);
    // Drops come through OLE where the thread has it (the program's window
    // thread does): files without paths come only that way. WM_DROPFILES
    // stays for senders that post it themselves.
    parts->dropTarget.reset(new WindowDropTarget(window));
    parts->dropTargetRegistered = SUCCEEDED(RegisterDragDrop(window, parts->dropTarget.get()));
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(parts.release()));
    // No Esc hot key here: a batch run holds it only while it runs, so other
    // programs keep their Esc the rest of the time.
    SetTimer(window, kTimerNotes, kNotesTickMs, nullptr);
    SetTimer(window, kTimerSlide, kSlideTickMs, nullptr);
}

int DpiOf(HWND window)
{
    const WindowParts* parts = PartsOf(window);
    return parts ? parts->dpi : kBaseDpi;
}

// x and y are physical client pixels; everything after works in the layout's logical ones.
void OnMouseMove(HWND window, int x, int y)
{
    if (WindowState.iRunning || WindowState.iProgress != 0) return;
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
    TrackMouseEvent(&track);
    const int dpi = DpiOf(window);
    const MouseMoveOutcome out =
        HandleMouseMove(WindowState, Settings, ToLogical(x, dpi), ToLogical(y, dpi), CurrentPanelRects(window, dpi));
    if (out.handCursor) SetCursor(HandCursor());
    if (out.repaint) RequestRepaint(window);
}

void OnMouseLeave(HWND window)
{
    ClearHover(WindowState);
    RequestRepaint(window);
}

void OpenLastResult(HWND window)
{
    if (PathExists(Settings.LastVarbo)) {
        OpenDocument(Settings.LastVarbo);
        return;
    }
    ShowNote(WindowState, "Файл Варбо ещё не создан....", kNoteTicks);
    RequestRepaint(window);
}

void ResetSizeAndQuality(HWND window)
{
    RestoreInitialSettings(Settings);
    ShowResetSettings(WindowState, Settings);
    RequestRepaint(window);
}

// After a confirmed removal the program ends without writing the settings
// back (start-up sees iRemoved), so the data folder stays gone.
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
    target.busy = BatchRunning() || JobBesideWindowRunning();
    target.process = [window](const std::string& picture) {
        std::string desktop = Folders.Desktop;
        GetShellFolder("DeskTop", desktop);  // where it is now; the one of start-up when it cannot be read
        PictureJob job = StartPictureJob(Settings, Folders, desktop);
        job.source = picture;
        PictureResult result = RunJobBesideWindow(job);
        ExplainUnreadableStart(result, picture);
        if (!result.message.empty()) ShowResult(result.message, result.caption);
        ShowNote(WindowState, (result.made ? "Готово: " : "Не вышло: ") + FileNameOf(picture), kNoteTicks);
        RequestRepaint(window);
        return result.made ? 1 : 0;
    };
    return HandleCopyData(data, target);
}

void TogglePanel(HWND window)
{
    WindowState.iPanelOpen = WindowState.iPanelOpen ? 0 : 1;
    SetPanelClientArea(window, WindowState.iPanelOpen == 1, DpiOf(window));
}

void OnLeftButtonDown(HWND window)
{
    switch (LeftClickAction(WindowState, Settings, Folders.iOutSubfolderNo)) {
    case ClickAction::OpenRunFolder: OpenFolder(JoinPath(Settings.Varbo_Photo, Folders.OutSubfolder)); break;
    case ClickAction::ExplainNoRunYet: ShowMessage("Варбо сначала должна поработать...   "); break;
    case ClickAction::RestoreInitialSettings: ResetSizeAndQuality(window); break;
    case ClickAction::RemoveProgramFiles: RemoveProgramAndExit(window); break;
    case ClickAction::OpenOutputFolder: OpenFolder(Settings.Varbo_Photo); break;
    case ClickAction::ViewLastResult: OpenLastResult(window); break;
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
    RequestRepaint(window);
}

void OnRightButtonDown(HWND window)
{
    switch (RightClickAction(WindowState)) {
    case ClickAction::OpenSourceFolder: OpenFolder(Settings.LastDir); break;
    case ClickAction::RestoreFirstPhotoText:
        if (RestoreFirstPhotoText(window)) {
            ShowNote(WindowState, kFirstTextRestoredNote, kNoteTicks);
            RequestRepaint(window);
        }
        break;
    default: break;
    }
}

void OnMouseWheel(HWND window)
{
    if (!IsIconic(window)) SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void OnCommand(HWND window, WPARAM wParam)
{
    switch (ApplyPanelCommand(wParam, Settings)) {
    case CommandEffect::RunTestPicture:
        // The window steps aside for the viewer a little later.
        if (RunTestPicture(window)) SetTimer(window, kTimerTestDone, kTestDoneMs, nullptr);
        break;
    case CommandEffect::PastePhotoText: PastePhotoText(window); break;
    case CommandEffect::ClosePanel:
        // Back to a 400 x 160 client area, as the panel toggle closes it; an
        // outer size of 400 x 160 would cut the status line off.
        WindowState.iPanelOpen = 0;
        SetPanelClientArea(window, false, DpiOf(window));
        ShowWindow(window, SW_SHOW);
        break;
    case CommandEffect::EnableTextControls: EnableTextControls(window, true); break;
    case CommandEffect::DisableTextControls: EnableTextControls(window, false); break;
    case CommandEffect::ChooseColour: {
        int colour = 0;
        if (ChooseTextColor(window, colour)) {
            Settings.Color = colour;
            if (HWND button = ColourButton(window)) InvalidateRect(button, nullptr, TRUE);
            RequestRepaint(window);
        }
        break;
    }
    case CommandEffect::ChooseFont: ChooseTextFont(window); break;
    default: break;
    }
}

// The count of a run repaints as pictures are made, but no more often than
// every 50 ms; a count that comes sooner is painted when that time is up.
void RequestProgressRepaint(HWND window)
{
    WindowParts* parts = PartsOf(window);
    if (!parts) return;
    const DWORD now = GetTickCount();
    if (now - parts->lastProgressPaint >= kProgressRepaintMs) {
        parts->lastProgressPaint = now;
        KillTimer(window, kTimerProgress);
        RequestRepaint(window);
    } else {
        SetTimer(window, kTimerProgress, kProgressRepaintMs, nullptr);
    }
}

// The end of a batch run: the result stays a second, or the program ends
// (a full output folder, or the window was closed during the run).
void OnBatchEnd(HWND window, const BatchEnd& end)
{
    KillTimer(window, kTimerProgress);
    if (end.startEndTimer) SetTimer(window, kTimerRunEnd, kRunEndMs, nullptr);
    RequestRepaint(window);
    if (end.closeWindow) {
        DestroyWindow(window);
        return;
    }
    // WM_CLOSE takes the usual way out, after which the settings are saved.
    if (end.endProgram) PostMessageA(window, WM_CLOSE, 0, 0);
}

// A dropped file, or the copy of a file without a path, becomes the test photo.
bool ReplaceTestPhotoWith(const DroppedItems& items)
{
    if (!items.virtualFiles) return ReplaceTestPhoto(items.count, items.paths.empty() ? std::nullopt : items.paths[0]);
    const VirtualCopies copies(items.virtualFiles, Folders.DataFolder);
    std::optional<std::string> copy;
    if (items.count == 1) {
        const std::string made = copies.Make(items.virtualFiles->Described(0), 0, nullptr);
        if (!made.empty()) copy = made;
    }
    const bool replaced = ReplaceTestPhoto(items.count, copy);
    items.virtualFiles->End(replaced ? DROPEFFECT_COPY : DROPEFFECT_NONE);
    return replaced;
}

// A drop on the lower band replaces the test photo; anywhere else it starts a
// batch run, unless one is going (then the drop is dropped whole). The
// drop's own point decides: during a drag from Explorer the window sees no
// mouse moves, so the last one it saw may lie anywhere.
void OnDrop(HWND window, DroppedItems items)
{
    if (BatchRunning()) {
        if (items.virtualFiles) items.virtualFiles->End(DROPEFFECT_NONE);
        return;
    }
    ClearRunStatus(WindowState);
    if (OnLowerBand(ToLogical(items.at.y, DpiOf(window)))) {
        if (ReplaceTestPhotoWith(items)) {
            ShowNote(WindowState, kTestPhotoReplacedNote, kNoteTicks);
            RequestRepaint(window);
        }
        return;
    }
    // A result of the last run still on screen, or a test picture just shown:
    // their timers must not clear this run's count or minimise the window.
    KillTimer(window, kTimerRunEnd);
    KillTimer(window, kTimerTestDone);
    if (const std::optional<BatchEnd> end = StartBatchRun(window, std::move(items), [window] { RequestProgressRepaint(window); }))
        OnBatchEnd(window, *end);
}

void OnDropFiles(HWND window, HDROP dropped)
{
    const DropHandle drop(dropped);
    if (BatchRunning()) return;
    DroppedItems items = ItemsOfDrop(drop.get());
    DragQueryPoint(drop.get(), &items.at);
    OnDrop(window, std::move(items));
}

// One drop that came through the drop target.
void OnDropped(HWND window)
{
    WindowParts* parts = PartsOf(window);
    if (!parts || !parts->dropTarget) return;
    if (std::optional<DroppedItems> items = parts->dropTarget.get()->TakeDrop()) OnDrop(window, std::move(*items));
}

// The close button during a run: the pictures in work are finished and kept,
// the window steps aside at once and goes when they are done.
bool OnClose(HWND window)
{
    if (!BatchRunning()) return false;
    ShowWindow(window, SW_HIDE);
    if (const std::optional<BatchEnd> end = CloseDuringRun()) OnBatchEnd(window, *end);
    return true;
}

void OnNotesTimer(HWND window)
{
    POINT cursor{};
    const bool cursorKnown = GetCursorPos(&cursor) != 0;
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    // In logical pixels, so the strip at the screen's bottom edge is as wide at any DPI.
    const int dpi = DpiOf(window);
    const NotesTickOutcome out = HandleNotesTick(WindowState, Settings, IsIconic(window) != 0, cursorKnown,
                                                 ToLogical(cursor.y, dpi), ToLogical(desktop.bottom, dpi));
    if (out.restoreWindow) ShowWindow(window, SW_SHOWNORMAL);
    if (out.refreshPhotoText) SetPhotoTextField(window, Settings.Protext);
    // An ended note gives way to the hint at once, not at the next mouse move.
    if (out.refreshPhotoText || out.noteExpired) RequestRepaint(window);
}

void OnTimer(HWND window, UINT_PTR id)
{
    switch (id) {
    case kTimerSlide: WindowState.iSlideTick = 1; break;
    case kTimerRunEnd:
        KillTimer(window, kTimerRunEnd);
        WindowState.iProgress = 0;
        SetForegroundWindow(window);
        RequestRepaint(window);
        break;
    case kTimerNotes: OnNotesTimer(window); break;
    case kTimerTestDone:
        KillTimer(window, kTimerTestDone);
        WindowState.iProgress = 0;
        ShowWindow(window, SW_MINIMIZE);
        break;
    case kTimerProgress:
        KillTimer(window, kTimerProgress);
        if (WindowParts* parts = PartsOf(window)) parts->lastProgressPaint = GetTickCount();
        RequestRepaint(window);
        break;
    default: break;
    }
}

// The window moved to a monitor of another DPI (or the monitor's scale
// changed): new fonts and artwork for it, the children placed again, and the
// window at the rectangle the system suggests, then at the client size of
// the layout (the suggestion scales the frame too, which may be a pixel off).
void OnDpiChanged(HWND window, int dpi, const RECT* suggested)
{
    WindowParts* parts = PartsOf(window);
    if (!parts) return;
    parts->dpi = UsableDpi(dpi);
    auto fonts = std::make_unique<PanelFonts>(parts->dpi);
    LayOutChildControls(parts->children, Settings, *fonts, parts->dpi);
    parts->fonts = std::move(fonts);  // the old fonts go once no control uses them
    parts->art = std::make_unique<Artwork>(parts->dpi);
    if (suggested)
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    SetPanelClientArea(window, WindowState.iPanelOpen == 1, parts->dpi);
    if (HWND colour = ColourButton(window)) InvalidateRect(colour, nullptr, TRUE);
    RequestRepaint(window);
}

void OnDestroy(HWND window)
{
    if (WindowParts* parts = PartsOf(window); parts && parts->dropTargetRegistered) {
        RevokeDragDrop(window);
        parts->dropTargetRegistered = false;
    }
    AbandonBatchRun();  // the window goes regardless (the removal): the pictures in work end first
    for (UINT_PTR timer : {kTimerSlide, kTimerRunEnd, kTimerNotes, kTimerTestDone, kTimerProgress}) KillTimer(window, timer);
    PostQuitMessage(0);
}

void OnNcDestroy(HWND window)
{
    std::unique_ptr<WindowParts> parts(PartsOf(window));
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
}

} // namespace

MainWindowClass::MainWindowClass(HINSTANCE instance) : instance_(instance)
{
    pattern_.reset(static_cast<HBITMAP>(LoadImageA(instance, "BG_101", IMAGE_BITMAP, 60, 60, 0)));
    if (pattern_) background_.reset(CreatePatternBrush(pattern_.get()));
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "ICO0");
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = background_ ? background_.get() : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kMainWindowClass;
    registered_ = RegisterClassA(&wc) != 0;
}

MainWindowClass::~MainWindowClass()
{
    if (registered_) UnregisterClassA(kMainWindowClass, instance_);
}

HWND CreateMainWindow(HINSTANCE instance)
{
    return CreateWindowExA(kWindowExStyle, kMainWindowClass, kMainWindowTitle, kWindowStyle, 0, 0, kClientWidth,
                           kClientHeightClosed, nullptr, nullptr, instance, nullptr);
}

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
        case WM_COMMAND: OnCommand(window, wParam); break;
        case WM_TIMER: OnTimer(window, wParam); break;
        case WM_HOTKEY:
            if (const std::optional<BatchEnd> end = HandleRunHotKey(static_cast<int>(wParam))) OnBatchEnd(window, *end);
            break;
        case kMsgPictureMade:
        case kMsgPictureSaved:
            if (const std::optional<BatchEnd> end = HandleBatchMessage(message, wParam)) OnBatchEnd(window, *end);
            return 0;
        case WM_CLOSE:
            if (OnClose(window)) return 0;
            break;
        case WM_DROPFILES: OnDropFiles(window, reinterpret_cast<HDROP>(wParam)); break;
        case kMsgDropped: OnDropped(window); return 0;
        case WM_DESTROY: OnDestroy(window); break;
        case WM_NCDESTROY: OnNcDestroy(window); break;
        case WM_COPYDATA: return OnCopyData(window, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_DPICHANGED:
            OnDpiChanged(window, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        default: break;
        }
    } catch (...) {
        // Nothing may unwind into the system's dispatch; the message still gets its default handling.
    }
    // Every message, handled or not, also gets the default handling.
    return DefWindowProcA(window, message, wParam, lParam);
}

void RequestRepaint(HWND window)
{
    const WindowParts* parts = PartsOf(window);
    if (parts && parts->children.display)
        RedrawWindow(parts->children.display, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

bool MainWindowPixel(HWND window, int x, int y, uint32_t& argb)
{
    const WindowParts* parts = PartsOf(window);
    return parts && parts->art && parts->art->BackBufferPixel(x, y, argb);
}

IDropTarget* MainWindowDropTarget(HWND window)
{
    const WindowParts* parts = PartsOf(window);
    return parts ? parts->dropTarget.get() : nullptr;
}
