#pragma once
// The main window: its class, its procedure, and what start-up and the tests
// call on it.
#include <windows.h>

#include <cstdint>

#include "common/owners_win.h"

extern const char* const kMainWindowClass;  // "VarboMainWindow"
extern const char* const kMainWindowTitle;  // "Варбо Pro.", which also finds the running copy

// The window's timers, all started and stopped by the window itself.
constexpr UINT_PTR kTimerSlide = 601;     // 100 ms, selector tick
constexpr UINT_PTR kTimerRunEnd = 602;    // 1000 ms once, after a run with pictures
constexpr UINT_PTR kTimerNotes = 603;     // 700 ms, notes, panel refresh, restore after a test
constexpr UINT_PTR kTimerTestDone = 604;  // 2000 ms once, after a test picture
constexpr UINT_PTR kTimerProgress = 605;  // 50 ms once, a run's count that came too soon to paint

// The window class, registered for as long as the object lives (with the
// BG_101 pattern as its background brush).
class MainWindowClass {
public:
    explicit MainWindowClass(HINSTANCE instance);
    ~MainWindowClass();
    MainWindowClass(const MainWindowClass&) = delete;
    MainWindowClass& operator=(const MainWindowClass&) = delete;
    bool ok() const { return registered_; }
private:
    HINSTANCE instance_;
    GdiObject<HBITMAP> pattern_;
    GdiObject<HBRUSH> background_;
    bool registered_ = false;
};

// The always-on-top window with a 400 x 160 client area, not yet shown; null on failure.
HWND CreateMainWindow(HINSTANCE instance);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Repaints the picture area now: an invalidation, painted before this returns.
void RequestRepaint(HWND window);

// One pixel of the picture as the last paint composed it (for tests).
bool MainWindowPixel(HWND window, int x, int y, uint32_t& argb);

// The window's drop target, as OLE hands drops to it (for tests); null before WM_CREATE.
IDropTarget* MainWindowDropTarget(HWND window);
