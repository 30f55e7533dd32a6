#include "engine/failure_messages.h"

#include "common/paths.h"
#include "common/system_errors.h"

const char* const kFolderCreatedMessage = "Папка Варбо создана на Рабочем столе.   \nОбработка файлов пропущена.  ";

std::string SaveFailedMessage(std::string_view folder, unsigned long systemError)
{
    return "Не удалось записать файл в папку " + PathForMessage(folder) + ": " + SystemErrorReason(systemError) + ".";
}

std::string PathTooLongMessage(std::string_view path)
{
    return "Путь к файлу длиннее, чем позволяет Windows:\n" + PathForMessage(path) + "\nВарбо пропускает этот файл.";
}
