#pragma once
// The "• Varbo" verb of Explorer's context menu on the picture classes.
#include <string>

// Writes the verb for the user (HKEY_CURRENT_USER\Software\Classes) when the
// start was one without a picture (`startCommand` not empty); failures are ignored.
void RegisterShellVerb(const std::string& verbName, const std::string& startCommand);
// Deletes the verb for the user, and machine-wide where one was written there and we may.
void UnregisterShellVerb(const std::string& verbName);
