#pragma once
// The program's own folders at start-up: the maker's folder, the embedded
// test photo, the last run folder.
#include <string>

// Puts "C:\ProgramData\Orvenda" into `folder` and makes it when missing; says so in a box on failure.
bool EnsureMakerFolder(std::string& folder);
// Writes the embedded test photo to `path`.
bool WriteTestPicture(const std::string& path);
// The embedded test photo's bytes (empty when the resource is missing).
std::string EmbeddedTestPicture();
// Sets Folders.iOutSubfolderNo / OutSubfolder to the last run folder that exists ("000" for none).
void FindLastRunFolder();
