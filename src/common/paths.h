#pragma once
// Path text helpers (Windows paths, portable code).
#include <string>
#include <string_view>

enum class EntryKind { Missing, Folder, Other };

// "folder\name"; a folder that already ends in a separator gets none added.
std::string JoinPath(std::string_view folder, std::string_view name);
// The folder part of a path, without its trailing separator ("" when there is none).
std::string FolderOf(std::string_view path);
// The last element of a path.
std::string FileNameOf(std::string_view path);
