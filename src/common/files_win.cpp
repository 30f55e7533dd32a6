#include "common/files_win.h"

#include <windows.h>

#include <algorithm>

#include "common/owners_win.h"
#include "common/text.h"
#include "common/wide_win.h"

namespace {

// INVALID_FILE_ATTRIBUTES, with the system's last error, when nothing can be read.
DWORD AttributesOf(const std::string& path)
{
    const std::wstring wide = WidePath(WithoutTrailingLineFeed(path));
    return wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
}

// The reason a write step failed; never 0, so a failure never reads as success.
DWORD WriteError()
{
    const DWORD error = GetLastError();
    return error ? error : ERROR_WRITE_FAULT;
}

// A read-only file in the way would make a move or a replacing open fail.
void ClearReadOnly(const std::wstring& path)
{
    const DWORD a = GetFileAttributesW(path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY) && (a & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
}

} // namespace

bool PathExists(const std::string& path)
{
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path)
{
    const DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

EntryKind ProbeEntry(const std::string& path)
{
    const DWORD a = AttributesOf(path);
    if (a == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? EntryKind::Missing : EntryKind::Unknown;
    }
    return (a & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::Other;
}

bool MakeFolder(const std::string& path)
{
    const std::wstring wide = WidePath(WithoutTrailingLineFeed(path));
    return !wide.empty() && CreateDirectoryW(wide.c_str(), nullptr);
}

FileStream OpenFileStream(std::string path, const char* mode)
{
    const std::string m = mode;
    DropTrailingLineFeed(path);
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return FileStream();
    if (m.find('w') != std::string::npos || m.find('a') != std::string::npos) {
        const DWORD a = GetFileAttributesW(wide.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    }
    return FileStream(_wfopen(wide.c_str(), Widen(m).c_str()));
}

bool ReadFileHead(const std::string& path, size_t maxBytes, std::string& head, uint64_t& fileSize)
{
    head.clear();
    const std::wstring wide = WidePath(WithoutTrailingLineFeed(path));
    if (wide.empty()) return false;
    const FileHandle h(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!h || !GetFileSizeEx(h.get(), &size) || size.QuadPart < 0) return false;
    fileSize = static_cast<uint64_t>(size.QuadPart);
    head.resize(static_cast<size_t>(std::min<uint64_t>(fileSize, maxBytes)));
    DWORD got = 0;
    if (!head.empty() && !ReadFile(h.get(), head.data(), static_cast<DWORD>(head.size()), &got, nullptr)) return false;
    head.resize(got);
    return true;
}

bool ReadFileBytes(const std::string& path, std::string& bytes, size_t maxBytes)
{
    const std::wstring wide = WidePath(WithoutTrailingLineFeed(path));
    if (wide.empty()) return false;
    const FileHandle h(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h) return false;
    bool ok = false;
    LARGE_INTEGER size;
    if (GetFileSizeEx(h.get(), &size) && size.QuadPart >= 0 && static_cast<unsigned long long>(size.QuadPart) <= maxBytes) {
        try {
            bytes.resize(static_cast<size_t>(size.QuadPart));
            size_t done = 0;
            ok = true;
            while (done < bytes.size()) {
                DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
                DWORD got = 0;
                if (!ReadFile(h.get(), bytes.data() + done, chunk, &got, nullptr) || got == 0) { ok = false; break; }
                done += got;
            }
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    if (!ok) bytes.clear();
    return ok;
}

namespace {

enum class MoveRule { Replace, KeepExisting };

// The bytes under a temporary name of this thread's, then moved to the
// target; the temporary file never stays behind.
WriteResult WriteThenMove(const std::string& path, const void* data, size_t size, MoveRule rule)
{
    const std::wstring target = WidePath(WithoutTrailingLineFeed(path));
    if (target.empty()) return {WriteError()};
    const std::wstring temp = target + Widen(Format(".%lu.%lu.part", GetCurrentProcessId(), GetCurrentThreadId()));
    if (temp.size() >= kMaxPathUnits) return {ERROR_FILENAME_EXCED_RANGE};
    FileHandle h(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return {WriteError()};
    // The first failure is the reason; what follows it only cleans up.
    DWORD error = 0;
    const char* p = static_cast<const char*>(data);
    size_t done = 0;
    while (!error && done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
        DWORD put = 0;
        if (!WriteFile(h.get(), p + done, chunk, &put, nullptr)) error = WriteError();
        else if (put != chunk) error = ERROR_DISK_FULL;  // a short write without an error: the disk took no more
        done += put;
    }
    if (!error && !FlushFileBuffers(h.get())) error = WriteError();
    if (!CloseNow(h) && !error) error = WriteError();
    WriteResult result;
    if (!error && rule == MoveRule::Replace) {
        ClearReadOnly(target);
        if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) error = WriteError();
    } else if (!error && !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        // The move without replacing is the test and the claim in one step.
        error = WriteError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
            error = 0;
            result.nameTaken = true;
        }
    }
    result.error = error;
    if (!result) DeleteFileW(temp.c_str());
    return result;
}

} // namespace

WriteResult WriteFileReplacing(const std::string& path, const void* data, size_t size)
{
    return WriteThenMove(path, data, size, MoveRule::Replace);
}

WriteResult WriteNewFile(const std::string& path, const void* data, size_t size)
{
    return WriteThenMove(path, data, size, MoveRule::KeepExisting);
}

// The times come from the source's folder entry, so the source is never
// opened, and go to the target through a handle that may change its
// attributes and nothing else. They are copied as the system gives them: a
// FAT source's 2-second times stay as they are, and a time that a file system
// does not keep reads as zero, which SetFileTime takes as "leave it". The
// access time is the system's business.
bool CopyFileTimes(const std::string& from, const std::string& to)
{
    const std::wstring source = WidePath(WithoutTrailingLineFeed(from));
    const std::wstring target = WidePath(WithoutTrailingLineFeed(to));
    WIN32_FILE_ATTRIBUTE_DATA times;
    if (source.empty() || target.empty() || !GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &times))
        return false;
    const FileHandle h(CreateFileW(target.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return h && SetFileTime(h.get(), &times.ftCreationTime, nullptr, &times.ftLastWriteTime);
}

std::string ModuleFilePath()
{
    std::wstring name(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0 || n >= name.size()) return {};
    name.resize(n);
    return Narrow(name);
}
