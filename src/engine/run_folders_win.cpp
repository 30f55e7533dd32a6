#include "engine/run_folders_win.h"

#include "common/files_win.h"
#include "engine/run_folders.h"

int ScanRunFolders(const std::string& outputFolder, std::string& name)
{
    if (!IsFolder(outputFolder)) {
        name = "001";
        return 0;
    }
    const int n = NextRunFolderNumber([&](const std::string& entry) { return ProbeEntry(JoinPath(outputFolder, entry)); });
    name = RunFolderName(n);
    return n;
}

int LastRunFolderNumber(const std::string& outputFolder)
{
    std::string name;
    const int next = ScanRunFolders(outputFolder, name);
    if (next == 0) return 0;
    return LastRunFolderNumber(next, [&](const std::string& entry) { return ProbeEntry(JoinPath(outputFolder, entry)); });
}
