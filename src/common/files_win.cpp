#include "common/files_win.h"

#include <windows.h>

#include <algorithm>

#include "common/owners_win.h"
#include "common/text.h"
#include "common/wide_win.h"

bool PathExists(const std::string& path)
{
    return GetFileAttributesA(WithoutTrailingLineFeed(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path)
{
    DWORD a = GetFileAttributesA(WithoutTrailingLineFeed(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

EntryKind ProbeEntry(const std::string& path)
{
    DWORD a = GetFileAttributesA(WithoutTrailingLineFeed(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) {
        // A name we may not look at still occupies its place.
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? EntryKind::Missing : EntryKind::Other;
    }
    return (a & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::Other;
}

FileStream OpenFileStream(std::string path, const char* mode)
{
    const std::string m = mode;
    if (m.find('w') != std::string::npos || m.find('a') != std::string::npos) {
        DropTrailingLineFeed(path);
        DWORD a = GetFileAttributesA(path.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    }
    return FileStream(std::fopen(path.c_str(), mode));
}

bool ReadFileHead(const std::string& path, size_t maxBytes, std::string& head, uint64_t& fileSize)
{
    head.clear();
    const FileHandle h(CreateFileA(WithoutTrailingLineFeed(path).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
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
    const FileHandle h(CreateFileA(WithoutTrailingLineFeed(path).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
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

// The bytes under a temporary name, then moved to `target`; the temporary file
// never stays behind.
NewFileOutcome WriteThenMove(const std::string& path, const void* data, size_t size, MoveRule rule)
{
    const std::string target = WithoutTrailingLineFeed(path);
    const std::string temp = target + Format(".%lu.%lu.part", GetCurrentProcessId(), GetCurrentThreadId());
    FileHandle h(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return NewFileOutcome::Failed;
    bool ok = true;
    const char* p = static_cast<const char*>(data);
    size_t done = 0;
    while (ok && done < size) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
        DWORD put = 0;
        ok = WriteFile(h.get(), p + done, chunk, &put, nullptr) && put == chunk;
        done += put;
    }
    ok = ok && FlushFileBuffers(h.get());
    ok = CloseNow(h) && ok;
    NewFileOutcome outcome = ok ? NewFileOutcome::Written : NewFileOutcome::Failed;
    if (ok && rule == MoveRule::Replace) {
        // A read-only file in the way would make the move fail.
        DWORD a = GetFileAttributesA(target.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY)) SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_ARCHIVE);
        if (!MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            outcome = NewFileOutcome::Failed;
    } else if (ok && !MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        // The move without replacing is the test and the claim in one step.
        const DWORD error = GetLastError();
        outcome = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? NewFileOutcome::NameTaken : NewFileOutcome::Failed;
    }
    if (outcome != NewFileOutcome::Written) DeleteFileA(temp.c_str());
    return outcome;
}

} // namespace

bool WriteFileReplacing(const std::string& path, const void* data, size_t size)
{
    return WriteThenMove(path, data, size, MoveRule::Replace) == NewFileOutcome::Written;
}

NewFileOutcome WriteNewFile(const std::string& path, const void* data, size_t size)
{
    return WriteThenMove(path, data, size, MoveRule::KeepExisting);
}

std::string ModuleFilePath()
{
    std::wstring name(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0 || n >= name.size()) return {};
    name.resize(n);
    return Narrow(name);
}
