#pragma once
// The program's folders: the maker's and data folders, the Desktop, the run
// folders, and the embedded test photo.
#include <string>

// Puts "C:\ProgramData\Orvenda" into `folder` and makes it when missing; says so in a box on failure.
bool EnsureMakerFolder(std::string& folder);
// Makes a folder and every missing folder above it: 0 failed, 1 made, 2 there already.
// A relative path is taken under the program's own folder.
int MakeFolderPath(const std::string& path);
// One value of the per-user "Shell Folders" key ("DeskTop" gives the Desktop).
bool GetShellFolder(const std::string& valueName, std::string& value);
// The folder of the program's own file, without a trailing separator.
bool ProgramFolder(std::string& folder);
// Writes the embedded test photo to `path`.
bool WriteTestPicture(const std::string& path);
// The embedded test photo's bytes (empty when the resource is missing).
std::string EmbeddedTestPicture();
// The next free run-folder number in Settings.Varbo_Photo and its name;
// 0 and "001" when the output folder cannot be searched.
int ScanRunFolders(std::string& name);
// Sets Folders.iOutSubfolderNo / OutSubfolder to the last run folder that exists ("000" for none).
void FindLastRunFolder();
