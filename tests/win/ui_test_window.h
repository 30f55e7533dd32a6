#pragma once
// Helpers for the window-side tests: a hidden stand-in for the main window,
// a drop handle as the shell makes one, and a driver that acts on a modal
// dialog from inside its own message loop.
#include <windows.h>

#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "common/wide_win.h"
#include "ui/main_window_win.h"
#include "ui/window_actions.h"
#include "ui/window_commands.h"

// A hidden top-level window that passes the Esc hot key on as the main window
// does, with the photo-text field (id 721) as its one child.
class TestMainWindow {
public:
    TestMainWindow()
    {
        static const bool registered = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "VarboUiTestWindow";
            return RegisterClassA(&wc) != 0;
        }();
        (void)registered;
        window_ = CreateWindowExA(0, "VarboUiTestWindow", "ui test", WS_OVERLAPPEDWINDOW, 0, 0, 400, 250, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        field_ = CreateWindowExA(0, "STATIC", "", WS_CHILD, 100, 182, 257, 35, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdPhotoText)), GetModuleHandleA(nullptr), nullptr);
    }
    ~TestMainWindow() { DestroyWindow(window_); }
    TestMainWindow(const TestMainWindow&) = delete;
    TestMainWindow& operator=(const TestMainWindow&) = delete;
    HWND get() const { return window_; }
    std::string FieldText() const
    {
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(field_)) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(field_, text.data(), static_cast<int>(text.size()))));
        return Narrow(text);
    }

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
    {
        if (m == WM_HOTKEY) HandleRunHotKey(w, static_cast<int>(wp));
        return DefWindowProcA(w, m, wp, lp);
    }
    HWND window_ = nullptr;
    HWND field_ = nullptr;
};

// A drop handle holding `paths` (UTF-8), in order, as the shell hands one over.
inline HDROP MakeDrop(const std::vector<std::string>& paths)
{
    std::wstring list;
    for (const std::string& p : paths) {
        list += Widen(p);
        list += L'\0';
    }
    list += L'\0';
    const size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// The visible dialogs of this thread.
inline std::vector<HWND> ThreadDialogs()
{
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM lp) {
            char cls[16] = {};
            GetClassNameA(w, cls, sizeof cls);
            if (std::string(cls) == "#32770" && IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

inline std::string WindowTitle(HWND w)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(w, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

// While alive, looks every 50 ms for a dialog of this thread and acts on the
// first one found, once. A dialog still open after 10 s is cancelled, so a
// test that goes wrong fails instead of hanging.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(HWND dialog)> act) : act_(std::move(act))
    {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 50, Tick);
    }
    ~DialogDriver()
    {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;
    bool acted() const { return acted_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        DialogDriver* self = current_;
        if (!self) return;
        const std::vector<HWND> dialogs = ThreadDialogs();
        if (dialogs.empty()) return;
        if (!self->acted_) {
            self->acted_ = true;
            self->act_(dialogs.front());
        } else if (++self->ticksAfter_ > 200) {
            for (HWND d : dialogs) PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
        }
    }
    static inline DialogDriver* current_ = nullptr;
    std::function<void(HWND)> act_;
    UINT_PTR timer_ = 0;
    bool acted_ = false;
    int ticksAfter_ = 0;
};
