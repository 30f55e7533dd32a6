#include "engine/run_folders_win.h"

#include <windows.h>

#include "common/files_win.h"
#include "engine/run_folders.h"

namespace {

// ProbeEntry on a name of the output folder, keeping the system's reason when it answers neither way.
std::function<EntryKind(const std::string&)> RunFolderProbe(const std::string& outputFolder, unsigned long* error)
{
    return [&outputFolder, error](const std::string& entry) {
        const EntryKind kind = ProbeEntry(JoinPath(outputFolder, entry));
        if (kind == EntryKind::Unknown && error) *error = GetLastError();
        return kind;
    };
}

} // namespace

int ScanRunFolders(const std::string& outputFolder, std::string& name, unsigned long* error)
{
    name = "001";
    if (error) *error = 0;
    const EntryKind output = ProbeEntry(outputFolder);
    if (output == EntryKind::Unknown && error) *error = GetLastError();
    if (output != EntryKind::Folder) return 0;
    const int n = NextRunFolderNumber(RunFolderProbe(outputFolder, error));
    if (n > 0) name = RunFolderName(n);
    return n;
}

int LastRunFolderNumber(const std::string& outputFolder)
{
    std::string name;
    const int next = ScanRunFolders(outputFolder, name);
    if (next == 0) return 0;
    return LastRunFolderNumber(next, RunFolderProbe(outputFolder, nullptr));
}
