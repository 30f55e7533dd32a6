#include "ui/dpi_win.h"

#include "ui/dpi_scale.h"

namespace {

// Looked up at run time: the program still starts where user32 lacks them.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <class Fn>
Fn User32Function(const char* name)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

} // namespace

int WindowDpi(HWND window)
{
    static const auto getDpi = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    return UsableDpi(getDpi && window ? static_cast<int>(getDpi(window)) : kBaseDpi);
}

SIZE OuterSizeFor(HWND window, SIZE client, int dpi)
{
    // The frame as the window has it now, drawn for the DPI the system draws
    // it at; only a minimised window has to have it worked out.
    RECT outer{}, inner{};
    if (!IsIconic(window) && GetWindowRect(window, &outer) && GetClientRect(window, &inner))
        return {client.cx + (outer.right - outer.left) - inner.right, client.cy + (outer.bottom - outer.top) - inner.bottom};
    static const auto adjust = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    RECT r{0, 0, client.cx, client.cy};
    const auto style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    // The frame of the window's own monitor, not the one of the system's DPI.
    if (!adjust || !adjust(&r, style, FALSE, exStyle, static_cast<UINT>(dpi))) AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}
