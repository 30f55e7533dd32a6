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

// At most maxBytes from the start of a file, and the file's whole size; false when it cannot be read.
bool ReadFileHead(const std::string& path, size_t maxBytes, std::string& head, uint64_t& fileSize);
// The whole file, or false.
bool ReadFileBytes(const std::string& path, std::string& bytes, size_t maxBytes = 512u << 20);
// Writes the bytes to a temporary name in the same folder and renames it over
// `path` when everything is on disk, so a failed write never leaves a
// partial file under the final name. False (and nothing left behind) on failure.
bool WriteFileReplacing(const std::string& path, const void* data, size_t size);

enum class NewFileOutcome { Written, NameTaken, Failed };
// As WriteFileReplacing, but the name is only taken when nothing is there:
// a file that another program (or another copy of this one) put there first
// stays, and the answer is NameTaken.
NewFileOutcome WriteNewFile(const std::string& path, const void* data, size_t size);
