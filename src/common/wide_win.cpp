#include "common/wide_win.h"

#include <windows.h>

#include "common/paths.h"

std::wstring Widen(std::string_view text)
{
    if (text.empty()) return {};
    // The active code page is UTF-8; CP_UTF8 says so outright. Flags must be 0 for UTF-8.
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string Narrow(std::wstring_view text)
{
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string FullPath(std::string_view path)
{
    const std::wstring wide = Widen(path);
    if (wide.empty()) return std::string(path);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::string(path);
    std::wstring full(needed, L'\0');
    const DWORD n = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (n == 0 || n >= needed) return std::string(path);
    full.resize(n);
    return Narrow(full);
}

// Absolute paths are cleaned up here rather than by GetFullPathNameW, which
// Windows limits to 260 characters unless the path has the prefix already.
// Past 32767 units Wine 8 does not refuse a path: it cuts its length short
// and makes a file of the cut name, so the limit is kept here, before any call.
std::wstring WidePath(std::string_view path)
{
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return {};
    }
    std::string full(path);
    std::optional<std::string> extended = ExtendedLengthPath(full);
    if (!extended && !PathTooLongForSystem(full)) {
        full = FullPath(full);
        extended = ExtendedLengthPath(full);
    }
    if (!extended) {
        SetLastError(PathTooLongForSystem(full) ? ERROR_FILENAME_EXCED_RANGE : ERROR_INVALID_NAME);
        return {};
    }
    return Widen(*extended);
}
