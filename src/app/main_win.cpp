#include <windows.h>

#include "app/startup_win.h"
#include "common/wide_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    return RunVarbo(instance, Narrow(GetCommandLineW()).c_str(), show);
}
