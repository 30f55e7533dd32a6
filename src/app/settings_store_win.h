#pragma once
#include <string>

// Reads varbo.vars and varbo_text.txt from `folder` into Settings; when
// varbo.vars is missing, writes both with the current values instead.
// True when both files were read.
bool LoadSettings(const std::string& folder);
// Writes both files from Settings (UTF-8, CR LF line ends).
void SaveSettings(const std::string& folder);
