#pragma once
// Files and folders through the ...A functions (UTF-8 active code page).
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/paths.h"

struct FileCloser {
    void operator()(std::FILE* f) const { if (f) std::fclose(f); }
};
using FileStream = std::unique_ptr<std::FILE, FileCloser>;

// Whether a file or folder of that name exists (one trailing line feed of the path is dropped first).
bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
EntryKind ProbeEntry(const std::string& path);

// Opens a stream ("r", "w", "wb", "a", ...). For writing it drops one trailing
// line feed from the path and turns an existing file's attributes to plain
// archive first (read-only, hidden and system cleared). Empty on failure.
FileStream OpenFileStream(std::string path, const char* mode);

// The whole file, or false.
bool ReadFileBytes(const std::string& path, std::string& bytes, size_t maxBytes = 512u << 20);
// Writes the bytes to a temporary name in the same folder and renames it over
// `path` when everything is on disk, so a failed write never leaves a
// partial file under the final name. False (and nothing left behind) on failure.
bool WriteFileReplacing(const std::string& path, const void* data, size_t size);
