#include "shell/verbs_win.h"

#include <windows.h>

#include <shlwapi.h>

#include "common/owners_win.h"
#include "common/wide_win.h"
#include "shell/registry_win.h"
#include "shell/verbs.h"

namespace {

// The system's own answer, from its built-in list or the extension's
// PerceivedType value; an extension it cannot place counts as not an image.
bool PerceivedAsImage(const char* extension)
{
    PERCEIVED type = PERCEIVED_TYPE_UNSPECIFIED;
    PERCEIVEDFLAG flag = 0;
    return SUCCEEDED(AssocGetPerceivedType(Widen(extension).c_str(), &type, &flag, nullptr)) && type == PERCEIVED_TYPE_IMAGE;
}

// Deletes the verb's keys under one owner, then the keys above it that writing the verb
// created ("Shell", the class, "SystemFileAssociations") once they hold nothing.
void RemoveUserVerb(const std::string& owner, const std::string& verbName)
{
    const std::string classesRoot = ClassKeyPath("");
    DeleteRegKey(HKEY_CURRENT_USER, VerbCommandKeyPath(owner, verbName));
    const std::string verbKey = VerbKeyPath(owner, verbName);
    if (!DeleteRegKey(HKEY_CURRENT_USER, verbKey)) return;
    for (std::string key = ParentKeyPath(verbKey); key.size() > classesRoot.size(); key = ParentKeyPath(key))
        if (!DeleteRegKeyIfEmpty(HKEY_CURRENT_USER, key)) break;
}

} // namespace

// HKEY_CLASSES_ROOT would write the machine's classes, which a user without
// administrator rights may not change: the verb would silently never appear.
// The user's own classes are merged into what Explorer reads.
//
// The command names the program's own file however this start was made (a
// start from a console may name it without its folder), so the start's
// command line only tells whether this was a start without a picture.
void RegisterShellVerb(const std::string& verbName, const std::string& startCommand)
{
    if (startCommand.empty()) return;  // a start from the menu never rewrites the menu
    const std::string program = ModuleFilePath();
    if (program.empty()) return;
    const std::string command = VerbCommand(program);
    // An extension the system has come to perceive as an image since the verb was written
    // under it (a HEIF codec installed) gets it from the image type now: the entry of its own
    // would show it twice.
    std::vector<std::string> notImage;
    for (const char* extension : kOwnExtensions) {
        if (!PerceivedAsImage(extension))
            notImage.push_back(extension);
        else
            RemoveUserVerb(std::string("SystemFileAssociations\\") + extension, verbName);
    }
    // A key we may not write keeps what it has; the others are still written.
    for (const std::string& owner : VerbOwners(notImage)) {
        SetRegStringIfAbsent(HKEY_CURRENT_USER, VerbCommandKeyPath(owner, verbName), "", command);
        SetRegStringIfAbsent(HKEY_CURRENT_USER, VerbKeyPath(owner, verbName), kMultiSelectModelName, kMultiSelectModel);
    }
}

// A key that is missing or may not be deleted is skipped. The picture classes
// and their other verbs stay; under the user's own classes, the keys that
// writing the verb created ("Shell", the class, "SystemFileAssociations") go
// again once they hold nothing. Only the picture classes were ever written
// machine-wide, by earlier versions.
void UnregisterShellVerb(const std::string& verbName)
{
    for (const char* pictureClass : kPictureClasses) {
        DeleteRegKey(HKEY_LOCAL_MACHINE, VerbCommandKeyPath(pictureClass, verbName));
        DeleteRegKey(HKEY_LOCAL_MACHINE, VerbKeyPath(pictureClass, verbName));
    }
    for (const std::string& owner : AllVerbOwners()) RemoveUserVerb(owner, verbName);
}
