#include "app/folders_win.h"

#include <windows.h>

#include "app/run_folders.h"
#include "common/files_win.h"
#include "common/messages.h"
#include "common/state.h"
#include "common/text.h"

bool EnsureMakerFolder(std::string& folder)
{
    folder = "C:\\ProgramData\\Orvenda";
    if (PathExists(folder)) return true;
    if (MakeFolderPath(folder) != 0) return true;
    ShowResult(folder, "Не удалось создать папку...");
    return false;
}

int MakeFolderPath(const std::string& requested)
{
    std::string program;
    if (!ProgramFolder(program)) return 0;
    std::string path = requested;
    if (path.find(':') == std::string::npos && path.rfind("\\\\", 0) != 0) path = JoinPath(program, path);
    DropTrailingLineFeed(path);
    if (path.empty()) return 0;
    // A file of that name is no folder: the caller could not write into it.
    if (PathExists(path)) return IsFolder(path) ? 2 : 0;

    // Where the walk may start cutting: past "C:\" of a drive, and past
    // "\\server\share\" of a network path (those two cannot be created).
    size_t start = 4;
    if (path.rfind("\\\\", 0) == 0) {
        size_t server = path.find_first_of("\\/", 2);
        size_t share = server == std::string::npos ? std::string::npos : path.find_first_of("\\/", server + 1);
        if (share == std::string::npos) return 0;
        start = share + 1;
    }
    for (size_t i = start; i < path.size(); ++i) {
        if (path[i] != '\\' && path[i] != '/') continue;
        const std::string prefix = path.substr(0, i);
        if (!PathExists(prefix) && !CreateDirectoryA(prefix.c_str(), nullptr)) return 0;
    }
    if (!PathExists(path) && !CreateDirectoryA(path.c_str(), nullptr)) return IsFolder(path) ? 1 : 0;
    return IsFolder(path) ? 1 : 0;
}

bool GetShellFolder(const std::string& valueName, std::string& value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    bool ok = RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS && size > 0 &&
              size < 32768;
    std::string data;
    if (ok) {
        data.resize(size);
        ok = RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) ==
             ERROR_SUCCESS;
    }
    RegCloseKey(key);
    if (!ok) return false;
    data.resize(std::min<size_t>(size, data.size()));
    while (!data.empty() && data.back() == '\0') data.pop_back();
    value = data;
    return true;
}

bool ProgramFolder(std::string& folder)
{
    std::string name(32768, '\0');
    DWORD n = GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0 || n >= name.size()) return false;
    name.resize(n);
    std::string copy;
    for (char c : name)
        if (c != '"') copy += c;
    size_t cut = copy.find_last_of("\\/");
    if (cut != std::string::npos) copy.resize(cut);
    folder = copy;
    return true;
}

std::string EmbeddedTestPicture()
{
    HRSRC info = FindResourceA(nullptr, "pic_1", "Img");
    if (!info) return {};
    HGLOBAL loaded = LoadResource(nullptr, info);
    DWORD size = SizeofResource(nullptr, info);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return {};
    return std::string(static_cast<const char*>(bytes), size);
}

bool WriteTestPicture(const std::string& path)
{
    const std::string bytes = EmbeddedTestPicture();
    // Written whole or not at all: start-up never overwrites a test photo
    // that exists, so a half-written one would stay broken.
    return !bytes.empty() && WriteFileReplacing(path, bytes.data(), bytes.size());
}

int ScanRunFolders(std::string& name)
{
    const std::string output = Settings.Varbo_Photo;
    if (!IsFolder(output)) {
        name = "001";
        return 0;
    }
    int n = NextRunFolderNumber([&](const std::string& entry) { return ProbeEntry(JoinPath(output, entry)); });
    name = RunFolderName(n);
    return n;
}

void FindLastRunFolder()
{
    std::string name;
    int next = ScanRunFolders(name);
    const std::string output = Settings.Varbo_Photo;
    int last = next == 0 ? 0 : LastRunFolderNumber(next, [&](const std::string& entry) { return ProbeEntry(JoinPath(output, entry)); });
    Folders.iOutSubfolderNo = last;
    Folders.OutSubfolder = RunFolderName(last);
}
