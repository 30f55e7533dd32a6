#pragma once
// Registry strings through the ...A functions (UTF-8 active code page).
#include <windows.h>

#include <string>

#include "common/owners_win.h"

// A string value (REG_SZ or REG_EXPAND_SZ, unexpanded); false when the key or value cannot be read.
bool ReadRegString(HKEY hive, const std::string& keyPath, const std::string& valueName, std::string& value);
// Writes the text unless the value already holds it somewhere (an empty text always does).
// False when the text is over 512 characters or the write failed.
bool SetRegStringIfAbsent(HKEY hive, const std::string& keyPath, const std::string& valueName, const std::string& text);
// Deletes a key that has no subkeys; false when it is missing, has subkeys or may not be deleted.
bool DeleteRegKey(HKEY hive, const std::string& keyPath);
// Deletes the key when it holds neither values nor subkeys.
bool DeleteRegKeyIfEmpty(HKEY hive, const std::string& keyPath);
