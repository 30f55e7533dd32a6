// virtual_drag.exe: drags files without paths onto another window, from a
// process of its own, as a phone's folder in Explorer or a mail program does.
//
//   virtual_drag.exe [--at X,Y] [--async] [--folder NAME] [--fail N] [--report FILE] FILE...
//
// It shows a small window titled "Virtual drag" at screen X,Y (default
// 40,40). A left-button press on it starts DoDragDrop with a data object that
// offers only CFSTR_FILEDESCRIPTORW and CFSTR_FILECONTENTS for the FILEs
// (named as the files are, with their sizes and write times), allowing a
// copy or a move; the drop happens where the button is let go.
//   --async        the data object is asynchronous (IDataObjectAsyncCapability)
//   --folder NAME  the files lie in a folder NAME that is dragged whole: a folder
//                  descriptor first, then NAME\<file> for each file
//   --fail N       the N-th file's stream (from 1) breaks off after half its bytes
//   --report FILE  lines written as things happen: "drop <result> <effect>" when
//                  DoDragDrop returns, then "ended <effect>" when the target ends
//                  the asynchronous operation, or "released" when it lets go of
//                  the data object (the target's work with it is over)
// Exit status 0 when a drop was made and the target finished with it within
// a minute, 1 otherwise, 2 on bad arguments.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "offered_files_win.h"

namespace {

constexpr UINT_PTR kWatchTimer = 1;
constexpr DWORD kPatienceMs = 60000;

class DropSource final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid != IID_IUnknown && iid != IID_IDropSource) return *out = nullptr, E_NOINTERFACE;
        *out = static_cast<IDropSource*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as the program
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override
    {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

struct Drag {
    OfferedFiles* files = nullptr;
    bool async = false;
    std::wstring report;
    bool dropped = false;
    bool done = false;
    DWORD droppedAt = 0;
};
Drag g_drag;

void Report(const char* line)
{
    if (g_drag.report.empty()) return;
    if (FILE* f = _wfopen(g_drag.report.c_str(), L"ab")) {
        std::fprintf(f, "%s\n", line);
        std::fclose(f);
    }
}

void StartDrag(HWND window)
{
    static DropSource source;
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT result = DoDragDrop(g_drag.files, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
    char line[64];
    std::snprintf(line, sizeof line, "drop %s %lu", result == DRAGDROP_S_DROP ? "dropped" : "cancelled", effect);
    Report(line);
    if (result != DRAGDROP_S_DROP) {
        PostQuitMessage(1);
        return;
    }
    g_drag.dropped = true;
    g_drag.droppedAt = GetTickCount();
    SetTimer(window, kWatchTimer, 100, nullptr);
}

// After the drop the target reads the files; the data object must live till it is done.
void Watch()
{
    if (g_drag.async && g_drag.files->operationEnded()) {
        char line[32];
        std::snprintf(line, sizeof line, "ended %lu", g_drag.files->endedEffect());
        Report(line);
        PostQuitMessage(0);
    } else if (!g_drag.async && g_drag.files->Count() == 1) {
        Report("released");
        PostQuitMessage(0);
    } else if (GetTickCount() - g_drag.droppedAt > kPatienceMs) {
        char line[64];
        std::snprintf(line, sizeof line, "the target kept the data object (%lu references)", g_drag.files->Count());
        Report(line);
        PostQuitMessage(1);
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
        if (!g_drag.dropped) StartDrag(window);
        return 0;
    case WM_TIMER:
        if (wParam == kWatchTimer) Watch();
        return 0;
    case WM_DESTROY: PostQuitMessage(1); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool ReadWhole(const std::wstring& path, std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (1 << 30);
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size();
    }
    CloseHandle(file);
    return ok;
}

uint64_t WriteTicks(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    POINT at{40, 40};
    std::wstring folder;
    int failing = 0;
    std::vector<OfferedFile> files;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool more = i + 1 < argc;
        if (arg == L"--at" && more) swscanf(argv[++i], L"%ld,%ld", &at.x, &at.y);
        else if (arg == L"--async") g_drag.async = true;
        else if (arg == L"--folder" && more) folder = argv[++i];
        else if (arg == L"--fail" && more) failing = _wtoi(argv[++i]);
        else if (arg == L"--report" && more) g_drag.report = argv[++i];
        else {
            OfferedFile file;
            const size_t cut = arg.find_last_of(L"\\/");
            file.name = arg.substr(cut == std::wstring::npos ? 0 : cut + 1);
            if (!folder.empty()) file.name = folder + L"\\" + file.name;
            if (!ReadWhole(arg, file.bytes)) return 2;
            file.writeTime = WriteTicks(arg);
            if (static_cast<int>(files.size()) + 1 == failing) file.failAfter = file.bytes.size() / 2;
            files.push_back(std::move(file));
        }
    }
    if (files.empty()) return 2;
    if (!folder.empty()) {
        OfferedFile whole;
        whole.name = folder;
        whole.folder = true;
        files.insert(files.begin(), std::move(whole));
    }

    if (FAILED(OleInitialize(nullptr))) return 1;
    g_drag.files = new OfferedFiles(std::move(files), g_drag.async);
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = L"VirtualDragWindow";
    RegisterClassW(&wc);
    CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Virtual drag", WS_POPUP | WS_VISIBLE | WS_BORDER, at.x, at.y, 160,
                    80, nullptr, nullptr, instance, nullptr);
    MSG msg;
    int status = 1;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    if (msg.message == WM_QUIT) status = static_cast<int>(msg.wParam);
    g_drag.files->Release();
    OleUninitialize();
    return status;
}
