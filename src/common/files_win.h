#pragma once
// Files and folders, through the wide functions with paths of any length
// (common/wide_win.h makes the form they take).
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
// Missing only when the system says "not found"; Unknown when it says
// neither that nor what is there (access denied, a name it refuses).
EntryKind ProbeEntry(const std::string& path);
// Makes one folder (its parent must exist). False, with the system's last error, when it cannot.
bool MakeFolder(const std::string& path);

// Opens a stream ("r", "w", "wb", "a", ...). For writing it drops one trailing
// line feed from the path and turns an existing file's attributes to plain
// archive first (read-only, hidden and system cleared). Empty on failure.
FileStream OpenFileStream(std::string path, const char* mode);

// At most maxBytes from the start of a file, and the file's whole size; false when it cannot be read.
bool ReadFileHead(const std::string& path, size_t maxBytes, std::string& head, uint64_t& fileSize);
// The whole file, or false.
bool ReadFileBytes(const std::string& path, std::string& bytes, size_t maxBytes = 512u << 20);

// How a write ended: in place, or the system's error code of the step that
// failed, or (WriteNewFile) the name was taken first by another file.
struct WriteResult {
    unsigned long error = 0;
    bool nameTaken = false;
    explicit operator bool() const { return error == 0 && !nameTaken; }
};
// Writes the bytes to a temporary name in the same folder and renames it over
// `path` when everything is on disk, so a failed write never leaves a
// partial file under the final name, nor the temporary one.
WriteResult WriteFileReplacing(const std::string& path, const void* data, size_t size);
// As WriteFileReplacing, but the name is only taken when nothing is there: a
// file that another program (or another copy of this one) put there first
// stays, and the answer is `nameTaken`.
WriteResult WriteNewFile(const std::string& path, const void* data, size_t size);

// Gives the file `to` the creation and last-write times of the file `from`;
// false when they cannot be read or set, and then `to` keeps its own.
bool CopyFileTimes(const std::string& from, const std::string& to);
