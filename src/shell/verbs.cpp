#include "shell/verbs.h"

const std::array<const char*, 7> kPictureClasses = {"Paint.Picture", "jpegfile", "TIFImage.Document", "giffile",
                                                    "pngfile",       "wmffile",  "emffile"};
const char* const kVerbName = "• Varbo";
const char* const kOldVerbName = "Варбо";
const char* const kImageTypeClass = "SystemFileAssociations\\image";
const std::array<const char*, 6> kOwnExtensions = {".wmf", ".emf", ".heic", ".heif", ".hif", ".avif"};
const char* const kMultiSelectModelName = "MultiSelectModel";
const char* const kMultiSelectModel = "Player";

// The class the user's "open with" choice names (on a fresh Windows 10 or 11,
// the Photos app's) hides verbs on the classes above; verbs on the perceived
// type are merged into every picture's menu whatever program opens it. An
// extension that Windows perceives as an image already gets them from there,
// and a second entry would show the verb twice.
std::vector<std::string> VerbOwners(const std::vector<std::string>& extensionsNotImage)
{
    std::vector<std::string> owners(kPictureClasses.begin(), kPictureClasses.end());
    owners.push_back(kImageTypeClass);
    for (const std::string& extension : extensionsNotImage) owners.push_back("SystemFileAssociations\\" + extension);
    return owners;
}

std::vector<std::string> AllVerbOwners()
{
    return VerbOwners(std::vector<std::string>(kOwnExtensions.begin(), kOwnExtensions.end()));
}

std::string ParentKeyPath(std::string_view keyPath)
{
    const size_t cut = keyPath.rfind('\\');
    return cut == std::string_view::npos ? std::string() : std::string(keyPath.substr(0, cut));
}

std::string ClassKeyPath(std::string_view pictureClass)
{
    std::string path = "Software\\Classes\\";
    path += pictureClass;
    return path;
}

std::string ShellKeyPath(std::string_view pictureClass)
{
    return ClassKeyPath(pictureClass) + "\\Shell";
}

std::string VerbKeyPath(std::string_view pictureClass, std::string_view verb)
{
    std::string path = ShellKeyPath(pictureClass) + "\\";
    path += verb;
    return path;
}

std::string VerbCommandKeyPath(std::string_view pictureClass, std::string_view verb)
{
    return VerbKeyPath(pictureClass, verb) + "\\command";
}

// Explorer replaces "%1" by the picture's path; quoted, a path with blanks
// stays one argument, and the start counts as a start with a picture.
std::string VerbCommand(std::string_view programPath)
{
    if (programPath.empty()) return {};
    std::string command = "\"";
    command += programPath;
    command += "\" \"%1\"";
    return command;
}
