#pragma once
// Numbered run folders "001", "002", ... inside the output folder.
#include <functional>
#include <string>

#include "common/paths.h"

// "00%d" up to 9, "0%d" up to 99, "%d" from 100 on.
std::string RunFolderName(int number);

// The next free run-folder number: the one after the unbroken row of
// existing names "001", "002", ..., whatever order a listing would give.
// Entries that are not folders (a file named "003") keep their name and are
// stepped over, so the new run folder can always be made. 0 when a name can
// be told neither free nor taken (EntryKind::Unknown): the search stops there.
int NextRunFolderNumber(const std::function<EntryKind(const std::string& name)>& probe);

// The highest run folder below `next` that exists as a folder; 0 when there
// is none, or when a name on the way can be told neither free nor taken.
int LastRunFolderNumber(int next, const std::function<EntryKind(const std::string& name)>& probe);
