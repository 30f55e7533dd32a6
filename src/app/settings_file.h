#pragma once
// The settings file varbo.vars and the photo-text file varbo_text.txt: their
// text, independent of where they are stored.
#include <string>
#include <string_view>

#include "common/state.h"
#include "engine/job_params.h"

// The 20 lines of varbo.vars, with LF line ends (the store writes CR LF).
std::string FormatSettingsFile(const SettingsRecord& settings);
// Applies the values of a settings file's text (LF line ends) to the record,
// by line position; empty values leave a field as it is. The engine's
// iJobKeepNames follows line 20.
void ApplySettingsFile(std::string_view text, SettingsRecord& settings, JobParamsRecord& job);
// The value between the brackets of one settings line.
std::string SettingsLineValue(std::string_view line);
// The photo text as read back from varbo_text.txt (LF line ends): at most the
// editor's 510 characters; a text under 4 characters gives the default text.
std::string PhotoTextFromFile(std::string_view text);

// Folds a text into one line: runs of blanks and line breaks become one blank,
// leading ones go; at most `limit` characters are kept; a result under 4
// characters becomes the default text. Answers the number of characters kept
// before that last rule.
int NormaliseSpaces(std::string& text, int limit);
// Copies the photo-text settings into the engine's job parameters.
void PrepareJob(const SettingsRecord& settings, JobParamsRecord& job);
