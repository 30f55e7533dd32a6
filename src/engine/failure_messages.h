#pragma once
// What a job tells the user when its picture could not be made for a reason
// the user can act on.
#include <string>
#include <string_view>

#include "engine/picture_job.h"

// "Не удалось записать файл в папку <folder>: недостаточно места на диске."
// with the system's reason for `systemError`.
std::string SaveFailedMessage(std::string_view folder, unsigned long systemError);
// Varbo_Photo was removed while the program runs: made again, this picture skipped.
extern const char* const kFolderCreatedMessage;
// A source whose path is longer than any Windows function takes.
std::string PathTooLongMessage(std::string_view path);
// A picture started on its own (Explorer's entry, the command line, a picture handed to the
// window) that could not be read: the result gets a message that names the file and says
// which kinds of picture the program reads, unless it has one already.
void ExplainUnreadableStart(PictureResult& result, std::string_view source);
