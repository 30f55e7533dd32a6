#pragma once
// The Explorer verbs on the picture classes: their names, where they live and
// the command they run. The registry work itself is in verbs_win.cpp.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The picture classes that carry the verb, in the order they are always handled.
extern const std::array<const char*, 7> kPictureClasses;
extern const char* const kVerbName;     // "• Varbo": written by every start without a picture
extern const char* const kOldVerbName;  // "Варбо": an earlier name, only ever removed

// Where Explorer finds the verb whatever program opens pictures: the "image"
// perceived type, and the extensions of the pictures we read that a system
// may not perceive as images (the metafiles; HEIC, HEIF and AVIF where no
// codec for them is installed), for those it does not.
extern const char* const kImageTypeClass;  // "SystemFileAssociations\image"
extern const std::array<const char*, 6> kOwnExtensions;  // ".wmf", ".emf", ".heic", ".heif", ".hif", ".avif"

// Every verb key carries this value, so the verb stays in the menu for up to 100 selected pictures.
extern const char* const kMultiSelectModelName;  // "MultiSelectModel"
extern const char* const kMultiSelectModel;      // "Player"

// A value longer than this many characters is neither compared nor written.
constexpr size_t kRegTextMaxChars = 512;

// "Software\Classes\<class>\Shell\<verb>": the same path under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
std::string VerbKeyPath(std::string_view pictureClass, std::string_view verb);
// The verb key path followed by "\command".
std::string VerbCommandKeyPath(std::string_view pictureClass, std::string_view verb);
// The keys (relative to Software\Classes) that carry the verb, in the order they are written:
// the picture classes, the image type, then "SystemFileAssociations\<ext>" for each extension
// given (those of kOwnExtensions not perceived as images).
std::vector<std::string> VerbOwners(const std::vector<std::string>& extensionsNotImage);
// Every owner a verb may have been written under: the removal's list.
std::vector<std::string> AllVerbOwners();
// The key one level up ("" for a path without a backslash).
std::string ParentKeyPath(std::string_view keyPath);
// "Software\Classes\<class>\Shell" and "Software\Classes\<class>".
std::string ShellKeyPath(std::string_view pictureClass);
std::string ClassKeyPath(std::string_view pictureClass);
// The command a verb runs: the quoted program and a quoted "%1". Empty for an empty program path.
std::string VerbCommand(std::string_view programPath);
