#include "engine/run_folders.h"

#include "common/text.h"

namespace {
// Far beyond any real use; it only keeps a damaged or hostile folder from
// turning the scan into an endless loop.
constexpr int kMaxRunFolder = 99999;
}

std::string RunFolderName(int number)
{
    if (number <= 9) return Format("00%d", number);
    if (number <= 99) return Format("0%d", number);
    return Format("%d", number);
}

int NextRunFolderNumber(const std::function<EntryKind(const std::string& name)>& probe)
{
    for (int n = 1; n < kMaxRunFolder; ++n) {
        const EntryKind kind = probe(RunFolderName(n));
        if (kind == EntryKind::Missing) return n;
        if (kind == EntryKind::Unknown) return 0;
    }
    return kMaxRunFolder;
}

int LastRunFolderNumber(int next, const std::function<EntryKind(const std::string& name)>& probe)
{
    for (int n = next - 1; n >= 1; --n) {
        const EntryKind kind = probe(RunFolderName(n));
        if (kind == EntryKind::Folder) return n;
        if (kind == EntryKind::Unknown) return 0;
    }
    return 0;
}
