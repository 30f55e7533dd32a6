#pragma once
// The numbered run folders on disk.
#include <string>

// The next free run-folder number in the output folder and its name; 0 and
// "001" when the output folder cannot be searched, or when a name in it can
// be told neither free nor taken (access denied on a share): then `error`,
// when given, gets the system's reason.
int ScanRunFolders(const std::string& outputFolder, std::string& name, unsigned long* error = nullptr);
// The highest run folder that exists as a folder, or 0 when there is none.
int LastRunFolderNumber(const std::string& outputFolder);
