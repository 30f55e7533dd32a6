#pragma once
// Folders: making a path with its parents, the program's own folder, the
// per-user shell folders.
#include <string>

// Makes a folder and every missing folder above it: 0 failed, 1 made, 2 there already.
// A relative path is taken under the program's own folder. On failure the
// system's last error says why (ERROR_ALREADY_EXISTS: a file stands in the way).
int MakeFolderPath(const std::string& path);
// The folder of the program's own file, without a trailing separator.
bool ProgramFolder(std::string& folder);
// One value of the per-user "Shell Folders" key ("DeskTop" gives the Desktop);
// `value` stays as it was when the value cannot be read.
bool GetShellFolder(const std::string& valueName, std::string& value);
