#include "shell/verbs_win.h"

#include <windows.h>

#include "common/owners_win.h"
#include "shell/registry_win.h"
#include "shell/verbs.h"

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
    for (const char* pictureClass : kPictureClasses)
        SetRegStringIfAbsent(HKEY_CURRENT_USER, VerbCommandKeyPath(pictureClass, verbName), "", command);  // a class we may not write keeps what it has
}

// A key that is missing or may not be deleted is skipped. The picture classes
// and their other verbs stay; under the user's own classes, the "Shell" and
// class keys that writing the verb created go again once they hold nothing.
void UnregisterShellVerb(const std::string& verbName)
{
    for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        for (const char* pictureClass : kPictureClasses) {
            DeleteRegKey(hive, VerbCommandKeyPath(pictureClass, verbName));
            DeleteRegKey(hive, VerbKeyPath(pictureClass, verbName));
        }
    }
    for (const char* pictureClass : kPictureClasses) {
        if (DeleteRegKeyIfEmpty(HKEY_CURRENT_USER, ShellKeyPath(pictureClass)))
            DeleteRegKeyIfEmpty(HKEY_CURRENT_USER, ClassKeyPath(pictureClass));
    }
}
