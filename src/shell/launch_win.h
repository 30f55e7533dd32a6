#pragma once
// Opening folders in Explorer and documents with their programs. Every start
// goes through one hook, so tests watch the command lines instead of starting anything.
#include <functional>
#include <string>
#include <string_view>

#include "shell/launch.h"

// Explorer with the quoted folder. 1 when it started, else 0.
int OpenFolder(std::string_view folder);
// The document with its program, the browser or the text editor. Non-zero when something started.
int OpenDocument(std::string_view path);
// The handler program with the quoted document, else the text editor. True when one started.
bool LaunchWithHandler(std::string_view handler, std::string_view document);
// The program that opens files of an extension (".jpg"); the "htmlfile" class's when the extension has none.
bool GetOpenCommand(const std::string& extension, std::string& program);

// What every start comes down to; the answer is the system's (above 31 for a
// command line, above 32 for a shell opening). An empty hook restores the real starts.
using LaunchHook = std::function<unsigned(const LaunchRequest& request)>;
void SetLaunchHook(LaunchHook hook);
