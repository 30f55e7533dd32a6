#pragma once
#include <string>
#include <string_view>

// UTF-8 <-> UTF-16: the one place where the program's text meets the wide
// functions of the system (files and folders, GDI+, dropped names).
std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);

// A path as every wide file function gets it: absolute (a relative path is
// taken from the current folder) and in its extended-length form
// ("\\?\C:\...", "\\?\UNC\server\share\..."), so its length is no limit up to
// the system's own. Empty, with the thread's last error set
// (ERROR_FILENAME_EXCED_RANGE past that limit), when there is no such form.
std::wstring WidePath(std::string_view path);
// The absolute form of a path, taken from the current folder; the path as it
// is when the system cannot make one.
std::string FullPath(std::string_view path);
