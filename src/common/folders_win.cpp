#include "common/folders_win.h"

#include <windows.h>

#include <algorithm>

#include "common/files_win.h"
#include "common/owners_win.h"
#include "common/text.h"

int MakeFolderPath(const std::string& requested)
{
    std::string program;
    if (!ProgramFolder(program)) return 0;
    std::string path = WithoutTrailingLineFeed(requested);
    if (path.find(':') == std::string::npos && path.rfind("\\\\", 0) != 0) path = JoinPath(program, path);
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    // Not half a tree for a folder that can never be made.
    if (PathTooLongForSystem(path)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    // A file of that name is no folder: the caller could not write into it.
    if (PathExists(path)) {
        if (IsFolder(path)) return 2;
        SetLastError(ERROR_ALREADY_EXISTS);
        return 0;
    }

    // Where the walk may start cutting: past "C:\" of a drive, and past
    // "\\server\share\" of a network path (those two cannot be created).
    size_t start = 4;
    if (path.rfind("\\\\", 0) == 0) {
        size_t server = path.find_first_of("\\/", 2);
        size_t share = server == std::string::npos ? std::string::npos : path.find_first_of("\\/", server + 1);
        if (share == std::string::npos) {
            SetLastError(ERROR_BAD_PATHNAME);
            return 0;
        }
        start = share + 1;
    }
    for (size_t i = start; i < path.size(); ++i) {
        if (path[i] != '\\' && path[i] != '/') continue;
        const std::string prefix = path.substr(0, i);
        if (!PathExists(prefix) && !MakeFolder(prefix)) return 0;
    }
    // Another program may make the folder between the test and the call: it is there all the same.
    if (MakeFolder(path)) return 1;
    const DWORD error = GetLastError();
    if (IsFolder(path)) return 1;
    // The reason is the one of the call that failed, not of the look after it.
    SetLastError(error ? error : ERROR_ALREADY_EXISTS);
    return 0;
}

bool ProgramFolder(std::string& folder)
{
    const std::string name = ModuleFilePath();
    if (name.empty()) return false;
    std::string copy;
    for (char c : name)
        if (c != '"') copy += c;
    size_t cut = copy.find_last_of("\\/");
    if (cut != std::string::npos) copy.resize(cut);
    folder = copy;
    return true;
}

bool GetShellFolder(const std::string& valueName, std::string& value)
{
    RegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0 ||
        size >= 32768)
        return false;
    std::string data(size, '\0');
    if (RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    data.resize(std::min<size_t>(size, data.size()));
    while (!data.empty() && data.back() == '\0') data.pop_back();
    value = data;
    return true;
}
