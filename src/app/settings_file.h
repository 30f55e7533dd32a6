#pragma once
// The settings file varbo.vars and the photo-text file varbo_text.txt: their
// text, independent of where they are stored.
#include <string>
#include <string_view>

#include "common/state.h"

// The 20 lines of varbo.vars, with LF line ends (the store writes CR LF).
std::string FormatSettingsFile(const SettingsRecord& settings);
// Applies the values of a settings file's text (LF line ends) to the record,
// by line position; empty values leave a field as it is.
void ApplySettingsFile(std::string_view text, SettingsRecord& settings);
// The value between the brackets of one settings line.
std::string SettingsLineValue(std::string_view line);
// The photo text as read back from varbo_text.txt (LF line ends): at most the
// editor's 510 characters; a text under 4 characters gives the default text.
std::string PhotoTextFromFile(std::string_view text);
