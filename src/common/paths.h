#pragma once
// Path text helpers (Windows paths, portable code).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What a look at a path found. Unknown: the system answered neither "there"
// nor "not found" (access denied on a share, a name it refuses), so nobody
// knows whether the name is free.
enum class EntryKind { Missing, Folder, Other, Unknown };

// The longest path the wide file functions take, in UTF-16 units, "\\?\"
// prefix and terminator included.
constexpr size_t kMaxPathUnits = 32767;

// "folder\name"; a folder that already ends in a separator gets none added.
std::string JoinPath(std::string_view folder, std::string_view name);
// The folder part of a path, without its trailing separator ("" when there is none).
std::string FolderOf(std::string_view path);
// The last element of a path.
std::string FileNameOf(std::string_view path);

// The extended-length form of an absolute path, which the wide file functions
// take past 260 characters: "C:\x" gives "\\?\C:\x", "\\server\share\x" gives
// "\\?\UNC\server\share\x". The prefix turns the system's own clean-up off,
// so it is done here as the system does it: "/" becomes "\", runs of
// separators become one, "." and ".." segments go (never above the root), a
// segment loses one trailing dot and the last one its trailing dots and
// blanks. A path in that form already, or a device path ("\\.\"), stays as it
// is. Nothing for a relative path, or for one past kMaxPathUnits.
std::optional<std::string> ExtendedLengthPath(std::string_view path);
// True when no wide file function can take the path, however it is written.
bool PathTooLongForSystem(std::string_view path);
// A path for a message: whole up to maxChars characters; longer, its start and
// its end (where the names are) around an ellipsis.
std::string PathForMessage(std::string_view path, size_t maxChars = 300);
