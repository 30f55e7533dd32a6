#pragma once
// Helpers for the window-side tests: the main window in this process, a drop
// handle as the shell makes one, and a driver that acts on a modal dialog from
// inside its own message loop.
#include <windows.h>

#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "common/wide_win.h"
#include "imaging/gdiplus_win.h"
#include "ui/main_window_win.h"
#include "ui/window_commands.h"

// The program's own main window, made as start-up makes it (class and
// procedure), but not shown. The window's artwork needs GDI+, which is started
// first and shut down last.
class TestMainWindow {
public:
    TestMainWindow() : class_(GetModuleHandleA(nullptr)), window_(CreateMainWindow(GetModuleHandleA(nullptr))) {}
    ~TestMainWindow()
    {
        if (window_ && IsWindow(window_)) DestroyWindow(window_);
        DrainQueue();
    }
    TestMainWindow(const TestMainWindow&) = delete;
    TestMainWindow& operator=(const TestMainWindow&) = delete;
    HWND get() const { return window_; }
    std::string FieldText() const
    {
        HWND field = GetDlgItem(window_, kIdPhotoText);
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
        return Narrow(text);
    }
    // The window posts its quit message when destroyed; it must not reach the next test.
    static void DrainQueue()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) DispatchMessageA(&msg);
        }
    }

private:
    GdiplusSession gdiplus_;
    MainWindowClass class_;
    HWND window_;
};

// A drop handle holding `paths` (UTF-8), in order, dropped at client point
// `at`, as the shell hands one over.
inline HDROP MakeDrop(const std::vector<std::string>& paths, POINT at = {200, 60})
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
    header->pt = at;
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
