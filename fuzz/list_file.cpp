// DropFolderList.txt read back, and the file names of a folder listing in name order.
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "engine/picture_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> paths = ParseFolderList(text);
    if (paths.size() > static_cast<size_t>(kMaxRunInputs)) std::abort();
    std::vector<ListedEntry> entries;
    for (const std::string& path : paths) {
        if (path.empty() || path.find('\n') != std::string::npos) std::abort();
        IsPictureName(path);
        entries.push_back({path, false, 1});
    }
    // The list written again reads back the same.
    if (ParseFolderList(FolderListText(paths)) != paths) std::abort();
    const std::vector<std::string> sorted = FolderPicturePaths("C:\\Фото", entries);
    if (!std::is_sorted(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) { return NtfsNameLess(a, b); }))
        std::abort();
    return 0;
}
