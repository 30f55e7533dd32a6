#include "common/gui_objects_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "common/text.h"

namespace {

// One slot of the GDI handle table that the process environment block points
// to (the same layout on Windows and Wine): a slot in use has a type.
struct GdiTableEntry {
    uint64_t object;
    uint16_t processId;
    uint16_t count;
    uint16_t upper;
    uint8_t type;
    uint8_t extraType;
    uint64_t user;
};
static_assert(sizeof(GdiTableEntry) == 24);
constexpr size_t kGdiTableOffset = 0xF8;  // PEB.GdiSharedHandleTable (64-bit)
constexpr int kGdiTableEntries = 16384;

long CountGdiTable()
{
#if defined(__x86_64__)
    // The environment block's address is in the thread block at gs:0x60 (NtCurrentTeb's own
    // way, which GCC takes for an access out of bounds when it is inlined).
    const uint8_t* peb = nullptr;
    asm("movq %%gs:0x60, %0" : "=r"(peb));
    const auto* table = *reinterpret_cast<const GdiTableEntry* const*>(peb + kGdiTableOffset);
    if (!table) return -1;
    return static_cast<long>(std::count_if(table, table + kGdiTableEntries, [](const GdiTableEntry& e) { return e.type != 0; }));
#else
    return -1;
#endif
}

BOOL CALLBACK CountChild(HWND, LPARAM counted)
{
    ++*reinterpret_cast<long*>(counted);
    return TRUE;
}

BOOL CALLBACK CountOwnWindow(HWND window, LPARAM counted)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<long*>(counted);
    EnumChildWindows(window, CountChild, counted);
    return TRUE;
}

long CountOwnWindows()
{
    long counted = 0;
    EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&counted));
    return counted;
}

} // namespace

GuiObjectCounts CountGuiObjects()
{
    GuiObjectCounts counts;
    SetLastError(ERROR_SUCCESS);
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (gdi == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
        counts.gdi = CountGdiTable();
        counts.user = CountOwnWindows();
    } else {
        counts.gdi = static_cast<long>(gdi);
        counts.user = static_cast<long>(user);
    }
    return counts;
}

RunObjectLog::RunObjectLog()
{
    if (const char* path = std::getenv("VARBO_TEST_RUNS"); path && *path) path_ = path;
    if (path_.empty()) return;
    start_ = CountGuiObjects();
    peak_ = start_;
}

void RunObjectLog::Sample()
{
    if (path_.empty()) return;
    const GuiObjectCounts now = CountGuiObjects();
    peak_.gdi = std::max(peak_.gdi, now.gdi);
    peak_.user = std::max(peak_.user, now.user);
}

void RunObjectLog::End(int made)
{
    if (path_.empty()) return;
    Sample();
    const GuiObjectCounts end = CountGuiObjects();
    const std::string line = Format("run\tmade %d\tgdi %ld %ld %ld\tuser %ld %ld %ld\n", made, start_.gdi, peak_.gdi, end.gdi,
                                    start_.user, peak_.user, end.user);
    if (FILE* f = std::fopen(path_.c_str(), "ab")) {
        std::fwrite(line.data(), 1, line.size(), f);
        std::fclose(f);
    }
}
