#include "shell/verbs.h"

const std::array<const char*, 7> kPictureClasses = {"Paint.Picture", "jpegfile", "TIFImage.Document", "giffile",
                                                    "pngfile",       "wmffile",  "emffile"};
const char* const kVerbName = "• Varbo";
const char* const kOldVerbName = "Варбо";

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
