#pragma once
// The corner command's second step: removing what the program put on the computer.
#include <string>

// The question asked before the removal, word for word.
extern const char* const kRemovalQuestion;

// Asks; on yes deletes both verbs and the data folder's files and answers true.
// The caller then sets iRemoved and ends the program without saving the settings.
bool RemoveProgramFiles(const std::string& dataFolder);
// Deletes the files directly inside the folder (not its subfolders), then the
// folder itself. True when the folder is gone.
bool DeleteFolderFiles(const std::string& folder);
// Sets the file's attributes to archive only (one trailing line feed of the
// path is dropped first). True when the file exists and that worked.
bool ClearAttributes(const std::string& path);
