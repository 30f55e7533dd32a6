#pragma once
// For the Windows tests: a temporary folder that removes itself, and file
// access at the byte level that does not go through the code under test.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

class TempFolder {
public:
    TempFolder()
    {
        char base[MAX_PATH];
        GetTempPathA(sizeof base, base);
        static int counter = 0;
        path_ = std::string(base) + "varbo-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() { RemoveTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

    // Wide and with the "\\?\" prefix, so folders past 260 characters go too.
    static void RemoveTree(const std::string& folder) { RemoveTreeW(L"\\\\?\\" + Wide(folder)); }

    static std::wstring Wide(const std::string& utf8)
    {
        std::wstring w(utf8.size() + 1, L'\0');
        w.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), static_cast<int>(w.size()))));
        if (!w.empty()) w.pop_back();
        return w;
    }

private:
    static void RemoveTreeW(const std::wstring& folder)
    {
        WIN32_FIND_DATAW found;
        HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
        for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &found)) {
            const std::wstring name = found.cFileName, full = folder + L"\\" + name;
            if (name == L"." || name == L"..") continue;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTreeW(full);
            else DeleteFileW(full.c_str());
        }
        if (h != INVALID_HANDLE_VALUE) FindClose(h);
        RemoveDirectoryW(folder.c_str());
    }

private:
    std::string path_;
};

// A folder path under `base` of at least `minChars` characters, past the
// classic 260, in Cyrillic, CJK and emoji ("Фотографии с отпуска 😀 日本 1\...").
inline std::string DeepFolder(const std::string& base, size_t minChars)
{
    std::string path = base;
    auto characters = [](const std::string& s) {
        size_t n = 0;
        for (unsigned char c : s) n += (c & 0xC0) != 0x80;
        return n;
    };
    for (int i = 1; characters(path) < minChars; ++i) path += "\\Фотографии с отпуска 😀 日本 " + std::to_string(i);
    return path;
}

inline std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

inline bool WriteBytes(const std::string& path, const std::string& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

inline bool IsDirectory(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool IsPlainFile(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The names in a folder (or only its files), "." and ".." left out, sorted by
// their bytes and joined by "|". Sorted here, because a listing's order is
// the file system's: NTFS and Wine 8 sort without regard to case, FAT keeps
// the order the names were made in.
inline std::string ListFolder(const std::string& folder, bool filesOnly = false)
{
    std::vector<std::string> found;
    WIN32_FIND_DATAW entry;
    HANDLE h = FindFirstFileW((L"\\\\?\\" + TempFolder::Wide(folder) + L"\\*").c_str(), &entry);
    for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &entry)) {
        char name[MAX_PATH * 4];
        WideCharToMultiByte(CP_UTF8, 0, entry.cFileName, -1, name, sizeof name, nullptr, nullptr);
        if (filesOnly && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (std::string(name) != "." && std::string(name) != "..") found.push_back(name);
    }
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    std::sort(found.begin(), found.end());
    std::string names;
    for (const std::string& n : found) names += (names.empty() ? "" : "|") + n;
    return names;
}
