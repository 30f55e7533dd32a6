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
    int n = 1;
    while (n < kMaxRunFolder && probe(RunFolderName(n)) != EntryKind::Missing) ++n;
    return n;
}

int LastRunFolderNumber(int next, const std::function<EntryKind(const std::string& name)>& probe)
{
    for (int n = next - 1; n >= 1; --n)
        if (probe(RunFolderName(n)) == EntryKind::Folder) return n;
    return 0;
}
