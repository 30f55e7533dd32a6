#include "shell/removal_win.h"

#include <windows.h>

#include "common/files_win.h"
#include "common/messages.h"
#include "common/owners_win.h"
#include "common/text.h"
#include "common/wide_win.h"
#include "shell/verbs.h"
#include "shell/verbs_win.h"

const char* const kRemovalQuestion =
    "Будут удалены служебные файлы Варбо      \nи записи в реестре Windows.\nФотографии останутся. \n\nХотите продолжить?";

namespace {

constexpr int kMaxListedEntries = 1001;


} // namespace

// Nothing here reports a failure: a key or file that cannot go stays, and the
// program ends all the same. The pictures in Varbo_Photo are never touched.
bool RemoveProgramFiles(const std::string& dataFolder)
{
    if (AskQuestion(kRemovalQuestion, " ") != kAnswerYes) return false;
    UnregisterShellVerb(kVerbName);
    UnregisterShellVerb(kOldVerbName);
    DeleteFolderFiles(dataFolder);
    return true;
}

// Long names work whole through the wide functions, so no short name is
// needed. At most 1001 entries ("." and ".." among them) are looked at; what
// lies beyond, and any subfolder, keeps the folder in place.
bool DeleteFolderFiles(const std::string& folderIn)
{
    const std::string folder = WithoutTrailingLineFeed(folderIn);
    if (folder.empty() || !PathExists(folder)) return false;
    {
        WIN32_FIND_DATAW entry{};
        const FindHandle listing(FindFirstFileW(WidePath(JoinPath(folder, "*.*")).c_str(), &entry));
        if (listing) {
            int handled = 0;
            do {
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
                const std::string file = JoinPath(folder, Narrow(entry.cFileName));
                if (ClearAttributes(file)) DeleteFileW(WidePath(file).c_str());  // a file open elsewhere stays
            } while (++handled < kMaxListedEntries && FindNextFileW(listing.get(), &entry));
        }
    }
    return RemoveDirectoryW(WidePath(folder).c_str()) != 0;
}

bool ClearAttributes(const std::string& pathIn)
{
    const std::wstring path = WidePath(WithoutTrailingLineFeed(pathIn));
    if (path.empty() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    return SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_ARCHIVE) != 0;
}
