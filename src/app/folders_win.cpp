#include "app/folders_win.h"

#include <windows.h>

#include "common/files_win.h"
#include "common/folders_win.h"
#include "common/messages.h"
#include "common/state.h"
#include "engine/run_folders.h"
#include "engine/run_folders_win.h"

bool EnsureMakerFolder(std::string& folder)
{
    folder = "C:\\ProgramData\\Orvenda";
    if (PathExists(folder)) return true;
    if (MakeFolderPath(folder) != 0) return true;
    ShowResult(folder, "Не удалось создать папку...");
    return false;
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

void FindLastRunFolder()
{
    Folders.iOutSubfolderNo = LastRunFolderNumber(Settings.Varbo_Photo);
    Folders.OutSubfolder = RunFolderName(Folders.iOutSubfolderNo);
}
