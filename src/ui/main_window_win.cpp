#include "ui/main_window_win.h"

#include "app/settings_store_win.h"
#include "common/state.h"

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        SaveSettings(Folders.DataFolder);
        KillTimer(window, 601);
        KillTimer(window, 603);
        PostQuitMessage(0);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
