#pragma once
// The Explorer verbs on the picture classes: their names, where they live and
// the command they run. The registry work itself is in verbs_win.cpp.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// The picture classes that carry the verb, in the order they are always handled.
extern const std::array<const char*, 7> kPictureClasses;
extern const char* const kVerbName;     // "• Varbo": written by every start without a picture
extern const char* const kOldVerbName;  // "Варбо": an earlier name, only ever removed

// A value longer than this many characters is neither compared nor written.
constexpr size_t kRegTextMaxChars = 512;

// "Software\Classes\<class>\Shell\<verb>": the same path under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
std::string VerbKeyPath(std::string_view pictureClass, std::string_view verb);
// The verb key path followed by "\command".
std::string VerbCommandKeyPath(std::string_view pictureClass, std::string_view verb);
// "Software\Classes\<class>\Shell" and "Software\Classes\<class>".
std::string ShellKeyPath(std::string_view pictureClass);
std::string ClassKeyPath(std::string_view pictureClass);
// The command a verb runs: the quoted program and a quoted "%1". Empty for an empty program path.
std::string VerbCommand(std::string_view programPath);
