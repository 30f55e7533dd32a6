#pragma once
// Which files are pictures, and the list of a dropped folder: its pictures in
// name order and the text of DropFolderList.txt.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int kMaxRunInputs = 9000;  // files of one drop, pictures of one dropped folder

// True when the path ends like a picture the engine reads: its last five
// characters, ASCII lower-cased, hold ".jpeg", ".jpg", ".bmp", ".gif",
// ".png", ".tif", ".wmf", ".emf", ".webp", ".heic", ".heif", ".hif" or
// ".avif"; paths under 6 characters never.
bool IsPictureName(std::string_view path);

// Name order of an NTFS folder listing: UTF-16 code units compared one by
// one after upper-casing each, so case never decides and "ё" comes before "а".
bool NtfsNameLess(std::string_view a, std::string_view b);

// One entry of a folder search.
struct ListedEntry {
    std::string name;
    bool folder = false;
    uint64_t size = 0;
};
// The full paths of a dropped folder's pictures in name order, at most 9000.
// Sub-folders, empty files and names that are no pictures are left out.
std::vector<std::string> FolderPicturePaths(std::string_view folder, std::vector<ListedEntry> entries);
// DropFolderList.txt: one path a line, each line ended by CR LF.
std::string FolderListText(const std::vector<std::string>& paths);
// The paths of a list file's text (CR LF or LF): blank lines skipped, at most 9000.
std::vector<std::string> ParseFolderList(std::string_view text);
